#include "bout/Bout.h"
#include "bout/BoutClock.h"
#include "match/MatchRecord.h"
#include "platform/SignalSound.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

using namespace MatchFields;

namespace {

// A bout on a fresh match with the clock stopped at 0:00.
struct Rig
{
    MatchRecord record;
    NullSound sound;
    BoutClock clock{record, sound, QStringLiteral("signal.wav")};
    Bout bout{record, clock};

    // The cells of a grid row that the bout loads. Both wrestlers are named unless `wrestlers`
    // is false, which leaves both sides without one ("KL" for both).
    struct Row
    {
        QString stil{}, wr{}, wb{}, zeiten{};
        bool wrestlers = true;
    };

    // Loads `row` as a bout change does, through grid row 1.
    void load(const Row& row)
    {
        record.setRowCount(2);
        record.setCell(ColStil, 1, row.stil);
        record.setCell(ColWertungenRot, 1, row.wr);
        record.setCell(ColWertungenBlau, 1, row.wb);
        record.setCell(ColZeiten, 1, row.zeiten);
        record.setCell(ColNachnRot, 1, row.wrestlers ? QStringLiteral("Huber") : QString());
        record.setCell(ColNachnBlau, 1, row.wrestlers ? QStringLiteral("Nowak") : QString());
        bout.loadRow(1);
    }

    // "m:ss" or "mm:ss", shown exactly as given.
    void setClock(const QString& text)
    {
        const QStringList parts = text.split(QLatin1Char(':'));
        clock.loadClock(parts.at(0).toInt(), parts.at(1).toInt(), text);
    }

    // "r2" / "b4" score points; anything else is a command.
    void act(const QString& action)
    {
        if (action.size() == 2 && action.at(1).isDigit())
            bout.punkte(action.left(1), action.at(1).digitValue());
        else
            bout.eingabe(action);
    }

    void actAll(const QStringList& actions)
    {
        for (const QString& a : actions)
            act(a);
    }

    // What the bout's last recount left.
    Bout::Tally tally() const
    {
        const Bout& b = bout;
        Bout::Tally t;
        t.tpr = b.tpr();
        t.tpb = b.tpb();
        t.count5Red = b.count5Red();
        t.count4Red = b.count4Red();
        t.count2Red = b.count2Red();
        t.cautionsRed = b.cautionsRed();
        t.passivityRed = b.passivityRed();
        t.count5Blue = b.count5Blue();
        t.count4Blue = b.count4Blue();
        t.count2Blue = b.count2Blue();
        t.cautionsBlue = b.cautionsBlue();
        t.passivityBlue = b.passivityBlue();
        t.lastScorer = b.lastScorer();
        t.lastPassivity = b.lastPassivity();
        t.infolabel = b.infolabel();
        t.Label33 = b.Label33();
        t.Label34 = b.Label34();
        return t;
    }

    // Everything a command may change apart from the clock, for "nothing changed" checks.
    QStringList state() const;
};

// A recount's results as texts, so that a failed comparison shows what differs.
QStringList describe(const Bout::Tally& t)
{
    const QList<int> counters{t.count5Red,  t.count4Red,  t.count2Red,  t.cautionsRed,  t.passivityRed,
                              t.count5Blue, t.count4Blue, t.count2Blue, t.cautionsBlue, t.passivityBlue};
    QStringList numbers;
    for (int c : counters)
        numbers << QString::number(c);
    return {t.tpr,     t.tpb,        t.infolabel,     t.Label33,
            t.Label34, t.lastScorer, t.lastPassivity, numbers.join(QLatin1Char(','))};
}

QStringList Rig::state() const
{
    return QStringList{bout.wr(), bout.wb(), bout.zeitstempel(), bout.sieg_rot(), bout.sieg_blau()} +
           describe(tally());
}

QString stamps(const QString& clockText, int count)
{
    return QString(clockText + QLatin1Char(';')).repeated(count);
}

} // namespace

class TestBout : public QObject
{
    Q_OBJECT
private slots:
    void punkte_data();
    void punkte();
    void pointsInClosedBoutStillEndActivityTime();
    void passivityRules_data();
    void passivityRules();
    void grecoRomanPenalty_data();
    void grecoRomanPenalty();
    void summaryLabelsFollowCommands();
    void recount_data();
    void recount();
    void fifteenPointDifference_data();
    void fifteenPointDifference();
    void winTypeCommands_data();
    void winTypeCommands();
    void scoringRefusedUntilUndo_data();
    void scoringRefusedUntilUndo();
    void undoReopensBeforeRemoving();
    void undoTakesBackLastPosition_data();
    void undoTakesBackLastPosition();
    void undoRemovesWholeStamp_data();
    void undoRemovesWholeStamp();
    void undoWithoutStamps();
    void commandWithoutEffect_data();
    void commandWithoutEffect();
};

