#include "platform/SignalSound.h"
#include "platform/TimerResolution.h"
#include "scoreboard/AudienceModel.h"
#include "shell/Console.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace MatchFields;

namespace {

using Element = AudienceModel::Element;

// Right edge of the blue header box less the 5 px inset: where a right-aligned element ends.
constexpr int kShape2Inside = 494 + 491 - 5;

} // namespace

class TestFeed : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void centring_data();
    void centring();
    void fitting_data();
    void fitting();
    void fittingRestartsAtThirty();
    void fittingStopsAtOnePoint();
    void rightAlignedInBlueBox();
    void styleWords_data();
    void styleWords();
    void winTypeWords_data();
    void winTypeWords();
    void wordsOfCodesNoBoutHolds_data();
    void wordsOfCodesNoBoutHolds();
    void cautionMarks_data();
    void cautionMarks();
    void clockLine();
    void injuryLabelOnlyWhileRunning();
    void loadedBoutThroughConsole();
    void everySideFromItsOwnSource();

    void zoomOutAndBack();
    void zoomStartWhileShrinkingSwapsBack();
    void zoomStartedThroughViewState();
    void tickerWrapsToRightEdge();

    void scaling_data();
    void scaling();
    void scaleStepRoundsTwice();
    void scaleButtonLimits_data();
    void scaleButtonLimits();

    void typewriterStringsLineUp();
    void designNamesReachTheirElements();

private:
    AudienceModel& model() { return m_console->audience(); }
    const Element& e(const char* name) { return model().element(QLatin1String(name)); }
    BoutNavigator& nav() { return m_console->navigator(); }
    // Loads grid row 1 (bout 1) as a bout change does: both wrestlers named, then `cells`
    // (column, text) written over the row and `header` (field, text) into the header.
    void loadBout(std::initializer_list<std::pair<int, QString>> cells,
                  std::initializer_list<std::pair<const char*, QString>> header = {});
    // Widths at 30 pt by text; a size s gives width × s / 30, so sizes shrink widths as a font does.
    void setWidths(const QHash<QString, int>& widths);
    // The same width at every size.
    void setFixedWidths(const QHash<QString, int>& widths);

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
};

void TestFeed::initTestCase()
{
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(VANTOR_TYPEWRITER_FONT)) >= 0);
}

void TestFeed::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
}

void TestFeed::cleanup()
{
    m_console.reset();
    m_dir.reset();
}

void TestFeed::loadBout(std::initializer_list<std::pair<int, QString>> cells,
                        std::initializer_list<std::pair<const char*, QString>> header)
{
    MatchRecord& record = m_console->record();
    record.setRowCount(2);
    record.setCell(ColNachnRot, 1, QStringLiteral("Rot"));
    record.setCell(ColNachnBlau, 1, QStringLiteral("Blau"));
    record.setCell(ColReihenfolge, 1, QStringLiteral("1"));
    for (const auto& [column, text] : cells)
        record.setCell(column, 1, text);
    for (const auto& [field, text] : header)
        record.setHeader(QLatin1String(field), text);
    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
}

void TestFeed::setWidths(const QHash<QString, int>& widths)
{
    model().setMeasure([widths](const AudienceModel::FontStyle& style, const QString& text) {
        return widths.value(text, 10) * style.pointSize / 30;
    });
}

void TestFeed::setFixedWidths(const QHash<QString, int>& widths)
{
    model().setMeasure(
        [widths](const AudienceModel::FontStyle&, const QString& text) { return widths.value(text, 10); });
}

void TestFeed::centring_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("left");
    // Over Shape1 (0, 497): 248.5 − w / 2.
    QTest::newRow("198.5 goes down to even") << "heim" << 100 << 198;
    QTest::newRow("199.5 goes up to even") << "heim" << 98 << 200;
    QTest::newRow("whole") << "heim" << 99 << 199;
    // Over Shape2 (494, 491): 739.5 − w / 2.
    QTest::newRow("guest 689.5") << "gast" << 100 << 690;
    QTest::newRow("guest 690.5") << "gast" << 98 << 690;
    QTest::newRow("team score") << "punktegast" << 61 << 709;
    // Over both header boxes (0, 497 + 491): 494 − w / 2.
    QTest::newRow("KR 443.5") << "kr" << 101 << 444;
    QTest::newRow("KR 442.5") << "kr" << 103 << 442;
    // Over Shape15 (0, 274) and Shape16 (712, 273).
    QTest::newRow("red points 70.5") << "tpr" << 133 << 70;
    QTest::newRow("blue points 782") << "tpb" << 133 << 782;
    QTest::newRow("red win type") << "siegart_rot" << 200 << 37;
}

