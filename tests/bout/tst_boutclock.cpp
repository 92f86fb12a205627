#include "bout/BoutClock.h"
#include "match/MatchRecord.h"
#include "platform/SignalSound.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

const QString kSignalPath = QStringLiteral("/opt/vantor2/signal.wav");

// The clock with the record and sound it reads, for one age class.
struct Rig
{
    explicit Rig(const QString& ageClass) { record.setHeader(QStringLiteral("altersklasse"), ageClass); }

    int plays() const { return sound.plays(); }
    void setClock(int m, int s) { clock.loadClock(m, s, BoutClock::clockText(m, s)); }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            clock.Timer3Timer();
    }

    MatchRecord record;
    RecordingSound sound;
    BoutClock clock{record, sound, kSignalPath};
};

using Operation = std::function<void(BoutClock&)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestBoutClock : public QObject
{
    Q_OBJECT
private slots:
    void clockText_data();
    void clockText();
    void wholeBout_data();
    void wholeBout();
    void activityTimeAtPeriodEndSkipsBreak();
    void label23ClickCancelsBreak_data();
    void label23ClickCancelsBreak();
    void markPassedByHandRunsOn_data();
    void markPassedByHandRunsOn();
    void activityCountdown_data();
    void activityCountdown();
    void pointEndsActivityAtNextTick_data();
    void pointEndsActivityAtNextTick();
    void zeitplusminus_data();
    void zeitplusminus();
    void resetWhileRunningGoesOnFromZero();
    void injuryTime_data();
    void injuryTime();
    void loadingHoldsBreakAndKeepsIndicators();
    void changedFollowsVisibleState_data();
    void changedFollowsVisibleState();
    void systemSoundNeverFails();
};

void TestBoutClock::clockText_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << 0 << 0 << "0:00";
    QTest::newRow("one digit") << 0 << 5 << "0:05";
    QTest::newRow("nine") << 2 << 9 << "2:09";
    QTest::newRow("ten") << 2 << 10 << "2:10";
    QTest::newRow("minute end") << 2 << 59 << "2:59";
    QTest::newRow("two-digit minutes") << 12 << 30 << "12:30";
}

void TestBoutClock::clockText()
{
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(BoutClock::clockText(minutes, seconds), text);
    QCOMPARE(BoutClock::injuryText(minutes * 60 + seconds), text);
}

void TestBoutClock::wholeBout_data()
{
    QTest::addColumn<QString>("ageClass");
    QTest::addColumn<int>("period");
    QTest::newRow("Männer") << "0" << 3;
    QTest::newRow("A/B-Jugend") << "1" << 3;
    QTest::newRow("C/D-Jugend") << "2" << 2;
    QTest::newRow("no class chosen") << "-1" << 3;
}

// A bout from 0:00 to its own end, tick by tick, as the operator runs it.
void TestBoutClock::wholeBout()
{
    QFETCH(QString, ageClass);
    QFETCH(int, period);
    Rig r(ageClass);
    QSignalSpy updates(&r.clock, &BoutClock::updatesek);
    QSignalSpy startstops(&r.clock, &BoutClock::startstopped);
    QCOMPARE(r.clock.periodMinutes(), period);

    r.clock.startstop();
    QVERIFY(r.clock.running());
    r.tick(period * 60 - 1);
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(period - 1, 59));
    QCOMPARE(r.plays(), 0);
    QCOMPARE(r.clock.label23(), QString());

    r.tick();
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(period, 0));
    QCOMPARE(r.clock.light(), BoutClock::lightGreen());
    QCOMPARE(r.plays(), 1);
    QCOMPARE(r.clock.pauseCountdown(), 30);

    for (int n = 30; n >= 2; --n) {
        r.tick();
        QCOMPARE(r.clock.uhr(), BoutClock::clockText(period, 0));
        QCOMPARE(r.clock.label23(), QStringLiteral(">> PAUSE: %1 <<").arg(n));
        QCOMPARE(r.clock.light(), BoutClock::lightGreen());
        QVERIFY(r.clock.running());
    }
    QCOMPARE(r.plays(), 1);

    r.tick();
    QVERIFY(!r.clock.running());
    QCOMPARE(r.plays(), 2);
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(period, 0));
    QCOMPARE(r.clock.light(), BoutClock::lightBlack());
    QCOMPARE(r.clock.label23(), QString());

    r.clock.startstop();
    r.tick();
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(period, 1));
    QCOMPARE(r.plays(), 2);

    r.tick(period * 60 - 2);
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(2 * period - 1, 59));
    QVERIFY(r.clock.running());
    r.tick();
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(2 * period, 0));
    QVERIFY(!r.clock.running());
    QCOMPARE(r.plays(), 3);
    QCOMPARE(r.clock.light(), BoutClock::lightBlack());

    QCOMPARE(r.sound.played, QStringList(3, kSignalPath));
    QCOMPARE(updates.count(), 2 * period * 60 + 30);
    QCOMPARE(startstops.count(), 2);
}

