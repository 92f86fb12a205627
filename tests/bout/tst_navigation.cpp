#include "bout/KeyMap.h"
#include "bout/KeyboardControl.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "shell/Console.h"

#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

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
    void boutChangeSavesRowInItsOwnElement_data();
    void boutChangeSavesRowInItsOwnElement();
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
        f.write(QStringLiteral(
                    "<kampf%1><klasse>%2</klasse><stil>%3</stil><vornrot>%4</vornrot><nachnrot>%5</nachnrot>"
                    "<vornblau>%6</vornblau><nachnblau>%7</nachnblau><reihenfolge>%8</reihenfolge></kampf%1>")
                    .arg(i + 1)
                    .arg(r.klasse, r.stil, r.redFirst, r.redLast, r.blueFirst, r.blueLast, r.order)
                    .toLatin1());
    }
    f.write("</kaempfe></mk>");
    f.close();
    m_console->matchFile().open(m_path);
}

namespace {

// The same actions by the other side: "r4" becomes "b4", "bv" becomes "rv"; "xdq" stays.
QStringList mirrored(const QStringList& actions)
{
    QStringList out;
    for (QString a : actions) {
        if (a.startsWith(QLatin1Char('r')))
            a[0] = QLatin1Char('b');
        else if (a.startsWith(QLatin1Char('b')))
            a[0] = QLatin1Char('r');
        out << a;
    }
    return out;
}

// "red:blue:code" with the team points of the two sides exchanged.
QString mirroredResult(const QString& result)
{
    const QStringList parts = result.split(QLatin1Char(':'));
    return parts.size() == 3 ? parts[1] + QLatin1Char(':') + parts[0] + QLatin1Char(':') + parts[2] : result;
}

// What the bout's row holds before it is left; a bout that nothing decides keeps it.
const QString kHeld = QStringLiteral("3:2:PS");

} // namespace