void TestFeed::centring()
{
    QFETCH(QString, element);
    QFETCH(int, width);
    QFETCH(int, left);
    const QString text = QStringLiteral("T");
    setFixedWidths({{text, width},
                    {QStringLiteral("KR: T"), width},
                    {QStringLiteral("KL"), width},
                    {QStringLiteral("0"), width}});
    // A bout without a blue wrestler: red's win type "KL", no points, team score 0.
    loadBout({{ColNachnBlau, QString()}}, {{"heim", text}, {"gast", text}, {"ml", text}});
    model().showLoadedBout();
    model().updatekampf();
    QCOMPARE(model().element(element).geometry.width(), width);
    QCOMPARE(model().element(element).geometry.left(), left);
}

void TestFeed::fitting_data()
{
    QTest::addColumn<bool>("clubs");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("size");
    // Clubs: each against its own box (497, 491); w × s / 30 at size s.
    QTest::newRow("clubs fit") << true << 497 << 491 << 30;
    QTest::newRow("guest too wide: 600 fits first at 24") << true << 200 << 600 << 24;
    QTest::newRow("home too wide: 1000 fits first at 14") << true << 1000 << 100 << 14;
    QTest::newRow("home one pixel over") << true << 498 << 100 << 29;
    // Names: both plus 35 against 497 + 491 = 988.
    QTest::newRow("names fit") << false << 470 << 470 << 30;
    QTest::newRow("names together 7 px over") << false << 480 << 480 << 29;
    // At 13: 866 + 43 + 35 = 944; at 14: 933 + 46 + 35 = 1014.
    QTest::newRow("long red shrinks short blue") << false << 2000 << 100 << 13;
    QTest::newRow("long blue shrinks short red") << false << 100 << 2000 << 13;
}

void TestFeed::fitting()
{
    QFETCH(bool, clubs);
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, size);
    // The names as the panel shows them: first name, space, surname.
    const QString a = clubs ? QStringLiteral("A") : QStringLiteral("A Rot");
    const QString b = clubs ? QStringLiteral("B") : QStringLiteral("B Blau");
    setWidths({{a, first}, {b, second}});
    if (clubs)
        loadBout({}, {{"heim", a}, {"gast", b}});
    else
        loadBout({{ColVornRot, QStringLiteral("A")}, {ColVornBlau, QStringLiteral("B")}});
    model().updatekampf();
    const Element& left = clubs ? e("heim") : e("rot");
    const Element& right = clubs ? e("gast") : e("blau");
    QCOMPARE(left.font.pointSize, size);
    QCOMPARE(right.font.pointSize, size);
    if (clubs) {
        // Centred over their boxes with the fitted widths.
        QVERIFY(qAbs(2 * left.geometry.left() + left.geometry.width() - 497) <= 1);
        QVERIFY(qAbs(2 * right.geometry.left() + right.geometry.width() - 2 * 494 - 491) <= 1);
    } else {
        QCOMPARE(left.geometry.left(), 5);
        QCOMPARE(right.geometry.left() + right.geometry.width(), kShape2Inside);
        // The presentation view shows the names unfitted in its fixed boxes.
        QCOMPARE(e("Label1").text, a);
        QCOMPARE(e("Label2").geometry, QRect(23, 457, 918, 73));
    }
}

void TestFeed::fittingRestartsAtThirty()
{
    setWidths({{QStringLiteral("Lang"), 2000},
               {QStringLiteral("Lang Rot"), 2000},
               {QStringLiteral("Kurz"), 100},
               {QStringLiteral("Kurz Rot"), 100}});
    loadBout({{ColVornRot, QStringLiteral("Lang")}}, {{"heim", QStringLiteral("Lang")}});
    model().updatekampf();
    const int clubs = e("heim").font.pointSize;
    const int names = e("rot").font.pointSize;
    QVERIFY(clubs < 30 && names < 30);
    // The same bout again gives the same sizes, not smaller ones.
    model().updatekampf();
    QCOMPARE(e("heim").font.pointSize, clubs);
    QCOMPARE(e("rot").font.pointSize, names);
    loadBout({{ColVornRot, QStringLiteral("Kurz")}}, {{"heim", QStringLiteral("Kurz")}});
    model().updatekampf();
    QCOMPARE(e("heim").font.pointSize, 30);
    QCOMPARE(e("gast").font.pointSize, 30);
    QCOMPARE(e("blau").font.pointSize, 30);
}

