#include "DocumentOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// On Linux the desktop's opener starts even when no program is registered for the file's type,
// so the registration is asked for first; where xdg-mime is missing the opener's answer stands.
bool viewerRegistered(const QString& path)
{
#ifdef Q_OS_LINUX
    const QString mimeTool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mimeTool.isEmpty())
        return true;
    auto query = [&](const QStringList& args) {
        QProcess p;
        p.start(mimeTool, args);
        if (!p.waitForFinished(5000) || p.exitCode() != 0)
            return QString();
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    };
    const QString type = query({QStringLiteral("query"), QStringLiteral("filetype"), path});
    return !type.isEmpty() && !query({QStringLiteral("query"), QStringLiteral("default"), type}).isEmpty();
#else
    Q_UNUSED(path);
    return true;
#endif
}

std::function<bool(const QUrl&)>& replacement()
{
    static std::function<bool(const QUrl&)> opener;
    return opener;
}

} // namespace

bool openDocument(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    // The desktop resolves nothing against the program's working folder, so the URL is absolute.
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (const auto& opener = replacement())
        return opener(url);
    if (!viewerRegistered(info.absoluteFilePath()))
        return false;
    // Starts the viewer as a detached process (xdg-open on Linux) and does not wait for it.
    return QDesktopServices::openUrl(url);
}

void setDocumentOpenerForTests(std::function<bool(const QUrl&)> opener)
{
    replacement() = std::move(opener);
}
