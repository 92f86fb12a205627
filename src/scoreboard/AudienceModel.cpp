#include "AudienceModel.h"

#include "bout/Bout.h"
#include "bout/BoutClock.h"
#include "bout/BoutNavigator.h"
#include "platform/TimerResolution.h"
#include "bout/ViewState.h"
#include "settings/Settings.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <tuple>

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kSkyBlue(166, 202, 240);
const QColor kSilver(192, 192, 192);

const QString kArialBlack = QStringLiteral("Arial Black");
const QString kTahoma = QStringLiteral("Tahoma");
const QString kTypewriter = QStringLiteral("MonospaceTypewriter");

constexpr int kZoomStep = 100;
constexpr int kTickerStep = 5;
constexpr int kRightInset = 5;
constexpr int kNamesGap = 35;
// Between two officials' texts at the borders of their thirds.
constexpr int kOfficialsGap = 10;

// Fonts are measured through the font database, which exists only in a GUI application; the
// console's rules also run headless (core tests), where an estimate stands in.
bool canMeasureFonts()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

int defaultMeasure(const AudienceModel::FontStyle& style, const QString& text)
{
    if (!canMeasureFonts())
        return int(text.size()) * AudienceModel::pixelSize(style.pointSize) * 3 / 5;
    return QFontMetrics(AudienceModel::font(style)).horizontalAdvance(text);
}

int lineHeight(const AudienceModel::FontStyle& style)
{
    if (!canMeasureFonts())
        return AudienceModel::pixelSize(style.pointSize) * 6 / 5;
    return QFontMetrics(AudienceModel::font(style)).height();
}

// The comparisons are exact and case-sensitive; unknown codes show as they are.
QString displayWord(const QString& code)
{
    if (code == QLatin1String("SS"))
        return QStringLiteral("SCHULTERSIEG");
    if (code == QLatin1String("AS"))
        return QStringLiteral("AUFGABESIEG");
    if (code == QLatin1String("DS") || code == QLatin1String("DQ") || code == QLatin1String("DV"))
        return QStringLiteral("SIEG DURCH DIS.");
    if (code == QStringLiteral("ÜG"))
        return QStringLiteral("Sieg wg. Übergew.");
    return code;
}

AudienceModel::Element text(const char* name, int left, int top, const QString& family, int pt, bool bold,
                            const QColor& colour, const QString& initial = {})
{
    AudienceModel::Element e;
    e.name = QLatin1String(name);
    e.kind = AudienceModel::Kind::Text;
    e.geometry = QRect(left, top, 0, 0);
    e.font = {family, pt, bold};
    e.colour = colour;
    e.text = initial;
    e.autoWidth = true;
    return e;
}

AudienceModel::Element shape(const char* name, AudienceModel::Kind kind, const QRect& geometry,
                             const QColor& colour)
{
    AudienceModel::Element e;
    e.name = QLatin1String(name);
    e.kind = kind;
    e.geometry = geometry;
    e.colour = colour;
    return e;
}

AudienceModel::Element textBox(const char* name, const QRect& geometry, int pt, const QColor& colour,
                               Qt::Alignment alignment, bool wrap, const QString& initial = {})
{
    AudienceModel::Element e;
    e.name = QLatin1String(name);
    e.kind = AudienceModel::Kind::Text;
    e.panel = 2;
    e.geometry = geometry;
    e.font = {kTahoma, pt, true};
    e.colour = colour;
    e.alignment = alignment;
    e.wrap = wrap;
    e.text = initial;
    return e;
}

} // namespace

AudienceModel::AudienceModel(const Bout& bout, BoutClock& clock, const BoutNavigator& navigator,
                             ViewState& view, const Settings& settings, QObject* parent)
    : QObject(parent), m_bout(bout), m_clock(clock), m_navigator(navigator), m_view(view),
      m_settings(settings)
{
    buildScoreboardView();
    buildPresentationView();

    m_timer1.setParent(this);
    // Asked for 1 ms by the design, which the system's timer turned into its own tick.
    m_timer1.setInterval(kSystemTimerResolutionMs);
    m_timer2.setParent(this);
    m_timer2.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, &AudienceModel::Timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &AudienceModel::Timer2Timer);
}

