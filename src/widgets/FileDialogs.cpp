#include "FileDialogs.h"

#include "Dialogs.h"

#include <QFileDialog>

#include <optional>
#include <utility>

namespace {

struct TestHooks
{
    std::optional<QString> next;
    int shown = 0;
};

TestHooks& hooks()
{
    static TestHooks h;
    return h;
}

} // namespace

void FileDialogs::setNextFileName(const QString& path)
{
    hooks().next = path;
}

void FileDialogs::setNextCancel()
{
    hooks().next = QString();
}

int FileDialogs::takeShownCount()
{
    return std::exchange(hooks().shown, 0);
}

QString FileDialogs::openPicture(QWidget* parent)
{
    ++hooks().shown;
    if (hooks().next)
        return *std::exchange(hooks().next, std::nullopt);
    if (MessageBox::testMode())
        return {};
    return QFileDialog::getOpenFileName(parent);
}

QString FileDialogs::saveFile(QWidget* parent, const QString& defaultName, const QString& defaultSuffix)
{
    ++hooks().shown;
    if (hooks().next)
        return *std::exchange(hooks().next, std::nullopt);
    if (MessageBox::testMode())
        return {};
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
