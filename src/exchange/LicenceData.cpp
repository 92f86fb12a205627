#include "LicenceData.h"

#include "platform/Downloader.h"
#include "platform/UserError.h"

#include <QDir>
#include <QUrl>

namespace LicenceData {

bool isUnusableBody(const QByteArray& body)
{
    QByteArray head = body.left(512);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed().toLower();
    if (head.isEmpty())
        return true;
    return head.startsWith("<!doctype") || head.startsWith("<html");
}

void neusteLizenzenLaden(const QString& programFolder, const QString& server)
{
    QString base = server;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QUrl url(base + QString::fromLatin1(kDownloadPath));
    DownloadOptions options;
    options.accept = [](const QByteArray& body) { return !isUnusableBody(body); };
    if (!downloadfile(url, QDir(programFolder).filePath(QString::fromLatin1(kFileName)), options))
        throw UserError(kFailedText);
}

} // namespace LicenceData
