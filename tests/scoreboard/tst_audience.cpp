#include "platform/SignalSound.h"
#include "scoreboard/AudienceModel.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "shell/Console.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFontDatabase>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct BoutScene
{
    const char* home;
    const char* guest;
    const char* red;
    const char* blue;
    const char* mp = "MP: Günter Süß";
    const char* kr = "KR: Hans-Jörg Bäcker";
    const char* pr = "PR: Jürgen Böhm";
};

// Fictitious clubs and wrestlers: one pair of names far too long for the header, one short.
const BoutScene kLongNames = {"KSV Grünwald-Möhringen 1921 e.V.",      "AC Bärenthal 1904",
                              "Maximilian-Alexander Schwarzenberger",  "Gökhan Öztürk-Wöhrle",
                              "MP: Friedrich-Wilhelm Mattenpräsident", "KR: Bernhard Kampfrichter-Oberhauser",
                              "PR: Petra Punktrichterin-Schmidt"};
const BoutScene kShortNames = {"SV Au", "TSV Lörrach-Stetten", "Jan Ott", "Ali Şahin"};
// Longer still: three lines at the design size, and a single word wider than the blue box.
const BoutScene kOverlongNames = {
    "Kraftsportverein Grünwald-Möhringen-Oberschwarzach 1921 e.V. Abteilung Ringen und Gewichtheben",
    "Athletenclub Bärenthal-Unterkirchberg-Hohenstaufen 1904 e.V. Ringerabteilung",
    "Maximilian-Alexander Konstantin Schwarzenberger-Hohenlohe-Ingelfingen",
    "Ali Öztürk-Wöhrle-Schwarzenberger-Hohenlohe-Ingelfingen-Bärenthal-Möhringen"};
// Both names need two lines at any size that fits their boxes, and the blue one has descenders
// on its first line: the names meet where the boxes overlap.
const BoutScene kTwoLineNames = {"KSV Grünwald", "AC Bärenthal",
                                 "Maximilian-Alexander Konstantin Schwarzenberger-Hohenlohe-Ingelfingen",
                                 "Gökhan-Jürgen Yılmaz Öztürk-Wöhrle-Hohenstaufen-Bärenthal-Gypsberg"};

// The pixels a fixed text box inks when its lines are drawn without any clipping, on a
// transparent picture with room around the window for whatever reaches past it.
QImage inkOf(const AudienceWindow::TextBoxLayout& layout, const QColor& colour, const QSize& window,
             int margin)
{
    QImage image(window + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(margin, margin);
    p.setFont(layout.font);
    p.setPen(colour);
    for (qsizetype i = 0; i < layout.lines.size(); ++i)
        p.drawText(layout.baselines.at(i), layout.lines.at(i));
    return image;
}

} // namespace

class TestAudience : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rendersAtScales_data();
    void rendersAtScales();
    void escapeHides();
    void enterTogglesFrameless();
    void fullScreenScalesTheDesign_data();
    void fullScreenScalesTheDesign();
    void doubleClickTogglesInjuryTime();
    void overlayLiesOnTop();
    void advertCentredAndScaledDown();
    void presentationTextsFitApart_data();
    void presentationTextsFitApart();
    void screenshots();

private:
    // A bout in progress: names, clubs, officials, scoring strings with cautions, a running red
    // injury time, a red win type, the clock in the second period.
    void stage(Console& console, const BoutScene& scene);
    static QColor pixel(const QImage& image, const QPoint& p) { return image.pixelColor(p); }

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
};

void TestAudience::initTestCase()
{
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(VANTOR_TYPEWRITER_FONT)) >= 0);
}

void TestAudience::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
}

void TestAudience::cleanup()
{
    m_console.reset();
    m_dir.reset();
}