void TestFeed::fittingStopsAtOnePoint()
{
    // A text that no size makes narrow enough: fitting gives up at 1 pt instead of looping on.
    // Blank texts (no guest club, no red wrestler) take no room.
    model().setMeasure([](const AudienceModel::FontStyle&, const QString& text) {
        return text.trimmed().isEmpty() ? 0 : 100000;
    });
    loadBout({{ColNachnRot, QString()}, {ColNachnBlau, QStringLiteral("x")}},
             {{"heim", QStringLiteral("x")}});
    model().updatekampf();
    QCOMPARE(e("heim").font.pointSize, AudienceModel::kFittingFloor);
    QCOMPARE(e("gast").font.pointSize, AudienceModel::kFittingFloor);
    QCOMPARE(e("rot").font.pointSize, AudienceModel::kFittingFloor);

    // The same with the real fonts and a club name of 5000 characters.
    model().setMeasure({});
    loadBout({}, {{"heim", QString(5000, QLatin1Char('W'))}});
    model().updatekampf();
    QCOMPARE(e("heim").font.pointSize, AudienceModel::kFittingFloor);
}

void TestFeed::rightAlignedInBlueBox()
{
    setWidths({{QStringLiteral("PR: Huber"), 120},
               {QStringLiteral("66,5 kg"), 77},
               {QStringLiteral("Freistil"), 150},
               {QStringLiteral("Jan Blau"), 200}});
    loadBout(
        {{ColStil, QStringLiteral("F")}, {9, QStringLiteral("66,5")}, {ColVornBlau, QStringLiteral("Jan")}},
        {{"pr", QStringLiteral("Huber")}});
    model().showLoadedBout();
    model().updatekampf();
    for (const char* name : {"pr", "gewb", "stil", "blau"})
        QVERIFY2(e(name).geometry.right() + 1 == kShape2Inside, name);
    // Left-aligned elements keep their design places.
    QCOMPARE(e("gewr").geometry.topLeft(), QPoint(8, 272));
    QCOMPARE(e("kampfnr").geometry.topLeft(), QPoint(5, 163));
    QCOMPARE(e("gew").geometry.topLeft(), QPoint(440, 163));
    QCOMPARE(e("mp").geometry.topLeft(), QPoint(7, 131));
}

void TestFeed::styleWords_data()
{
    QTest::addColumn<QString>("stil");
    QTest::addColumn<QString>("word");
    QTest::newRow("F") << "F"
                       << "Freistil";
    QTest::newRow("G") << "G"
                       << "Gr.-röm.";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("lower case") << "f"
                                << "";
    QTest::newRow("other") << "FG"
                           << "";
}

void TestFeed::styleWords()
{
    QFETCH(QString, stil);
    QFETCH(QString, word);
    loadBout({{ColStil, stil}, {ColKlasse, QStringLiteral("55")}});
    model().updatekampf();
    QCOMPARE(e("stil").text, word);
    // The presentation view shows the raw style letter after the weight.
    QCOMPARE(e("Label3").text, QStringLiteral("55 kg ") + stil);
}

void TestFeed::winTypeWords_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("word");
    QTest::newRow("SS") << "SS"
                        << "SCHULTERSIEG";
    QTest::newRow("AS") << "AS"
                        << "AUFGABESIEG";
    QTest::newRow("DS") << "DS"
                        << "SIEG DURCH DIS.";
    QTest::newRow("DQ") << "DQ"
                        << "SIEG DURCH DIS.";
    QTest::newRow("DV") << "DV"
                        << "SIEG DURCH DIS.";
    QTest::newRow("ÜG") << "ÜG"
                        << "Sieg wg. Übergew.";
    for (const char* code : {"UG", "KL"})
        QTest::newRow(code) << QString::fromUtf8(code) << QString::fromUtf8(code);
    QTest::newRow("open bout") << ""
                               << "";
}

void TestFeed::winTypeWords()
{
    QFETCH(QString, code);
    QFETCH(QString, word);
    // Equal team points restore the row's win type for both sides.
    loadBout({{ColSieg, code}});
    model().updatepunkt();
    QCOMPARE(e("siegart_rot").text, word);
    QCOMPARE(e("siegart_blau").text, word);
}

// Codes that no row restores and no command gives, so no bout holds them: their words are
// checked where the feed takes them from.
void TestFeed::wordsOfCodesNoBoutHolds_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("word");
    for (const char* code : {"PS", "TÜ", "PE"})
        QTest::newRow(code) << QString::fromUtf8(code) << QString::fromUtf8(code);
    QTest::newRow("case-sensitive") << "ss"
                                    << "ss";
    QTest::newRow("lower üg") << "üg"
                              << "üg";
}

