#include "bout/Evaluation.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "shell/Console.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "support/TestSupport.h"

using namespace MatchFields;

namespace {

// One line-up row: class, style, names (red first/last, blue first/last), order number.
struct RowSpec
{
    QString klasse, stil, redFirst, redLast, blueFirst, blueLast, order;
};

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void evaluation_data();
    void evaluation();
    void resultColumnsAreWrittenAndSaved();
    void undecidedBoutKeepsResultButWritesScoring();

    void navigation_data();
    void navigation();
    void presentationViewWalksGridOrderWithoutSaving();
    void duplicateOrderNumberLoadsLaterRow();

    void restoredWinLabels_data();
    void restoredWinLabels();
    void clockFromStoredTime_data();
    void clockFromStoredTime();
    void missingOpponentGivesKL();
    void unequalStringsAreCleared();
    void loadSetsPanelTextsAndTeamSums();
    void loadStopsClockAndResetsInjuryTimes();

    void noMatchingRowLoadsNothingEvaluable();
    void rowCutSinceLoadIsNeverWritten();
    void noOpenMatchStopsBeforeMoving();
    void nonIntegerTeamPointsStopLoadUnchanged();

    void feedSignalsAndZoom();
    void startstopZoomsBackFromPresentation();

private:
    // Opens a match file holding `rows` and loads bout `kampfnr` as the shell does.
    void openMatch(const QList<RowSpec>& rows);
    Bout& bout() { return m_console->bout(); }
    BoutNavigator& nav() { return m_console->navigator(); }
    MatchRecord& rec() { return m_console->record(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
    QString m_path;
};

void TestNavigation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_path = m_dir->filePath(QStringLiteral("Heim-Gast.ptlx"));
}

void TestNavigation::cleanup()
{
    m_console.reset();
    m_dir.reset();
}

void TestNavigation::openMatch(const QList<RowSpec>& rows)
{
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV</heim><gast>ASV</gast>"
            "<ml>Maier</ml><pr>Huber</pr></info><kaempfe>");
    for (int i = 0; i < rows.size(); ++i) {
        const RowSpec& r = rows[i];
        f.write(QStringLiteral("<kampf%1><klasse>%2</klasse><stil>%3</stil><vornrot>%4</vornrot><nachnrot>%5</nachnrot>"
                               "<vornblau>%6</vornblau><nachnblau>%7</nachnblau><reihenfolge>%8</reihenfolge></kampf%1>")
                    .arg(i + 1)
                    .arg(r.klasse, r.stil, r.redFirst, r.redLast, r.blueFirst, r.blueLast, r.order)
                    .toLatin1());
    }
    f.write("</kaempfe></mk>");
    f.close();
    m_console->matchFile().open(m_path);
}

