#include "platform/FontInstaller.h"
#include "platform/PrintCanvas.h"
#include "platform/UserError.h"
#include "support/PdfText.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

class TestPrintCanvas : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void textLandsAtItsCellInMillimetres_data();
    void textLandsAtItsCellInMillimetres();
    void orientationTitleAndPages();
    void givenUpJobNeverReachesThePrinter();
    void originIsThePrintableCorner_data();
    void originIsThePrintableCorner();
    void textKeptWithinItsRoom_data();
    void textKeptWithinItsRoom();

private:
    QTemporaryDir m_dir;
    bool m_tahoma = false;
};

namespace {

void pdfPrinter(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    // Qt's default margins stay: the canvas itself places everything from the printable corner.
    printer.setPageSize(QPageSize(QPageSize::A4));
}

} // namespace

void TestPrintCanvas::initTestCase()
{
    // Wine's Tahoma as its file has it: a face that asks for its typographic metrics, where
    // Qt's measure and the Windows cell part.
    if (!FontInstaller::isInstalled(QStringLiteral("Tahoma")))
        m_tahoma =
            FontInstaller::add(QLatin1String(FontInstaller::wineFonts) + QStringLiteral("/tahoma.ttf")) >= 0;
}

void TestPrintCanvas::textLandsAtItsCellInMillimetres_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // Where pdftotext's box lies in the cell, as fractions of the cell's height: the box runs
    // from the face's ascent to its descent as the PDF gives them.
    QTest::addColumn<double>("boxTop");
    QTest::addColumn<double>("boxHeight");
    QTest::newRow("sheet field") << "DejaVu Sans" << 60 << int(PrintCanvas::Regular) << 180 << -400 << 0.0
                                 << 1.0;
    QTest::newRow("bold title") << "DejaVu Sans" << 80 << int(PrintCanvas::Bold | PrintCanvas::Underline)
                                << 120 << -100 << 0.0 << 1.0;
    QTest::newRow("typewriter") << "Courier Prime" << 30 << int(PrintCanvas::Regular) << 2700 << -1000 << 0.0
                                << 1.0;
    // Tahoma's cell as Windows sizes it is its Windows ascent and descent, 2049 + 423 of its 2048
    // units to the em. Wine's file asks for its typographic metrics instead (ascent 1566), which
    // is what Qt measures and what the PDF carries: its box starts 483 units below the cell's top.
    QTest::newRow("Tahoma") << "Tahoma" << 60 << int(PrintCanvas::Regular) << 180 << -400 << 483 / 2472.0
                            << 1989 / 2472.0;
    QTest::newRow("Tahoma bold") << "Tahoma" << 80 << int(PrintCanvas::Bold) << 120 << -100 << 483 / 2472.0
                                 << 1989 / 2472.0;
}

