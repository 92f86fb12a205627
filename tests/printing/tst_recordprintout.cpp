#include "support/SampleMatch.h"
#include "platform/FontInstaller.h"
#include "platform/PrintCanvas.h"
#include "platform/UserError.h"
#include "printing/RecordPrintout.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// Positions are those of the page a printer gets: every check reads the PDF back.
class TestRecordPrintout : public QObject
{
    Q_OBJECT
private slots:
    void layoutFollowsTheBoutCount_data();
    void layoutFollowsTheBoutCount();
    void totalsAndWinner_data();
    void totalsAndWinner();
    void lineUpOptionSendsNoJob();
    void badTeamPointsSendNoJob();
    void scoringStringsInTypewriterRedAndBlue();
    void boutRowsCellByCell_data();
    void boutRowsCellByCell();
    void totalsBandUnderTheTeamPoints();
    void captionsStandApartInTahoma();
    void everyTextAtItsPlaceWithinItsRoom_data();
    void everyTextAtItsPlaceWithinItsRoom();
    void longTextsLeaveTheBoxLinesWhole();

private:
    // The words of the record of distinctBoutRows(), printed once.
    const QList<PdfWord>& distinctRecord();
    QList<PdfWord> m_distinctWords;
    // The sample match of two bouts, and the same with the longest texts a club may have.
    const QList<PdfWord>& shortRecord();
    const QList<PdfWord>& longRecord();
    QList<PdfWord> m_shortWords, m_longWords;
    QString print(const MatchRecord& record, const QString& name, bool official = true,
                  RecordPrintout::Captions captions = {});
    QTemporaryDir m_dir;
};

namespace {

constexpr int X0 = 120, YT = -350, W = 90;

// Faces the set-up script installs, as the operator window asks for them.
RecordPrintout::Faces faces()
{
    return {{QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")},
            {QStringLiteral("Courier New"), QStringLiteral("MonospaceTypewriter"),
             QStringLiteral("Courier Prime")}};
}

QImage render(const QString& pdf, int dpi)
{
    const QString png = pdf.chopped(4) + QStringLiteral("-page");
    if (QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                           QStringLiteral("-singlefile"), pdf, png}) != 0)
        return {};
    return QImage(png + QStringLiteral(".png"));
}

// How far (in pixels of 0.1 mm) the nearest horizontal line in column x lies from y, looking
// 1.5 mm either way; 99 when there is none. A page rendered at 254 dpi.
int lineRows(const QImage& page, int x, int y)
{
    int best = 99;
    for (int d = -15; d <= 15; ++d)
        if (qGray(page.pixel(x, -y + d)) < 128 && qAbs(d) < qAbs(best))
            best = d;
    // The pen is one unit wide, centred on the edge: a row either side of it is still the line.
    return qAbs(best) <= 1 ? 0 : best;
}

} // namespace

QString TestRecordPrintout::print(const MatchRecord& record, const QString& name, bool official,
                                  RecordPrintout::Captions captions)
{
    const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    usePdf(printer, pdf);
    PrintCanvas canvas(printer);
    RecordPrintout(record, std::move(captions), faces()).print(canvas, official);
    // Set VANTOR_PRINT_SAMPLES to a folder to look at the pages.
    if (const QString samples = qEnvironmentVariable("VANTOR_PRINT_SAMPLES"); !samples.isEmpty()) {
        QDir().mkpath(samples);
        QFile::remove(samples + QLatin1Char('/') + name + QStringLiteral(".pdf"));
        QFile::copy(pdf, samples + QLatin1Char('/') + name + QStringLiteral(".pdf"));
    }
    return pdf;
}

void TestRecordPrintout::layoutFollowsTheBoutCount_data()
{
    QTest::addColumn<int>("bouts");
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("totalsY");
    QTest::addColumn<int>("lowerHeadY");
    QTest::addColumn<int>("signatureY");
    QTest::addColumn<int>("captionY");
    QTest::addColumn<int>("lowerBottom");
    QTest::addColumn<int>("remarksBottom");
    // Lower heads stand 2 below the top of the lower boxes; captions one line pitch below the
    // signature lines.
    QTest::newRow("10 bouts") << 10 << 90 << -1455 << -1565 << -1925 << -1970 << -1800 << -2015;
    QTest::newRow("11 bouts") << 11 << 70 << -1285 << -1365 << -1645 << -1680 << -1550 << -1715;
    QTest::newRow("14 bouts") << 14 << 70 << -1495 << -1575 << -1855 << -1890 << -1760 << -1925;
    QTest::newRow("no bouts") << 0 << 90 << -555 << -665 << -1025 << -1070 << -900 << -1115;
}