void TestFeed::wordsOfCodesNoBoutHolds()
{
    QFETCH(QString, code);
    QTEST(AudienceModel::winTypeWord(code), "word");
}

void TestFeed::cautionMarks_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<QString>("shownRed");
    QTest::addColumn<QString>("shownBlue");
    // Blue has 4 − red cautions.
    QTest::newRow("0 : 4") << 0 << ""
                           << "vb1 vb2 vb3";
    QTest::newRow("1 : 3") << 1 << "vr1"
                           << "vb1 vb2 vb3";
    QTest::newRow("2 : 2") << 2 << "vr1 vr2"
                           << "vb1 vb2";
    QTest::newRow("3 : 1") << 3 << "vr1 vr2 vr3"
                           << "vb1";
    QTest::newRow("4 : 0") << 4 << "vr1 vr2 vr3"
                           << "";
}

void TestFeed::cautionMarks()
{
    QFETCH(int, red);
    QFETCH(QString, shownRed);
    QFETCH(QString, shownBlue);
    // Cautions counted from the scoring strings, as the bout panel's commands leave them.
    for (int i = 0; i < 4; ++i)
        m_console->bout().eingabe(i < red ? QStringLiteral("rv") : QStringLiteral("bv"));
    QStringList shown;
    for (const char* mark : {"vr1", "vr2", "vr3", "vb1", "vb2", "vb3"})
        if (e(mark).visible)
            shown << QLatin1String(mark);
    QCOMPARE(shown.join(QLatin1Char(' ')),
             QStringList({shownRed, shownBlue}).join(QLatin1Char(' ')).trimmed());
}

void TestFeed::clockLine()
{
    BoutClock& clock = m_console->clock();
    setFixedWidths({{QStringLiteral(">> PAUSE: 30 <<"), 120}});
    // The first period ends: the break starts, and its first tick shows its text.
    clock.loadClock(clock.periodMinutes() - 1, 59, BoutClock::clockText(clock.periodMinutes() - 1, 59));
    clock.Timer3Timer();
    clock.Timer3Timer();
    QCOMPARE(e("uhr").text, clock.uhr());
    QCOMPARE(e("zeitinfo").text, QStringLiteral(">> PAUSE: 30 <<"));
    QCOMPARE(e("aktionszeitlicht").colour, BoutClock::lightGreen());
    // Centred over aktionszeitlicht: 304 + 377 / 2 − 120 / 2 = 432.5 goes to 432.
    QCOMPARE(e("zeitinfo").geometry.left(), 432);
    QCOMPARE(e("uhr").geometry.topLeft(), QPoint(341, 327));
}

void TestFeed::injuryLabelOnlyWhileRunning()
{
    BoutClock& clock = m_console->clock();
    QVERIFY(!e("vzrot").visible);
    model().tprDoubleClick();
    QVERIFY(clock.injuryRedRunning());
    // The switch alone refreshes nothing; the next clock-line refresh shows the label.
    QVERIFY(!e("vzrot").visible);
    clock.vztimerrotTimer();
    QVERIFY(e("vzrot").visible);
    QCOMPARE(e("vzrot").text, QStringLiteral("0:01"));
    QVERIFY(!e("vzblau").visible);

    model().tprDoubleClick();
    QVERIFY(!clock.injuryRedRunning());
    QVERIFY(e("vzrot").visible);
    clock.zeitplusminus(QStringLiteral("p"), 1);
    QVERIFY(!e("vzrot").visible);
    QCOMPARE(e("vzrot").text, QStringLiteral("0:01"));

    model().tpbDoubleClick();
    clock.vztimerblauTimer();
    QVERIFY(e("vzblau").visible);
    QVERIFY(!e("vzrot").visible);
}