// Strings are given as the actions of both sides, red's first, so blue acted last.
void TestNavigation::evaluation_data()
{
    QTest::addColumn<QString>("stil");
    QTest::addColumn<QString>("wr");
    QTest::addColumn<QString>("wb");
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QString>("expected"); // "col8:col15:col16"

    // Red's actions first, then blue's (blue acted last), unless blueFirst.
    auto s = [](const QString& red, const QString& blue, bool blueFirst, QString& wr, QString& wb) {
        const QString padRed(red.size(), QLatin1Char(' '));
        const QString padBlue(blue.size(), QLatin1Char(' '));
        wr = blueFirst ? padBlue + red : red + padBlue;
        wb = blueFirst ? blue + padRed : padRed + blue;
    };
    struct Case
    {
        const char* name;
        const char* stil;
        QString red, blue;
        const char* commands;
        const char* expected;
        bool blueFirst = false;
    };
    const Case cases[] = {
        {"5:3 one point", "F", "5", "21", "", "1:0:PS"},
        {"6:3 two points", "F", "42", "21", "", "2:0:PS"},
        {"10:3 two points", "F", "55", "21", "", "2:0:PS"},
        {"11:3 three points", "F", "551", "21", "", "3:0:PS"},
        {"17:3 three points", "F", "5552", "21", "", "3:0:PS"},
        {"18:3 superiority", "F", "5553", "21", "", "4:0:TÜ"},
        {"3:5 mirror", "F", "21", "5", "", "0:1:PS"},
        {"3:6 mirror", "F", "21", "42", "", "0:2:PS"},
        {"3:10 mirror", "F", "21", "55", "", "0:2:PS"},
        {"3:11 mirror", "F", "21", "551", "", "0:3:PS"},
        {"3:17 mirror", "F", "21", "5552", "", "0:3:PS"},
        {"3:18 mirror", "F", "21", "5553", "", "0:4:TÜ"},
        {"three cautions beat a lead", "F", "5VVV", "1", "", "0:4:DV"},
        {"blue three cautions", "F", "1", "VVV", "", "4:0:DV"},
        {"SS plus opponent DV", "F", "VVV", "", "rss", "0:0:DV"},
        {"red SS", "F", "1", "4", "rss", "4:0:SS"},
        {"blue AS replaces red SS", "F", "", "", "rss,bas", "0:4:AS"},
        {"both DQ", "F", "", "", "xdq", "0:0:DQ"},
        {"both ÜG", "F", "", "", "xüg", "0:0:ÜG"},
        {"Greco four passivities blue", "G", "", "PPPP", "", "4:0:DS"},
        {"Greco four passivities red", "G", "PPPP", "", "", "0:4:DS"},
        {"freestyle four passivities", "F", "1", "PPPP", "", "1:0:PS"},
        {"tie: weight beats last scorer", "F", "1111", "4", "", "0:1:PS", true},
        {"tie: last scorer blue", "F", "11", "11", "", "0:1:PS"},
        {"tie: last scorer red", "F", "11", "11", "", "1:0:PS", true},
        {"tie: fewer cautions", "F", "1V1", "11", "", "0:1:PS"},
        {"tie: 5 outweighs 4s", "F", "5", "41", "", "1:0:PS"},
        {"Greco 0:0 last passivity blue", "G", "P", "P", "", "1:0:PE"},
        {"Greco 0:0 last passivity red", "G", "P", "P", "", "0:1:PE", true},
        {"Greco 0:0 fewer cautions over last passivity", "G", "P", "VP", "", "1:0:PE", true},
        {"freestyle 0:0 nothing decides", "F", "", "", "", "x:y:z"},
        {"freestyle 0:0 passivities only", "F", "P", "P", "", "x:y:z"},
    };
    for (const Case& c : cases) {
        QString wr, wb;
        s(c.red, c.blue, c.blueFirst, wr, wb);
        QTest::newRow(c.name) << QString::fromLatin1(c.stil) << wr << wb << QString::fromUtf8(c.commands)
                              << QString::fromUtf8(c.expected);
    }
}

void TestNavigation::evaluation()
{
    QFETCH(QString, stil);
    QFETCH(QString, wr);
    QFETCH(QString, wb);
    QFETCH(QString, commands);
    QFETCH(QString, expected);
    Bout& b = bout();
    b.stil = stil;
    b.wr = wr;
    b.wb = wb;
    for (const QString& cmd : commands.split(QLatin1Char(','), Qt::SkipEmptyParts))
        b.eingabe(cmd);
    b.punkteaddieren();
    Evaluation::applyAutomaticCodes(b);
    BoutResult r{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};
    Evaluation::decide(b, r);
    QCOMPARE(r.punkterot + QLatin1Char(':') + r.punkteblau + QLatin1Char(':') + r.sieg, expected);
}