void TestRecordPrintout::layoutFollowsTheBoutCount()
{
    QFETCH(int, bouts);
    QFETCH(int, band);
    QFETCH(int, totalsY);
    QFETCH(int, lowerHeadY);
    QFETCH(int, signatureY);
    QFETCH(int, captionY);
    QFETCH(int, lowerBottom);
    QFETCH(int, remarksBottom);
    MatchRecord record;
    fillSampleMatch(record, bouts);
    const QString lines = QStringLiteral("eins\r\nzwei\r\ndrei\r\nvier\r\nfünf\r\nsechs\r\n");
    record.setHeader(QStringLiteral("bemerkungen"), lines);
    const QString pdf = print(record, QStringLiteral("protokoll_%1").arg(bouts));

    QCOMPARE(pdfPageCount(pdf), 1);
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Title")),
             QStringLiteral("Protokoll_KSV Rotenfels-TSV Weilimdorf"));
    QVERIFY(pdfInfoField(pdf, QStringLiteral("Page size")).startsWith(QLatin1String("842 x 595")));
    const auto words = pdfWords(pdf);
    for (const PdfWord& w : words)
        QVERIFY2(w.box.right() < 297 && w.box.bottom() < 210, qPrintable(w.text));

    QCOMPARE(wordAt(words, X0, -100).text, QStringLiteral("Protokoll"));
    QCOMPARE(wordAt(words, X0 + 3 * W + 8, YT - 20).text, QStringLiteral("KSV"));
    QCOMPARE(wordAt(words, X0 + 20, YT - band - 25).text, QStringLiteral("Stil"));
    for (int r = 1; r <= bouts; ++r) {
        const int y = YT - (r + 1) * band - 25;
        QCOMPARE(wordAt(words, X0 + 3 * W + 5, y).text, QStringLiteral("Rvor%1").arg(r));
        QCOMPARE(wordAt(words, X0 + 26 * W + 25, y).text, QStringLiteral("6:00"));
        QCOMPARE(wordAt(words, X0 + 27 * W + 25, y + 20).text, record.cell(MatchFields::ColWertungenRot, r));
    }
    QCOMPARE(wordAt(words, X0 + 20, totalsY).text, QStringLiteral("Sieger:"));
    QCOMPARE(wordAt(words, X0 + 10, lowerHeadY).text, QStringLiteral("Kampfgericht:"));
    QCOMPARE(wordAt(words, X0 + 10 * W, lowerHeadY - 4 * band / 2).text, QStringLiteral("Anzahl"));
    // Every remarks line, past the box too, at the same pitch.
    const QStringList remarks = {"eins", "zwei", "drei", "vier", "fünf", "sechs"};
    for (int k = 0; k < remarks.size(); ++k)
        QCOMPARE(wordAt(words, X0 + 20 * W, lowerHeadY - (k + 1) * (band / 2)).text, remarks[k]);
    QCOMPARE(wordAt(words, X0 + 20 * W, lowerHeadY - 7 * (band / 2)).text, QString());
    QCOMPARE(wordAt(words, X0, signatureY).text, QStringLiteral("Peter"));
    QCOMPARE(wordAt(words, X0 + 12 * W, signatureY).text, QStringLiteral("Nils"));
    QCOMPARE(wordAt(words, X0, captionY).text, QStringLiteral("Kampfrichter"));
    QCOMPARE(wordAt(words, X0 + 6 * W, captionY).text, QStringLiteral("Mannschaftsführer"));

    // The box edges, on the page rendered at 0.1 mm a pixel, at columns where no text is near.
    const QImage page = render(pdf, 254);
    QVERIFY(!page.isNull());
    QCOMPARE(lineRows(page, X0 + 26 * W, lowerHeadY + 2), 0);
    QCOMPARE(lineRows(page, X0 + 8 * W, lowerBottom), 0);
    QCOMPARE(lineRows(page, X0 + 26 * W, remarksBottom), 0);
    QCOMPARE(lineRows(page, X0 + 5 * W - 50, signatureY), 0);
    QCOMPARE(lineRows(page, X0 + 17 * W - 50, signatureY), 0);
    // Boxes are filled: band 0's last box hides the right end of the guest's name box, whose
    // visible edge is the last box's left one.
    auto darkAcross = [&page](int x, int y) {
        return qMin(qGray(page.pixel(x - 1, -y)),
                    qMin(qGray(page.pixel(x, -y)), qGray(page.pixel(x + 1, -y)))) < 128;
    };
    QVERIFY(darkAcross(X0 + 24 * W, YT - band / 2));
    QVERIFY(!darkAcross(X0 + 26 * W, YT - band / 2));
    QVERIFY(darkAcross(X0 + 26 * W + 20, YT - band - band / 2));
}

void TestRecordPrintout::totalsAndWinner_data()
{
    QTest::addColumn<QStringList>("heim");
    QTest::addColumn<QStringList>("gast");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<QString>("heimTotal");
    QTest::addColumn<QString>("gastTotal");
    QTest::newRow("all empty") << QStringList{"", "", ""} << QStringList{"", "", ""} << "unentschieden"
                               << "0"
                               << "0";
    QTest::newRow("home ahead") << QStringList{"4", "", "3"} << QStringList{"", "2", "0"} << "Gastgeber"
                                << "7"
                                << "2";
    QTest::newRow("guest ahead") << QStringList{"0", "1", ""} << QStringList{"4", "", " 2"} << "Besucher"
                                 << "1"
                                 << "6";
    QTest::newRow("level with signs")
        << QStringList{"-1", "+3", ""} << QStringList{"2", "", "0"} << "unentschieden"
        << "2"
        << "2";
}