void TestBoutClock::activityTimeAtPeriodEndSkipsBreak()
{
    Rig r(QStringLiteral("0"));
    r.setClock(2, 59);
    r.clock.startActivityTime(BoutClock::lightBlue());
    r.clock.startstop();
    r.tick();
    QCOMPARE(r.clock.uhr(), QStringLiteral("3:00"));
    QCOMPARE(r.clock.pauseCountdown(), 0);
    QCOMPARE(r.clock.light(), BoutClock::lightBlue());
    QCOMPARE(r.clock.label23(), QStringLiteral("Aktivitätszeit: 30"));
    r.tick();
    QCOMPARE(r.clock.uhr(), QStringLiteral("3:01"));
    QCOMPARE(r.plays(), 0);
}

void TestBoutClock::label23ClickCancelsBreak_data()
{
    QTest::addColumn<bool>("held");
    QTest::newRow("break running") << false;
    QTest::newRow("break held") << true;
}

void TestBoutClock::label23ClickCancelsBreak()
{
    QFETCH(bool, held);
    Rig r(QStringLiteral("0"));
    r.setClock(2, 59);
    r.clock.startstop();
    r.tick(2);
    QCOMPARE(r.clock.label23(), QStringLiteral(">> PAUSE: 30 <<"));
    if (held)
        r.clock.startstop();

    r.clock.Label23Click();
    // Nothing visible changes before the next tick.
    QCOMPARE(r.clock.light(), BoutClock::lightGreen());
    QCOMPARE(r.clock.label23(), QStringLiteral(">> PAUSE: 30 <<"));

    if (held)
        r.clock.startstop();
    r.tick();
    QCOMPARE(r.clock.uhr(), QStringLiteral("3:01"));
    QCOMPARE(r.clock.light(), BoutClock::lightBlack());
    QCOMPARE(r.clock.label23(), QString());
    QVERIFY(r.clock.running());
    QCOMPARE(r.plays(), 1);
}

void TestBoutClock::markPassedByHandRunsOn_data()
{
    QTest::addColumn<QString>("ageClass");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("after");
    // The clock is followed on to this full minute; only the end of the bout stops it there.
    QTest::addColumn<int>("until");
    QTest::addColumn<bool>("endsThere");
    QTest::newRow("break mark") << "0" << 2 << "3:01" << 6 << true;
    QTest::newRow("break mark C/D") << "2" << 1 << "2:01" << 4 << true;
    QTest::newRow("bout end") << "0" << 5 << "6:01" << 12 << false;
    QTest::newRow("bout end C/D") << "2" << 3 << "4:01" << 8 << false;
}