void TestNavigation::resultColumnsAreWrittenAndSaved()
{
    openMatch({{"57", "F", "Hans", "Huber", "Jan", "Nowak", "1"}, {"61", "G", "Ali", "Demir", "Ole", "Berg", "2"}});
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    m_console->clock().loadClock(4, 7, QStringLiteral("4:07"));
    bout().punkte(QStringLiteral("r"), 4);
    bout().punkte(QStringLiteral("b"), 1);
    bout().eingabe(QStringLiteral("bv"));
    nav().naechsterkampf(999);

    QCOMPARE(rec().cell(ColPunkteRot, 1), QStringLiteral("2"));
    QCOMPARE(rec().cell(ColPunkteBlau, 1), QStringLiteral("0"));
    QCOMPARE(rec().cell(ColSieg, 1), QStringLiteral("PS"));
    QCOMPARE(rec().cell(ColTpRot, 1), QStringLiteral("4"));
    QCOMPARE(rec().cell(ColTpBlau, 1), QStringLiteral("1"));
    QCOMPARE(rec().cell(ColZeit, 1), QStringLiteral("4:07"));
    QCOMPARE(rec().cell(ColWertungenRot, 1), QStringLiteral("4  "));
    QCOMPARE(rec().cell(ColWertungenBlau, 1), QStringLiteral(" 1V"));
    QCOMPARE(rec().cell(ColZeiten, 1), QStringLiteral("4:07;4:07;4:07;"));
    const QByteArray saved = readAll(m_path);
    QVERIFY(saved.contains("<wertungenrot>4##</wertungenrot>"));
    QVERIFY(saved.contains("<sieg>PS</sieg>"));
    QCOMPARE(nav().kampfnr(), QStringLiteral("2"));
    QCOMPARE(nav().kampfid(), QStringLiteral("2"));
    QCOMPARE(bout().stil, QStringLiteral("G"));
    QCOMPARE(m_console->clock().uhr(), QStringLiteral("0:00"));
}

void TestNavigation::undecidedBoutKeepsResultButWritesScoring()
{
    openMatch({{"57", "F", "A", "B", "C", "D", "1"}});
    rec().setCell(ColPunkteRot, 1, QStringLiteral("3"));
    rec().setCell(ColPunkteBlau, 1, QStringLiteral("0"));
    rec().setCell(ColSieg, 1, QStringLiteral("PS"));
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QVERIFY(bout().isOpen()); // "PS" is not restored
    m_console->clock().loadClock(6, 0, QStringLiteral("6:00"));
    nav().naechsterkampf(999);
    QCOMPARE(rec().cell(ColPunkteRot, 1), QStringLiteral("3"));
    QCOMPARE(rec().cell(ColSieg, 1), QStringLiteral("PS"));
    QCOMPARE(rec().cell(ColTpRot, 1), QStringLiteral("0"));
    QCOMPARE(rec().cell(ColZeit, 1), QStringLiteral("6:00"));
}

void TestNavigation::navigation_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("to");
    QTest::newRow("next") << "2" << 999 << "3";
    QTest::newRow("next from last wraps") << "4" << 999 << "1";
    QTest::newRow("previous") << "3" << 888 << "2";
    QTest::newRow("previous from first wraps") << "1" << 888 << "4";
    QTest::newRow("numbered") << "1" << 3 << "3";
    QTest::newRow("next from none") << "0" << 999 << "1";
}

void TestNavigation::navigation()
{
    QFETCH(QString, from);
    QFETCH(int, n);
    QFETCH(QString, to);
    openMatch({{"57", "F", "A", "A", "B", "B", "1"},
               {"61", "G", "C", "C", "D", "D", "2"},
               {"66", "F", "E", "E", "F", "F", "3"},
               {"71", "G", "G", "G", "H", "H", "4"}});
    nav().setKampfnr(from);
    nav().ladedaten();
    nav().naechsterkampf(n);
    QCOMPARE(nav().kampfnr(), to);
    QCOMPARE(nav().kampfid(), to);
}

