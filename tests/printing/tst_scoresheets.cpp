#include "support/SampleMatch.h"
#include "platform/PrintCanvas.h"
#include "platform/UserError.h"
#include "printing/ScoreSheetPrintout.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestScoreSheets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sheetOrder_data();
    void sheetOrder();
    void sheetsLandOnTheFormInBoutOrder();
    void noSheetSendsNoJob_data();
    void noSheetSendsNoJob();
    void badLayoutValueSendsNoJob();
    void longTextsEndBeforeTheNextField_data();
    void longTextsEndBeforeTheNextField();

private:
    QString print(const MatchRecord& record, const ScoreSheetPrintout::Request& request, const QString& name);
    QTemporaryDir m_dir;
    QList<Settings::Field> m_felder;
};

using Request = ScoreSheetPrintout::Request;
Q_DECLARE_METATYPE(Request)

void TestScoreSheets::initTestCase()
{
    // The layout of a first start.
    m_felder = Settings(m_dir.filePath(QStringLiteral("set.xml"))).felder();
    QCOMPARE(m_felder.size(), 8);
}

QString TestScoreSheets::print(const MatchRecord& record, const Request& request, const QString& name)
{
    const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    usePdf(printer, pdf);
    PrintCanvas canvas(printer);
    ScoreSheetPrintout(record, m_felder).print(canvas, request);
    if (const QString samples = qEnvironmentVariable("VANTOR_PRINT_SAMPLES"); !samples.isEmpty()) {
        QDir().mkpath(samples);
        QFile::remove(samples + QLatin1Char('/') + name + QStringLiteral(".pdf"));
        QFile::copy(pdf, samples + QLatin1Char('/') + name + QStringLiteral(".pdf"));
    }
    return pdf;
}

void TestScoreSheets::sheetOrder_data()
{
    QTest::addColumn<QStringList>("numbers"); // `reihenfolge` of each bout row, in grid order
    QTest::addColumn<Request>("request");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("error");
    const QStringList shuffled = {"3", "7", "1", "10", "5", "2", "9", "4", "8", "6"};
    const QStringList odd = {"1", "", "01", " 2", "2 ", "9", "2", "2"};
    const QStringList four = {"3", "1", "2", "4"};
    const QString bad = QStringLiteral("'%1' ist kein gültiger Integerwert");
    auto range = [](const char* von, const char* bis) {
        return Request{ScoreSheetPrintout::Bereich, QLatin1String(von), QLatin1String(bis), -1};
    };
    auto pick = [](int chosen) { return Request{ScoreSheetPrintout::Auswahl, {}, {}, chosen}; };

    QTest::newRow("all, shuffled") << shuffled << Request{} << QList<int>{3, 6, 1, 8, 5, 10, 2, 9, 7, 4}
                                   << "";
    // Numbers match as text only; a repeated number gives a sheet per row, in grid order.
    QTest::newRow("all, odd numbers") << odd << Request{} << QList<int>{1, 7, 8} << "";
    QTest::newRow("all, no bouts") << QStringList{} << Request{} << QList<int>{} << "";
    QTest::newRow("range") << four << range("2", "3") << QList<int>{3, 1} << "";
    QTest::newRow("range, leading blanks") << four << range(" 3", "  9") << QList<int>{1, 4} << "";
    QTest::newRow("range, odd numbers") << odd << range("2", "9") << QList<int>{7, 8} << "";
    QTest::newRow("range reversed") << four << range("3", "2") << QList<int>{} << "";
    QTest::newRow("range beyond the bouts") << four << range("7", "9") << QList<int>{} << "";
    QTest::newRow("range, bad start") << four << range("x", "3") << QList<int>{} << bad.arg("x");
    QTest::newRow("range, empty end") << four << range("1", "") << QList<int>{} << bad.arg("");
    // The end is read only for a bout the start lets through, the start only for a bout.
    QTest::newRow("range, end never read") << four << range("5", "x") << QList<int>{} << "";
    QTest::newRow("range, no bouts") << QStringList{} << range("x", "x") << QList<int>{} << "";
    QTest::newRow("chosen bout") << four << pick(2) << QList<int>{3} << "";
    QTest::newRow("no bout chosen") << four << pick(-1) << QList<int>{} << "";
}