void TestFeed::loadedBoutThroughConsole()
{
    const QString path = m_dir->filePath(QStringLiteral("Heim-Gast.ptlx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV Aalen</heim><gast>ASV Bad"
        "</gast><ml>Maier</ml><pr>Huber</pr></info><kaempfe><kampf1><klasse>57</klasse><stil>G</stil>"
        "<vornrot>Max</vornrot><nachnrot>Rot</nachnrot><vornblau>Moritz</vornblau><nachnblau>Blau</nachnblau>"
        "<zeit>2:07</zeit><punkterot>3</punkterot><punkteblau>0</punkteblau><reihenfolge>1</reihenfolge>"
        "</kampf1><kampf2><klasse>61</klasse><punkterot>0</punkterot><punkteblau>4</punkteblau>"
        "<reihenfolge>2</reihenfolge></kampf2><kampf3><klasse>66</klasse><punkterot>2</punkterot>"
        "<punkteblau>0</punkteblau><reihenfolge>3</reihenfolge></kampf3></kaempfe></mk>");
    f.close();
    m_console->matchFile().open(path);
    m_console->settings().setLaufschrift(QStringLiteral("Willkommen in der Halle"));
    model().tprDoubleClick();
    m_console->clock().vztimerrotTimer();
    QVERIFY(e("vzrot").visible);

    nav().setKampfnr(QStringLiteral("1"));
    nav().ladedaten();
    const QStringList texts = {e("heim").text,   e("gast").text, e("kampfnr").text, e("gew").text,
                               e("stil").text,   e("rot").text,  e("blau").text,    e("Label3").text,
                               e("Label7").text, e("mp").text,   e("kr").text,      e("pr").text,
                               e("uhr").text};
    QCOMPARE(texts,
             QStringList({"KSV Aalen", "ASV Bad", "Kampf 1", "57 kg", "Gr.-röm.", "Max Rot", "Moritz Blau",
                          "57 kg G", "Willkommen in der Halle", "", "KR: Maier", "PR: Huber", "2:07"}));
    QVERIFY(!e("vzrot").visible);
    // Both views show each side in its own element: names, clubs and the team scores summed
    // over the bouts.
    const QStringList sides = {e("punkteheim").text, e("punktegast").text, e("Label8").text,
                               e("Label9").text,     e("Label1").text,     e("Label2").text,
                               e("Label4").text,     e("Label5").text};
    QCOMPARE(sides, QStringList({"5", "4", "5", "4", "Max Rot", "Moritz Blau", "KSV Aalen", "ASV Bad"}));
}

void TestFeed::everySideFromItsOwnSource()
{
    // A bout loaded from a real match file and scored with the operator's commands, in which each
    // side has a value of its own in every element: a value shown under the other side, or taken
    // from the other side's source, shows.
    const QString path = m_dir->filePath(QStringLiteral("Rotenfels-Weilimdorf.ptlx"));
    QVERIFY(writeAll(
        path,
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV Rotenfels</heim>"
            "<gast>TSV Weilimdorf</gast><ml>Peter Brenner</ml><mp>Ulrike Sauter</mp><pr>Jörg Maier</pr>"
            "</info><kaempfe><kampf1><klasse>57</klasse><stil>F</stil><gewichtrot>56,8</gewichtrot>"
            "<vornrot>Jonas</vornrot><nachnrot>Albrecht</nachnrot><punkterot>2</punkterot>"
            "<gewichtblau>56,1</gewichtblau><vornblau>Milan</vornblau><nachnblau>Brandt</nachnblau>"
            "<punkteblau>0</punkteblau><sieg>PS</sieg><reihenfolge>1</reihenfolge></kampf1>"
            "<kampf2><klasse>61</klasse><stil>G</stil><gewichtrot>60,9</gewichtrot><vornrot>Felix</vornrot>"
            "<nachnrot>Carstens</nachnrot><gewichtblau>60,4</gewichtblau><vornblau>Luka</vornblau>"
            "<nachnblau>Dreher</nachnblau><reihenfolge>2</reihenfolge></kampf2>"
            "<kampf3><klasse>66</klasse><stil>F</stil><gewichtrot>65,2</gewichtrot><vornrot>Emil</vornrot>"
            "<nachnrot>Fischer</nachnrot><punkterot>0</punkterot><gewichtblau>65,9</gewichtblau>"
            "<vornblau>Noah</vornblau><nachnblau>Grimm</nachnblau><punkteblau>4</punkteblau>"
            "<sieg>SS</sieg><reihenfolge>3</reihenfolge></kampf3></kaempfe></mk>")
            .toLatin1()));
    m_console->matchFile().open(path);
    nav().setKampfnr(QStringLiteral("2"));
    nav().ladedaten();
    // Red: 2, 4 and 1 point, one passivity, one caution, then a fall. Blue: 1 and 2 points, two
    // passivities (the second one in Greco-Roman gives nothing yet), two cautions.
    Bout& bout2 = m_console->bout();
    for (const char* cmd : {"r2", "bp", "bv", "r4", "b1", "rp", "bv", "rv", "bp", "r1", "b2", "rss"}) {
        if (cmd[1] >= '1' && cmd[1] <= '5')
            bout2.punkte(QString(QLatin1Char(cmd[0])), cmd[1] - '0');
        else
            bout2.eingabe(QLatin1String(cmd));
    }
    // Both injury times run, red's for 11 seconds, blue's for 24.
    model().tprDoubleClick();
    model().tpbDoubleClick();
    for (int s = 0; s < 24; ++s) {
        if (s < 11)
            m_console->clock().vztimerrotTimer();
        m_console->clock().vztimerblauTimer();
    }

    struct Pair
    {
        // Element names; the caution marks stand together for their side.
        const char* red;
        const char* blue;
        const char* shownRed;
        const char* shownBlue;
        bool sided; // drawn on its side of the scoreboard: red left of the blue box, blue in it
    };
    const Pair pairs[] = {
        {"heim", "gast", "KSV Rotenfels", "TSV Weilimdorf", true},
        {"punkteheim", "punktegast", "2", "4", true},
        {"rot", "blau", "Felix Carstens", "Luka Dreher", true},
        {"gewr", "gewb", "60,9 kg", "60,4 kg", true},
        {"tpr", "tpb", "7", "3", true},
        {"wr", "wb", "2  4 P V 1 ", " PV 1 V P 2", false},
        {"siegart_rot", "siegart_blau", "SCHULTERSIEG", "", true},
        {"vr1 vr2 vr3", "vb1 vb2 vb3", "V", "V V", true},
        {"vzrot", "vzblau", "0:11", "0:24", true},
        // The presentation view.
        {"Label1", "Label2", "Felix Carstens", "Luka Dreher", false},
        {"Label4", "Label5", "KSV Rotenfels", "TSV Weilimdorf", false},
        {"Label8", "Label9", "2", "4", true},
    };
    const int border = e("Shape2").geometry.left();
    // The texts of the visible elements among `names`.
    const auto shown = [this](const QString& names) {
        QStringList texts;
        for (const QString& name : names.split(QLatin1Char(' ')))
            if (model().element(name).visible)
                texts << model().element(name).text;
        return texts.join(QLatin1Char(' '));
    };
    QStringList wrong;
    for (const Pair& pair : pairs) {
        QVERIFY2(qstrcmp(pair.shownRed, pair.shownBlue) != 0, pair.red);
        for (const bool red : {true, false}) {
            const QString names = QLatin1String(red ? pair.red : pair.blue);
            const QString expected = QString::fromUtf8(red ? pair.shownRed : pair.shownBlue);
            if (shown(names) != expected)
                wrong << QStringLiteral("%1 shows \"%2\", not \"%3\"").arg(names, shown(names), expected);
            for (const QString& name : names.split(QLatin1Char(' '))) {
                const QRect g = model().element(name).geometry;
                const int centre2 = 2 * g.left() + g.width();
                if (pair.sided && model().element(name).visible &&
                    (red ? centre2 >= 2 * border : centre2 <= 2 * border))
                    wrong
                        << QStringLiteral("%1 is drawn on the other side, at %2").arg(name).arg(centre2 / 2);
            }
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));

    // Blue's injury time stopped: at the next refresh only red's is shown.
    model().tpbDoubleClick();
    m_console->clock().vztimerrotTimer();
    QCOMPARE(shown(QStringLiteral("vzrot")), QStringLiteral("0:12"));
    QCOMPARE(shown(QStringLiteral("vzblau")), QString());
}