void AudienceModel::buildScoreboardView()
{
    using K = Kind;
    add(shape("aktionszeitlicht", K::Box, {304, 314, 377, 213}, kBlack));
    add(shape("Shape1", K::Box, {0, 0, 497, 129}, kRed));
    add(shape("Shape2", K::Box, {494, 0, 491, 129}, kBlue));
    add(text("heim", 180, 0, kArialBlack, 30, true, kWhite));
    add(text("gast", 726, 0, kArialBlack, 30, true, kWhite));
    add(text("punkteheim", 206, 44, kTahoma, 55, true, kWhite, QStringLiteral("0")));
    add(text("punktegast", 758, 44, kTahoma, 55, true, kWhite, QStringLiteral("0")));
    add(text("kampfnr", 5, 163, kArialBlack, 30, true, kWhite));
    add(text("gew", 440, 163, kArialBlack, 30, true, kWhite));
    add(text("stil", 810, 163, kArialBlack, 30, true, kWhite));
    add(shape("Shape3", K::Line, {-1, 166, 985, 2}, kWhite));
    add(text("rot", 5, 212, kArialBlack, 30, true, kYellow));
    add(text("blau", 888, 212, kArialBlack, 30, true, kYellow));
    add(shape("Shape15", K::Box, {0, 314, 274, 213}, kRed));
    add(shape("Shape16", K::Box, {712, 314, 273, 213}, kBlue));
    Element tpr = text("tpr", 85, 330, kArialBlack, 100, true, kWhite, QStringLiteral("0"));
    tpr.handCursor = true;
    add(tpr);
    Element tpb = text("tpb", 803, 330, kArialBlack, 100, true, kWhite, QStringLiteral("0"));
    tpb.handCursor = true;
    add(tpb);
    add(text("uhr", 341, 327, kArialBlack, 100, true, kWhite, QStringLiteral("0:00")));
    add(text("zeitinfo", 407, 328, kArialBlack, 20, true, kWhite, QStringLiteral(">>PAUSE<<")));
    add(text("wr", 0, 520, kTypewriter, 50, true, kRed));
    add(text("wb", 0, 520, kTypewriter, 50, true, kSkyBlue));
    add(shape("Image2", K::Picture, {7, 616, 977, 100}, kBlack));
    add(text("gewr", 8, 272, kTahoma, 18, false, kWhite));
    add(text("gewb", 910, 272, kTahoma, 18, false, kWhite));
    add(shape("Shape7", K::Line, {1, 306, 985, 2}, kWhite));
    const QString v = QStringLiteral("V");
    for (const auto& [name, top, colour, left] :
         {std::tuple{"vr1", 314, kRed, 276}, std::tuple{"vr2", 395, kRed, 276},
          std::tuple{"vr3", 471, kRed, 276}, std::tuple{"vb3", 471, kBlue, 679},
          std::tuple{"vb2", 392, kBlue, 679}, std::tuple{"vb1", 314, kBlue, 679}}) {
        Element mark = text(name, left, top, kArialBlack, 30, true, colour, v);
        mark.visible = false;
        add(mark);
    }
    add(text("mp", 7, 131, kTahoma, 20, false, kWhite));
    add(shape("Shape5", K::Line, {1, 594, 985, 2}, kWhite));
    add(text("siegart_rot", 15, 489, kArialBlack, 20, true, kWhite));
    add(text("siegart_blau", 731, 490, kArialBlack, 20, true, kWhite));
    Element vzrot = text("vzrot", 100, 323, kArialBlack, 20, true, kWhite, QStringLiteral("0:00"));
    vzrot.visible = false;
    add(vzrot);
    Element vzblau = text("vzblau", 818, 323, kArialBlack, 20, true, kWhite, QStringLiteral("0:00"));
    vzblau.visible = false;
    add(vzblau);
    add(text("kr", 407, 131, kTahoma, 20, false, kWhite));
    add(text("pr", 942, 131, kTahoma, 20, false, kWhite));
}