void TestScoreSheets::sheetOrder()
{
    QFETCH(QStringList, numbers);
    QFETCH(Request, request);
    QFETCH(QList<int>, rows);
    QFETCH(QString, error);
    MatchRecord record;
    fillSampleMatch(record, int(numbers.size()));
    for (int r = 1; r <= numbers.size(); ++r)
        record.setCell(MatchFields::ColReihenfolge, r, numbers[r - 1]);
    const ScoreSheetPrintout sheets(record, m_felder);
    try {
        QCOMPARE(sheets.sheetRows(request), rows);
        QVERIFY(error.isEmpty());
    } catch (const UserError& e) {
        QCOMPARE(e.message(), error);
    }
}

void TestScoreSheets::sheetsLandOnTheFormInBoutOrder()
{
    MatchRecord record;
    fillSampleMatch(record, 10);
    const QStringList shuffled = {"3", "7", "1", "10", "5", "2", "9", "4", "8", "6"};
    for (int r = 1; r <= 10; ++r)
        record.setCell(MatchFields::ColReihenfolge, r, shuffled[r - 1]);
    const QString pdf = print(record, Request{}, QStringLiteral("punktzettel"));

    QCOMPARE(pdfPageCount(pdf), 10);
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Title")), QStringLiteral("Punktzettel_"));
    QVERIFY(pdfInfoField(pdf, QStringLiteral("Page size")).startsWith(QLatin1String("595 x 842")));
    const auto words = pdfWords(pdf);
    for (int page = 1; page <= 10; ++page) {
        const int row = int(shuffled.indexOf(QString::number(page))) + 1;
        QCOMPARE(wordAt(words, 180, -400, page).text, QStringLiteral("14.03.2026"));
        QCOMPARE(wordAt(words, 1520, -400, page).text, QString::number(page));
        QCOMPARE(wordAt(words, 630, -400, page).text, record.cell(MatchFields::ColKlasse, row));
        QCOMPARE(wordAt(words, 180, -590, page).text, QStringLiteral("Rvor%1").arg(row));
        QCOMPARE(wordAt(words, 1100, -590, page).text, QStringLiteral("Bvor%1").arg(row));
        QCOMPARE(wordAt(words, 1100, -700, page).text, QStringLiteral("TSV"));
    }
    // A 6 mm cell.
    QVERIFY(qAbs(findWord(words, QStringLiteral("14.03.2026")).box.height() - 6) < 0.5);
    QCOMPARE(words.size(), 10 * 12); // nothing else on the form
}

void TestScoreSheets::noSheetSendsNoJob_data()
{
    QTest::addColumn<int>("bouts");
    QTest::addColumn<Request>("request");
    QTest::newRow("range reversed") << 4 << Request{ScoreSheetPrintout::Bereich, "3", "2", -1};
    QTest::newRow("range beyond the bouts") << 4 << Request{ScoreSheetPrintout::Bereich, "5", "9", -1};
    QTest::newRow("all, no bouts") << 0 << Request{};
    QTest::newRow("no bout chosen") << 4 << Request{ScoreSheetPrintout::Auswahl, {}, {}, -1};
}

void TestScoreSheets::noSheetSendsNoJob()
{
    QFETCH(int, bouts);
    QFETCH(Request, request);
    MatchRecord record;
    fillSampleMatch(record, bouts);
    // A job of no page would still feed a form.
    QVERIFY(!QFile::exists(print(record, request, QStringLiteral("leer"))));
}