void TestNavigation::presentationViewWalksGridOrderWithoutSaving()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "3"}, {"61", "G", "C", "C", "D", "D", "1"}, {"66", "F", "E", "E", "F", "F", "2"}});
    m_console->view().setPresentationLive(true);
    const QByteArray before = readAll(m_path);
    nav().setKampfnr(QStringLiteral("3"));
    nav().ladedaten();
    QCOMPARE(nav().kampfid(), QStringLiteral("1"));
    bout().punkte(QStringLiteral("r"), 5);
    nav().naechsterkampf(999);
    QCOMPARE(nav().kampfnr(), QStringLiteral("1")); // order number of grid row 2
    QCOMPARE(nav().kampfid(), QStringLiteral("2"));
    nav().naechsterkampf(999);
    QCOMPARE(nav().kampfnr(), QStringLiteral("2"));
    nav().naechsterkampf(999);
    QCOMPARE(nav().kampfnr(), QStringLiteral("1")); // from the last row back to bout 1
    QCOMPARE(readAll(m_path), before);
    QCOMPARE(rec().cell(ColTpRot, 1), QString());
}

void TestNavigation::duplicateOrderNumberLoadsLaterRow()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}, {"61", "G", "C", "C", "D", "D", "1"}});
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(nav().kampfid(), QStringLiteral("2"));
    QCOMPARE(nav().gew, QStringLiteral("61 kg"));
}

void TestNavigation::restoredWinLabels_data()
{
    QTest::addColumn<QString>("sieg");
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("blue");
    QTest::addColumn<QString>("siegRot");
    QTest::addColumn<QString>("siegBlau");
    QTest::newRow("SS red") << "SS" << "4" << "0" << "SS" << "";
    QTest::newRow("ÜG blue") << "ÜG" << "0" << "4" << "" << "ÜG";
    QTest::newRow("DQ both") << "DQ" << "0" << "0" << "DQ" << "DQ";
    QTest::newRow("PS open") << "PS" << "1" << "0" << "" << "";
    QTest::newRow("TÜ open") << "TÜ" << "4" << "0" << "" << "";
    QTest::newRow("PE open") << "PE" << "0" << "1" << "" << "";
    QTest::newRow("empty open") << "" << "" << "" << "" << "";
}

void TestNavigation::restoredWinLabels()
{
    QFETCH(QString, sieg);
    QFETCH(QString, red);
    QFETCH(QString, blue);
    QFETCH(QString, siegRot);
    QFETCH(QString, siegBlau);
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}});
    rec().setCell(ColSieg, 1, sieg);
    rec().setCell(ColPunkteRot, 1, red);
    rec().setCell(ColPunkteBlau, 1, blue);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(bout().sieg_rot, siegRot);
    QCOMPARE(bout().sieg_blau, siegBlau);
}

void TestNavigation::clockFromStoredTime_data()
{
    QTest::addColumn<QString>("zeit");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("uhr");
    QTest::newRow("3:00") << "3:00" << 3 << 0 << "3:00";
    QTest::newRow("5:47") << "5:47" << 5 << 47 << "5:47";
    QTest::newRow("empty") << "" << 0 << 0 << "0:00";
    QTest::newRow("two-digit minutes") << "10:05" << 10 << 5 << "10:05";
    QTest::newRow("short text ignored") << "1:0" << 0 << 0 << "0:00";
}

void TestNavigation::clockFromStoredTime()
{
    QFETCH(QString, zeit);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QString, uhr);
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}});
    rec().setCell(ColZeit, 1, zeit);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(m_console->clock().clockMinutes, minutes);
    QCOMPARE(m_console->clock().clockSeconds, seconds);
    QCOMPARE(m_console->clock().uhr(), uhr);
}

void TestNavigation::missingOpponentGivesKL()
{
    openMatch({{"57", "F", "Hans", "Huber", "", "", "1"}, {"61", "G", "", "", "", "", "2"}});
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(bout().sieg_rot, QStringLiteral("KL"));
    QCOMPARE(bout().sieg_blau, QString());
    nav().naechsterkampf(999);
    QCOMPARE(rec().cell(ColSieg, 1) + rec().cell(ColPunkteRot, 1) + rec().cell(ColPunkteBlau, 1), QStringLiteral("KL40"));
    QCOMPARE(bout().sieg_rot, QStringLiteral("KL"));
    QCOMPARE(bout().sieg_blau, QStringLiteral("KL"));
    nav().naechsterkampf(999);
    QCOMPARE(rec().cell(ColSieg, 2) + rec().cell(ColPunkteRot, 2) + rec().cell(ColPunkteBlau, 2), QStringLiteral("KL00"));
}