void TestFeed::zoomOutAndBack()
{
    ViewState& view = m_console->view();
    QCOMPARE(model().zoomdir(), 0);
    model().startZoom();
    QVERIFY(model().overlayVisible());
    QVERIFY(model().zoomRunning());
    // Paced at the system timer's tick, the 22 steps are seen as a zoom (a third of a second),
    // not as a flash.
    QCOMPARE(model().zoomInterval(), kSystemTimerResolutionMs);
    QVERIFY(22 * model().zoomInterval() >= 300 && 22 * model().zoomInterval() <= 400);
    for (int step = 1; step <= 10; ++step) {
        model().Timer1Timer();
        QCOMPARE(model().overlay().width(), 73 + 100 * step);
        QVERIFY(view.panel1Visible());
    }
    model().Timer1Timer();
    QCOMPARE(model().overlay().size(), QSize(1173, 1155));
    QCOMPARE(model().zoomdir(), 2);
    QVERIFY(!view.panel1Visible() && view.panel2Visible());
    QVERIFY(view.lampRed());
    QVERIFY(model().tickerRunning());
    QCOMPARE(model().tickerInterval(), 100);

    for (int step = 1; step <= 11; ++step) {
        QVERIFY(model().overlayVisible());
        model().Timer1Timer();
        // Each step keeps the overlay centred on the window.
        const QRect o = model().overlay();
        QVERIFY(qAbs(2 * o.left() + o.width() - 1010) <= 1);
        QVERIFY(qAbs(2 * o.top() + o.height() - 732) <= 1);
    }
    QCOMPARE(model().overlay().size(), QSize(73, 55));
    QVERIFY(!model().overlayVisible());
    QVERIFY(!model().zoomRunning());
    QCOMPARE(model().zoomdir(), 1);
    QVERIFY(view.panel2Visible());
}