void TestBout::punkte_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("wr");
    QTest::addColumn<QString>("wb");
    QTest::addColumn<QString>("tpr");
    QTest::addColumn<QString>("tpb");
    QTest::addColumn<QString>("lastScorer");

    // clang-format off
    QTest::newRow("red 2")           << "r" << 2 << "2" << " " << "2" << "0" << "r";
    QTest::newRow("blue 5")          << "b" << 5 << " " << "5" << "0" << "5" << "b";
    QTest::newRow("red 1")           << "r" << 1 << "1" << " " << "1" << "0" << "r";
    QTest::newRow("upper-case side") << "R" << 2 << ""  << ""  << "0" << "0" << "";
    QTest::newRow("unknown side")    << "x" << 4 << ""  << ""  << "0" << "0" << "";
    // clang-format on
}

void TestBout::punkte()
{
    QFETCH(QString, side);
    QFETCH(int, n);
    QFETCH(QString, wr);
    Rig r;
    r.setClock(QStringLiteral("0:47"));
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);

    r.bout.punkte(side, n);

    QCOMPARE(r.bout.wr(), wr);
    QTEST(r.bout.wb(), "wb");
    QCOMPARE(r.bout.zeitstempel(), wr.isEmpty() ? QString() : QStringLiteral("0:47;"));
    QTEST(r.bout.tpr(), "tpr");
    QTEST(r.bout.tpb(), "tpb");
    QTEST(r.bout.lastScorer(), "lastScorer");
    QCOMPARE(r.clock.activityCountdown(), 1);
    QCOMPARE(refreshed.count(), 1);
}

void TestBout::pointsInClosedBoutStillEndActivityTime()
{
    Rig r;
    r.act(QStringLiteral("r5"));
    r.bout.eingabe(QStringLiteral("rss"));
    r.clock.startActivityTime(BoutClock::lightRed());
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);
    // The counts always follow the strings, so the recount of a refused point shows in its signal.
    QSignalSpy recounted(&r.bout, &Bout::changed);

    r.bout.punkte(QStringLiteral("b"), 4);

    QCOMPARE(r.bout.wr(), QStringLiteral("5"));
    QCOMPARE(r.bout.wb(), QStringLiteral(" "));
    QCOMPARE(r.bout.zeitstempel(), QStringLiteral("0:00;"));
    QCOMPARE(r.bout.tpr(), QStringLiteral("5"));
    QCOMPARE(r.bout.tpb(), QStringLiteral("0"));
    QCOMPARE(r.clock.activityCountdown(), 1);
    QCOMPARE(refreshed.count(), 1);
    QCOMPARE(recounted.count(), 1);
}

void TestBout::passivityRules_data()
{
    QTest::addColumn<QString>("stil");
    QTest::addColumn<QString>("ageClass");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("cmd");
    QTest::addColumn<bool>("starts");

    const QStringList none;
    const QStringList red{QStringLiteral("rp")};
    const QStringList blue{QStringLiteral("bp")};
    // clang-format off
    QTest::newRow("red first at 1:59")           << "F" << "0" << none << "1:59" << "rp" << false;
    QTest::newRow("red first at 2:00")           << "F" << "0" << none << "2:00" << "rp" << true;
    QTest::newRow("red first at 5:00")           << "F" << "0" << none << "5:00" << "rp" << true;
    QTest::newRow("red first at 1:30, class 1")  << "F" << "1" << none << "1:30" << "rp" << false;
    QTest::newRow("red first at 1:30, class 2")  << "F" << "2" << none << "1:30" << "rp" << true;
    QTest::newRow("red first at 1:29, class 2")  << "F" << "2" << none << "1:29" << "rp" << false;
    QTest::newRow("red first at 0:45, class 2")  << "F" << "2" << none << "0:45" << "rp" << false;
    QTest::newRow("red second at 0:10")          << "F" << "0" << red  << "0:10" << "rp" << true;
    QTest::newRow("red first after blue's")      << "F" << "0" << blue << "0:10" << "rp" << false;
    QTest::newRow("blue first at 5:00")          << "F" << "0" << none << "5:00" << "bp" << false;
    QTest::newRow("blue first at 1:30, class 2") << "F" << "2" << none << "1:30" << "bp" << false;
    QTest::newRow("blue second at 0:10")         << "F" << "0" << blue << "0:10" << "bp" << true;
    QTest::newRow("blue first after red's")      << "F" << "0" << red  << "0:10" << "bp" << false;
    QTest::newRow("Greco-Roman: no activity")    << "G" << "0" << red  << "3:00" << "rp" << false;
    QTest::newRow("lower-case style")            << "f" << "0" << red  << "3:00" << "rp" << false;
    QTest::newRow("no style")                    << ""  << "0" << red  << "3:00" << "rp" << false;
    // Only the side's own passivities count toward the Greco-Roman penalty.
    QTest::newRow("Greco-Roman: red second after two blue")
        << "G" << "0" << QStringList{"bp", "bp", "rp"} << "3:00" << "rp" << false;
    // clang-format on
}