void AudienceModel::buildPresentationView()
{
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment centredTop = Qt::AlignHCenter | Qt::AlignTop;
    Element background = shape("Image3", Kind::Picture, {0, 0, 1033, 732}, kBlack);
    background.panel = 2;
    add(background);
    add(textBox("Label1", {31, 395, 901, 74}, 40, kRed, centred, true));
    add(textBox("Label2", {23, 457, 918, 73}, 40, kBlue, centred, true));
    add(textBox("Label3", {206, 341, 572, 48}, 30, kWhite, centredTop, true));
    Element home = textBox("Label4", {13, 16, 971, 81}, 35, kWhite, centred, true);
    home.elide = true;
    add(home);
    add(textBox("Label5", {48, 141, 920, 79}, 35, kWhite, centredTop, true));
    add(textBox("Label6", {196, 99, 629, 36}, 20, kWhite, centredTop, false, QStringLiteral("gegen")));
    Element ticker = text("Label7", 13, 268, kTahoma, 25, true, kSilver, QStringLiteral("Lauftext"));
    ticker.panel = 2;
    add(ticker);
    add(textBox("Label8", {31, 22, 108, 138}, 60, kRed, Qt::AlignLeft | Qt::AlignTop, false,
                QStringLiteral("0")));
    add(textBox("Label9", {818, 22, 148, 138}, 60, kSkyBlue, Qt::AlignRight | Qt::AlignTop, false,
                QStringLiteral("0")));
    Element advert = shape("Image4", Kind::Picture, {7, 616, 977, 100}, kBlack);
    advert.panel = 2;
    add(advert);
}

void AudienceModel::add(Element e)
{
    autoSize(e);
    m_index.insert(e.name, m_elements.size());
    m_elements.push_back(std::move(e));
}

const AudienceModel::Element& AudienceModel::element(const QString& name) const
{
    ensureMeasured();
    Q_ASSERT_X(m_index.contains(name), "AudienceModel::element", qPrintable(name));
    return m_elements[m_index.value(name)];
}

AudienceModel::Element& AudienceModel::el(const QString& name)
{
    ensureMeasured();
    return m_elements[m_index.value(name)];
}

bool AudienceModel::panelVisible(int panel) const
{
    const ViewState& view = m_view;
    return panel == 1 ? view.panel1Visible() : view.panel2Visible();
}

void AudienceModel::setClientSize(const QSize& size)
{
    if (size == m_clientSize)
        return;
    m_clientSize = size;
    emit clientSizeChanged(size);
    emit changed();
}

QFont AudienceModel::font(const FontStyle& style)
{
    // The design's faces first, so a machine that has them shows the design; then free faces
    // of similar width and weight from the set-up script's packages.
    static const QStringList heavy = {kArialBlack, QStringLiteral("Open Sans"),
                                      QStringLiteral("DejaVu Sans")};
    static const QStringList plain = {kTahoma, QStringLiteral("Liberation Sans"),
                                      QStringLiteral("DejaVu Sans")};
    static const QStringList typewriter = {kTypewriter, QStringLiteral("Courier Prime"),
                                           QStringLiteral("DejaVu Sans Mono")};
    QFont f;
    if (style.family == kArialBlack) {
        f.setFamilies(heavy);
        f.setStyleHint(QFont::SansSerif);
        // Arial Black has a single, black weight; its stand-in is asked for the heaviest it has.
        f.setWeight(QFont::Black);
    } else if (style.family == kTypewriter) {
        f.setFamilies(typewriter);
        f.setStyleHint(QFont::TypeWriter);
        f.setBold(style.bold);
    } else {
        f.setFamilies(style.family == kTahoma ? plain : QStringList{style.family});
        f.setStyleHint(QFont::SansSerif);
        f.setBold(style.bold);
    }
    f.setPixelSize(pixelSize(style.pointSize));
    return f;
}

int AudienceModel::pixelSize(int pointSize)
{
    return std::max(1, mulDiv(pointSize, 96, 72));
}

int AudienceModel::halfEven(int twice)
{
    const int lower = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
    if (twice % 2 == 0)
        return lower;
    return lower % 2 == 0 ? lower : lower + 1;
}