void TestRecordPrintout::totalsAndWinner()
{
    QFETCH(QStringList, heim);
    QFETCH(QStringList, gast);
    QFETCH(QString, winner);
    QFETCH(QString, heimTotal);
    QFETCH(QString, gastTotal);
    MatchRecord record;
    fillSampleMatch(record, 3);
    for (int r = 1; r <= 3; ++r) {
        record.setCell(MatchFields::ColPunkteRot, r, heim[r - 1]);
        record.setCell(MatchFields::ColPunkteBlau, r, gast[r - 1]);
    }
    // The team names are those of the header when the record is printed.
    record.setHeader(QStringLiteral("heim"), QStringLiteral("Gastgeber"));
    record.setHeader(QStringLiteral("gast"), QStringLiteral("Besucher"));
    const auto words = pdfWords(print(record, QStringLiteral("totals")));
    const int y = YT - 5 * 90 - 25;
    QCOMPARE(wordAt(words, X0 + 20, y).text, QStringLiteral("Sieger:"));
    const auto onLine = std::find_if(words.begin(), words.end(), [&](const PdfWord& w) {
        return w.text == winner && qAbs(w.box.top() + y / 10.0) < 0.3 && w.box.left() < (X0 + 3 * W) / 10.0;
    });
    QVERIFY(onLine != words.end());
    QCOMPARE(wordAt(words, X0 + 12 * W + 25, y).text, heimTotal);
    QCOMPARE(wordAt(words, X0 + 23 * W + 25, y).text, gastTotal);
}

void TestRecordPrintout::lineUpOptionSendsNoJob()
{
    MatchRecord record;
    fillSampleMatch(record, 10);
    record.setCell(MatchFields::ColPunkteRot, 2, QStringLiteral("x")); // never read: nothing is drawn
    // A job of no page would still feed a sheet.
    QVERIFY(!QFile::exists(print(record, QStringLiteral("aufstellung"), false)));
}

void TestRecordPrintout::badTeamPointsSendNoJob()
{
    MatchRecord record;
    fillSampleMatch(record, 10);
    record.setCell(MatchFields::ColPunkteBlau, 7, QStringLiteral("2,5"));
    const QString pdf = m_dir.filePath(QStringLiteral("bad.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    usePdf(printer, pdf);
    PrintCanvas canvas(printer);
    try {
        RecordPrintout(record, {}, faces()).print(canvas, true);
        QFAIL("printed a record with a bad team-point cell");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), QStringLiteral("'2,5' ist kein gültiger Integerwert"));
    }
    QVERIFY(!canvas.isActive());
    QVERIFY(!QFile::exists(pdf));
    // Corrected, the record goes to the same printer.
    record.setCell(MatchFields::ColPunkteBlau, 7, QStringLiteral("2"));
    RecordPrintout(record, {}, faces()).print(canvas, true);
    QCOMPARE(pdfPageCount(pdf), 1);
}

void TestRecordPrintout::scoringStringsInTypewriterRedAndBlue()
{
    MatchRecord record;
    fillSampleMatch(record, 2);
    record.setCell(MatchFields::ColWertungenRot, 1, QStringLiteral("1111"));
    record.setCell(MatchFields::ColWertungenBlau, 1, QStringLiteral("PPPP"));
    const QString pdf = print(record, QStringLiteral("farben"));
    const auto words = pdfWords(pdf);
    const int y = YT - 2 * 90 - 25;
    const PdfWord red = wordAt(words, X0 + 27 * W + 25, y + 20);
    const PdfWord blue = wordAt(words, X0 + 27 * W + 25, y - 5);
    QCOMPARE(red.text, QStringLiteral("1111"));
    QCOMPARE(blue.text, QStringLiteral("PPPP"));
    QVERIFY2(red.box.height() < 3.3 && red.box.height() > 2.7, qPrintable(QString::number(red.box.height())));
    // A typewriter face: "1111" is as wide as "PPPP", which no proportional face manages.
    QVERIFY2(qAbs(red.box.width() - blue.box.width()) < 0.02 * blue.box.width(),
             qPrintable(QStringLiteral("%1 %2").arg(red.box.width()).arg(blue.box.width())));

    // Count the pixels of each colour inside each word's box on the rendered page.
    const QString png = m_dir.filePath(QStringLiteral("farben"));
    QCOMPARE(QProcess::execute(QStringLiteral("pdftoppm"),
                               {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), pdf, png}),
             0);
    const QImage page(png + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    auto count = [&page](const QRectF& mm, QRgb want) {
        const double s = 150 / 25.4;
        int n = 0;
        for (int y = int(mm.top() * s); y <= int(mm.bottom() * s); ++y)
            for (int x = int(mm.left() * s); x <= int(mm.right() * s); ++x) {
                const QColor c = page.pixelColor(x, y);
                const QColor w(want);
                if (qAbs(c.red() - w.red()) < 40 && qAbs(c.green() - w.green()) < 40 &&
                    qAbs(c.blue() - w.blue()) < 40)
                    ++n;
            }
        return n;
    };
    QVERIFY(count(red.box, qRgb(255, 0, 0)) > 20);
    QCOMPARE(count(red.box, qRgb(0, 0, 255)), 0);
    QVERIFY(count(blue.box, qRgb(0, 0, 255)) > 20);
    QCOMPARE(count(blue.box, qRgb(255, 0, 0)), 0);
    // The names stay black.
    const PdfWord name = wordAt(words, X0 + 3 * W + 5, y);
    QCOMPARE(count(name.box, qRgb(255, 0, 0)) + count(name.box, qRgb(0, 0, 255)), 0);
}

