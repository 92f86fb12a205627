#pragma once

#include <QString>

class QPrinter;
class QWidget;

// The print dialog behind a seam tests can answer, so no test waits on a modal loop and a
// test's "printer" is a PDF file.
class PrintDialogs
{
public:
    // Lets the operator choose a printer (the system's printers or a PDF file) for `printer`.
    // True when confirmed.
    static bool run(QWidget* parent, QPrinter& printer);

    // Test hooks: the next dialog answers at once and shows nothing: confirmed with a PDF file
    // of A4 pages at `path` as the printer, or cancelled.
    // In the message boxes' test mode a dialog without a prepared answer is a cancel.
    static void setNextPdfFile(const QString& path);
    static void setNextCancel();
    // Dialogs asked for since the last call, answered or not.
    static int takeShownCount();
};