int AudienceModel::mulDiv(int v, int m, int d)
{
    const long long n = static_cast<long long>(v) * m;
    const long long half = d / 2;
    return int(n >= 0 ? (n + half) / d : -((-n + half) / d));
}

void AudienceModel::setMeasure(Measure measure)
{
    m_measure = std::move(measure);
}

int AudienceModel::measure(const FontStyle& style, const QString& text) const
{
    return m_measure ? m_measure(style, text) : defaultMeasure(style, text);
}

void AudienceModel::ensureMeasured() const
{
    if (m_measured)
        return;
    m_measured = true;
    auto* self = const_cast<AudienceModel*>(this);
    for (Element& e : self->m_elements)
        self->autoSize(e);
}

void AudienceModel::autoSize(Element& e)
{
    if (!m_measured || e.kind != Kind::Text || !e.autoWidth)
        return;
    e.geometry.setWidth(measure(e.font, e.text));
    e.geometry.setHeight(lineHeight(e.font));
}

void AudienceModel::setText(Element& e, const QString& text)
{
    if (e.text == text)
        return;
    e.text = text;
    autoSize(e);
}

void AudienceModel::setPointSize(Element& e, int pointSize)
{
    if (e.font.pointSize == pointSize)
        return;
    e.font.pointSize = pointSize;
    autoSize(e);
}

void AudienceModel::centreOver(Element& e, const Element& box)
{
    const QRect& b = box.geometry;
    e.geometry.moveLeft(halfEven(2 * b.left() + b.width() - e.geometry.width()));
}

void AudienceModel::alignRightInShape2(Element& e)
{
    const QRect& s = el(QStringLiteral("Shape2")).geometry;
    e.geometry.moveLeft(s.left() + s.width() - e.geometry.width() - kRightInset);
}

void AudienceModel::layoutOfficials()
{
    const QRect s1 = el(QStringLiteral("Shape1")).geometry;
    const QRect s2 = el(QStringLiteral("Shape2")).geometry;
    const int total = s1.width() + s2.width();
    const int leftBorder = s1.left() + total / 3;
    const int rightBorder = s1.left() + 2 * total / 3;
    const int end = s2.left() + s2.width() - kRightInset;

    Element& mp = el(QStringLiteral("mp"));
    Element& kr = el(QStringLiteral("kr"));
    Element& pr = el(QStringLiteral("pr"));
    // Long names of officials are common; at the design size they ran into each other.
    for (int pt = m_officialsPointSize;; --pt) {
        setPointSize(mp, pt);
        setPointSize(kr, pt);
        setPointSize(pr, pt);
        const bool fits = mp.geometry.left() + mp.geometry.width() + kOfficialsGap / 2 <= leftBorder &&
                          kr.geometry.width() + kOfficialsGap <= rightBorder - leftBorder &&
                          pr.geometry.width() + kOfficialsGap / 2 <= end - rightBorder;
        if (fits || pt <= kFittingFloor)
            break;
    }
    kr.geometry.moveLeft(halfEven(2 * s1.left() + total - kr.geometry.width()));
    alignRightInShape2(pr);
}

void AudienceModel::scaleBy(int m, int d)
{
    if (m == d || d == 0)
        return;
    const auto scaled = [m, d](const QRect& r) {
        return QRect(mulDiv(r.left(), m, d), mulDiv(r.top(), m, d), mulDiv(r.width(), m, d),
                     mulDiv(r.height(), m, d));
    };
    for (Element& e : m_elements) {
        e.geometry = scaled(e.geometry);
        e.font.pointSize = mulDiv(e.font.pointSize, m, d);
        autoSize(e);
    }
    m_overlay = scaled(m_overlay);
    m_officialsPointSize = mulDiv(m_officialsPointSize, m, d);
    const QSize size(mulDiv(m_clientSize.width(), m, d), mulDiv(m_clientSize.height(), m, d));
    if (size != m_clientSize) {
        m_clientSize = size;
        emit clientSizeChanged(size);
    }
    emit changed();
}

void AudienceModel::applyScaleStep(int from, int to)
{
    scaleBy(100, from);
    scaleBy(to, 100);
}