void TestFeed::zoomStartWhileShrinkingSwapsBack()
{
    ViewState& view = m_console->view();
    model().startZoom();
    for (int i = 0; i < 5; ++i)
        model().Timer1Timer();
    // A start while growing changes nothing: the peak still comes at step 11.
    model().startZoom();
    for (int i = 0; i < 6; ++i)
        model().Timer1Timer();
    QVERIFY(view.panel2Visible());
    for (int i = 0; i < 3; ++i)
        model().Timer1Timer();
    QCOMPARE(model().overlay().width(), 873);
    model().startZoom();
    QCOMPARE(model().zoomdir(), 1);
    int steps = 0;
    while (view.panel2Visible() && steps < 20) {
        model().Timer1Timer();
        ++steps;
    }
    QCOMPARE(steps, 3);
    QVERIFY(view.panel1Visible());
    QVERIFY(!view.lampRed());
    QVERIFY(!model().tickerRunning());
    QCOMPARE(model().zoomdir(), 2);
}

void TestFeed::zoomStartedThroughViewState()
{
    // "Ringer vorstellen", a bout change and the clock all ask the view state for a zoom.
    m_console->view().startZoom();
    QVERIFY(model().zoomRunning());
    QCOMPARE(model().zoomdir(), 1);
    // The clock zooms back only from the presentation view.
    for (int tick = 0; model().zoomRunning() && tick < 100; ++tick)
        model().Timer1Timer();
    QVERIFY(!model().zoomRunning());
    m_console->view().setPanelsVisible(false, true);
    m_console->clock().startstop();
    QVERIFY(model().zoomRunning());
}

void TestFeed::tickerWrapsToRightEdge()
{
    m_console->settings().setLaufschrift(QStringLiteral("Lauf"));
    setFixedWidths({{QStringLiteral("Lauf"), 141}});
    model().updatekampf();
    QCOMPARE(e("Label7").geometry.left(), 13);
    QCOMPARE(e("Label7").geometry.width(), 141);
    for (int step = 1; step <= 30; ++step)
        model().Timer2Timer();
    QCOMPARE(e("Label7").geometry.left(), 13 - 150);
    model().Timer2Timer();
    QCOMPARE(e("Label7").geometry.left(), 1010);
    model().Timer2Timer();
    QCOMPARE(e("Label7").geometry.left(), 1005);
}

void TestFeed::scaling_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("shape2");
    QTest::addColumn<QRect>("shape3");
    QTest::addColumn<int>("tahoma55");
    QTest::addColumn<int>("black30");
    QTest::newRow("80") << 80 << QSize(808, 586) << QRect(395, 0, 393, 103) << QRect(-1, 133, 788, 2) << 44
                        << 24;
    QTest::newRow("90") << 90 << QSize(909, 659) << QRect(445, 0, 442, 116) << QRect(-1, 149, 887, 2) << 50
                        << 27;
    QTest::newRow("100") << 100 << QSize(1010, 732) << QRect(494, 0, 491, 129) << QRect(-1, 166, 985, 2) << 55
                         << 30;
    QTest::newRow("110") << 110 << QSize(1111, 805) << QRect(543, 0, 540, 142) << QRect(-1, 183, 1084, 2)
                         << 61 << 33;
    QTest::newRow("120") << 120 << QSize(1212, 878) << QRect(593, 0, 589, 155) << QRect(-1, 199, 1182, 2)
                         << 66 << 36;
}