// A bout played with the operator's commands and left with "next": the team points and win type
// written into its row. Each case is written once with red as the side that wins, and runs for
// blue too (every action by the other side) and in both styles.
void TestNavigation::evaluation_data()
{
    QTest::addColumn<QString>("stil");
    QTest::addColumn<QStringList>("actions"); // "r4": points; anything else a scoring command
    QTest::addColumn<QString>("expected");    // columns 8, 15 and 16 as "red:blue:code"

    struct Case
    {
        const char* name;
        const char* actions;
        const char* freestyle;
        const char* greco = nullptr; // the same as freestyle unless given
    };
    const char* held = "held";
    const Case cases[] = {
        // Technical points: 1 or 2 ahead give 1 team point, 3 to 7 give 2, 8 to 14 give 3,
        // 15 or more "TÜ" with 4.
        {"2:1", "r2 b1", "1:0:PS"},
        {"5:3", "r5 b2 b1", "1:0:PS"},
        {"6:3", "r4 r2 b2 b1", "2:0:PS"},
        {"10:3", "r5 r5 b2 b1", "2:0:PS"},
        {"11:3", "r5 r5 r1 b2 b1", "3:0:PS"},
        {"17:3", "r5 r5 r5 r2 b2 b1", "3:0:PS"},
        {"18:3", "r5 r5 r5 r2 r1 b2 b1", "4:0:TÜ"},

        // Cautions: more than two lose the bout, one below the limit does not.
        {"two cautions stay below the limit", "r1 bv bv", "1:0:PS"},
        {"third caution disqualifies the leader", "b5 bv bv bv r1", "4:0:DV"},
        {"fourth caution", "b2 bv bv bv bv", "4:0:DV"},
        {"both sides three cautions", "rv rv rv bv bv bv", "0:0:DV"},
        // Both win labels set: 0:0 with blue's label's code, red's disqualification or blue's fall.
        {"own three cautions undo a fall", "rv rv rv rss", "0:0:DV|0:0:SS"},
        {"disqualification replaces a held win type", "bv bv bv rug", "4:0:DV"},

        // Passivities: in Greco-Roman the third gives the opponent a point and the fourth loses
        // the bout; in freestyle neither.
        {"three passivities", "bp bp bp", held, "1:0:PS"},
        {"four passivities", "bp bp bp bp", held, "4:0:DS"},
        {"four passivities after a point", "r1 bp bp bp bp", "1:0:PS", "4:0:DS"},
        {"three cautions and four passivities", "bv bv bv bp bp bp bp", "4:0:DV", "4:0:DS"},

        // Win types given by command decide whatever the points say.
        {"fall", "b4 rss", "4:0:SS"},
        {"the later command replaces the earlier", "bss ras", "4:0:AS"},
        {"both disqualified", "xdq", "0:0:DQ"},
        {"both overweight", "xüg", "0:0:ÜG"},

        // Level on points, first tie-break: fewer cautions, with equal cautions the last scorer.
        {"tie: last scorer", "b1 r1", "1:0:PS"},
        {"tie: fewer cautions before last scorer", "bv r1 b1", "1:0:PS"},
        {"tie 0:0: fewer cautions", "bv", "1:0:PS", "1:0:PE"},
        {"tie 0:0: equal cautions, nobody scored", "rv bv", held},
        {"no action", "", held},

        // Second tie-break, overriding the first: 100 per 5-point, 10 per 4-point, 1 per
        // 2-point action; 3- and 1-point actions weigh nothing.
        {"tie: one 5 outweighs a 4 and a 1", "r5 b4 b1", "1:0:PS"},
        {"tie: two 5s outweigh two 4s and a 2", "r5 r5 b4 b4 b2", "1:0:PS"},
        {"tie: a 4 outweighs two 2s", "r4 b2 b2", "1:0:PS"},
        {"tie: a 4 outweighs four 1s scored last", "r4 b1 b1 b1 b1", "1:0:PS"},
        {"tie: a 2 outweighs two 1s", "r2 b1 b1", "1:0:PS"},
        {"tie: a 3 weighs nothing", "r2 r1 b3", "1:0:PS"},
        {"tie: weight overrides fewer cautions", "rv r4 b2 b2", "1:0:PS"},
        {"tie: equal weight leaves the last scorer", "b4 b1 r4 r1", "1:0:PS"},

        // Third tie-break, overriding both, in Greco-Roman at 0:0 only: fewer cautions, with
        // equal cautions against the side that was passive last.
        {"tie 0:0: opponent passive last", "rp bp", held, "1:0:PE"},
        {"tie 0:0: fewer cautions before last passivity", "bv bp rp", "1:0:PS", "1:0:PE"},
        {"tie 2:2: no decision by passivity", "rp b2 r2", "1:0:PS"},
        {"tie 2:2 with a caution: no decision by passivity", "rp bv b2 r2", "1:0:PS"},
    };
    for (const Case& c : cases) {
        const QStringList actions = QString::fromUtf8(c.actions).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const char* stil : {"F", "G"}) {
            const bool greco = *stil == 'G';
            // "red|blue" where blue's result is not red's mirrored.
            const QStringList results =
                QString::fromUtf8(greco && c.greco ? c.greco : c.freestyle).split(QLatin1Char('|'));
            QString red = results.first();
            QString blue = results.size() > 1 ? results.last() : mirroredResult(red);
            if (red == QLatin1String(held))
                red = blue = kHeld;
            const char* style = greco ? "Greco-Roman" : "freestyle";
            QTest::addRow("%s, red, %s", c.name, style) << QString::fromLatin1(stil) << actions << red;
            QTest::addRow("%s, blue, %s", c.name, style)
                << QString::fromLatin1(stil) << mirrored(actions) << blue;
        }
    }
}

