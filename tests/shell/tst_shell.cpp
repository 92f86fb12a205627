#include "bout/KeyboardControl.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "shell/Console.h"
#include "shell/OperatorShell.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTime>
#include <QtTest>

#include "support/TestSupport.h"

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void markerSlidesByAFifth();
    void markerTurnsTowardNewTarget();
    void markerStep_data();
    void markerStep();
    void sameViewAgainStopsMarkerAtNextTick();

    void entryPanelNeedsAMatchFile();
    void switchesClearKeyboardActive();
    void upwardDrag_data();
    void upwardDrag();

    void boutPanelLoadsFirstBoutOnce();
    void teamScoreRecountStopsAtBadCell();
    void boutChoiceList();
    void boutUnwritten_data();
    void boutUnwritten();

    void everyTipReachable();
    void licenceDateLine();
    void wallClockShowsTimeOnly();

private:
    void openMatch(const QByteArray& bouts);

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
    // The console's own.
    KeyboardControl* m_keyboard = nullptr;
    OperatorShell* m_shell = nullptr;
};

void TestShell::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_keyboard = &m_console->keyboard();
    m_shell = &m_console->shell();
}

void TestShell::cleanup()
{
    m_shell = nullptr;
    m_keyboard = nullptr;
    m_console.reset();
    m_dir.reset();
}

void TestShell::openMatch(const QByteArray& bouts)
{
    const QString path = m_dir->filePath(QStringLiteral("m.ptlx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info/><kaempfe>" + bouts +
            "</kaempfe></mk>");
    f.close();
    m_console->matchFile().open(path);
}

void TestShell::markerSlidesByAFifth()
{
    m_shell->Image3Click(); // without a match file: no switch
    openMatch("<kampf1/>");
    m_shell->Image3Click();
    QCOMPARE(m_shell->markerTop(), 101);
    QVERIFY(m_shell->markerMoving());
    QList<int> tops;
    while (m_shell->markerMoving() && tops.size() < 100) {
        m_shell->Timer1Timer();
        tops << m_shell->markerPos();
    }
    QCOMPARE(tops,
             (QList<int>{20, 36, 49, 59, 67, 74, 79, 83, 87, 90, 92, 94, 95, 96, 97, 98, 99, 100, 101}));
    QVERIFY(!m_shell->markerMoving());
}

void TestShell::markerTurnsTowardNewTarget()
{
    m_shell->Image6Click(); // to 489
    for (int i = 0; i < 5; ++i)
        m_shell->Timer1Timer();
    const int pos = m_shell->markerPos();
    QVERIFY(pos > 0 && pos < 489);
    m_shell->Image2Click(); // back to 0 during the slide
    m_shell->Timer1Timer();
    QVERIFY(m_shell->markerPos() < pos);
    while (m_shell->markerMoving())
        m_shell->Timer1Timer();
    QCOMPARE(m_shell->markerPos(), 0);
}

void TestShell::markerStep_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("step");
    QTest::newRow("101") << 101 << 20;
    QTest::newRow("2.4 down") << 12 << 2;
    QTest::newRow("2.6 up") << 13 << 3;
    QTest::newRow("12.4 down") << 62 << 12;
    QTest::newRow("7.6 up") << 38 << 8;
    QTest::newRow("exact") << 25 << 5;
    QTest::newRow("0.6 up") << 3 << 1;
    QTest::newRow("0.2 at least one") << 1 << 1;
    QTest::newRow("0.4 at least one") << 2 << 1;
}

void TestShell::markerStep()
{
    QFETCH(int, distance);
    QFETCH(int, step);
    QCOMPARE(OperatorShell::markerStep(distance), step);
}

void TestShell::sameViewAgainStopsMarkerAtNextTick()
{
    m_shell->Image2Click();
    QVERIFY(m_shell->markerMoving());
    m_shell->Timer1Timer();
    QVERIFY(!m_shell->markerMoving());
    QCOMPARE(m_shell->markerPos(), 0);
}

void TestShell::entryPanelNeedsAMatchFile()
{
    QSignalSpy messages(m_shell, &OperatorShell::mymessage);
    m_shell->Image6Click();
    m_shell->Image3Click();
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.at(0).at(0).toString(), QStringLiteral("Achtung!"));
    QCOMPARE(messages.at(0).at(1).toString(),
             QStringLiteral("Bitte wählen Sie zuerst eine Datei oder legen Sie eine neue an."));
    QCOMPARE(m_shell->currentView(), OperatorShell::Einrichten);
}