void TestBoutClock::markPassedByHandRunsOn()
{
    QFETCH(QString, ageClass);
    QFETCH(int, minutes);
    QFETCH(QString, after);
    QFETCH(int, until);
    QFETCH(bool, endsThere);
    Rig r(ageClass);
    r.setClock(minutes, 59);
    r.clock.zeitplusminus(QStringLiteral("p"), 1);
    QCOMPARE(r.clock.uhr(), BoutClock::clockText(minutes + 1, 0));
    r.clock.startstop();
    r.tick();
    QCOMPARE(r.clock.uhr(), after);
    QVERIFY(r.clock.running());
    QCOMPARE(r.clock.pauseCountdown(), 0);
    QCOMPARE(r.plays(), 0);

    // Every later full minute passes like any other second: no break, no stop, no signal.
    for (int m = minutes + 2; m < until || (m == until && !endsThere); ++m) {
        r.tick(m == minutes + 2 ? 59 : 60); // the first from (minutes + 1):01
        QCOMPARE(r.clock.uhr(), BoutClock::clockText(m, 0));
        QVERIFY2(r.clock.running(), qPrintable(r.clock.uhr()));
        QCOMPARE(r.plays(), 0);
        QCOMPARE(r.clock.pauseCountdown(), 0);
        QCOMPARE(r.clock.light(), BoutClock::lightBlack());
        QCOMPARE(r.clock.label23(), QString());
    }
    if (endsThere) {
        // Passed by hand, the break mark leaves the end of the bout where it was.
        r.tick(59);
        QCOMPARE(r.clock.uhr(), BoutClock::clockText(until - 1, 59));
        QVERIFY(r.clock.running());
        r.tick();
        QCOMPARE(r.clock.uhr(), BoutClock::clockText(until, 0));
        QVERIFY(!r.clock.running());
        QCOMPARE(r.plays(), 1);
    }
}

void TestBoutClock::activityCountdown_data()
{
    QTest::addColumn<QColor>("side");
    QTest::newRow("red") << BoutClock::lightRed();
    QTest::newRow("blue") << BoutClock::lightBlue();
}

void TestBoutClock::activityCountdown()
{
    QFETCH(QColor, side);
    Rig r(QStringLiteral("0"));
    r.clock.startActivityTime(side);
    r.clock.startstop();
    for (int n = 30; n >= 2; --n) {
        r.tick();
        QCOMPARE(r.clock.label23(), QStringLiteral("Aktivitätszeit: %1").arg(n));
        QCOMPARE(r.clock.light(), side);
    }
    r.tick();
    QCOMPARE(r.clock.activityCountdown(), 0);
    QCOMPARE(r.clock.label23(), QString());
    QCOMPARE(r.clock.light(), BoutClock::lightBlack());
    QCOMPARE(r.clock.uhr(), QStringLiteral("0:30"));
    QVERIFY(r.clock.running());
    QCOMPARE(r.plays(), 0);
}

void TestBoutClock::pointEndsActivityAtNextTick_data()
{
    QTest::addColumn<bool>("stopped");
    QTest::newRow("clock running") << false;
    QTest::newRow("clock stopped, then restarted") << true;
}

void TestBoutClock::pointEndsActivityAtNextTick()
{
    QFETCH(bool, stopped);
    Rig r(QStringLiteral("0"));
    r.clock.startActivityTime(BoutClock::lightRed());
    r.clock.startstop();
    r.tick(5);
    if (stopped)
        r.clock.startstop();
    r.clock.endActivityTime(); // what a point does
    QCOMPARE(r.clock.light(), BoutClock::lightRed());
    if (stopped)
        r.clock.startstop();
    r.tick();
    QCOMPARE(r.clock.activityCountdown(), 0);
    QCOMPARE(r.clock.label23(), QString());
    QCOMPARE(r.clock.light(), BoutClock::lightBlack());
}