void TestAudience::stage(Console& console, const BoutScene& scene)
{
    // The bout is loaded from its grid row as a bout change does, then scored with the
    // operator's commands (Greco-Roman).
    MatchRecord& record = console.record();
    const auto official = [](const char* line) { return QString::fromUtf8(line).mid(4); };
    record.setHeader(QStringLiteral("heim"), QString::fromUtf8(scene.home));
    record.setHeader(QStringLiteral("gast"), QString::fromUtf8(scene.guest));
    record.setHeader(QStringLiteral("mp"), official(scene.mp));
    record.setHeader(QStringLiteral("ml"), official(scene.kr));
    record.setHeader(QStringLiteral("pr"), official(scene.pr));
    record.setRowCount(2);
    // The panel shows "first name, space, surname": split at the first space.
    const auto name = [&record](int firstColumn, int surnameColumn, const char* text) {
        const QString whole = QString::fromUtf8(text);
        const qsizetype space = whole.indexOf(QLatin1Char(' '));
        record.setCell(firstColumn, 1, space < 0 ? QString() : whole.left(space));
        record.setCell(surnameColumn, 1, space < 0 ? whole : whole.mid(space + 1));
    };
    name(MatchFields::ColVornRot, MatchFields::ColNachnRot, scene.red);
    name(MatchFields::ColVornBlau, MatchFields::ColNachnBlau, scene.blue);
    record.setCell(MatchFields::ColStil, 1, QStringLiteral("G"));
    record.setCell(MatchFields::ColKlasse, 1, QStringLiteral("75"));
    record.setCell(MatchFields::ColGewichtRot, 1, QStringLiteral("74,6"));
    record.setCell(MatchFields::ColGewichtBlau, 1, QStringLiteral("75,0"));
    record.setCell(MatchFields::ColPunkteRot, 1, QStringLiteral("12"));
    record.setCell(MatchFields::ColPunkteBlau, 1, QStringLiteral("9"));
    record.setCell(MatchFields::ColReihenfolge, 1, QStringLiteral("7"));
    console.settings().setLaufschrift(
        QStringLiteral("Herzlich Willkommen zum Derby! Nächster Heimkampf: Samstag, 19:30 Uhr"));
    BoutNavigator& nav = console.navigator();
    nav.setKampfnr(QStringLiteral("7"));
    nav.ladedaten();

    Bout& bout = console.bout();
    for (const char* cmd : {"r2", "bv", "r4", "b1", "rv", "rp", "b2", "rv", "r1"}) {
        if (cmd[1] >= '1' && cmd[1] <= '5')
            bout.punkte(QString(QLatin1Char(cmd[0])), cmd[1] - '0');
        else
            bout.eingabe(QLatin1String(cmd));
    }
    bout.eingabe(QStringLiteral("rss"));

    BoutClock& clock = console.clock();
    clock.loadClock(4, 12, QStringLiteral("4:12"));
    clock.setLight(BoutClock::lightRed());
    clock.vzrotDblClick();
    for (int second = 0; second < 47; ++second)
        clock.vztimerrotTimer();

    console.audience().showLoadedBout();
    console.audience().updatekampf();
    console.audience().updatesek();
}

void TestAudience::rendersAtScales_data()
{
    QTest::addColumn<int>("scale");
    for (int s : {80, 100, 120})
        QTest::addRow("%d", s) << s;
}