void TestShell::switchesClearKeyboardActive()
{
    m_shell->Image1Click();
    QCOMPARE(m_shell->currentView(), OperatorShell::Kampf);
    QVERIFY(m_keyboard->keyboardActive());
    QCOMPARE(m_shell->markerTop(), 197);
    m_shell->Image4Click();
    QVERIFY(!m_keyboard->keyboardActive());
    QCOMPARE(m_shell->markerTop(), 295);
}

void TestShell::upwardDrag_data()
{
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("dx");
    QTest::addColumn<bool>("opens");
    QTest::newRow("100 exactly") << 100 << 0 << false;
    QTest::newRow("101 straight") << 101 << 0 << true;
    QTest::newRow("101 drift 2") << 101 << 2 << true;
    QTest::newRow("101 drift -2") << 101 << -2 << true;
    QTest::newRow("101 drift 3") << 101 << 3 << false;
    QTest::newRow("downward") << -200 << 0 << false;
    QTest::newRow("far sideways overflow-safe") << 300 << 100000 << false;
}

void TestShell::upwardDrag()
{
    QFETCH(int, dy);
    QFETCH(int, dx);
    QFETCH(bool, opens);
    m_shell->Image1Click();
    m_shell->panel_kampfMouseDown(500, 400);
    m_shell->panel_kampfMouseUp(500 - dx, 400 - dy);
    // The drag opens the entry panel without a match file being open.
    QCOMPARE(m_shell->currentView() == OperatorShell::Eingaben, opens);
    if (opens) {
        QCOMPARE(m_shell->markerTop(), 101);
        QVERIFY(!m_keyboard->keyboardActive());
    }
}

void TestShell::boutPanelLoadsFirstBoutOnce()
{
    openMatch("<kampf1><reihenfolge>1</reihenfolge><punkterot>3</punkterot><nachnrot>A</"
              "nachnrot><nachnblau>B</nachnblau>"
              "</kampf1><kampf2><reihenfolge>2</reihenfolge><punkteblau>4</punkteblau></kampf2>");
    QSignalSpy loaded(&m_console->navigator(), &BoutNavigator::werbungaktu);
    QSignalSpy rewritten(&m_console->navigator(), &BoutNavigator::updatekampf);
    m_shell->Image1Click();
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
    QCOMPARE(loaded.count(), 1);
    m_console->record().setCell(MatchFields::ColPunkteRot, 2, QStringLiteral("1"));
    m_shell->Image1Click();
    QCOMPARE(loaded.count(), 1); // no second load
    QCOMPARE(rewritten.count(), 2);
    QCOMPARE(m_console->navigator().punkteheim(), QStringLiteral("4"));
    QCOMPARE(m_console->navigator().punktegast(), QStringLiteral("4"));
}

void TestShell::teamScoreRecountStopsAtBadCell()
{
    openMatch("<kampf1><punkterot>3</punkterot></kampf1><kampf2><punkterot>x</punkterot></kampf2>"
              "<kampf3><punkterot>2</punkterot></kampf3>");
    QVERIFY_THROWS_EXCEPTION(UserError, m_shell->Image5Click());
    QCOMPARE(m_shell->currentView(), OperatorShell::Export); // switched before the recount
    QCOMPARE(m_console->navigator().punkteheim(), QStringLiteral("3"));
}

void TestShell::boutChoiceList()
{
    openMatch("<kampf1><klasse>57</klasse><stil>F</stil><nachnrot>Huber</nachnrot><nachnblau>Nowak</"
              "nachnblau></kampf1>"
              "<kampf2/>");
    m_shell->Image4Click();
    QCOMPARE(m_shell->boutChoices(),
             (QStringList{QStringLiteral("57 F: Huber - Nowak"), QStringLiteral(" :  - ")}));
    m_console->record().setRowCount(1);
    QCOMPARE(OperatorShell::boutChoiceList(m_console->record()), QStringList());
}

