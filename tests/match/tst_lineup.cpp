#include "match/GridRules.h"
#include "match/LineUp.h"
#include "match/MatchFields.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "platform/UserError.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace MatchFields;

namespace {

// The line-up rules work on the record alone; with no match file open, the save they end in
// says so instead of dropping the new line-up without a word.
void withoutOpenFile(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const UserError& e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Es ist keine Kampfdatei geöffnet")),
                 qPrintable(e.message()));
    }
}

// Names of the bout elements in the file, in file order.
QStringList storedBouts(const QString& path)
{
    QDomDocument doc;
    doc.setContent(readAll(path));
    QStringList out;
    for (QDomElement e =
             doc.documentElement().firstChildElement(QStringLiteral("kaempfe")).firstChildElement();
         !e.isNull(); e = e.nextSiblingElement())
        out << e.tagName() + QLatin1Char('=') + e.firstChildElement(QStringLiteral("vornrot")).text();
    return out;
}

QStringList column(const MatchRecord& record, int c)
{
    QStringList out;
    for (int r = 1; r < record.rowCount(); ++r)
        out << record.cell(c, r);
    return out;
}

QStringList numbers(std::initializer_list<int> values)
{
    QStringList out;
    for (int v : values)
        out << QString::number(v);
    return out;
}

// The bout elements a file of `bouts` filled rows holds.
QStringList boutsOf(int bouts)
{
    QStringList out;
    for (int r = 1; r <= bouts; ++r)
        out << QStringLiteral("kampf%1=").arg(r) + tag(3, r);
    return out;
}

// An open match of filled bouts in a folder of its own, saved once, so the file holds exactly
// what the record holds.
struct Match
{
    QTemporaryDir tmp;
    QString path = tmp.filePath(QStringLiteral("Heim-Gast.ptlx"));
    MatchRecord record;
    MatchFile file{record};
    LineUp lineUp{record, file};

    bool open(int bouts)
    {
        QFile f(path);
        const QByteArray skeleton = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info></info>"
                                    "<kaempfe><kampf1/></kaempfe></mk>";
        if (!tmp.isValid() || !f.open(QIODevice::WriteOnly) || f.write(skeleton) != skeleton.size())
            return false;
        f.close();
        file.open(path);
        record.setRowCount(bouts + 1);
        for (int r = 1; r <= bouts; ++r)
            for (int c = 0; c < ColumnCount; ++c)
                record.setCell(c, r, tag(c, r));
        file.saveall();
        return storedBouts(path) == boutsOf(bouts);
    }

    // The next save shows as the file coming back.
    bool forgetFile() { return QFile::remove(path); }
    bool saved() const { return QFile::exists(path); }
};

} // namespace

class TestLineUp : public QObject
{
    Q_OBJECT
private slots:
    void templateLaysOutBoutList_data();
    void templateLaysOutBoutList();
    void templateKeepsCellsAndSaves();
    void templateStyles_data();
    void templateStyles();
    void stylesWithoutChosenHalf_data();
    void stylesWithoutChosenHalf();
    void swapTwiceRestoresMatch();
    void rewrittenRowsAreSavedAndTold_data();
    void rewrittenRowsAreSavedAndTold();
    void appendAndClearDoNotSave();
    void numberingAfterLineUpOperations_data();
    void numberingAfterLineUpOperations();
    void removeLastBout_data();
    void removeLastBout();
};

void TestLineUp::templateLaysOutBoutList_data()
{
    QTest::addColumn<int>("bouts");
    QTest::addColumn<QString>("ageClass");
    QTest::addColumn<QStringList>("classes"); // empty: column 0 keeps what it held
    QTest::addColumn<QStringList>("orders");

    const QStringList order8 = numbers({1, 3, 5, 7, 8, 6, 4, 2});
    const QStringList order10 = numbers({1, 3, 5, 7, 9, 10, 8, 6, 4, 2});
    const QStringList order14 = numbers({1, 3, 5, 7, 6, 4, 2, 8, 10, 12, 14, 13, 11, 9});
    const QStringList eight = {"55", "60", "66", "74 A", "74 B", "84", "96", "120"};
    const QStringList seven = {"57", "61", "66", "75", "86", "98", "130"};

    QTest::newRow("10 Männer") << 10 << "0"
                               << QStringList{"57", "61", "66", "71", "75 A", "75 B", "80", "86", "98", "130"}
                               << order10;
    QTest::newRow("10 A/B-Jugend") << 10 << "1" << QStringList{"55",   "60",   "66 A", "66 B", "74 A",
                                                               "74 B", "84 A", "84 B", "96",   "120"}
                                   << order10;
    QTest::newRow("10 C/D-Jugend") << 10 << "2"
                                   << QStringList{"29", "31", "34", "38", "42", "46", "50", "55", "60", "76"}
                                   << order10;
    QTest::newRow("10 no age class") << 10 << "-1" << QStringList() << order10;
    QTest::newRow("8 Männer") << 8 << "0" << eight << order8;
    QTest::newRow("8 A/B-Jugend") << 8 << "1" << eight << order8;
    QTest::newRow("8 C/D-Jugend") << 8 << "2" << QStringList() << order8;
    QTest::newRow("14 Männer") << 14 << "0" << seven + seven << order14;
    QTest::newRow("14 A/B-Jugend") << 14 << "1" << seven + seven << order14;
    QTest::newRow("14 C/D-Jugend") << 14 << "2" << QStringList() << order14;
}