void AudienceModel::startZoom()
{
    m_zoomdir = 1;
    m_overlayVisible = true;
    m_timer1.start();
    emit changed();
}

void AudienceModel::Timer1Timer()
{
    const int w = m_clientSize.width();
    const int h = m_clientSize.height();
    QRect& o = m_overlay;
    o.moveLeft(halfEven(w - o.width()));
    o.moveTop(halfEven(h - o.height()));
    if (m_zoomdir == 2)
        o.setRect(o.left() + kZoomStep / 2, o.top() + kZoomStep / 2, o.width() - kZoomStep,
                  o.height() - kZoomStep);
    if (m_zoomdir == 1)
        o.setRect(o.left() - kZoomStep / 2, o.top() - kZoomStep / 2, o.width() + kZoomStep,
                  o.height() + kZoomStep);

    if (o.width() > w + kZoomStep) {
        m_zoomdir = 2;
        ViewState& view = m_view;
        // The views swap behind the overlay at its widest, so the hall never sees both.
        if (view.panel1Visible()) {
            view.setPanelsVisible(false, true);
            view.setPresentationLive(true);
            m_timer2.start();
        } else {
            view.setPanelsVisible(true, false);
            view.setPresentationLive(false);
            m_timer2.stop();
        }
    }
    if (o.width() < kZoomStep) {
        m_zoomdir = 1;
        m_timer1.stop();
        m_overlayVisible = false;
    }
    emit changed();
}

void AudienceModel::Timer2Timer()
{
    Element& ticker = el(QStringLiteral("Label7"));
    QRect& g = ticker.geometry;
    g.moveLeft(g.left() - kTickerStep);
    if (g.left() + g.width() < 0)
        g.moveLeft(m_clientSize.width());
    emit changed();
}

void AudienceModel::updatesek()
{
    const BoutClock& clock = m_clock;
    setText(el(QStringLiteral("uhr")), clock.uhr());
    Element& zeitinfo = el(QStringLiteral("zeitinfo"));
    setText(zeitinfo, clock.label23());
    const Element& light = el(QStringLiteral("aktionszeitlicht"));
    centreOver(zeitinfo, light);
    el(QStringLiteral("aktionszeitlicht")).colour = clock.light();

    Element& vzrot = el(QStringLiteral("vzrot"));
    vzrot.visible = clock.injuryRedRunning();
    if (vzrot.visible)
        setText(vzrot, clock.vzrot());
    Element& vzblau = el(QStringLiteral("vzblau"));
    vzblau.visible = clock.injuryBlueRunning();
    if (vzblau.visible)
        setText(vzblau, clock.vzblau());
    emit changed();
}