namespace {

// Where a word stands, left edge and top, in mm from the page's corner.
constexpr double kTolerance = 0.3;

// Reads the record as the printout lays it out: from the left edge of X0 and the band of the
// column captions, found by the first of them, "Stil" at X0 + 20. Neighbouring captions such as
// "Klasse" and "Gew." run into each other in some faces and come back as one word, so the
// captions cannot each be found on their own.
struct RecordGrid
{
    explicit RecordGrid(const QList<PdfWord>& words) : words(words)
    {
        const PdfWord stil = findWord(words, QStringLiteral("Stil"));
        x0 = stil.box.left() - 2.0;
        captionTop = stil.box.top();
    }

    // The text of a cell that starts at X0 + x on the line `dy` above the text line of band
    // `band` (in bands below the caption band), read up to X0 + right (all in 0.1 mm); empty
    // when no word starts there.
    QString cell(int band, int x, int dy, int right, bool monospaced = false) const
    {
        const double left = x0 + x / 10.0;
        const double top = captionTop + (band * 90 - dy) / 10.0;
        const QList<PdfWord> line =
            wordsBetween(words, left - kTolerance, x0 + right / 10.0, top, kTolerance);
        if (monospaced)
            return monospacedText(line, left);
        if (line.isEmpty() || qAbs(line.first().box.left() - left) >= kTolerance)
            return {};
        QStringList texts;
        for (const PdfWord& w : line)
            texts << w.text;
        return texts.join(QLatin1Char(' '));
    }

    const QList<PdfWord>& words;
    double x0 = 0;
    double captionTop = 0;
};

} // namespace

const QList<PdfWord>& TestRecordPrintout::distinctRecord()
{
    if (m_distinctWords.isEmpty()) {
        MatchRecord record;
        fillSampleMatch(record, 0);
        record.setBoutRows(distinctBoutRows());
        m_distinctWords = pdfWords(print(record, QStringLiteral("zellen")));
    }
    return m_distinctWords;
}

void TestRecordPrintout::boutRowsCellByCell_data()
{
    QTest::addColumn<int>("x");     // 0.1 mm right of X0
    QTest::addColumn<int>("dy");    // 0.1 mm above the row's text line
    QTest::addColumn<int>("right"); // the right edge of the cell's box, 0.1 mm right of X0
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<bool>("monospaced");

    const QString blank = QStringLiteral(" ");
    using C = QList<int>;
    // clang-format off
    QTest::newRow("style")             << 35          <<   0 << W           << C{1}      << "" << false;
    QTest::newRow("weight class")      << W + 6       <<   0 << 2 * W - 3   << C{0}      << "" << false;
    QTest::newRow("red weight")        << 2 * W + 4   <<   0 << 3 * W       << C{2}      << "" << false;
    QTest::newRow("red name")          << 3 * W + 5   <<   0 << 9 * W       << C{3, 4}   << blank << false;
    QTest::newRow("red licence")       << 9 * W + 3   <<   0 << 10 * W      << C{5}      << "" << false;
    QTest::newRow("red status")        << 10 * W + 10 <<   0 << 11 * W      << C{6}      << "" << false;
    QTest::newRow("red year")          << 11 * W + 5  <<   0 << 12 * W      << C{7}      << "" << false;
    QTest::newRow("home team points")  << 12 * W + 35 <<   0 << 13 * W - 3  << C{8}      << "" << false;
    QTest::newRow("blue weight")       << 13 * W + 4  <<   0 << 14 * W      << C{9}      << "" << false;
    QTest::newRow("blue name")         << 14 * W + 10 <<   0 << 20 * W      << C{10, 11} << blank << false;
    QTest::newRow("blue licence")      << 20 * W + 3  <<   0 << 21 * W      << C{12}     << "" << false;
    QTest::newRow("blue status")       << 21 * W + 10 <<   0 << 22 * W      << C{13}     << "" << false;
    QTest::newRow("blue year")         << 22 * W + 5  <<   0 << 23 * W      << C{14}     << "" << false;
    QTest::newRow("guest team points") << 23 * W + 35 <<   0 << 24 * W      << C{15}     << "" << false;
    QTest::newRow("technical points")  << 24 * W + 15 <<   0 << 25 * W + 20 << C{17, 18} << ":" << false;
    QTest::newRow("win type")          << 25 * W + 45 <<   0 << 26 * W + 20 << C{16}     << "" << false;
    QTest::newRow("time")              << 26 * W + 25 <<   0 << 27 * W + 20 << C{19}     << "" << false;
    QTest::newRow("red scoring")       << 27 * W + 25 <<  20 << 30 * W + 20 << C{20}     << "" << true;
    QTest::newRow("blue scoring")      << 27 * W + 25 <<  -5 << 30 * W + 20 << C{21}     << "" << true;
    // clang-format on
}