void TestBout::passivityRules()
{
    QFETCH(QString, stil);
    QFETCH(QString, ageClass);
    QFETCH(QStringList, before);
    QFETCH(QString, clock);
    QFETCH(QString, cmd);
    QFETCH(bool, starts);
    Rig r;
    r.record.setHeader(QStringLiteral("altersklasse"), ageClass);
    r.load({.stil = stil});
    r.setClock(QStringLiteral("0:05"));
    r.actAll(before);
    r.setClock(clock);
    r.clock.setLight(BoutClock::lightBlack());
    r.clock.Label23Click();

    r.bout.eingabe(cmd);

    const bool red = cmd == QLatin1String("rp");
    QCOMPARE(r.bout.wr().size(), before.size() + 1);
    QCOMPARE(r.bout.wr().back(), red ? QLatin1Char('P') : QLatin1Char(' '));
    QCOMPARE(r.bout.wb().back(), red ? QLatin1Char(' ') : QLatin1Char('P'));
    QVERIFY(r.bout.zeitstempel().endsWith(clock + QLatin1Char(';')));
    const QColor light = !starts ? BoutClock::lightBlack()
                         : red   ? BoutClock::lightRed()
                                 : BoutClock::lightBlue();
    QCOMPARE(r.clock.light(), light);
    QCOMPARE(r.clock.activityCountdown(), starts ? 30 : 0);
}

void TestBout::grecoRomanPenalty_data()
{
    QTest::addColumn<QString>("cmd");
    QTest::newRow("red") << "rp";
    QTest::newRow("blue") << "bp";
}

void TestBout::grecoRomanPenalty()
{
    QFETCH(QString, cmd);
    const bool red = cmd == QLatin1String("rp");
    Rig r;
    r.load({.stil = QStringLiteral("G")});
    r.setClock(QStringLiteral("2:10"));
    const auto own = [&] { return red ? r.bout.wr() : r.bout.wb(); };
    const auto other = [&] { return red ? r.bout.wb() : r.bout.wr(); };
    const auto otherPoints = [&] { return red ? r.bout.tpb() : r.bout.tpr(); };

    r.actAll({cmd, cmd});
    QCOMPARE(own(), QStringLiteral("PP"));
    QCOMPARE(other(), QStringLiteral("  "));

    r.clock.Label23Click();
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);
    r.act(cmd);
    QCOMPARE(own(), QStringLiteral("PPP "));
    QCOMPARE(other(), QStringLiteral("   1"));
    QCOMPARE(otherPoints(), QStringLiteral("1"));
    QCOMPARE(r.bout.zeitstempel(), stamps(QStringLiteral("2:10"), 4));
    QCOMPARE(r.bout.lastScorer(), red ? QStringLiteral("b") : QStringLiteral("r"));
    QCOMPARE(r.clock.activityCountdown(), 1);
    QCOMPARE(refreshed.count(), 2);

    r.act(cmd);
    QCOMPARE(own(), QStringLiteral("PPP P "));
    QCOMPARE(other(), QStringLiteral("   1 1"));
    QCOMPARE(otherPoints(), QStringLiteral("2"));
    QCOMPARE(r.bout.zeitstempel(), stamps(QStringLiteral("2:10"), 6));

    // The penalty point is a position of its own: the first undo takes only it back.
    r.clock.startActivityTime(BoutClock::lightRed());
    r.bout.eingabe(QStringLiteral("wertungrueck"));
    QCOMPARE(own(), QStringLiteral("PPP P"));
    QCOMPARE(otherPoints(), QStringLiteral("1"));
    QCOMPARE(r.clock.activityCountdown(), 30);
    r.bout.eingabe(QStringLiteral("wertungrueck"));
    QCOMPARE(own(), QStringLiteral("PPP "));
    QCOMPARE(other(), QStringLiteral("   1"));
    QCOMPARE(r.bout.zeitstempel(), stamps(QStringLiteral("2:10"), 4));
    QCOMPARE(r.clock.activityCountdown(), 0);
    QCOMPARE(red ? r.bout.Label33() : r.bout.Label34(), QStringLiteral("P: 3, V:0"));
}