void TestNavigation::unequalStringsAreCleared()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}});
    rec().setCell(ColWertungenRot, 1, QStringLiteral("4 2"));
    rec().setCell(ColWertungenBlau, 1, QStringLiteral(" 1"));
    rec().setCell(ColTpRot, 1, QStringLiteral("6"));
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(bout().wr, QString());
    QCOMPARE(bout().wb, QString());
    QCOMPARE(bout().tpr, QStringLiteral("0"));
}

void TestNavigation::loadSetsPanelTextsAndTeamSums()
{
    openMatch({{"57", "F", "Hans", "Huber", "Jan", "Nowak", "1"}, {"61 A", "G", "C", "C", "D", "D", "2"}});
    rec().setCell(2, 2, QStringLiteral("60,4"));
    rec().setCell(ColPunkteRot, 1, QStringLiteral("3"));
    rec().setCell(ColPunkteBlau, 1, QStringLiteral("0"));
    rec().setCell(ColPunkteBlau, 2, QStringLiteral("4"));
    rec().setCell(ColPunkteRot, 2, QStringLiteral("0"));
    nav().setKampfnr(QStringLiteral("2"));
    nav().ladedaten();
    QCOMPARE(nav().rot, QStringLiteral("C C"));
    QCOMPARE(nav().gewrot, QStringLiteral("60,4 kg"));
    QCOMPARE(nav().gewblau, QStringLiteral(" kg"));
    QCOMPARE(nav().gew, QStringLiteral("61 A kg"));
    QCOMPARE(nav().heimverein, QStringLiteral("KSV"));
    QCOMPARE(nav().gastverein, QStringLiteral("ASV"));
    QCOMPARE(nav().punkteheim, QStringLiteral("3"));
    QCOMPARE(nav().punktegast, QStringLiteral("4"));
    QCOMPARE(nav().audienceKr, QStringLiteral("KR: Maier"));
    QCOMPARE(nav().audienceMp, QString());
    QCOMPARE(nav().audiencePr, QStringLiteral("PR: Huber"));
}

void TestNavigation::loadStopsClockAndResetsInjuryTimes()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}});
    BoutClock& clock = m_console->clock();
    clock.startstop();
    clock.vzrotDblClick();
    clock.vztimerrotTimer();
    clock.activityCountdown = 12;
    QSignalSpy hidden(&nav(), &BoutNavigator::injuryLabelsHidden);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QVERIFY(!clock.running());
    QCOMPARE(clock.injuryTimeRed, 0);
    QCOMPARE(clock.vzrot(), QStringLiteral("0:00"));
    QVERIFY(clock.injuryRedRunning()); // the injury timer is left running
    QCOMPARE(clock.activityCountdown, 12);
    QCOMPARE(hidden.count(), 1);
}

void TestNavigation::noMatchingRowLoadsNothingEvaluable()
{
    QList<RowSpec> rows;
    for (int i = 1; i <= 8; ++i)
        rows << RowSpec{QString::number(50 + i), "F", "R", QString::number(i), "B", QString::number(i), QString::number(i)};
    openMatch(rows);
    nav().setKampfnr(QStringLiteral("8"));
    nav().ladedaten();
    bout().punkte(QStringLiteral("r"), 2);
    nav().naechsterkampf(9); // Ctrl+9 in an eight-bout match
    QCOMPARE(rec().cell(ColTpRot, 8), QStringLiteral("2"));
    QCOMPARE(nav().kampfnr(), QStringLiteral("9"));
    QCOMPARE(nav().kampfid(), QStringLiteral("0"));
    QCOMPARE(nav().rot, QStringLiteral(" "));
    // The empty bout cannot be scored, and leaving it writes nowhere.
    bout().punkte(QStringLiteral("r"), 4);
    QCOMPARE(bout().wr, QString());
    const QByteArray before = readAll(m_path);
    nav().naechsterkampf(999);
    QCOMPARE(readAll(m_path), before);
    QCOMPARE(nav().kampfnr(), QStringLiteral("1"));
    QCOMPARE(nav().kampfid(), QStringLiteral("1"));
    for (int r = 1; r <= 7; ++r)
        QCOMPARE(rec().cell(ColSieg, r), QString());
}