void TestAudience::rendersAtScales()
{
    QFETCH(int, scale);
    AudienceModel& model = m_console->audience();
    AudienceWindow window(model);
    model.applyScaleStep(100, scale);
    stage(*m_console, kLongNames);
    QCOMPARE(window.size(), model.clientSize());
    QCOMPARE(window.size().width(), AudienceModel::mulDiv(1010, scale, 100));

    // With the real fonts the fitted texts stay in their boxes at every scale.
    const auto g = [&model](const char* name) { return model.element(QLatin1String(name)).geometry; };
    QVERIFY(g("heim").left() >= g("Shape1").left() && g("heim").right() <= g("Shape1").right());
    QVERIFY(g("gast").left() >= g("Shape2").left() && g("gast").right() <= g("Shape2").right());
    QVERIFY(g("rot").right() < g("blau").left());
    QVERIFY(g("siegart_rot").left() >= 0 && g("siegart_rot").right() <= g("Shape15").right());
    // The officials' line: long names share one smaller size and keep apart.
    const auto pt = [&model](const char* name) { return model.element(QLatin1String(name)).font.pointSize; };
    const int design = AudienceModel::mulDiv(20, scale, 100);
    QVERIFY2(pt("mp") < design, qPrintable(QString::number(pt("mp"))));
    QCOMPARE(pt("kr"), pt("mp"));
    QCOMPARE(pt("pr"), pt("mp"));
    QVERIFY(g("mp").right() < g("kr").left());
    QVERIFY(g("kr").right() < g("pr").left());
    QVERIFY(g("pr").right() <= g("Shape2").right());
    QVERIFY(qAbs(2 * g("kr").left() + g("kr").width() - 2 * g("Shape1").left() - g("Shape1").width() -
                 g("Shape2").width()) <= 1);

    const QImage shot = window.grab().toImage();
    QCOMPARE(shot.size(), window.size() * shot.devicePixelRatio());
    const auto at = [scale](int x, int y) { return QPoint(x * scale / 100, y * scale / 100); };
    QCOMPARE(pixel(shot, at(3, 3)), QColor(255, 0, 0));
    QCOMPARE(pixel(shot, at(980, 3)), QColor(0, 0, 255));
    QCOMPARE(pixel(shot, at(990, 3)), QColor(0, 0, 0));
    QCOMPARE(pixel(shot, at(3, 318)), QColor(255, 0, 0));
    // The light behind the clock shows the running activity colour.
    QCOMPARE(pixel(shot, at(600, 318)), QColor(255, 0, 0));

    // The presentation view after the swap draws its background, not the scoreboard.
    model.startZoom();
    while (model.overlayVisible())
        model.Timer1Timer();
    const QImage intro = window.grab().toImage();
    QVERIFY(pixel(intro, at(3, 3)) != QColor(255, 0, 0));
    QVERIFY(intro != shot);

    // Short names of the next bout are back at the design size of this scale.
    m_console->record().setHeader(QStringLiteral("mp"), QStringLiteral("Ott"));
    m_console->record().setHeader(QStringLiteral("ml"), QStringLiteral("Au"));
    m_console->record().setHeader(QStringLiteral("pr"), QStringLiteral("Ek"));
    m_console->navigator().ladedaten();
    model.showLoadedBout();
    model.updatekampf();
    QCOMPARE(pt("mp"), design);
    QCOMPARE(pt("pr"), design);
}

void TestAudience::escapeHides()
{
    AudienceWindow window(m_console->audience());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    // Hidden, not destroyed: "Anzeige" shows it again.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Anzeige"));
    QCOMPARE(window.objectName(), QStringLiteral("TForm1"));
}