void TestLineUp::templateLaysOutBoutList()
{
    QFETCH(int, bouts);
    QFETCH(QString, ageClass);
    QFETCH(QStringList, classes);
    QFETCH(QStringList, orders);

    // Six rows with the operator's own classes: where the template has none, those six keep
    // theirs and the rows added below stay empty.
    MatchRecord record;
    MatchFile file(record);
    LineUp lineUp(record, file);
    record.setRowCount(7);
    const QStringList own = {"30", "32", "35", "39", "43", "47"};
    for (int r = 1; r <= 6; ++r)
        record.setCell(ColKlasse, r, own[r - 1]);
    record.setHeader(QStringLiteral("altersklasse"), ageClass);

    withoutOpenFile([&] { lineUp.applyTemplate(bouts); });

    QCOMPARE(record.rowCount(), bouts + 1);
    QCOMPARE(column(record, ColReihenfolge), orders);
    QCOMPARE(column(record, ColKlasse),
             classes.isEmpty() ? own + QStringList(bouts - 6, QString()) : classes);
}

void TestLineUp::templateKeepsCellsAndSaves()
{
    Match m;
    QVERIFY(m.open(10));
    QSignalSpy applied(&m.lineUp, &LineUp::applied);
    QVERIFY(m.forgetFile());

    m.lineUp.applyTemplate(8);

    QCOMPARE(applied.size(), 1);
    QCOMPARE(m.record.rowCount(), 9);
    for (int r = 1; r <= 8; ++r)
        for (int c = 2; c < ColReihenfolge; ++c)
            QCOMPARE(m.record.cell(c, r), tag(c, r));
    QCOMPARE(column(m.record, ColStil).first(), QStringLiteral("F"));
    QVERIFY(m.saved());
    QCOMPARE(storedBouts(m.path), boutsOf(8));

    // Rows dropped by one template come back empty with the next.
    m.lineUp.applyTemplate(10);
    QCOMPARE(applied.size(), 2);
    QCOMPARE(m.record.cell(ColVornRot, 9), QString());
    QCOMPARE(m.record.cell(ColKlasse, 9), QStringLiteral("98"));
}

void TestLineUp::templateStyles_data()
{
    QTest::addColumn<int>("bouts");
    QTest::addColumn<QString>("half");
    QTest::addColumn<QString>("styles"); // one letter per row

    QTest::newRow("8 Vorrunde") << 8 << "0"
                                << "FGFGFGFG";
    QTest::newRow("8 Rückrunde") << 8 << "1"
                                 << "GFGFGFGF";
    QTest::newRow("10 Vorrunde") << 10 << "0"
                                 << "FGFGFGFGFG";
    QTest::newRow("10 Rückrunde") << 10 << "1"
                                  << "GFGFGFGFGF";
    // Across both halves: every class once in each style.
    QTest::newRow("14 Vorrunde") << 14 << "0"
                                 << "FGFGFGF"
                                    "GFGFGFG";
    QTest::newRow("14 Rückrunde") << 14 << "1"
                                  << "GFGFGFG"
                                     "FGFGFGF";
}

void TestLineUp::templateStyles()
{
    QFETCH(int, bouts);
    QFETCH(QString, half);
    QFETCH(QString, styles);

    MatchRecord record;
    MatchFile file(record);
    LineUp lineUp(record, file);
    // Styles of an earlier line-up do not shine through.
    for (int r = 1; r < record.rowCount(); ++r)
        record.setCell(ColStil, r, QStringLiteral("G"));
    record.setHeader(QStringLiteral("vorrueck"), half);
    withoutOpenFile([&] { lineUp.applyTemplate(bouts); });
    QCOMPARE(column(record, ColStil).join(QString()), styles);
}