void TestBout::summaryLabelsFollowCommands()
{
    Rig r;
    r.setClock(QStringLiteral("0:10"));
    r.actAll({"rv", "rp", "rv", "bv", "b1"});

    QCOMPARE(r.bout.wr(), QStringLiteral("VPV  "));
    QCOMPARE(r.bout.wb(), QStringLiteral("   V1"));
    QCOMPARE(r.bout.zeitstempel(), stamps(QStringLiteral("0:10"), 5));
    QCOMPARE(r.bout.Label33(), QStringLiteral("P: 1, V:2"));
    QCOMPARE(r.bout.Label34(), QStringLiteral("P: 0, V:1"));
    QCOMPARE(r.bout.cautionsRed(), 2);
    QCOMPARE(r.bout.passivityRed(), 1);
    QCOMPARE(r.bout.cautionsBlue(), 1);
    QCOMPARE(r.bout.tpb(), QStringLiteral("1"));
}

void TestBout::recount_data()
{
    QTest::addColumn<QString>("wr");
    QTest::addColumn<QString>("wb");
    QTest::addColumn<QString>("tpr");
    QTest::addColumn<QString>("tpb");
    // 5, 4, 2, cautions, passivities: red, then blue.
    QTest::addColumn<QList<int>>("counters");
    QTest::addColumn<QString>("lastScorer");
    QTest::addColumn<QString>("lastPassivity");
    QTest::addColumn<QString>("label33");
    QTest::addColumn<QString>("label34");

    const QString zero = QStringLiteral("P: 0, V:0");
    const QString oneP = QStringLiteral("P: 1, V:0");
    using C = QList<int>;
    // clang-format off
    QTest::newRow("4, 5, 4")  << "454" << "   " << "13" << "0" << C{1, 2, 0, 0, 0,  0, 0, 0, 0, 0} << "r" << "" << zero << zero;
    QTest::newRow("stored 3") << "3"   << " "   << "3"  << "0" << C{0, 0, 0, 0, 0,  0, 0, 0, 0, 0} << "r" << "" << zero << zero;
    QTest::newRow("mixed")    << "2 P 1 " << " 4 V 5" << "3" << "9" << C{0, 0, 1, 0, 1,  1, 1, 0, 1, 0} << "b" << "r"
                              << oneP << "P: 0, V:1";
    QTest::newRow("blue later at the same position")
        << "P2" << "P2" << "2" << "2" << C{0, 0, 1, 0, 1,  0, 0, 1, 0, 1} << "b" << "b" << oneP << oneP;
    QTest::newRow("red at a later position")
        << "1P" << "P " << "1" << "0" << C{0, 0, 0, 0, 1,  0, 0, 0, 0, 1} << "r" << "r" << oneP << oneP;
    QTest::newRow("other characters count nothing")
        << "x90#" << " 6pv" << "0" << "0" << C{0, 0, 0, 0, 0,  0, 0, 0, 0, 0} << "" << "" << zero << zero;
    QTest::newRow("two-digit count")
        << "VVVVVVVVVV" << "          " << "0" << "0" << C{0, 0, 0, 10, 0,  0, 0, 0, 0, 0} << "" << "" << "P: 0, V:10" << zero;
    QTest::newRow("blue beyond red's length")
        << "1" << " 5" << "1" << "0" << C{0, 0, 0, 0, 0,  0, 0, 0, 0, 0} << "r" << "" << zero << zero;
    QTest::newRow("empty") << "" << "" << "0" << "0" << C{0, 0, 0, 0, 0,  0, 0, 0, 0, 0} << "" << "" << zero << zero;
    // clang-format on
}