void TestNavigation::evaluation()
{
    QFETCH(QString, stil);
    QFETCH(QStringList, actions);
    QFETCH(QString, expected);
    openMatch({{"66", stil, "Hans", "Huber", "Jan", "Nowak", "1"}});
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QVERIFY(bout().isOpen());
    for (const QString& a : actions) {
        if (a.size() == 2 && a.at(1).isDigit())
            bout().punkte(a.left(1), a.at(1).digitValue());
        else
            bout().eingabe(a);
    }
    const QStringList held = kHeld.split(QLatin1Char(':'));
    rec().setCell(ColPunkteRot, 1, held[0]);
    rec().setCell(ColPunkteBlau, 1, held[1]);
    rec().setCell(ColSieg, 1, held[2]);

    nav().naechsterkampf(999);

    QCOMPARE(rec().cell(ColPunkteRot, 1) + QLatin1Char(':') + rec().cell(ColPunkteBlau, 1) +
                 QLatin1Char(':') + rec().cell(ColSieg, 1),
             expected);
}

void TestNavigation::resultColumnsAreWrittenAndSaved()
{
    openMatch(
        {{"57", "F", "Hans", "Huber", "Jan", "Nowak", "1"}, {"61", "G", "Ali", "Demir", "Ole", "Berg", "2"}});
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
    QCOMPARE(bout().stil(), QStringLiteral("G"));
    QCOMPARE(m_console->clock().uhr(), QStringLiteral("0:00"));
}

namespace {

// Every element of the file at `path` that holds text, by its path below the document element
// ("kaempfe/kampf2/tprot"); the empty map when the file is not XML.
QMap<QString, QString> storedTexts(const QString& path)
{
    QFile f(path);
    QDomDocument doc;
    if (!f.open(QIODevice::ReadOnly) || !doc.setContent(&f))
        return {};
    QMap<QString, QString> texts;
    const std::function<void(const QDomElement&, const QString&)> walk = [&](const QDomElement& e,
                                                                             const QString& at) {
        if (e.firstChildElement().isNull())
            texts.insert(at, e.text());
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            walk(c, at.isEmpty() ? c.tagName() : at + QLatin1Char('/') + c.tagName());
    };
    walk(doc.documentElement(), QString());
    return texts;
}

} // namespace

void TestNavigation::boutChangeSavesRowInItsOwnElement_data()
{
    QTest::addColumn<QStringList>("changes"); // two bout changes, each from the bout the last one loaded
    QTest::addColumn<QList<int>>("rows");     // the grid rows they leave
    // Grid rows 1 to 4 hold bouts 3, 1, 4 and 2: bout 1 (row 2) is loaded first.
    QTest::newRow("F9") << QStringList{"F9", "F9"} << QList<int>{2, 4};
    QTest::newRow("nächster Kampf") << QStringList{"nächster Kampf", "nächster Kampf"} << QList<int>{2, 4};
    QTest::newRow("<") << QStringList{"<", "<"} << QList<int>{2, 3};
    QTest::newRow("Ctrl+digit") << QStringList{"Ctrl+4", "Ctrl+3"} << QList<int>{2, 3};
}