void TestPrintCanvas::textLandsAtItsCellInMillimetres()
{
    QFETCH(QString, face);
    QFETCH(int, height);
    QFETCH(int, style);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(double, boxTop);
    QFETCH(double, boxHeight);
    if (face == QLatin1String("Tahoma") && !m_tahoma)
        QSKIP("Wine's Tahoma is not installed (Debian fonts-wine, scripts/setup.sh)");
    const QString pdf = m_dir.filePath(QStringLiteral("cell.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, pdf);
    PrintCanvas canvas(printer);
    canvas.setLandscape(true);
    canvas.begin();
    canvas.setFontFamilies({face});
    canvas.setFontHeight(height);
    canvas.setFontStyle(style);
    canvas.textOut(x, y, QStringLiteral("Probe"));
    canvas.end();

    const auto words = pdfWords(pdf);
    QCOMPARE(words.size(), 1);
    QCOMPARE(words[0].text, QStringLiteral("Probe"));
    QVERIFY2(qAbs(words[0].box.left() - x / 10.0) < 0.3, qPrintable(QString::number(words[0].box.left())));
    QVERIFY2(qAbs(words[0].box.top() - (-y + boxTop * height) / 10.0) < 0.3,
             qPrintable(QString::number(words[0].box.top())));
    QVERIFY2(qAbs(words[0].box.height() - boxHeight * height / 10.0) < 0.3,
             qPrintable(QString::number(words[0].box.height())));
}

void TestPrintCanvas::orientationTitleAndPages()
{
    const QString pdf = m_dir.filePath(QStringLiteral("pages.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, pdf);
    PrintCanvas canvas(printer);
    canvas.setLandscape(false);
    canvas.setTitle(QStringLiteral("Punktzettel_"));
    canvas.begin();
    canvas.setFontHeight(60);
    canvas.textOut(100, -100, QStringLiteral("eins"));
    canvas.newPage();
    canvas.textOut(100, -100, QStringLiteral("zwei"));
    canvas.rectangle(0, 0, 500, -500);
    canvas.end();
    QCOMPARE(canvas.pageCount(), 2);
    QCOMPARE(pdfPageCount(pdf), 2);
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Title")), QStringLiteral("Punktzettel_"));
    QVERIFY(pdfInfoField(pdf, QStringLiteral("Page size")).contains(QLatin1String("595")));
    const auto words = pdfWords(pdf);
    QCOMPARE(words.size(), 2);
    QCOMPARE(words[1].page, 2);
}

void TestPrintCanvas::givenUpJobNeverReachesThePrinter()
{
    const QString pdf = m_dir.filePath(QStringLiteral("abort.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, pdf);
    {
        PrintCanvas canvas(printer);
        canvas.begin();
        canvas.textOut(100, -100, QStringLiteral("halb"));
        canvas.newPage();
        // A system printer sends whatever has been begun on it once the painter ends, so
        // nothing may be begun on it before the job is whole.
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!printer.paintingActive());
        canvas.abort();
        QVERIFY(!canvas.isActive());
        QVERIFY(!QFile::exists(pdf));
        // The next job on the same printer goes through.
        canvas.begin();
        canvas.textOut(100, -100, QStringLiteral("ganz"));
        canvas.end();
    }
    QCOMPARE(pdfWords(pdf).value(0).text, QStringLiteral("ganz"));
    {
        // A canvas that goes out of scope mid-job gives the job up, too, and leaves the last
        // finished one alone.
        PrintCanvas canvas(printer);
        canvas.begin();
        canvas.textOut(100, -100, QStringLiteral("weg"));
    }
    QCOMPARE(pdfPageCount(pdf), 1);
    QCOMPARE(pdfWords(pdf).value(0).text, QStringLiteral("ganz"));

    // A printer that cannot be opened is reported when the job is sent, and the job is over.
    QPrinter nowhere(QPrinter::HighResolution);
    pdfPrinter(nowhere, m_dir.filePath(QStringLiteral("fehlt/abort.pdf")));
    PrintCanvas canvas(nowhere);
    canvas.begin();
    canvas.textOut(100, -100, QStringLiteral("weg"));
    QVERIFY_THROWS_EXCEPTION(UserError, canvas.end());
    QVERIFY(!canvas.isActive());
}

void TestPrintCanvas::originIsThePrintableCorner_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QMarginsF>("margins");   // pt, as set on the printer
    QTest::addColumn<QMarginsF>("printable"); // the least margins the printer allows, pt
    QTest::newRow("PDF file, Qt's margins") << false << QMarginsF(10, 10, 10, 10) << QMarginsF();
    QTest::newRow("printer's margins") << false << QMarginsF(14, 23, 17, 26) << QMarginsF(14, 23, 17, 26);
    QTest::newRow("wider margins chosen") << false << QMarginsF(57, 71, 57, 71) << QMarginsF(14, 23, 17, 26);
    QTest::newRow("landscape") << true << QMarginsF(57, 71, 57, 71) << QMarginsF(14, 23, 17, 26);
}

void TestPrintCanvas::originIsThePrintableCorner()
{
    QFETCH(bool, landscape);
    QFETCH(QMarginsF, margins);
    QFETCH(QMarginsF, printable);
    const QString pdf = m_dir.filePath(QStringLiteral("corner.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, margins,
                                              QPageLayout::Point, printable)));
    PrintCanvas canvas(printer);
    canvas.setLandscape(landscape);
    canvas.begin();
    canvas.setFontFamilies({QStringLiteral("DejaVu Sans")});
    canvas.setFontHeight(60);
    canvas.textOut(180, -400, QStringLiteral("Datum"));
    canvas.rectangle(0, 0, 100, -100);
    canvas.end();

    QVERIFY(pdfInfoField(pdf, QStringLiteral("Page size")).startsWith(landscape ? "842" : "595"));
    const auto words = pdfWords(pdf);
    QCOMPARE(words.size(), 1);
    // Measured from the paper's corner: the printable area's corner plus the position.
    constexpr double mmPerPt = 25.4 / 72;
    QVERIFY2(qAbs(words[0].box.left() - (printable.left() * mmPerPt + 18)) < 0.1 &&
                 qAbs(words[0].box.top() - (printable.top() * mmPerPt + 40)) < 0.1,
             qPrintable(QStringLiteral("%1 / %2 mm").arg(words[0].box.left()).arg(words[0].box.top())));
}

void TestPrintCanvas::textKeptWithinItsRoom_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("room");  // as a share of the plain text's width
    QTest::addColumn<double>("least"); // the smallest and largest share of the plain text's height
    QTest::addColumn<double>("most");
    QTest::addColumn<bool>("whole");
    const QString name = QStringLiteral("Maximilian-Alexander von Hohenzollern-Sigmaringen-Württemberg");
    QTest::newRow("fits") << name << 40 << 1.01 << 1.0 << 1.0 << true;
    QTest::newRow("a little too long") << name << 40 << 0.8 << 0.78 << 0.8 << true;
    QTest::newRow("at the least size") << name << 40 << 0.61 << 0.6 << 0.61 << true;
    QTest::newRow("cut after a whole character") << name << 40 << 0.5 << 0.6 << 0.6 << false;
    // A large cell shrinks on down to the least cell of a small one.
    QTest::newRow("large cell") << name << 60 << 0.45 << 0.4 << 0.45 << true;
    QTest::newRow("large cell, cut") << name << 60 << 0.3 << 0.4 << 0.4 << false;
    QTest::newRow("no room") << name << 40 << 0.0 << 0.0 << 0.0 << false;
}

// A fitted text measured against the same text drawn plainly: it keeps its corner, shrinks no
// further than the least size and ends within its room.
void TestPrintCanvas::textKeptWithinItsRoom()
{
    QFETCH(QString, text);
    QFETCH(int, height);
    QFETCH(double, room);
    QFETCH(double, least);
    QFETCH(double, most);
    QFETCH(bool, whole);
    const QString pdf = m_dir.filePath(QStringLiteral("fit.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, pdf);
    PrintCanvas canvas(printer);
    canvas.setLandscape(true);
    QCOMPARE(canvas.printableWidth(), 2970);
    auto job = [&canvas, &text, height](int right) {
        canvas.begin();
        canvas.setFontFamilies({QStringLiteral("DejaVu Sans")});
        canvas.setFontHeight(height);
        canvas.textOut(300, -200, text);
        if (right > 0)
            canvas.textOut(300, -600, text, right);
        canvas.end();
    };
    job(0);
    const QList<PdfWord> plain = wordsBetween(pdfWords(pdf), 0, 297, 20, 0.3);
    QVERIFY(!plain.isEmpty());
    const double width = plain.last().box.right() - plain.first().box.left();
    const int right = 300 + int(std::floor(width * room * 10));
    job(right);
    const QList<PdfWord> fitted = wordsBetween(pdfWords(pdf), 0, 297, 60, 0.3);
    QStringList texts;
    for (const PdfWord& w : fitted)
        texts << w.text;
    const QString shown = texts.join(QLatin1Char(' '));
    if (whole)
        QCOMPARE(shown, text);
    else
        QVERIFY2(shown.size() < text.size() && text.startsWith(shown), qPrintable(shown));
    if (shown.isEmpty())
        return;
    const double share = fitted.first().box.height() / plain.first().box.height();
    QVERIFY2(share >= least - 0.005 && share <= most + 0.005, qPrintable(QString::number(share)));
    QVERIFY(qAbs(fitted.first().box.left() - 30) < 0.05);
    QVERIFY(qAbs(fitted.first().box.top() - 60) < 0.05);
    QVERIFY2(fitted.last().box.right() <= right / 10.0,
             qPrintable(QString::number(fitted.last().box.right())));
    if (room >= 1)
        QVERIFY(qAbs(fitted.last().box.right() - plain.last().box.right()) < 0.005);
}

QTEST_MAIN(TestPrintCanvas)
#include "tst_printcanvas.moc"