// Every cell of every bout row read back at its place, from a match in which a value printed
// for the wrong side, in the wrong column or row or in the wrong order shows.
void TestRecordPrintout::boutRowsCellByCell()
{
    QFETCH(int, x);
    QFETCH(int, dy);
    QFETCH(int, right);
    QFETCH(QList<int>, columns);
    QFETCH(QString, separator);
    QFETCH(bool, monospaced);
    const RecordGrid grid(distinctRecord());
    QVERIFY(grid.captionTop > 0);

    const std::vector<BoutRow> rows = distinctBoutRows();
    for (int r = 1; r <= int(rows.size()); ++r) {
        QStringList cells;
        for (int c : columns)
            cells << rows[std::size_t(r - 1)][std::size_t(c)];
        QString expected = cells.join(separator);
        // A printed line ends with its last mark.
        while (expected.endsWith(QLatin1Char(' ')))
            expected.chop(1);
        QCOMPARE(grid.cell(r, x, dy, right, monospaced), expected);
    }
}

// Both team-point totals under their columns and the winner, in the band below the last bout.
void TestRecordPrintout::totalsBandUnderTheTeamPoints()
{
    const RecordGrid grid(distinctRecord());
    QVERIFY(grid.captionTop > 0);
    const int band = int(distinctBoutRows().size()) + 1;
    QCOMPARE(grid.cell(band, 20, 0, 12 * W), QStringLiteral("Sieger: KSV Rotenfels"));
    QCOMPARE(grid.cell(band, 12 * W + 25, 0, 13 * W - 3), QStringLiteral("6"));
    QCOMPARE(grid.cell(band, 23 * W + 25, 0, 24 * W), QStringLiteral("4"));
    // Nothing else stands on that line.
    QCOMPARE(wordsBetween(grid.words, 0, 1000, grid.captionTop + band * 9.0, kTolerance).size(), 5);
}

void TestRecordPrintout::captionsStandApartInTahoma()
{
    // As the program starts: Wine's Tahoma stands for "Tahoma" (only here, so the other checks
    // keep the stand-in the machines without it print in).
    const QList<int> added = FontInstaller::addTahoma();
    const auto removeAgain = qScopeGuard([&added] {
        for (int id : added)
            FontInstaller::remove(id);
    });
    if (added.isEmpty())
        QSKIP("Wine's Tahoma is not installed (Debian fonts-wine, scripts/setup.sh)");
    MatchRecord record;
    fillSampleMatch(record, 10);
    record.setHeader(QStringLiteral("halle"), QStringLiteral("Sporthalle am Schulzentrum Rotenfels"));
    const QString pdf = print(record, QStringLiteral("tahoma"));
    const auto words = pdfWords(pdf);
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Page size")).left(9), QStringLiteral("842 x 595"));

    auto at = [&words](int x, int y) { return wordAt(words, x, y).text; };
    // Positions stay where the layout puts them, from the page's corner.
    QCOMPARE(at(X0, -100), QStringLiteral("Protokoll"));
    QCOMPARE(at(X0 + 3 * W + 5, YT - 2 * 90 - 25), QStringLiteral("Rvor1"));
    QCOMPARE(at(X0 + 20, YT - 12 * 90 - 25), QStringLiteral("Sieger:"));

    // The narrow caption cells: each caption a word of its own, at its place.
    constexpr int R = 90, yc = YT - R - 25;
    const std::pair<int, QString> captions[] = {
        {W + 3, QStringLiteral("Klasse")},      {2 * W + 10, QStringLiteral("Gew.")},
        {9 * W + 3, QStringLiteral("Lizenz")},  {10 * W + 3, QStringLiteral("Status")},
        {11 * W + 3, QStringLiteral("Jahrg.")}, {13 * W + 10, QStringLiteral("Gew.")},
        {20 * W + 3, QStringLiteral("Lizenz")}, {21 * W + 3, QStringLiteral("Status")},
        {22 * W + 3, QStringLiteral("Jahrg.")},
    };
    for (const auto& [dx, caption] : captions)
        QCOMPARE(at(X0 + dx, yc), caption);
    // Their white grounds leave the box edges between them whole: the column 1 mm down into
    // the caption band is dark on every edge between two captions.
    const QImage page = render(pdf, 254);
    QVERIFY(!page.isNull());
    for (int edge : {2 * W - 3, 2 * W, 10 * W, 11 * W, 12 * W, 21 * W, 22 * W, 23 * W}) {
        const int x = X0 + edge, y = -(YT - R - 10);
        const int darkest =
            qMin(qGray(page.pixel(x - 1, y)), qMin(qGray(page.pixel(x, y)), qGray(page.pixel(x + 1, y))));
        QVERIFY2(darkest < 128, qPrintable(QString::number(edge)));
    }

    // The header's label ends before the hall's name begins.
    const PdfWord label = findWord(words, QStringLiteral("Veranstaltungsstätte:"));
    const PdfWord hall = findWord(words, QStringLiteral("Sporthalle"));
    QCOMPARE(label.text, QStringLiteral("Veranstaltungsstätte:"));
    QCOMPARE(at(X0 + 1420, -100 - 180), QStringLiteral("Sporthalle"));
    QVERIFY2(label.box.right() < hall.box.left(),
             qPrintable(QStringLiteral("%1 %2").arg(label.box.right()).arg(hall.box.left())));
}