void TestBout::recount()
{
    QFETCH(QString, wr);
    QFETCH(QString, wb);

    const Bout::Tally b = Bout::tally(wr, wb);

    QTEST(b.tpr, "tpr");
    QTEST(b.tpb, "tpb");
    const QList<int> counters{b.count5Red,  b.count4Red,  b.count2Red,  b.cautionsRed,  b.passivityRed,
                              b.count5Blue, b.count4Blue, b.count2Blue, b.cautionsBlue, b.passivityBlue};
    QTEST(counters, "counters");
    QTEST(b.lastScorer, "lastScorer");
    QTEST(b.lastPassivity, "lastPassivity");
    QTEST(b.Label33, "label33");
    QTEST(b.Label34, "label34");

    // A row never loads strings of unequal length (they are cleared), so those end here.
    if (wr.size() != wb.size())
        return;
    // Through a loaded bout: the leftovers of an earlier bout, every counter busy, must not
    // survive the recount.
    Rig r;
    r.load({.wr = QStringLiteral("542VP     "), .wb = QStringLiteral("     542VP")});
    QSignalSpy changed(&r.bout, &Bout::changed);
    r.load({.wr = wr, .wb = wb});
    QCOMPARE(describe(r.tally()), describe(b));
    QVERIFY(changed.count() >= 1);
}

void TestBout::fifteenPointDifference_data()
{
    QTest::addColumn<QString>("wr");
    QTest::addColumn<QString>("wb");
    QTest::addColumn<bool>("shown");
    // clang-format off
    QTest::newRow("15 to 0")  << "555"   << "   "   << true;
    QTest::newRow("14 to 0")  << "554"   << "   "   << false;
    QTest::newRow("0 to 15")  << "   "   << "555"   << true;
    QTest::newRow("0 to 14")  << "   "   << "554"   << false;
    QTest::newRow("20 to 5")  << "5555 " << "    5" << true;
    QTest::newRow("4 to 19")  << "4    " << " 5554" << true;
    QTest::newRow("5 to 19")  << "5    " << " 5554" << false;
    // clang-format on
}

void TestBout::fifteenPointDifference()
{
    QFETCH(bool, shown);
    Rig r;
    QFETCH(QString, wr);
    QFETCH(QString, wb);
    // The label of an earlier bout must not survive the recount.
    r.load({.wr = QStringLiteral("555"), .wb = QStringLiteral("   ")});
    r.load({.wr = wr, .wb = wb});
    QCOMPARE(r.bout.infolabel(), shown ? QStringLiteral("15 Punkte differenz") : QString());
}

void TestBout::winTypeCommands_data()
{
    QTest::addColumn<QString>("cmd");
    QTest::addColumn<QString>("rot");
    QTest::addColumn<QString>("blau");

    const QList<std::pair<QString, QString>> codes{
        {QStringLiteral("ss"), QStringLiteral("SS")}, {QStringLiteral("as"), QStringLiteral("AS")},
        {QStringLiteral("ds"), QStringLiteral("DS")}, {QStringLiteral("üg"), QStringLiteral("ÜG")},
        {QStringLiteral("ug"), QStringLiteral("UG")}, {QStringLiteral("dv"), QStringLiteral("DV")},
        {QStringLiteral("dq"), QStringLiteral("DQ")},
    };
    for (const auto& [suffix, code] : codes) {
        const QString red = QLatin1Char('r') + suffix;
        const QString blue = QLatin1Char('b') + suffix;
        QTest::newRow(qPrintable(red)) << red << code << QString();
        QTest::newRow(qPrintable(blue)) << blue << QString() << code;
    }
    QTest::newRow("xdq") << QStringLiteral("xdq") << QStringLiteral("DQ") << QStringLiteral("DQ");
    QTest::newRow("xüg") << QStringLiteral("xüg") << QStringLiteral("ÜG") << QStringLiteral("ÜG");
}