// Read back from disk right after each bout change, with nothing else saving: the bout left is
// in the element of its own grid row, and every other element of the file is as it was.
void TestNavigation::boutChangeSavesRowInItsOwnElement()
{
    QFETCH(QStringList, changes);
    QFETCH(QList<int>, rows);

    // Every header field holds a text of its own; grid row 1 is wrestled, the others are to come,
    // and no two rows read the same in any cell they fill.
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info>");
    for (const QString& field : headerFields()) {
        const QString value = isRadio(field) ? QString::number(radioItemCount(field) - 1)
                                             : QStringLiteral("%1 Süd").arg(field.toUpper());
        xml += QStringLiteral("<%1>%2</%1>").arg(field, value);
    }
    xml += QStringLiteral("</info><kaempfe>");
    // clang-format off
    const QStringList cells[] = {
        {"57", "F", "56,8", "Jonas", "Albrecht", "4211", "A", "1998", "4", "56,1", "Milan", "Brandt", "7388",
         "S", "2003", "0", "SS", "9", "3", "2:05", "5#4#", "#2#1", "0:40;1:10;1:30;2:05;", "3"},
        {"61", "G", "60,9", "Felix", "Carstens", "4577", "E", "1987", "", "61,0", "Luka", "Dreher", "7412",
         "T", "1995", "", "", "", "", "", "", "", "", "1"},
        {"66", "F", "65,2", "Emil", "Fischer", "4693", "L", "2001", "", "65,9", "Noah", "Grimm", "7506",
         "N", "1990", "", "", "", "", "", "", "", "", "4"},
        {"71", "G", "70,7", "Paul", "Hoffmann", "4720", "B", "1993", "", "71,0", "Till", "Jäger", "7631",
         "C", "1999", "", "", "", "", "", "", "", "", "2"},
    };
    // clang-format on
    for (int r = 0; r < 4; ++r) {
        QString bout = QStringLiteral("<kampf%1>").arg(r + 1);
        for (int c = 0; c < ColumnCount; ++c)
            bout += QStringLiteral("<%1>%2</%1>").arg(boutColumns().at(c), cells[r].at(c));
        xml += bout + QStringLiteral("</kampf%1>").arg(r + 1);
    }
    QVERIFY(writeAll(m_path, (xml + QStringLiteral("</kaempfe></mk>")).toLatin1()));
    m_console->matchFile().open(m_path);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    KeyboardControl& keyboard = m_console->keyboard();
    keyboard.setKeyboardActive(true);
    const auto press = [&keyboard](int key, Qt::KeyboardModifiers held = Qt::NoModifier) {
        keyboard.tastendruck(virtualKeyFor(key, held), held);
    };

    // What each bout's play leaves in its row, by column: red 4 and blue 1 point with a caution
    // at 0:07, then red 2 with a caution and blue 5 and 2 points at 0:12.
    // clang-format off
    const QMap<QString, QString> played[] = {
        {{"punkterot", "2"}, {"punkteblau", "0"}, {"sieg", "PS"}, {"tprot", "4"}, {"tpblau", "1"},
         {"zeit", "0:07"}, {"wertungenrot", "4##"}, {"wertungenblau", "#1V"}, {"zeiten", "0:07;0:07;0:07;"}},
        {{"punkterot", "0"}, {"punkteblau", "2"}, {"sieg", "PS"}, {"tprot", "2"}, {"tpblau", "7"},
         {"zeit", "0:12"}, {"wertungenrot", "2##V"}, {"wertungenblau", "#52#"},
         {"zeiten", "0:12;0:12;0:12;0:12;"}},
    };
    // clang-format on
    QMap<QString, QString> expected = storedTexts(m_path);
    QCOMPARE(expected.value(QStringLiteral("kaempfe/kampf4/nachnblau")), QStringLiteral("Jäger"));
    for (int i = 0; i < 2; ++i) {
        for (int s = 0; s < (i == 0 ? 7 : 12); ++s)
            press(Qt::Key_Up);
        if (i == 0) {
            press(Qt::Key_F3);
            press(Qt::Key_F5);
            press(Qt::Key_V, Qt::ControlModifier);
        } else {
            press(Qt::Key_F2);
            press(Qt::Key_F8);
            press(Qt::Key_F6);
            press(Qt::Key_V);
        }
        const QString change = changes.at(i);
        if (change == QLatin1String("F9"))
            press(Qt::Key_F9);
        else if (change.startsWith(QLatin1String("Ctrl+")))
            press(Qt::Key_0 + change.back().digitValue(), Qt::ControlModifier);
        else // the bout panel's "nächster Kampf >" and "<" make this one call
            nav().naechsterkampf(change == QLatin1String("<") ? 888 : 999);

        for (auto it = played[i].cbegin(); it != played[i].cend(); ++it)
            expected.insert(QStringLiteral("kaempfe/kampf%1/%2").arg(rows.at(i)).arg(it.key()), it.value());
        const QMap<QString, QString> saved = storedTexts(m_path);
        QStringList wrong;
        for (const QString& at : QSet<QString>(expected.keyBegin(), expected.keyEnd()) +
                                     QSet<QString>(saved.keyBegin(), saved.keyEnd()))
            if (saved.value(at, QStringLiteral("<missing>")) != expected.value(at, QStringLiteral("<none>")))
                wrong << QStringLiteral("%1: \"%2\", not \"%3\"")
                             .arg(at, saved.value(at, QStringLiteral("<missing>")),
                                  expected.value(at, QStringLiteral("<none>")));
        wrong.sort();
        QVERIFY2(wrong.isEmpty(),
                 qPrintable(change + QLatin1String(": ") + wrong.join(QStringLiteral("; "))));
    }
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
    openMatch({{"57", "F", "A", "A", "B", "B", "3"},
               {"61", "G", "C", "C", "D", "D", "1"},
               {"66", "F", "E", "E", "F", "F", "2"}});
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
    QCOMPARE(nav().gew(), QStringLiteral("61 kg"));
}