void TestFeed::scaling()
{
    QFETCH(int, scale);
    QFETCH(QSize, client);
    QFETCH(QRect, shape2);
    QFETCH(QRect, shape3);
    QFETCH(int, tahoma55);
    QFETCH(int, black30);
    QSignalSpy resized(&model(), &AudienceModel::clientSizeChanged);
    model().applyScaleStep(100, scale);
    QCOMPARE(model().clientSize(), client);
    QCOMPARE(resized.count(), scale == 100 ? 0 : 1);
    QCOMPARE(e("Shape2").geometry, shape2);
    QCOMPARE(e("Shape3").geometry, shape3);
    QCOMPARE(e("punkteheim").font.pointSize, tahoma55);
    QCOMPARE(e("kampfnr").font.pointSize, black30);
    // An auto-width text takes the width of its text in the scaled font.
    QCOMPARE(e("tpr").geometry.width(), model().measure(e("tpr").font, e("tpr").text));
    // The overlay is scaled with the window.
    QCOMPARE(model().overlay().width(), AudienceModel::mulDiv(73, scale, 100));
}

void TestFeed::scaleStepRoundsTwice()
{
    // A stored 110, then "+": back by 100 / 110, out by 112 / 100, each value rounded each time.
    model().applyScaleStep(100, 110);
    model().applyScaleStep(110, 112);
    QCOMPARE(model().clientSize(), QSize(1131, 820));
    QCOMPARE(e("Shape2").geometry, QRect(553, 0, 550, 144));
    QCOMPARE(e("punkteheim").font.pointSize, 62);
    QCOMPARE(e("heim").font.pointSize, 34);
    // 805 × 100 / 110 = 731.8: the way back lands on the design height before going out.
    QCOMPARE(AudienceModel::mulDiv(805, 100, 110), 732);
}

void TestFeed::scaleButtonLimits_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("next");
    QTest::newRow("+ at 100") << 100 << true << 102;
    QTest::newRow("+ at 118") << 118 << true << 120;
    QTest::newRow("+ at 120") << 120 << true << 120;
    QTest::newRow("- at 82") << 82 << false << 80;
    QTest::newRow("- at 80") << 80 << false << 80;
}

void TestFeed::scaleButtonLimits()
{
    QFETCH(int, current);
    QFETCH(bool, up);
    QFETCH(int, next);
    // "+" and "-" as the set-up panel does them: the settings step the field, and only a step
    // that moved it scales the window, back to the design size and out to the new scale.
    Settings& settings = m_console->settings();
    settings.setSkalierung(QString::number(current));
    model().applyScaleStep(100, current);
    const Settings::ScaleStep step = settings.stepSkalierung(up);
    QCOMPARE(step.to, next);
    if (step.from != step.to)
        model().applyScaleStep(step.from, step.to);
    QCOMPARE(model().clientSize(),
             QSize(AudienceModel::mulDiv(1010, next, 100), AudienceModel::mulDiv(732, next, 100)));
    QCOMPARE(e("Shape2").geometry.left(), AudienceModel::mulDiv(494, next, 100));
}

void TestFeed::typewriterStringsLineUp()
{
    // Real fonts: the two scoring strings, each blank where the other side acted, must be
    // equally wide in every prefix so the actions read as one line.
    const QString wr = QStringLiteral("2  4V 1");
    const QString wb = QStringLiteral(" 1P  5 ");
    loadBout({{ColWertungenRot, wr}, {ColWertungenBlau, wb}});
    model().updatepunkt();
    QCOMPARE(e("wr").geometry.topLeft(), e("wb").geometry.topLeft());
    QVERIFY(e("wr").geometry.width() > 0);
    for (qsizetype n = 1; n <= wr.size(); ++n)
        QCOMPARE(model().measure(e("wr").font, wr.left(n)), model().measure(e("wb").font, wb.left(n)));
    QCOMPARE(QFontInfo(AudienceModel::font(e("wr").font)).family(), QStringLiteral("MonospaceTypewriter"));
}

void TestFeed::designNamesReachTheirElements()
{
    // The tests above reach elements by their design names: each name must lead to the element
    // drawn in its place, and a name the design lacks to none (the model stops on it).
    const std::vector<Element>& all = model().elements();
    QCOMPARE(all.size(), AudienceDesign::kElementCount);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QString name = AudienceDesign::name(AudienceDesign::Id(i));
        QVERIFY2(&model().element(name) == &all[i], qPrintable(name));
        QVERIFY2(all[i].id == AudienceDesign::Id(i), qPrintable(name));
    }
    QCOMPARE(AudienceDesign::name(AudienceDesign::Id::siegart_blau), QStringLiteral("siegart_blau"));
    QVERIFY(!AudienceDesign::idNamed(QStringLiteral("shape2")));
}

QTEST_MAIN(TestFeed)
#include "tst_feed.moc"
