#include "DocumentOpener.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace {

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
    // Starts the viewer as a detached process (xdg-open on Linux) and does not wait for it.
    return QDesktopServices::openUrl(url);
}

void setDocumentOpenerForTests(std::function<bool(const QUrl&)> opener)
{
    replacement() = std::move(opener);
}
