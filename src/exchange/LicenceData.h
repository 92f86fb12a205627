#pragma once

#include <QByteArray>
#include <QString>

// The licence-data file `lizenzdaten.ini` beside the program and its replacement by the newest
// copy from the maker's download server ("Neuste Lizenzen laden").
namespace LicenceData {

// The one place that names the download server. The maker's host is not known; this address
// can never resolve, so the button reports the connection error until it is filled in.
inline constexpr char kDownloadServer[] = "http://download.vantor2.invalid";
inline constexpr char kDownloadPath[] = "/vantor/login/download/lizenzdaten.ini";
inline constexpr char kFileName[] = "lizenzdaten.ini";

inline const QString kFailedText =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte prüfen Sie Ihre Internetverbindung.");
inline const QString kLoadedText = QStringLiteral("Die aktuelle Lizenzdatenbank wurde heruntergeladen.");

// Downloads the licence data from `server` (scheme and host, no trailing path) into
// lizenzdaten.ini in `programFolder`, blocking until done. A failure of any kind, including an
// empty body or an HTML error page, throws UserError(kFailedText) and leaves the previous file
// as it was.
void neusteLizenzenLaden(const QString& programFolder,
                         const QString& server = QString::fromLatin1(kDownloadServer));

// True for a body that cannot be licence data: nothing at all, or an HTML page (a server's
// error or login page delivered with status 200).
bool isUnusableBody(const QByteArray& body);

} // namespace LicenceData
