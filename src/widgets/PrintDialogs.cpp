#include "PrintDialogs.h"

#include "Dialogs.h"

#include <QPrintDialog>
#include <QPrinter>

#include <optional>
#include <utility>

namespace {

struct TestHooks
{
    std::optional<QString> next; // empty text: cancel
    int shown = 0;
};

TestHooks& hooks()
{
    static TestHooks h;
    return h;
}

} // namespace

void PrintDialogs::setNextPdfFile(const QString& path)
{
    hooks().next = path;
}

void PrintDialogs::setNextCancel()
{
    hooks().next = QString();
}

int PrintDialogs::takeShownCount()
{
    return std::exchange(hooks().shown, 0);
}

bool PrintDialogs::run(QWidget* parent, QPrinter& printer)
{
    ++hooks().shown;
    if (hooks().next) {
        const QString path = *std::exchange(hooks().next, std::nullopt);
        if (path.isEmpty())
            return false;
        // What the dialog's "print to file" with A4 paper does; the printouts place themselves.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    }
    if (MessageBox::testMode())
        return false;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