void TestBout::winTypeCommands()
{
    QFETCH(QString, cmd);
    QFETCH(QString, rot);
    QFETCH(QString, blau);
    Rig r;
    r.setClock(QStringLiteral("0:47"));
    // Both labels filled beforehand (a row without wrestlers loads "KL" for each side), so that
    // the side left out must be emptied.
    r.load({.wr = QStringLiteral("2 "),
            .wb = QStringLiteral(" V"),
            .zeiten = QStringLiteral("0:47;0:47;"),
            .wrestlers = false});
    QStringList expected = r.state();
    expected[3] = rot;
    expected[4] = blau;
    r.clock.startActivityTime(BoutClock::lightRed());
    QSignalSpy changed(&r.bout, &Bout::changed);
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);

    r.bout.eingabe(cmd);

    QCOMPARE(r.state(), expected);
    QCOMPARE(r.clock.activityCountdown(), 30);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(refreshed.count(), 1);
}

void TestBout::scoringRefusedUntilUndo_data()
{
    QTest::addColumn<QStringList>("wins");
    QTest::addColumn<QString>("rot");
    QTest::addColumn<QString>("blau");
    QTest::addColumn<QString>("action");

    struct Closing
    {
        const char* name;
        QStringList wins;
        QString rot, blau;
    };
    const QList<Closing> closings{
        {"rss", {"rss"}, "SS", ""},
        {"bss after rss", {"rss", "bss"}, "", "SS"},
        {"xüg", {QStringLiteral("xüg")}, QStringLiteral("ÜG"), QStringLiteral("ÜG")},
        {"rüg", {QStringLiteral("rüg")}, QStringLiteral("ÜG"), ""},
        {"xdq", {"xdq"}, "DQ", "DQ"},
    };
    for (const Closing& c : closings)
        for (const char* action : {"r2", "b4", "rp", "bp", "rv", "bv"})
            QTest::addRow("%s, then %s", c.name, action)
                << c.wins << c.rot << c.blau << QString::fromLatin1(action);
}

void TestBout::scoringRefusedUntilUndo()
{
    QFETCH(QStringList, wins);
    QFETCH(QString, action);
    Rig r;
    r.load({.stil = QStringLiteral("F")});
    r.setClock(QStringLiteral("3:00"));
    r.act(QStringLiteral("r1"));
    r.actAll(wins);
    QTEST(r.bout.sieg_rot(), "rot");
    QTEST(r.bout.sieg_blau(), "blau");
    const QStringList before = r.state();
    r.clock.startActivityTime(BoutClock::lightRed());
    r.clock.setLight(BoutClock::lightBlack());
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);

    r.act(action);

    QCOMPARE(r.state(), before);
    QCOMPARE(refreshed.count(), 1);
    QCOMPARE(r.clock.activityCountdown(), action.at(1).isDigit() ? 1 : 30);
    QCOMPARE(r.clock.light(), BoutClock::lightBlack());

    r.bout.eingabe(QStringLiteral("wertungrueck"));
    QVERIFY(r.bout.isOpen());
    QCOMPARE(r.bout.wr(), QStringLiteral("1"));
    r.act(action);
    QCOMPARE(r.bout.wr().size(), 2);
}

void TestBout::undoReopensBeforeRemoving()
{
    Rig r;
    r.load({.stil = QStringLiteral("F")});
    r.setClock(QStringLiteral("0:47"));
    r.act(QStringLiteral("r2"));
    r.setClock(QStringLiteral("1:12"));
    r.actAll({"bp", "rss"});
    r.clock.startActivityTime(BoutClock::lightRed());

    r.bout.eingabe(QStringLiteral("wertungrueck"));
    QVERIFY(r.bout.sieg_rot().isEmpty());
    QVERIFY(r.bout.sieg_blau().isEmpty());
    QCOMPARE(r.bout.wr(), QStringLiteral("2 "));
    QCOMPARE(r.bout.wb(), QStringLiteral(" P"));
    QCOMPARE(r.bout.zeitstempel(), QStringLiteral("0:47;1:12;"));
    QCOMPARE(r.clock.activityCountdown(), 30);

    r.bout.eingabe(QStringLiteral("wertungrueck"));
    QCOMPARE(r.bout.wr(), QStringLiteral("2"));
    QCOMPARE(r.bout.wb(), QStringLiteral(" "));
    QCOMPARE(r.bout.zeitstempel(), QStringLiteral("0:47;"));
    QCOMPARE(r.bout.Label34(), QStringLiteral("P: 0, V:0"));
    QVERIFY(r.bout.lastPassivity().isEmpty());
    QCOMPARE(r.clock.activityCountdown(), 0);
}