void TestShell::boutUnwritten_data()
{
    // A stored bout row (inside <kampf1>), then what is done on the panel after loading it.
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("done");
    QTest::addColumn<bool>("unwritten");

    const QByteArray names = "<nachnrot>Huber</nachnrot><nachnblau>Nowak</nachnblau>";
    const QByteArray scored = names + "<punkterot>1</punkterot><punkteblau>0</punkteblau><sieg>PS</sieg>"
                                      "<zeit>3:00</zeit><wertungenrot>2#</wertungenrot>"
                                      "<wertungenblau>#1</wertungenblau><zeiten>0:10;2:40;</zeiten>";
    QTest::newRow("empty row") << names << "" << false;
    QTest::newRow("empty row, a point") << names << "r1" << true;
    QTest::newRow("empty row, a win code") << names << "rss" << true;
    QTest::newRow("empty row, clock moved") << names << "+1" << true;
    QTest::newRow("empty row, clock running") << names << "run" << true;
    // "PS" comes back open and the stored time as stored: loaded is written.
    QTest::newRow("scored row") << scored << "" << false;
    QTest::newRow("scored row, a caution") << scored << "bv" << true;
    QTest::newRow("scored row, clock moved") << scored << "+1" << true;
    // The loader adjusts these rows; what it gives back counts as written.
    QTest::newRow("strings of unequal length") << names + "<wertungenrot>22</wertungenrot>"
                                                          "<wertungenblau>#</wertungenblau>"
                                               << "" << false;
    QTest::newRow("no blue wrestler: KL") << QByteArray("<nachnrot>Huber</nachnrot>") << "" << false;
    QTest::newRow("restored SS") << names +
                                        "<punkterot>4</punkterot><punkteblau>0</punkteblau><sieg>SS</sieg>"
                                 << "" << false;
    QTest::newRow("restored SS taken back") << names + "<punkterot>4</punkterot><punkteblau>0</punkteblau>"
                                                       "<sieg>SS</sieg>"
                                            << "wertungrueck" << true;
    QTest::newRow("short time loads as 0:00") << names + "<zeit>1:0</zeit>"
                                              << "" << false;
    QTest::newRow("two-digit minutes") << names + "<zeit>10:05</zeit>"
                                       << "" << false;
    // Nothing is loaded after opening, and a number no row carries gives a bout of no row.
    QTest::newRow("nothing loaded") << names << "unloaded" << false;
    QTest::newRow("bout of no row") << names << "no row" << false;
}

// What the quit question relies on: the bout holds something its row does not, and asking
// changes nothing.
void TestShell::boutUnwritten()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, done);
    QFETCH(bool, unwritten);
    openMatch("<kampf1><reihenfolge>1</reihenfolge><stil>F</stil>" + row + "</kampf1>");
    BoutNavigator& nav = m_console->navigator();
    BoutClock& clock = m_console->clock();
    Bout& bout = m_console->bout();
    if (done == QLatin1String("no row"))
        nav.naechsterkampf(7);
    else if (done != QLatin1String("unloaded"))
        m_shell->steuerungsansicht();
    if (done == QLatin1String("r1"))
        bout.punkte(QStringLiteral("r"), 1);
    else if (done == QLatin1String("+1"))
        clock.zeitplusminus(QStringLiteral("p"), 1);
    else if (done == QLatin1String("run"))
        clock.startstop();
    else if (!done.isEmpty() && done != QLatin1String("unloaded") && done != QLatin1String("no row"))
        bout.eingabe(done);
    if (done != QLatin1String("unloaded") && done != QLatin1String("no row"))
        QCOMPARE(nav.kampfid(), QStringLiteral("1"));

    const QString wr = bout.wr();
    const QString uhr = clock.uhr();
    QStringList cells;
    for (int c = 0; c < 24; ++c)
        cells << m_console->record().cell(c, 1);
    QCOMPARE(m_console->boutUnwritten(), unwritten);
    QCOMPARE(bout.wr(), wr);
    QCOMPARE(clock.uhr(), uhr);
    QStringList after;
    for (int c = 0; c < 24; ++c)
        after << m_console->record().cell(c, 1);
    QCOMPARE(after, cells);
}

void TestShell::everyTipReachable()
{
    QSet<QString> seen;
    for (int i = 0; i < 400 && seen.size() < 5; ++i) {
        m_shell->drawTip();
        QVERIFY(OperatorShell::startTips().contains(m_shell->memo1()));
        seen.insert(m_shell->memo1());
    }
    QCOMPARE(seen.size(), 5);
    QVERIFY(OperatorShell::startTips().at(4).contains(QStringLiteral("\"Rot <-> Blau\"")));
}

void TestShell::licenceDateLine()
{
    const QString ini = m_dir->filePath(QStringLiteral("lizenzdaten.ini"));
    m_shell->readLicenceDate(ini);
    QCOMPARE(m_shell->datumlizenzdatei(), QString()); // no file: the line stays as it was
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[4711]\r\nvorname=Hans\r\n[Allgemein]\r\nDatum = 01.12.2026\r\n");
    f.close();
    m_shell->readLicenceDate(ini);
    QCOMPARE(m_shell->datumlizenzdatei(), QStringLiteral("Lizenzendatenbank vom 01.12.2026"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[4711]\r\nvorname=Hans\r\n");
    f.close();
    m_shell->readLicenceDate(ini);
    QCOMPARE(m_shell->datumlizenzdatei(), QStringLiteral("Lizenzendatenbank vom Fehler"));
}

void TestShell::wallClockShowsTimeOnly()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(OperatorShell::wallClockText(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