namespace {

// The match of every header check: two bouts (N = 3, R = 90, H = 45), every field a value of its
// own, and the three radio captions.
constexpr int YB = YT - 4 * 90, YS = YT - 5 * 90 - 9 * 45, H = 45, kRight = X0 + 30 * W + 20;
const QString kLongName = QStringLiteral("Maximilian-Alexander von Hohenzollern-Sigmaringen-Württemberg");

RecordPrintout::Captions recordCaptions()
{
    return {QStringLiteral("Männer"), QStringLiteral("Verbandskampf"), QStringLiteral("Rückrunde")};
}

// The longest texts a club's evening may bring, each field its own.
void makeLong(MatchRecord& record)
{
    const std::pair<const char*, const char*> header[] = {
        {"heim", "Athletik-Sportverein Germania 1897 Hohenzollern-Sigmaringen e.V."},
        {"gast", "Kraftsportvereinigung Eintracht 1908 Schwäbisch Gmünd-Hussenhofen"},
        {"liga", "Regionalliga Baden-Württemberg/Hessen Gruppe Süd"},
        {"halle", "Mehrzweckhalle im Schul- und Sportzentrum Hohenzollern-Sigmaringen"},
        {"ort", "Leinfelden-Echterdingen-Stetten"},
        {"ml", "Maximilian-Alexander von Hohenzollern-Sigmaringen-Württemberg"},
        {"mp", "Hans-Joachim Schulze-Berndorf"},
        {"pr", "Karl-Friedrich Müller-Lüdenscheidt"},
        {"zeitnehmer", "Anna-Katharina Weißenberger"},
        {"protokollfuehrer", "Marie-Theres Oberndorfer"},
        {"punktzettel", "Wolfgang-Dietrich Hagenbeck"},
        {"zuschauer", "12345"},
        {"verhalten_ringer", "durchweg sportlich und fair"},
        {"verhalten_zuschauer", "laut, aber ohne Zwischenfälle"},
        {"ordner1", "Friedrich-Wilhelm Brückner"},
        {"ordner2", "Johann-Sebastian Leutenegger"},
        {"mannschaftsfuehrer_heim", "Christoph-Maria Zimmermann-Schulze"},
        {"mannschaftsfuehrer_gast", "Bernd-Ulrich Hohenadl-Kessler"},
    };
    for (const auto& [field, value] : header)
        record.setHeader(QLatin1String(field), QString::fromUtf8(value));
    record.setHeader(QStringLiteral("bemerkungen"),
                     QStringLiteral("Kampf 2 wegen Verletzung des Ringers aus Hohenzollern-Sigmaringen "
                                    "für sechs Minuten unterbrochen\r\nMatte neu geklebt"));
    record.setCell(MatchFields::ColVornRot, 1, QStringLiteral("Maximilian-Alexander"));
    record.setCell(MatchFields::ColNachnRot, 1, QStringLiteral("von Hohenzollern-Sigmaringen-Württemberg"));
    record.setCell(MatchFields::ColLizenzRot, 1, QStringLiteral("48213"));
    record.setCell(MatchFields::ColVornBlau, 1, QStringLiteral("Konstantin-Valentin"));
    record.setCell(MatchFields::ColNachnBlau, 1, QStringLiteral("Graf zu Sayn-Wittgenstein-Berleburg"));
    record.setCell(MatchFields::ColLizenzBlau, 1, QStringLiteral("73956"));
}

// The words of the text that starts at (x, y) in 0.1 mm, in reading order, as far as they
// read as the text's own words from its start; the last may be a word cut short.
QList<PdfWord> textAt(const QList<PdfWord>& words, int x, int y, const QString& text)
{
    QList<PdfWord> line = wordsBetween(words, x / 10.0 - 0.3, 1000, -y / 10.0, 0.3);
    if (line.isEmpty() || qAbs(line.first().box.left() - x / 10.0) >= 0.3)
        return {};
    const QStringList expected = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<PdfWord> own;
    for (qsizetype i = 0; i < line.size() && i < expected.size(); ++i) {
        if (line[i].text != expected[i]) {
            if (expected[i].startsWith(line[i].text))
                own << line[i];
            break;
        }
        own << line[i];
    }
    return own;
}

QString joined(const QList<PdfWord>& words)
{
    QStringList texts;
    for (const PdfWord& w : words)
        texts << w.text;
    return texts.join(QLatin1Char(' '));
}

} // namespace

const QList<PdfWord>& TestRecordPrintout::shortRecord()
{
    if (m_shortWords.isEmpty()) {
        MatchRecord record;
        fillSampleMatch(record, 2);
        m_shortWords = pdfWords(print(record, QStringLiteral("kurz"), true, recordCaptions()));
    }
    return m_shortWords;
}

const QList<PdfWord>& TestRecordPrintout::longRecord()
{
    if (m_longWords.isEmpty()) {
        MatchRecord record;
        fillSampleMatch(record, 2);
        makeLong(record);
        m_longWords = pdfWords(print(record, QStringLiteral("lang"), true, recordCaptions()));
    }
    return m_longWords;
}