void AudienceModel::updatekampf()
{
    const BoutNavigator& nav = m_navigator;
    const QString& stil = m_bout.stil();
    const QRect s1 = el(QStringLiteral("Shape1")).geometry;
    const QRect s2 = el(QStringLiteral("Shape2")).geometry;

    Element& heim = el(QStringLiteral("heim"));
    Element& gast = el(QStringLiteral("gast"));
    setText(heim, nav.heimverein);
    setText(gast, nav.gastverein);
    // Both clubs share one size, even when only one of them is too wide.
    for (int pt = kFittingStart;; --pt) {
        setPointSize(heim, pt);
        setPointSize(gast, pt);
        if (pt <= kFittingFloor ||
            (heim.geometry.width() <= s1.width() && gast.geometry.width() <= s2.width()))
            break;
    }

    Element& punkteheim = el(QStringLiteral("punkteheim"));
    Element& punktegast = el(QStringLiteral("punktegast"));
    setText(punkteheim, nav.punkteheim);
    setText(punktegast, nav.punktegast);
    centreOver(heim, el(QStringLiteral("Shape1")));
    centreOver(gast, el(QStringLiteral("Shape2")));
    centreOver(punkteheim, el(QStringLiteral("Shape1")));
    centreOver(punktegast, el(QStringLiteral("Shape2")));

    layoutOfficials();

    setText(el(QStringLiteral("kampfnr")), QStringLiteral("Kampf ") + nav.kampfnr());
    setText(el(QStringLiteral("gew")), nav.gew);

    Element& stilWord = el(QStringLiteral("stil"));
    QString word;
    if (stil == QLatin1String("F"))
        word = QStringLiteral("Freistil");
    else if (stil == QLatin1String("G"))
        word = QStringLiteral("Gr.-röm.");
    setText(stilWord, word);
    alignRightInShape2(stilWord);

    Element& rot = el(QStringLiteral("rot"));
    Element& blau = el(QStringLiteral("blau"));
    setText(rot, nav.rot);
    setText(blau, nav.blau);
    setText(el(QStringLiteral("Label1")), nav.rot);
    setText(el(QStringLiteral("Label2")), nav.blau);

    setText(el(QStringLiteral("Label3")), nav.gew + QLatin1Char(' ') + stil);
    setText(el(QStringLiteral("Label4")), nav.heimverein);
    setText(el(QStringLiteral("Label5")), nav.gastverein);
    setText(el(QStringLiteral("Label8")), nav.punkteheim);
    setText(el(QStringLiteral("Label9")), nav.punktegast);
    setText(el(QStringLiteral("Label7")), m_settings.laufschrift());

    setText(el(QStringLiteral("gewr")), nav.gewrot);
    Element& gewb = el(QStringLiteral("gewb"));
    setText(gewb, nav.gewblau);
    alignRightInShape2(gewb);

    // The names share one size: a single long name shrinks its short partner too.
    for (int pt = kFittingStart;; --pt) {
        setPointSize(rot, pt);
        setPointSize(blau, pt);
        if (pt <= kFittingFloor ||
            rot.geometry.width() + blau.geometry.width() + kNamesGap <= s1.width() + s2.width())
            break;
    }
    alignRightInShape2(blau);

    updatepunkt();
}

void AudienceModel::updatepunkt()
{
    const Bout& bout = m_bout;
    setText(el(QStringLiteral("wr")), bout.wr());
    setText(el(QStringLiteral("wb")), bout.wb());
    Element& tpr = el(QStringLiteral("tpr"));
    Element& tpb = el(QStringLiteral("tpb"));
    setText(tpr, bout.tpr());
    setText(tpb, bout.tpb());
    Element& siegRot = el(QStringLiteral("siegart_rot"));
    Element& siegBlau = el(QStringLiteral("siegart_blau"));
    setText(siegRot, displayWord(bout.sieg_rot()));
    setText(siegBlau, displayWord(bout.sieg_blau()));

    const Element& shape15 = el(QStringLiteral("Shape15"));
    const Element& shape16 = el(QStringLiteral("Shape16"));
    centreOver(tpr, shape15);
    centreOver(tpb, shape16);
    centreOver(siegRot, shape15);
    centreOver(siegBlau, shape16);

    for (int k = 1; k <= 3; ++k) {
        el(QStringLiteral("vr%1").arg(k)).visible = bout.cautionsRed() >= k;
        el(QStringLiteral("vb%1").arg(k)).visible = bout.cautionsBlue() >= k;
    }
    emit changed();
}

void AudienceModel::showLoadedBout()
{
    const BoutNavigator& nav = m_navigator;
    setText(el(QStringLiteral("mp")), nav.audienceMp);
    setText(el(QStringLiteral("kr")), nav.audienceKr);
    setText(el(QStringLiteral("pr")), nav.audiencePr);
    layoutOfficials();
    el(QStringLiteral("vzrot")).visible = false;
    el(QStringLiteral("vzblau")).visible = false;
    emit changed();
}

void AudienceModel::showClockText()
{
    Element& uhr = el(QStringLiteral("uhr"));
    const QString text = m_clock.uhr();
    if (uhr.text == text)
        return;
    setText(uhr, text);
    emit changed();
}

void AudienceModel::tprDoubleClick()
{
    m_clock.vzrotDblClick();
}

void AudienceModel::tpbDoubleClick()
{
    m_clock.vzblauDblClick();
}

QString AudienceModel::winTypeWord(const QString& code)
{
    return displayWord(code);
}