void TestNavigation::rowCutSinceLoadIsNeverWritten()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}, {"61", "G", "C", "C", "D", "D", "2"}});
    nav().setKampfnr(QStringLiteral("2"));
    nav().ladedaten();
    rec().setRowCount(2);
    m_console->matchFile().saveall();
    nav().naechsterkampf(999);
    QVERIFY(!readAll(m_path).contains("kampf2"));
    QCOMPARE(nav().kampfnr(), QStringLiteral("1"));
}

void TestNavigation::noOpenMatchStopsBeforeMoving()
{
    rec().setCell(ColReihenfolge, 1, QStringLiteral("1"));
    rec().setCell(4, 1, QStringLiteral("Huber"));
    rec().setCell(11, 1, QStringLiteral("Nowak"));
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    bout().punkte(QStringLiteral("r"), 1);
    try {
        nav().naechsterkampf(999);
        QFAIL("no exception");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), QStringLiteral("Kein aktives Dokument"));
    }
    QCOMPARE(rec().cell(ColTpRot, 1), QStringLiteral("1")); // the row was written
    QCOMPARE(nav().kampfnr(), QStringLiteral("1"));
    QCOMPARE(bout().wr, QStringLiteral("1"));
}

void TestNavigation::nonIntegerTeamPointsStopLoadUnchanged()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}, {"61", "G", "C", "C", "D", "D", "2"}});
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    rec().setCell(ColPunkteBlau, 2, QStringLiteral("vier"));
    try {
        nav().naechsterkampf(999);
        QFAIL("no exception");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), QStringLiteral("'vier' ist kein gültiger Integerwert"));
    }
    QCOMPARE(nav().kampfnr(), QStringLiteral("2"));
    QCOMPARE(nav().kampfid(), QStringLiteral("1"));
    QCOMPARE(nav().gew, QStringLiteral("57 kg"));
}

void TestNavigation::feedSignalsAndZoom()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}, {"61", "G", "C", "C", "D", "D", "2"}});
    QSignalSpy kampf(&nav(), &BoutNavigator::updatekampf);
    QSignalSpy werbung(&nav(), &BoutNavigator::werbungaktu);
    QSignalSpy zoom(&m_console->view(), &ViewState::zoomStarted);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(kampf.count(), 1);
    QCOMPARE(werbung.count(), 1);
    nav().naechsterkampf(999);
    QCOMPARE(kampf.count(), 2);
    QCOMPARE(zoom.count(), 0);
    nav().kampfvorstellung = true;
    nav().naechsterkampf(999);
    QCOMPARE(zoom.count(), 1);
    m_console->view().setPanelsVisible(false, true);
    nav().naechsterkampf(999);
    QCOMPARE(zoom.count(), 1);
}

void TestNavigation::startstopZoomsBackFromPresentation()
{
    QSignalSpy zoom(&m_console->view(), &ViewState::zoomStarted);
    m_console->clock().startstop();
    QCOMPARE(zoom.count(), 0);
    m_console->view().setPanelsVisible(false, true);
    m_console->clock().startstop();
    QCOMPARE(zoom.count(), 1);
    QVERIFY(!m_console->clock().running());
}

QTEST_GUILESS_MAIN(TestNavigation)
#include "tst_navigation.moc"