void TestBout::undoTakesBackLastPosition_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("countdown");
    // clang-format off
    QTest::newRow("red passivity")  << "rp" << 0;
    QTest::newRow("blue passivity") << "bp" << 0;
    QTest::newRow("red points")     << "r2" << 30;
    QTest::newRow("blue points")    << "b5" << 30;
    QTest::newRow("red caution")    << "rv" << 30;
    QTest::newRow("blue caution")   << "bv" << 30;
    // clang-format on
}

void TestBout::undoTakesBackLastPosition()
{
    QFETCH(QString, action);
    Rig r;
    r.setClock(QStringLiteral("0:20"));
    r.act(QStringLiteral("r1"));
    const QStringList before = r.state();
    r.setClock(QStringLiteral("0:47"));
    r.act(action);
    r.clock.startActivityTime(BoutClock::lightRed());
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);

    r.bout.eingabe(QStringLiteral("wertungrueck"));

    QCOMPARE(r.state(), before);
    QTEST(r.clock.activityCountdown(), "countdown");
    QCOMPARE(refreshed.count(), 1);
}

void TestBout::undoRemovesWholeStamp_data()
{
    QTest::addColumn<QStringList>("clocks");
    QTest::addColumn<QString>("afterUndo");
    // clang-format off
    QTest::newRow("five after five") << QStringList{"0:47", "1:12"}   << "0:47;";
    QTest::newRow("six after five")  << QStringList{"9:58", "10:05"}  << "9:58;";
    QTest::newRow("six after six")   << QStringList{"10:05", "11:00"} << "10:05;";
    QTest::newRow("five after six")  << QStringList{"10:05", "0:30"}  << "10:05;";
    QTest::newRow("single six")      << QStringList{"10:05"}          << "";
    // clang-format on
}

void TestBout::undoRemovesWholeStamp()
{
    QFETCH(QStringList, clocks);
    Rig r;
    for (const QString& c : clocks) {
        r.setClock(c);
        r.act(QStringLiteral("b1"));
    }
    QCOMPARE(r.bout.zeitstempel(), clocks.join(QLatin1Char(';')) + QLatin1Char(';'));

    r.bout.eingabe(QStringLiteral("wertungrueck"));
    QTEST(r.bout.zeitstempel(), "afterUndo");
    QCOMPARE(r.bout.wb().size(), clocks.size() - 1);

    while (!r.bout.wr().isEmpty())
        r.bout.eingabe(QStringLiteral("wertungrueck"));
    QCOMPARE(r.bout.zeitstempel(), QString());
}

void TestBout::undoWithoutStamps()
{
    Rig r;
    r.load({.wr = QStringLiteral("4"), .wb = QStringLiteral(" ")});

    r.bout.eingabe(QStringLiteral("wertungrueck"));

    QCOMPARE(r.bout.wr(), QString());
    QCOMPARE(r.bout.wb(), QString());
    QCOMPARE(r.bout.zeitstempel(), QString());
    QCOMPARE(r.bout.tpr(), QStringLiteral("0"));
}

void TestBout::commandWithoutEffect_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("cmd");
    QTest::newRow("undo in an empty bout") << QStringList() << "wertungrueck";
    const QStringList scored{QStringLiteral("r2"), QStringLiteral("bp")};
    for (const QString& cmd :
         {QStringLiteral(""), QStringLiteral("RP"), QStringLiteral("rP"), QStringLiteral("rp "),
          QStringLiteral("RSS"), QStringLiteral("rueg"), QStringLiteral("rÜg"), QStringLiteral("xss"),
          QStringLiteral("rkl"), QStringLiteral("WertungRueck")})
        QTest::newRow(qPrintable(QLatin1Char('"') + cmd + QLatin1Char('"'))) << scored << cmd;
}

void TestBout::commandWithoutEffect()
{
    QFETCH(QStringList, before);
    QFETCH(QString, cmd);
    Rig r;
    r.load({.stil = QStringLiteral("F")});
    r.setClock(QStringLiteral("3:00"));
    r.actAll(before);
    const QStringList state = r.state();
    r.clock.startActivityTime(BoutClock::lightRed());
    QSignalSpy refreshed(&r.bout, &Bout::updatepunkt);

    r.bout.eingabe(cmd);

    QCOMPARE(r.state(), state);
    QCOMPARE(r.clock.activityCountdown(), 30);
    QCOMPARE(refreshed.count(), 1);
}

QTEST_GUILESS_MAIN(TestBout)
#include "tst_bout.moc"