void TestLineUp::stylesWithoutChosenHalf_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("row 1 sets the pace") << QStringList{"G", "", "", ""} << QStringList{"G", "F", "G", "F"};
    QTest::newRow("empty row 1") << QStringList{"", "x", "F", ""} << QStringList{"", "x", "F", "G"};
    QTest::newRow("lower-case f is no style")
        << QStringList{"f", "", "G", "G"} << QStringList{"f", "", "G", "F"};
    QTest::newRow("follows the row above as rewritten")
        << QStringList{"F", "F", "F", "F"} << QStringList{"F", "G", "F", "G"};
}

void TestLineUp::stylesWithoutChosenHalf()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);

    MatchRecord record;
    MatchFile file(record);
    LineUp lineUp(record, file);
    record.setHeader(QStringLiteral("vorrueck"), QStringLiteral("-1"));
    record.setRowCount(int(before.size()) + 1);
    for (int r = 1; r <= before.size(); ++r)
        record.setCell(ColStil, r, before[r - 1]);
    lineUp.stilarteneintragen();
    QCOMPARE(column(record, ColStil), after);
}

void TestLineUp::swapTwiceRestoresMatch()
{
    Match m;
    QVERIFY(m.open(14));
    m.record.setHeader(QStringLiteral("heim"), QStringLiteral("KSV Heim"));
    m.record.setHeader(QStringLiteral("mannschaftsfuehrer_heim"), QStringLiteral("Hans"));
    m.file.saveall();
    const QByteArray before = readAll(m.path);
    QVERIFY(m.forgetFile());

    m.lineUp.swapSides();

    QVERIFY(m.saved());
    QCOMPARE(m.record.header(QStringLiteral("heim")), QString());
    QCOMPARE(m.record.header(QStringLiteral("gast")), QStringLiteral("KSV Heim"));
    QCOMPARE(m.record.header(QStringLiteral("mannschaftsfuehrer_heim")), QStringLiteral("Hans"));
    const QList<QPair<int, int>> pairs = {{2, 9},  {3, 10}, {4, 11},  {5, 12}, {6, 13},
                                          {7, 14}, {8, 15}, {17, 18}, {20, 21}};
    for (int r = 1; r <= 14; ++r) {
        for (const auto& [red, blue] : pairs) {
            QCOMPARE(m.record.cell(red, r), tag(blue, r));
            QCOMPARE(m.record.cell(blue, r), tag(red, r));
        }
        for (int c : {0, 1, 16, 19, 22, 23})
            QCOMPARE(m.record.cell(c, r), tag(c, r));
    }

    m.lineUp.swapSides();
    QCOMPARE(readAll(m.path), before);
}

void TestLineUp::rewrittenRowsAreSavedAndTold_data()
{
    QTest::addColumn<int>("bouts"); // 0: "Rot <-> Blau"
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("listenerFails");

    QTest::newRow("swap, listener fails") << 0 << false << true;
    QTest::newRow("swap, save fails") << 0 << true << false;
    QTest::newRow("8 Kämpfe, listener fails") << 8 << false << true;
    QTest::newRow("8 Kämpfe, save fails") << 8 << true << false;
    QTest::newRow("8 Kämpfe, both fail") << 8 << true << true;
}

// The bout on the bout panel is loaded again when its rows change. A reload that fails (a
// team-point cell that is no number) must not keep the change out of the file, and a save
// that fails must not leave the panel with rows that are gone.
void TestLineUp::rewrittenRowsAreSavedAndTold()
{
    QFETCH(int, bouts);
    QFETCH(bool, saveFails);
    QFETCH(bool, listenerFails);
    Match m;
    QVERIFY(m.open(10));
    QVERIFY(m.forgetFile());
    if (saveFails)
        QVERIFY(QDir(m.tmp.path()).removeRecursively());
    QStringList told;
    m.lineUp.setRowsHook([&](int first, int last) {
        told << QStringLiteral("%1-%2").arg(first).arg(last);
        if (listenerFails)
            throw UserError(QStringLiteral("'r1c8' ist kein gültiger Integerwert"));
    });

    QString thrown;
    try {
        if (bouts)
            m.lineUp.applyTemplate(bouts);
        else
            m.lineUp.swapSides();
    } catch (const UserError& e) {
        thrown = e.message();
    }
    // Each failure reaches the operator, the save's first.
    QCOMPARE(thrown.contains(QStringLiteral("'r1c8' ist kein gültiger Integerwert")), listenerFails);
    QCOMPARE(thrown.startsWith(QStringLiteral("'r1c8'")), !saveFails);
    QCOMPARE(told, QStringList{QStringLiteral("1-10")});
    QCOMPARE(m.saved(), !saveFails);
}