void TestBoutClock::zeitplusminus_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("after");
    QTest::newRow("m at 1:00") << "m" << 1 << 1 << 0 << "0:59";
    QTest::newRow("m at 0:00") << "m" << 1 << 0 << 0 << "0:00";
    QTest::newRow("m at 0:01") << "m" << 1 << 0 << 1 << "0:00";
    QTest::newRow("p at 0:59") << "p" << 1 << 0 << 59 << "1:00";
    QTest::newRow("p at 4:10") << "p" << 1 << 4 << 10 << "4:11";
    QTest::newRow("r at 4:37") << "r" << 0 << 4 << 37 << "0:00";
}

void TestBoutClock::zeitplusminus()
{
    QFETCH(QString, op);
    QFETCH(int, step);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QString, after);
    Rig r(QStringLiteral("0"));
    // A break that has run for a while, and an activity time started during it.
    r.setClock(2, 59);
    r.tick(5);
    r.clock.startActivityTime(BoutClock::lightGreen());
    r.tick(18);
    QCOMPARE(r.clock.activityCountdown(), 12);
    QCOMPARE(r.clock.pauseCountdown(), 8);
    r.setClock(minutes, seconds);
    QSignalSpy updates(&r.clock, &BoutClock::updatesek);

    r.clock.zeitplusminus(op, step);
    QCOMPARE(r.clock.uhr(), after);
    QCOMPARE(BoutClock::clockText(r.clock.clockMinutes(), r.clock.clockSeconds()), after);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(r.clock.activityCountdown(), 12);
    QCOMPARE(r.clock.pauseCountdown(), 8);
    QCOMPARE(r.clock.light(), BoutClock::lightGreen());
    QVERIFY(!r.clock.running());
}

void TestBoutClock::resetWhileRunningGoesOnFromZero()
{
    Rig r(QStringLiteral("0"));
    r.clock.startstop();
    r.tick(75);
    r.clock.zeitplusminus(QStringLiteral("r"), 0);
    QCOMPARE(r.clock.uhr(), QStringLiteral("0:00"));
    QVERIFY(r.clock.running());
    r.tick();
    QCOMPARE(r.clock.uhr(), QStringLiteral("0:01"));
}

void TestBoutClock::injuryTime_data()
{
    QTest::addColumn<bool>("red");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("text");
    QTest::newRow("red 61") << true << 61 << "1:01";
    QTest::newRow("red 600") << true << 600 << "10:00";
    QTest::newRow("blue 61") << false << 61 << "1:01";
    QTest::newRow("blue 600") << false << 600 << "10:00";
}

void TestBoutClock::injuryTime()
{
    QFETCH(bool, red);
    QFETCH(int, ticks);
    QFETCH(QString, text);
    Rig r(QStringLiteral("0"));
    QSignalSpy updates(&r.clock, &BoutClock::updatesek);
    QSignalSpy changes(&r.clock, &BoutClock::changed);

    red ? r.clock.vzrotDblClick() : r.clock.vzblauDblClick();
    QCOMPARE(red ? r.clock.injuryRedRunning() : r.clock.injuryBlueRunning(), true);
    QCOMPARE(red ? r.clock.injuryBlueRunning() : r.clock.injuryRedRunning(), false);
    QCOMPARE(updates.count(), 0); // the switch refreshes nothing
    QVERIFY(!r.clock.running());

    for (int i = 0; i < ticks; ++i)
        red ? r.clock.vztimerrotTimer() : r.clock.vztimerblauTimer();
    QCOMPARE(red ? r.clock.vzrot() : r.clock.vzblau(), text);
    QCOMPARE(red ? r.clock.vzblau() : r.clock.vzrot(), QStringLiteral("0:00"));
    QCOMPARE(updates.count(), ticks);
    QCOMPARE(changes.count(), ticks);

    r.clock.resetInjuryTimes();
    QCOMPARE(r.clock.vzrot(), QStringLiteral("0:00"));
    QCOMPARE(r.clock.vzblau(), QStringLiteral("0:00"));
    QCOMPARE(red ? r.clock.injuryRedRunning() : r.clock.injuryBlueRunning(), true);

    red ? r.clock.vzrotDblClick() : r.clock.vzblauDblClick();
    QVERIFY(!r.clock.injuryRedRunning() && !r.clock.injuryBlueRunning());
}

