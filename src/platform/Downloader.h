#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

struct DownloadOptions
{
    // Without a single byte moving for this long the fetch is given up.
    int idleTimeoutMs = 30000;
    // A veto on the received body before it replaces the target (e.g. an error page that a
    // server delivers with status 200). Empty: every body is accepted.
    std::function<bool(const QByteArray& body)> accept;
};

// Fetches `url` into `file`, blocking the calling thread until done. True exactly when the
// transfer succeeded, an HTTP status was below 400, the body passed the veto and the file was
// replaced as a whole. On false the previous file is untouched and no partial file remains.
// Never throws and shows nothing.
bool downloadfile(const QUrl& url, const QString& file, const DownloadOptions& options = {});