void TestLineUp::appendAndClearDoNotSave()
{
    Match m;
    QVERIFY(m.open(10));
    m.record.setHeader(QStringLiteral("heim"), QStringLiteral("KSV Heim"));
    // Lowered first: the row that comes back must not bring its old content.
    m.record.setRowCount(10);
    QVERIFY(m.forgetFile());

    m.lineUp.appendRow();
    QCOMPARE(m.record.rowCount(), 11);
    QCOMPARE(m.record.boutRow(10), BoutRow());
    QCOMPARE(m.record.cell(ColVornRot, 9), tag(3, 9));

    m.lineUp.clearRows();
    QCOMPARE(m.record.rowCount(), 11);
    for (int r = 1; r <= 10; ++r)
        QCOMPARE(m.record.boutRow(r), BoutRow());
    QCOMPARE(m.record.header(QStringLiteral("heim")), QStringLiteral("KSV Heim"));
    QVERIFY(!m.saved());
}

void TestLineUp::numberingAfterLineUpOperations_data()
{
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("orders");

    QTest::newRow("Leeren numbers from the top")
        << QStringList{"10", "Leeren"} << numbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    QTest::newRow("+ after a template")
        << QStringList{"10", "+"} << numbers({1, 3, 5, 7, 9, 10, 8, 6, 4, 2, 11});
    QTest::newRow("two + after 14") << QStringList{"14", "+", "+"}
                                    << numbers({1, 3, 5, 7, 6, 4, 2, 8, 10, 12, 14, 13, 11, 9, 15, 16});
    QTest::newRow("swap keeps the order") << QStringList{"8", "swap"} << numbers({1, 3, 5, 7, 8, 6, 4, 2});
}

void TestLineUp::numberingAfterLineUpOperations()
{
    QFETCH(QStringList, operations);
    QFETCH(QStringList, orders);

    MatchRecord record;
    MatchFile file(record);
    LineUp lineUp(record, file);
    for (const QString& op : operations) {
        if (op == QLatin1String("Leeren"))
            lineUp.clearRows();
        else if (op == QLatin1String("+"))
            lineUp.appendRow();
        else if (op == QLatin1String("swap"))
            withoutOpenFile([&] { lineUp.swapSides(); });
        else
            withoutOpenFile([&] { lineUp.applyTemplate(op.toInt()); });
    }
    GridRules::numberBouts(record);
    QCOMPARE(column(record, ColReihenfolge), orders);
}

void TestLineUp::removeLastBout_data()
{
    QTest::addColumn<int>("bouts");     // 0: no match open (a fresh record of ten rows)
    QTest::addColumn<bool>("appended"); // a "+" row not yet saved
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<bool>("saves");
    QTest::addColumn<QString>("error");

    QTest::newRow("ten bouts") << 10 << false << 9 << true << "";
    QTest::newRow("the only bout stays") << 1 << false << 1 << false << "";
    QTest::newRow("unsaved + row") << 3 << true << 3 << true << "";
    QTest::newRow("no match open") << 0 << false << 10 << false << "Kein aktives Dokument";
}

void TestLineUp::removeLastBout()
{
    QFETCH(int, bouts);
    QFETCH(bool, appended);
    QFETCH(int, rowsAfter);
    QFETCH(bool, saves);
    QFETCH(QString, error);

    Match m;
    if (bouts > 0)
        QVERIFY(m.open(bouts));
    if (appended)
        m.lineUp.appendRow();
    QFile::remove(m.path);

    QString thrown;
    try {
        QCOMPARE(m.lineUp.removeLastBout(), saves);
    } catch (const UserError& e) {
        thrown = e.message();
    }
    QCOMPARE(thrown, error);
    QCOMPARE(m.record.rowCount(), rowsAfter + 1);
    QCOMPARE(m.saved(), saves);
    if (saves)
        QCOMPARE(storedBouts(m.path), boutsOf(rowsAfter));
    // Nothing else changes: the last remaining row keeps its content.
    if (bouts > 0)
        QCOMPARE(m.record.cell(ColVornRot, std::min(rowsAfter, bouts)), tag(3, std::min(rowsAfter, bouts)));
}

QTEST_GUILESS_MAIN(TestLineUp)
#include "tst_lineup.moc"