// Loading a bout stops the clock but leaves break, activity, light and Label23 to run on.
void TestBoutClock::loadingHoldsBreakAndKeepsIndicators()
{
    Rig r(QStringLiteral("0"));
    r.setClock(2, 59);
    r.clock.startstop();
    r.tick(3);
    QCOMPARE(r.clock.label23(), QStringLiteral(">> PAUSE: 29 <<"));

    r.clock.loadClock(1, 5, QStringLiteral("1:05"));
    QVERIFY(!r.clock.running());
    QCOMPARE(r.clock.uhr(), QStringLiteral("1:05"));
    QCOMPARE(r.clock.pauseCountdown(), 28);
    QCOMPARE(r.clock.light(), BoutClock::lightGreen());
    QCOMPARE(r.clock.label23(), QStringLiteral(">> PAUSE: 29 <<"));

    r.clock.startstop();
    r.tick();
    QCOMPARE(r.clock.uhr(), QStringLiteral("1:05"));
    QCOMPARE(r.clock.label23(), QStringLiteral(">> PAUSE: 28 <<"));
}

void TestBoutClock::changedFollowsVisibleState_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::newRow("tick") << Operation([](BoutClock& c) { c.Timer3Timer(); });
    QTest::newRow("startstop") << Operation([](BoutClock& c) { c.startstop(); });
    QTest::newRow("zeitplusminus") << Operation(
        [](BoutClock& c) { c.zeitplusminus(QStringLiteral("p"), 1); });
    QTest::newRow("light") << Operation([](BoutClock& c) { c.setLight(BoutClock::lightRed()); });
    QTest::newRow("load") << Operation([](BoutClock& c) { c.loadClock(4, 2, QStringLiteral("4:02")); });
    QTest::newRow("injury reset") << Operation([](BoutClock& c) { c.resetInjuryTimes(); });
    QTest::newRow("injury tick") << Operation([](BoutClock& c) { c.vztimerblauTimer(); });
}

void TestBoutClock::changedFollowsVisibleState()
{
    QFETCH(Operation, operation);
    Rig r(QStringLiteral("0"));
    QSignalSpy changes(&r.clock, &BoutClock::changed);
    operation(r.clock);
    QVERIFY(changes.count() >= 1);
}

// Without a sound device, with a missing file, a real WAV and a file that is no WAV, play()
// returns at once and the match goes on; a second play re-uses the loaded sound.
void TestBoutClock::systemSoundNeverFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&dir](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
    };
    // 0.01 s of silence, 8 kHz 8-bit mono.
    QByteArray wav(
        "RIFF\x74\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\x50\0\0\0", 44);
    wav.append(80, char(0x80));
    const QString real = write(QStringLiteral("signal.wav"), wav);
    const QString garbage = write(QStringLiteral("text.wav"), "no sound here");
    QVERIFY(!real.isEmpty() && !garbage.isEmpty());

    SystemSignalSound sound;
    for (int round = 0; round < 2; ++round) {
        QVERIFY_THROWS_NO_EXCEPTION(sound.play(dir.filePath(QStringLiteral("missing.wav"))));
        QVERIFY_THROWS_NO_EXCEPTION(sound.play(real));
        QVERIFY_THROWS_NO_EXCEPTION(sound.play(garbage));
        QCoreApplication::processEvents();
    }
    // Qt's sample cache loads on a thread of its own and can trip over its own teardown when the
    // process ends mid-load; let the loads settle before the files and the player go.
    QTest::qWait(300);
}

QTEST_GUILESS_MAIN(TestBoutClock)
#include "tst_boutclock.moc"