void TestNavigation::restoredWinLabels_data()
{
    QTest::addColumn<QString>("sieg");
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("blue");
    QTest::addColumn<QString>("siegRot");
    QTest::addColumn<QString>("siegBlau");
    QTest::newRow("SS red") << "SS"
                            << "4"
                            << "0"
                            << "SS"
                            << "";
    QTest::newRow("ÜG blue") << "ÜG"
                             << "0"
                             << "4"
                             << ""
                             << "ÜG";
    QTest::newRow("DQ both") << "DQ"
                             << "0"
                             << "0"
                             << "DQ"
                             << "DQ";
    QTest::newRow("PS open") << "PS"
                             << "1"
                             << "0"
                             << ""
                             << "";
    QTest::newRow("TÜ open") << "TÜ"
                             << "4"
                             << "0"
                             << ""
                             << "";
    QTest::newRow("PE open") << "PE"
                             << "0"
                             << "1"
                             << ""
                             << "";
    QTest::newRow("empty open") << ""
                                << ""
                                << ""
                                << ""
                                << "";
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
    QCOMPARE(bout().sieg_rot(), siegRot);
    QCOMPARE(bout().sieg_blau(), siegBlau);
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
    QCOMPARE(m_console->clock().clockMinutes(), minutes);
    QCOMPARE(m_console->clock().clockSeconds(), seconds);
    QCOMPARE(m_console->clock().uhr(), uhr);
}

void TestNavigation::missingOpponentGivesKL()
{
    openMatch({{"57", "F", "Hans", "Huber", "", "", "1"}, {"61", "G", "", "", "", "", "2"}});
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(bout().sieg_rot(), QStringLiteral("KL"));
    QCOMPARE(bout().sieg_blau(), QString());
    nav().naechsterkampf(999);
    QCOMPARE(rec().cell(ColSieg, 1) + rec().cell(ColPunkteRot, 1) + rec().cell(ColPunkteBlau, 1),
             QStringLiteral("KL40"));
    QCOMPARE(bout().sieg_rot(), QStringLiteral("KL"));
    QCOMPARE(bout().sieg_blau(), QStringLiteral("KL"));
    nav().naechsterkampf(999);
    QCOMPARE(rec().cell(ColSieg, 2) + rec().cell(ColPunkteRot, 2) + rec().cell(ColPunkteBlau, 2),
             QStringLiteral("KL00"));
}

void TestNavigation::unequalStringsAreCleared()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}});
    rec().setCell(ColWertungenRot, 1, QStringLiteral("4 2"));
    rec().setCell(ColWertungenBlau, 1, QStringLiteral(" 1"));
    rec().setCell(ColTpRot, 1, QStringLiteral("6"));
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QCOMPARE(bout().wr(), QString());
    QCOMPARE(bout().wb(), QString());
    QCOMPARE(bout().tpr(), QStringLiteral("0"));
}