void TestRecordPrintout::everyTextAtItsPlaceWithinItsRoom_data()
{
    QTest::addColumn<int>("x"); // 0.1 mm
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("right"); // where the text's room ends: its box line or the next text
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("longest");
    auto row = [](const char* name, int x, int y, int right, const QString& sample, const QString& longest) {
        QTest::newRow(name) << x << y << right << sample << (longest.isEmpty() ? sample : longest);
    };
    auto u = [](const char* s) { return QString::fromUtf8(s); };
    const int line = YT - 2 * 90 - 25;
    // clang-format off
    row("league",        X0,            -200, X0 + 1090,         u("Oberliga Württemberg"), u("Regionalliga Baden-Württemberg/Hessen Gruppe Süd"));
    row("class",         X0 + 1100,     -200, X0 + 2290,         u("Männer"), {});
    row("date",          X0 + 2300,     -200, kRight,            u("14.03.2026"), {});
    row("kind of match", X0,            -280, X0 + 1090,         u("Verbandskampf, Rückrunde"), {});
    row("hall label",    X0 + 1100,     -280, X0 + 1420,         u("Veranstaltungsstätte:"), {});
    row("hall",          X0 + 1420,     -280, X0 + 2290,         u("Stadthalle"), u("Mehrzweckhalle im Schul- und Sportzentrum Hohenzollern-Sigmaringen"));
    row("town label",    X0 + 2300,     -280, X0 + 2360,         u("Ort:"), {});
    row("town",          X0 + 2360,     -280, kRight,            u("Gaggenau"), u("Leinfelden-Echterdingen-Stetten"));
    row("home club",     X0 + 3 * W + 8,  YT - 20, X0 + 13 * W - 6, u("KSV Rotenfels"), u("Athletik-Sportverein Germania 1897 Hohenzollern-Sigmaringen e.V."));
    row("guest club",    X0 + 14 * W + 8, YT - 20, X0 + 24 * W - 3, u("TSV Weilimdorf"), u("Kraftsportvereinigung Eintracht 1908 Schwäbisch Gmünd-Hussenhofen"));
    row("red name",      X0 + 3 * W + 5,  line, X0 + 9 * W - 3,  u("Rvor1 Rnach1"), kLongName);
    row("red licence",   X0 + 9 * W + 3,  line, X0 + 10 * W - 3, u("10001"), u("48213"));
    row("blue name",     X0 + 14 * W + 10, line, X0 + 20 * W - 3, u("Bvor1 Bnach1"), u("Konstantin-Valentin Graf zu Sayn-Wittgenstein-Berleburg"));
    row("blue licence",  X0 + 20 * W + 3, line, X0 + 21 * W - 3, u("20001"), u("73956"));
    row("winner",        X0 + 20,       YB - 25, X0 + 12 * W - 3, u("Sieger: KSV Rotenfels"), u("Sieger: Athletik-Sportverein Germania 1897 Hohenzollern-Sigmaringen e.V."));
    row("officials",     X0 + 10,       YB - 3 * H, X0 + 7 * W - 13, u("Kampfgericht:"), {});
    row("mat chairman",  X0 + 10,       YB - 4 * H, X0 + 7 * W - 13, u("Mattenpräsidant: Ulrike Sauter"), u("Mattenpräsidant: Hans-Joachim Schulze-Berndorf"));
    row("mat leader",    X0 + 10,       YB - 5 * H, X0 + 7 * W - 13, u("Mattenleiter: Peter Brenner"), u("Mattenleiter: ") + kLongName);
    row("judge",         X0 + 10,       YB - 6 * H, X0 + 7 * W - 13, u("Punktrichter: Jörg Maier"), u("Punktrichter: Karl-Friedrich Müller-Lüdenscheidt"));
    row("course",        X0 + 7 * W,    YB - 3 * H, X0 + 10 * W - 13, u("Ablauf:"), {});
    row("start",         X0 + 7 * W,    YB - 4 * H, X0 + 10 * W - 13, u("Beginn: 19:30"), {});
    row("end",           X0 + 7 * W,    YB - 5 * H, X0 + 10 * W - 13, u("Ende: 21:45"), {});
    row("break",         X0 + 7 * W,    YB - 6 * H, X0 + 10 * W - 13, u("Pause: 15 Min"), {});
    row("organisation",  X0 + 10 * W,   YB - 3 * H, X0 + 15 * W - 10, u("Organisation:"), {});
    row("timekeeper",    X0 + 10 * W,   YB - 4 * H, X0 + 15 * W - 10, u("Zeitnehmer: Anna Roth"), u("Zeitnehmer: Anna-Katharina Weißenberger"));
    row("recorder",      X0 + 10 * W,   YB - 5 * H, X0 + 15 * W - 10, u("Protokoll: Timo Keller"), u("Protokoll: Marie-Theres Oberndorfer"));
    row("score sheets",  X0 + 10 * W,   YB - 6 * H, X0 + 15 * W - 10, u("Punktzettel: Lea Graf"), u("Punktzettel: Wolfgang-Dietrich Hagenbeck"));
    row("spectators",    X0 + 10 * W,   YB - 7 * H, X0 + 15 * W - 10, u("Anzahl Zuschauer: 230"), u("Anzahl Zuschauer: 12345"));
    row("wrestlers",     X0 + 15 * W,   YB - 4 * H, X0 + 20 * W - 13, u("Verhalten Ringer: gut"), u("Verhalten Ringer: durchweg sportlich und fair"));
    row("audience",      X0 + 15 * W,   YB - 5 * H, X0 + 20 * W - 13, u("Verhalten Zuschauer: fair"), u("Verhalten Zuschauer: laut, aber ohne Zwischenfälle"));
    row("steward 1",     X0 + 15 * W,   YB - 6 * H, X0 + 20 * W - 13, u("Ordner: Max Weber"), u("Ordner: Friedrich-Wilhelm Brückner"));
    row("steward 2",     X0 + 15 * W,   YB - 7 * H, X0 + 20 * W - 13, u("Ordner: Ole Fink"), u("Ordner: Johann-Sebastian Leutenegger"));
    row("remarks",       X0 + 20 * W,   YB - 3 * H, kRight - 3,       u("Bemerkungen:"), {});
    row("remark 1",      X0 + 20 * W,   YB - 4 * H, kRight - 3,       u("Kampf 3 unterbrochen"), u("Kampf 2 wegen Verletzung des Ringers aus Hohenzollern-Sigmaringen für sechs Minuten unterbrochen"));
    row("remark 2",      X0 + 20 * W,   YB - 5 * H, kRight - 3,       u("Matte neu geklebt"), {});
    row("referee",       X0,            YS, X0 + 5 * W,              u("Peter Brenner"), kLongName);
    row("home captain",  X0 + 6 * W,    YS, X0 + 11 * W,             u("Kai Vogt"), u("Christoph-Maria Zimmermann-Schulze"));
    row("guest captain", X0 + 12 * W,   YS, X0 + 17 * W,             u("Nils Bauer"), u("Bernd-Ulrich Hohenadl-Kessler"));
    row("referee line",  X0,            YS - H, X0 + 6 * W,          u("Kampfrichter"), {});
    row("home line",     X0 + 6 * W,    YS - H, X0 + 12 * W,         u("Mannschaftsführer Heim"), {});
    row("guest line",    X0 + 12 * W,   YS - H, X0 + 18 * W,         u("Mannschaftsführer Gast"), {});
    // clang-format on
}

