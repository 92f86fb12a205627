#include "Downloader.h"

#include "DurableFile.h"
#include "UserError.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>

#include <exception>
#include <memory>

namespace {

struct Fetched
{
    bool ok = false;
    QByteArray body;
};

// Runs in its own thread: the caller's thread stays blocked, so neither input nor timers of
// the console run while the download is under way, and nothing re-enters the operator's
// handlers.
Fetched fetch(const QUrl& url, int idleTimeoutMs)
{
    Fetched out;
    QNetworkAccessManager nam;
    QNetworkRequest request(url);
    request.setTransferTimeout(idleTimeoutMs);
    std::unique_ptr<QNetworkReply> reply(nam.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    if (reply->error() != QNetworkReply::NoError)
        return out;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400)
        return out;
    out.body = reply->readAll();
    out.ok = true;
    return out;
}

bool writeWhole(const QString& file, const QByteArray& body)
{
    // The same replace as the match file: a failing sync or close keeps the previous licence
    // data instead of renaming a file that never reached the disk over it.
    try {
        DurableFile::replace(file, body);
        return true;
    } catch (const UserError&) {
        return false;
    }
}

} // namespace

bool downloadfile(const QUrl& url, const QString& file, const DownloadOptions& options)
{
    try {
        if (!url.isValid() || file.isEmpty())
            return false;
        Fetched fetched;
        std::unique_ptr<QThread> worker(QThread::create([&fetched, url, timeout = options.idleTimeoutMs] {
            // An exception leaving a thread would end the program.
            try {
                fetched = fetch(url, timeout);
            } catch (...) {
                fetched = {};
            }
        }));
        worker->start();
        worker->wait();
        if (!fetched.ok)
            return false;
        if (options.accept && !options.accept(fetched.body))
            return false;
        return writeWhole(file, fetched.body);
    } catch (const std::exception&) {
        return false;
    }
}