void TestAudience::enterTogglesFrameless()
{
    AudienceWindow window(m_console->audience());
    QCOMPARE(window.pos(), QPoint(0, 0));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(window.isVisible());
    QVERIFY(window.windowState() & Qt::WindowFullScreen);
    QTest::keyClick(window.windowHandle(), Qt::Key_Enter);
    QVERIFY(!window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QVERIFY(window.isVisible());

    // "Anzeige auf Vollbild" on a hidden window changes the border but shows nothing.
    window.hide();
    window.toggleFullScreen();
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(!window.isVisible());
}

void TestAudience::fullScreenScalesTheDesign_data()
{
    QTest::addColumn<QList<int>>("steps");
    // A window manager that cannot do full screen (or tells it late) leaves the window in no
    // state: it is still the borderless window over the whole screen.
    QTest::addColumn<bool>("stateDropped");
    QTest::newRow("+ once") << QList<int>{102} << false;
    QTest::newRow("+ to the top") << QList<int>{102, 104, 106, 108, 110, 112, 114, 116, 118, 120} << false;
    QTest::newRow("- to the bottom") << QList<int>{98, 96, 94, 92, 90, 88, 86, 84, 82, 80} << false;
    QTest::newRow("+ once, no state") << QList<int>{102} << true;
    QTest::newRow("+ to the top, no state")
        << QList<int>{102, 104, 106, 108, 110, 112, 114, 116, 118, 120} << true;
}

// The display scale applies to the design, also while the window fills the screen: the window
// keeps filling it, the content takes the new scale, and the ticker runs inside the window.
void TestAudience::fullScreenScalesTheDesign()
{
    QFETCH(QList<int>, steps);
    QFETCH(bool, stateDropped);
    AudienceModel& model = m_console->audience();
    AudienceWindow window(model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.toggleFullScreen();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize screen = window.screen()->geometry().size();
    QTRY_COMPARE(window.size(), screen);
    if (stateDropped) {
        window.setWindowState(Qt::WindowNoState);
        QCOMPARE(window.size(), screen);
    }
    QCOMPARE(model.clientSize(), screen);
    const QImage before = window.grab().toImage();

    int scale = 100;
    for (int to : steps) {
        model.applyScaleStep(scale, to); // what "+" and "-" on the set-up panel do
        scale = to;
    }
    QCOMPARE(bool(window.windowState() & Qt::WindowFullScreen), !stateDropped);
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(window.size(), screen);
    QCOMPARE(model.clientSize(), screen);
    // The content as a window that never left the design size shows it after the same steps.
    QTemporaryDir otherDir;
    Console other(otherDir.path(), &m_sound);
    int reference = 100;
    for (int to : steps) {
        other.audience().applyScaleStep(reference, to);
        reference = to;
    }
    QCOMPARE(model.designSize(), other.audience().clientSize());
    QCOMPARE(model.designSize().width(), AudienceModel::mulDiv(1010, scale, 100));
    for (const AudienceModel::Element& e : other.audience().elements())
        QCOMPARE(model.element(e.id).geometry, e.geometry);
    const QImage after = window.grab().toImage();
    QCOMPARE(after.size(), before.size());
    // The red home box ends and the blue guest box begins where the scaled design has them.
    const int border = model.element(QStringLiteral("Shape2")).geometry.left();
    QCOMPARE(pixel(after, QPoint(border - 4, 3)), QColor(255, 0, 0));
    QCOMPARE(pixel(after, QPoint(border + 4, 3)), QColor(0, 0, 255));

    // The ticker leaves on the left and comes back at the window's right edge, not beyond it.
    model.startZoom();
    while (model.overlayVisible())
        model.Timer1Timer();
    const QRect ticker = model.element(QStringLiteral("Label7")).geometry;
    for (int i = 0; i <= (ticker.right() + 1) / 5; ++i)
        model.Timer2Timer();
    QCOMPARE(model.element(QStringLiteral("Label7")).geometry.left(), screen.width());
    model.Timer2Timer();
    QVERIFY(model.element(QStringLiteral("Label7")).geometry.left() < screen.width());

    const QString folder = qEnvironmentVariable("VANTOR_SHOTS");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        const QString base = QStringLiteral("%1/vollbild_%2").arg(folder).arg(scale);
        QVERIFY(before.save(base + QStringLiteral("_vorher.png")));
        QVERIFY(after.save(base + QStringLiteral("_nachher.png")));
    }

    // Back with a border and out of the maximised state, the window has the design's size at
    // the new scale.
    window.toggleFullScreen();
    window.showNormal();
    QTRY_COMPARE(window.size(), model.designSize());
    QCOMPARE(model.clientSize(), model.designSize());
}

void TestAudience::doubleClickTogglesInjuryTime()
{
    AudienceModel& model = m_console->audience();
    AudienceWindow window(model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    BoutClock& clock = m_console->clock();
    const QPoint tpr = model.element(QStringLiteral("tpr")).geometry.center();
    const QPoint tpb = model.element(QStringLiteral("tpb")).geometry.center();

    QTest::mouseMove(&window, tpr);
    QCOMPARE(window.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseDClick(&window, Qt::LeftButton, {}, tpr);
    QVERIFY(clock.injuryRedRunning());
    QVERIFY(!clock.injuryBlueRunning());
    QTest::mouseDClick(&window, Qt::LeftButton, {}, tpr);
    QVERIFY(!clock.injuryRedRunning());
    QTest::mouseDClick(&window, Qt::LeftButton, {}, tpb);
    QVERIFY(clock.injuryBlueRunning());

    // Elsewhere nothing toggles, nor under the zoom overlay.
    QTest::mouseDClick(&window, Qt::LeftButton, {}, model.element(QStringLiteral("uhr")).geometry.center());
    model.startZoom();
    for (int i = 0; i < 8; ++i)
        model.Timer1Timer();
    QVERIFY(model.overlay().contains(tpb));
    QTest::mouseDClick(&window, Qt::LeftButton, {}, tpb);
    QVERIFY(clock.injuryBlueRunning());
    QVERIFY(!clock.injuryRedRunning());
}

void TestAudience::overlayLiesOnTop()
{
    AudienceModel& model = m_console->audience();
    AudienceWindow window(model);
    const QPoint inShape1(400, 120);
    QCOMPARE(pixel(window.grab().toImage(), inShape1), QColor(255, 0, 0));
    model.startZoom();
    for (int i = 0; i < 5; ++i)
        model.Timer1Timer();
    // 573 × 555 centred: it covers the point, the logo (fitted to 573 × 440) does not.
    QVERIFY(model.overlay().contains(inShape1));
    const QImage shot = window.grab().toImage();
    QCOMPARE(pixel(shot, inShape1), QColor(0, 0, 0));
    QVERIFY(pixel(shot, model.overlay().center()) != QColor(0, 0, 0));
    // The logo's white ground is transparent.
    QCOMPARE(window.logo().size(), QSize(500, 384));
    QCOMPARE(window.logo().pixelColor(0, 0).alpha(), 0);
    QCOMPARE(window.logo().pixelColor(250, 192).alpha(), 255);
}

void TestAudience::advertCentredAndScaledDown()
{
    AudienceModel& model = m_console->audience();
    AudienceWindow window(model);
    QImage wide(2000, 100, QImage::Format_RGB32);
    wide.fill(QColor(0, 255, 0));
    window.setAdvert(wide);
    QImage shot = window.grab().toImage();
    const QRect strip = model.element(QStringLiteral("Image2")).geometry;
    // Halved to 977 × 49 (proportions kept) and centred in the 100 px high strip.
    QCOMPARE(pixel(shot, strip.center()), QColor(0, 255, 0));
    QCOMPARE(pixel(shot, strip.topLeft() + QPoint(10, 10)), QColor(0, 0, 0));
    QCOMPARE(pixel(shot, strip.bottomLeft() + QPoint(10, -10)), QColor(0, 0, 0));

    QImage small(100, 20, QImage::Format_RGB32);
    small.fill(QColor(0, 255, 0));
    window.setAdvert(small);
    shot = window.grab().toImage();
    // A small picture is not enlarged.
    QCOMPARE(pixel(shot, strip.center()), QColor(0, 255, 0));
    QCOMPARE(pixel(shot, strip.center() + QPoint(60, 0)), QColor(0, 0, 0));

    // The built-in advert is made for the strip and shows 1:1.
    window.setAdvert(QImage());
    QCOMPARE(window.advert().size(), strip.size());
    QVERIFY(pixel(window.grab().toImage(), strip.center()) != QColor(0, 255, 0));
}

void TestAudience::presentationTextsFitApart_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<const BoutScene*>("scene");
    QTest::addColumn<bool>("designSize");
    for (int s : {80, 100, 120}) {
        QTest::addRow("%d short", s) << s << &kShortNames << true;
        QTest::addRow("%d long", s) << s << &kLongNames << false;
        QTest::addRow("%d overlong", s) << s << &kOverlongNames << false;
        QTest::addRow("%d two lines", s) << s << &kTwoLineNames << false;
    }
}

void TestAudience::presentationTextsFitApart()
{
    QFETCH(int, scale);
    QFETCH(const BoutScene*, scene);
    QFETCH(bool, designSize);
    AudienceModel& model = m_console->audience();
    const AudienceWindow window(model);
    model.applyScaleStep(100, scale);
    stage(*m_console, *scene);
    const int margin = 200;
    const QSize client = model.clientSize();

    // Where each text inks, drawn without clipping: inside its area, and apart from the others.
    QHash<QString, QRect> inked;
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label8", "Label9"}) {
        const AudienceModel::Element& e = model.element(QLatin1String(name));
        QVERIFY(!e.text.isEmpty());
        const QRect area = window.textArea(e);
        QVERIFY2(e.geometry.contains(area), name);
        const AudienceWindow::TextBoxLayout layout = AudienceWindow::layoutTextBox(e, area);
        QVERIFY2(layout.font.pixelSize() >= AudienceWindow::kSmallestTextPixels, name);
        QVERIFY2(layout.font.pixelSize() <= AudienceModel::font(e.font).pixelSize(), name);
        // What fits as designed is not made smaller.
        if (designSize)
            QCOMPARE(layout.font.pixelSize(), AudienceModel::font(e.font).pixelSize());
        const QImage ink = inkOf(layout, e.colour, client, margin);
        QRect bounds;
        for (int y = 0; y < ink.height(); ++y)
            for (int x = 0; x < ink.width(); ++x)
                if (ink.pixelColor(x, y).alpha() != 0)
                    bounds |= QRect(x - margin, y - margin, 1, 1);
        const auto show = [](const QRect& r) {
            return QStringLiteral("%1,%2 %3×%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        };
        QVERIFY2(!bounds.isEmpty(), name);
        QVERIFY2(area.contains(bounds),
                 qPrintable(QStringLiteral("%1 inks %2, outside %3").arg(name, show(bounds), show(area))));
        for (auto it = inked.cbegin(); it != inked.cend(); ++it)
            QVERIFY2(!it.value().intersects(bounds),
                     qPrintable(QStringLiteral("%1 at %2 runs into %3 at %4")
                                    .arg(name, show(bounds), it.key(), show(it.value()))));
        inked.insert(QLatin1String(name), bounds);

        // Every word is drawn, none is left out to make the rest fit; only the home club's box
        // cuts at a word with an ellipsis, and keeps at least its first word.
        const QString drawn = layout.lines.join(QLatin1Char(' '));
        if (e.elide && drawn != e.text) {
            QVERIFY2(drawn.endsWith(QStringLiteral("...")), qPrintable(drawn));
            QVERIFY2(drawn.size() > 3, qPrintable(drawn));
        } else {
            QCOMPARE(drawn, e.text);
        }
    }
}

void TestAudience::screenshots()
{
    const QString folder = qEnvironmentVariable("VANTOR_SHOTS");
    if (folder.isEmpty())
        QSKIP("VANTOR_SHOTS names no folder");
    QVERIFY(QDir().mkpath(folder));
    for (int scale : {80, 100, 120}) {
        for (const auto& [scene, name] :
             {std::pair{kLongNames, "lang"}, std::pair{kShortNames, "kurz"},
              std::pair{kOverlongNames, "ueberlang"}, std::pair{kTwoLineNames, "zweizeilig"}}) {
            QTemporaryDir dir;
            Console console(dir.path(), &m_sound);
            AudienceModel& model = console.audience();
            AudienceWindow window(model);
            model.applyScaleStep(100, scale);
            stage(console, scene);
            const QString base = QStringLiteral("%1/%2_%3").arg(folder).arg(scale).arg(QLatin1String(name));
            QVERIFY(window.grab().save(base + QStringLiteral("_anzeige.png")));
            model.startZoom();
            for (int i = 0; i < 6; ++i)
                model.Timer1Timer();
            QVERIFY(window.grab().save(base + QStringLiteral("_zoom.png")));
            while (model.overlayVisible())
                model.Timer1Timer();
            for (int i = 0; i < 20; ++i)
                model.Timer2Timer();
            QVERIFY(window.grab().save(base + QStringLiteral("_vorstellung.png")));
        }
    }
}

QTEST_MAIN(TestAudience)
#include "tst_audience.moc"