void TestNavigation::loadSetsPanelTextsAndTeamSums()
{
    openMatch({{"57", "F", "Hans", "Huber", "Jan", "Nowak", "1"}, {"61 A", "G", "C", "C", "D", "D", "2"}});
    rec().setCell(ColGewichtRot, 2, QStringLiteral("60,4"));
    rec().setCell(ColPunkteRot, 1, QStringLiteral("3"));
    rec().setCell(ColPunkteBlau, 1, QStringLiteral("0"));
    rec().setCell(ColPunkteBlau, 2, QStringLiteral("4"));
    rec().setCell(ColPunkteRot, 2, QStringLiteral("0"));
    nav().setKampfnr(QStringLiteral("2"));
    nav().ladedaten();
    QCOMPARE(nav().rot(), QStringLiteral("C C"));
    QCOMPARE(nav().gewrot(), QStringLiteral("60,4 kg"));
    QCOMPARE(nav().gewblau(), QStringLiteral(" kg"));
    QCOMPARE(nav().gew(), QStringLiteral("61 A kg"));
    QCOMPARE(nav().heimverein(), QStringLiteral("KSV"));
    QCOMPARE(nav().gastverein(), QStringLiteral("ASV"));
    QCOMPARE(nav().punkteheim(), QStringLiteral("3"));
    QCOMPARE(nav().punktegast(), QStringLiteral("4"));
    QCOMPARE(nav().audienceKr(), QStringLiteral("KR: Maier"));
    QCOMPARE(nav().audienceMp(), QString());
    QCOMPARE(nav().audiencePr(), QStringLiteral("PR: Huber"));
}

void TestNavigation::loadStopsClockAndResetsInjuryTimes()
{
    openMatch({{"57", "F", "A", "A", "B", "B", "1"}});
    BoutClock& clock = m_console->clock();
    clock.startstop();
    clock.vzrotDblClick();
    clock.vztimerrotTimer();
    clock.startActivityTime(BoutClock::lightBlue());
    QSignalSpy hidden(&nav(), &BoutNavigator::injuryLabelsHidden);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    QVERIFY(!clock.running());
    QCOMPARE(clock.injuryTimeRed(), 0);
    QCOMPARE(clock.vzrot(), QStringLiteral("0:00"));
    QVERIFY(clock.injuryRedRunning()); // the injury timer is left running
    QCOMPARE(clock.activityCountdown(), 30);
    QCOMPARE(hidden.count(), 1);
}

void TestNavigation::noMatchingRowLoadsNothingEvaluable()
{
    QList<RowSpec> rows;
    for (int i = 1; i <= 8; ++i)
        rows << RowSpec{QString::number(50 + i), "F", "R", QString::number(i), "B", QString::number(i),
                        QString::number(i)};
    openMatch(rows);
    nav().setKampfnr(QStringLiteral("8"));
    nav().ladedaten();
    bout().punkte(QStringLiteral("r"), 2);
    nav().naechsterkampf(9); // Ctrl+9 in an eight-bout match
    QCOMPARE(rec().cell(ColTpRot, 8), QStringLiteral("2"));
    QCOMPARE(nav().kampfnr(), QStringLiteral("9"));
    QCOMPARE(nav().kampfid(), QStringLiteral("0"));
    QCOMPARE(nav().rot(), QStringLiteral(" "));
    // The empty bout cannot be scored, and leaving it writes nowhere.
    bout().punkte(QStringLiteral("r"), 4);
    QCOMPARE(bout().wr(), QString());
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
    rec().setCell(ColNachnRot, 1, QStringLiteral("Huber"));
    rec().setCell(ColNachnBlau, 1, QStringLiteral("Nowak"));
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
    QCOMPARE(bout().wr(), QStringLiteral("1"));
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
    QCOMPARE(nav().gew(), QStringLiteral("57 kg"));
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
    nav().setKampfvorstellung(true);
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