// Header, lower block and signatures read back at their places, each from its own field; and
// the same places with the longest texts: each keeps its corner, ends within its room, and is
// smaller only as far as it must be, cut short only at the least size.
void TestRecordPrintout::everyTextAtItsPlaceWithinItsRoom()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, right);
    QFETCH(QString, sample);
    QFETCH(QString, longest);

    const QList<PdfWord> plain = textAt(shortRecord(), x, y, sample);
    QCOMPARE(joined(plain), sample);
    QVERIFY(plain.last().box.right() <= right / 10.0);

    const QList<PdfWord> fitted = textAt(longRecord(), x, y, longest);
    QVERIFY2(!fitted.isEmpty(), "nothing at the text's place");
    const QString shown = joined(fitted);
    QVERIFY2(fitted.last().box.right() <= right / 10.0,
             qPrintable(QStringLiteral("%1 ends at %2 mm").arg(shown).arg(fitted.last().box.right())));
    // The same corner, and the same size where the text is the same.
    QVERIFY(qAbs(fitted.first().box.left() - plain.first().box.left()) < 0.02);
    QVERIFY(qAbs(fitted.first().box.top() - plain.first().box.top()) < 0.02);
    const double share = fitted.first().box.height() / plain.first().box.height();
    if (longest == sample)
        QVERIFY(qAbs(fitted.last().box.right() - plain.last().box.right()) < 0.01);
    else
        QVERIFY2(share >= PrintCanvas::kLeastFit - 0.01 && share <= 1.0, qPrintable(QString::number(share)));
    if (shown != longest) {
        QVERIFY2(longest.startsWith(shown), qPrintable(shown));
        QVERIFY2(share < PrintCanvas::kLeastFit + 0.01, qPrintable(QString::number(share)));
    }
}

// The longest texts leave the box lines beside them whole: a text's white ground would blank
// the line it runs over.
void TestRecordPrintout::longTextsLeaveTheBoxLinesWhole()
{
    longRecord();
    const QImage page = render(m_dir.filePath(QStringLiteral("lang.pdf")), 254);
    QVERIFY(!page.isNull());
    // Halfway down the text line of band 0 and of the first bout row.
    const std::pair<int, int> edges[] = {
        {YT - 40, 13 * W - 3},          {YT - 40, 24 * W},
        {YT - 2 * 90 - 45, 9 * W},      {YT - 2 * 90 - 45, 10 * W},
        {YT - 2 * 90 - 45, 11 * W},     {YT - 2 * 90 - 45, 20 * W},
        {YT - 2 * 90 - 45, 21 * W},     {YT - 2 * 90 - 45, 22 * W},
        {YB - 4 * H - 17, 7 * W - 10},  {YB - 5 * H - 17, 7 * W - 10},
        {YB - 4 * H - 17, 20 * W - 10},
    };
    for (const auto& [y, edge] : edges) {
        const int x = X0 + edge;
        const int darkest =
            qMin(qGray(page.pixel(x - 1, -y)), qMin(qGray(page.pixel(x, -y)), qGray(page.pixel(x + 1, -y))));
        QVERIFY2(darkest < 128, qPrintable(QStringLiteral("%1 at %2").arg(edge).arg(y)));
    }
}

QTEST_MAIN(TestRecordPrintout)
#include "tst_recordprintout.moc"