void TestScoreSheets::badLayoutValueSendsNoJob()
{
    MatchRecord record;
    fillSampleMatch(record, 3);
    QList<Settings::Field> felder = m_felder;
    felder[6].ywert = QStringLiteral("59mm");
    const QString pdf = m_dir.filePath(QStringLiteral("layout.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    usePdf(printer, pdf);
    PrintCanvas canvas(printer);
    QVERIFY_THROWS_EXCEPTION(UserError, ScoreSheetPrintout(record, felder).print(canvas, Request{}));
    QVERIFY(!canvas.isActive());
    QVERIFY(!QFile::exists(pdf));
    // A layout far off the page stays off it: the sheet's other texts still print.
    felder[6].ywert = QStringLiteral("2000000000");
    ScoreSheetPrintout(record, felder).print(canvas, Request{});
    QCOMPARE(pdfPageCount(pdf), 3);
    const auto words = pdfWords(pdf);
    QCOMPARE(wordAt(words, 180, -590, 3).text, QStringLiteral("Rvor3"));
    QCOMPARE(findWord(words, QStringLiteral("Bvor3"), 3).text, QString());
}

void TestScoreSheets::longTextsEndBeforeTheNextField_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("right"); // 0.1 mm: the next field on the line less 1 mm, or the paper's edge
    QTest::addColumn<QString>("longest");
    // The layout of a first start on a PDF page, whose printable area is the whole A4 sheet.
    QTest::newRow("date") << 0 << 620 << "14.03.2026";
    QTest::newRow("class") << 1 << 1060 << "130";
    QTest::newRow("style") << 2 << 1510 << "F";
    QTest::newRow("bout") << 3 << 2100 << "1";
    QTest::newRow("red name") << 4 << 1090 << "Maximilian-Alexander von Hohenzollern-Sigmaringen-Württemberg";
    QTest::newRow("red club") << 5 << 1090
                              << "Athletik-Sportverein Germania 1897 Hohenzollern-Sigmaringen e.V.";
    QTest::newRow("blue name") << 6 << 2100 << "Konstantin-Valentin Graf zu Sayn-Wittgenstein-Berleburg";
    QTest::newRow("blue club") << 7 << 2100
                               << "Kraftsportvereinigung Eintracht 1908 Schwäbisch Gmünd-Hussenhofen";
}

// Each text of a sheet with the longest names and clubs keeps its corner and ends before the next
// field on its line, shrunk no further than it must be; the same sheet with short texts is
// printed as the plain layout puts it.
void TestScoreSheets::longTextsEndBeforeTheNextField()
{
    QFETCH(int, field);
    QFETCH(int, right);
    QFETCH(QString, longest);
    MatchRecord record;
    fillSampleMatch(record, 1);
    const QString sample = ScoreSheetPrintout(record, m_felder).sheetTexts(1)[field];
    const QList<PdfWord> shortWords = pdfWords(print(record, Request{}, QStringLiteral("kurzer_zettel")));
    record.setCell(MatchFields::ColKlasse, 1, QStringLiteral("130"));
    record.setCell(MatchFields::ColVornRot, 1, QStringLiteral("Maximilian-Alexander"));
    record.setCell(MatchFields::ColNachnRot, 1, QStringLiteral("von Hohenzollern-Sigmaringen-Württemberg"));
    record.setCell(MatchFields::ColVornBlau, 1, QStringLiteral("Konstantin-Valentin"));
    record.setCell(MatchFields::ColNachnBlau, 1, QStringLiteral("Graf zu Sayn-Wittgenstein-Berleburg"));
    record.setHeader(QStringLiteral("heim"),
                     QStringLiteral("Athletik-Sportverein Germania 1897 Hohenzollern-Sigmaringen e.V."));
    record.setHeader(QStringLiteral("gast"),
                     QStringLiteral("Kraftsportvereinigung Eintracht 1908 Schwäbisch Gmünd-Hussenhofen"));
    QCOMPARE(ScoreSheetPrintout(record, m_felder).sheetTexts(1)[field], longest);
    const QList<PdfWord> longWords = pdfWords(print(record, Request{}, QStringLiteral("langer_zettel")));

    const double x = m_felder[field].xwert.toInt(), top = m_felder[field].ywert.toInt();
    auto line = [&](const QList<PdfWord>& words, const QString& text) {
        // The field's words, from its corner up to the next field or the paper's edge.
        const QList<PdfWord> all = wordsBetween(words, x - 0.3, 1000, top, 0.3);
        QList<PdfWord> own;
        for (const PdfWord& w : all)
            if (own.size() < text.count(QLatin1Char(' ')) + 1)
                own << w;
        return own;
    };
    const QList<PdfWord> plain = line(shortWords, sample);
    const QList<PdfWord> fitted = line(longWords, longest);
    QVERIFY(!plain.isEmpty() && !fitted.isEmpty());
    QVERIFY(qAbs(plain.first().box.left() - x) < 0.3);
    QVERIFY(qAbs(plain.first().box.height() - 6) < 0.5); // a 6 mm cell, as the layout gives it
    QStringList texts;
    for (const PdfWord& w : fitted)
        texts << w.text;
    QCOMPARE(texts.join(QLatin1Char(' ')), longest);
    QVERIFY2(fitted.last().box.right() <= right / 10.0,
             qPrintable(QString::number(fitted.last().box.right())));
    QVERIFY(qAbs(fitted.first().box.left() - plain.first().box.left()) < 0.02);
    QVERIFY(qAbs(fitted.first().box.top() - plain.first().box.top()) < 0.02);
    const double share = fitted.first().box.height() / plain.first().box.height();
    if (longest == sample)
        QVERIFY(qAbs(share - 1) < 0.001);
    else
        QVERIFY2(share >= PrintCanvas::leastCell(60) / 60.0 - 0.01 && share <= 1.001,
                 qPrintable(QString::number(share)));
}

QTEST_MAIN(TestScoreSheets)
#include "tst_scoresheets.moc"
