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

namespace {

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

} // namespace

AudienceModel::AudienceModel(const Bout& bout, BoutClock& clock, const BoutNavigator& navigator,
                             ViewState& view, const Settings& settings, QObject* parent)
    : QObject(parent), m_bout(bout), m_clock(clock), m_navigator(navigator), m_view(view),
      m_settings(settings)
{
    m_elements = AudienceDesign::elements();

    m_timer1.setParent(this);
    // Asked for 1 ms by the design, which the system's timer turned into its own tick.
    m_timer1.setInterval(kSystemTimerResolutionMs);
    m_timer2.setParent(this);
    m_timer2.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, &AudienceModel::Timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &AudienceModel::Timer2Timer);
}

const AudienceModel::Element& AudienceModel::element(Id id) const
{
    ensureMeasured();
    return m_elements[std::size_t(id)];
}

const AudienceModel::Element& AudienceModel::element(const QString& name) const
{
    const std::optional<Id> id = AudienceDesign::idNamed(name);
    if (!id)
        qFatal("AudienceModel::element: the design has no element named %s", qPrintable(name));
    return element(*id);
}

AudienceModel::Element& AudienceModel::el(Id id)
{
    ensureMeasured();
    return m_elements[std::size_t(id)];
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
    static const QStringList heavy = {AudienceDesign::kArialBlack, QStringLiteral("Open Sans"),
                                      QStringLiteral("DejaVu Sans")};
    static const QStringList plain = {AudienceDesign::kTahoma, QStringLiteral("Liberation Sans"),
                                      QStringLiteral("DejaVu Sans")};
    static const QStringList typewriter = {AudienceDesign::kTypewriter, QStringLiteral("Courier Prime"),
                                           QStringLiteral("DejaVu Sans Mono")};
    QFont f;
    if (style.family == AudienceDesign::kArialBlack) {
        f.setFamilies(heavy);
        f.setStyleHint(QFont::SansSerif);
        // Arial Black has a single, black weight; its stand-in is asked for the heaviest it has.
        f.setWeight(QFont::Black);
    } else if (style.family == AudienceDesign::kTypewriter) {
        f.setFamilies(typewriter);
        f.setStyleHint(QFont::TypeWriter);
        f.setBold(style.bold);
    } else {
        f.setFamilies(style.family == AudienceDesign::kTahoma ? plain : QStringList{style.family});
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

void AudienceModel::shrinkToFit(std::initializer_list<Element*> elements, int start,
                                const std::function<bool()>& fits)
{
    for (int pt = start;; --pt) {
        for (Element* e : elements)
            setPointSize(*e, pt);
        if (pt <= kFittingFloor || fits())
            break;
    }
}

void AudienceModel::centreOver(Element& e, const Element& box)
{
    const QRect& b = box.geometry;
    e.geometry.moveLeft(halfEven(2 * b.left() + b.width() - e.geometry.width()));
}

void AudienceModel::alignRightInShape2(Element& e)
{
    const QRect& s = el(Id::Shape2).geometry;
    e.geometry.moveLeft(s.left() + s.width() - e.geometry.width() - kRightInset);
}

void AudienceModel::layoutOfficials()
{
    const QRect s1 = el(Id::Shape1).geometry;
    const QRect s2 = el(Id::Shape2).geometry;
    const int total = s1.width() + s2.width();
    const int leftBorder = s1.left() + total / 3;
    const int rightBorder = s1.left() + 2 * total / 3;
    const int end = s2.left() + s2.width() - kRightInset;

    Element& mp = el(Id::mp);
    Element& kr = el(Id::kr);
    Element& pr = el(Id::pr);
    // Long names of officials are common; at the design size they ran into each other.
    shrinkToFit({&mp, &kr, &pr}, m_officialsPointSize, [&] {
        return mp.geometry.left() + mp.geometry.width() + kOfficialsGap / 2 <= leftBorder &&
               kr.geometry.width() + kOfficialsGap <= rightBorder - leftBorder &&
               pr.geometry.width() + kOfficialsGap / 2 <= end - rightBorder;
    });
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
    // The design is scaled, never the size of the screen a full-screen window took on: scaling
    // that back and forth would drift, and the ticker would restart beyond the window.
    m_designSize = QSize(mulDiv(m_designSize.width(), m, d), mulDiv(m_designSize.height(), m, d));
    if (m_designSize != m_clientSize) {
        m_clientSize = m_designSize;
        emit clientSizeChanged(m_designSize);
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
    Element& ticker = el(Id::Label7);
    QRect& g = ticker.geometry;
    g.moveLeft(g.left() - kTickerStep);
    if (g.left() + g.width() < 0)
        g.moveLeft(m_clientSize.width());
    emit changed();
}

void AudienceModel::updatesek()
{
    const BoutClock& clock = m_clock;
    setText(el(Id::uhr), clock.uhr());
    Element& zeitinfo = el(Id::zeitinfo);
    setText(zeitinfo, clock.label23());
    const Element& light = el(Id::aktionszeitlicht);
    centreOver(zeitinfo, light);
    el(Id::aktionszeitlicht).colour = clock.light();

    Element& vzrot = el(Id::vzrot);
    vzrot.visible = clock.injuryRedRunning();
    if (vzrot.visible)
        setText(vzrot, clock.vzrot());
    Element& vzblau = el(Id::vzblau);
    vzblau.visible = clock.injuryBlueRunning();
    if (vzblau.visible)
        setText(vzblau, clock.vzblau());
    emit changed();
}

void AudienceModel::updatekampf()
{
    const BoutNavigator& nav = m_navigator;
    const QString& stil = m_bout.stil();
    const QRect s1 = el(Id::Shape1).geometry;
    const QRect s2 = el(Id::Shape2).geometry;

    Element& heim = el(Id::heim);
    Element& gast = el(Id::gast);
    setText(heim, nav.heimverein());
    setText(gast, nav.gastverein());
    // Both clubs share one size, even when only one of them is too wide.
    shrinkToFit({&heim, &gast}, kFittingStart,
                [&] { return heim.geometry.width() <= s1.width() && gast.geometry.width() <= s2.width(); });

    Element& punkteheim = el(Id::punkteheim);
    Element& punktegast = el(Id::punktegast);
    setText(punkteheim, nav.punkteheim());
    setText(punktegast, nav.punktegast());
    centreOver(heim, el(Id::Shape1));
    centreOver(gast, el(Id::Shape2));
    centreOver(punkteheim, el(Id::Shape1));
    centreOver(punktegast, el(Id::Shape2));

    layoutOfficials();

    setText(el(Id::kampfnr), QStringLiteral("Kampf ") + nav.kampfnr());
    setText(el(Id::gew), nav.gew());

    Element& stilWord = el(Id::stil);
    QString word;
    if (stil == QLatin1String("F"))
        word = QStringLiteral("Freistil");
    else if (stil == QLatin1String("G"))
        word = QStringLiteral("Gr.-röm.");
    setText(stilWord, word);
    alignRightInShape2(stilWord);

    Element& rot = el(Id::rot);
    Element& blau = el(Id::blau);
    setText(rot, nav.rot());
    setText(blau, nav.blau());
    setText(el(Id::Label1), nav.rot());
    setText(el(Id::Label2), nav.blau());

    setText(el(Id::Label3), nav.gew() + QLatin1Char(' ') + stil);
    setText(el(Id::Label4), nav.heimverein());
    setText(el(Id::Label5), nav.gastverein());
    setText(el(Id::Label8), nav.punkteheim());
    setText(el(Id::Label9), nav.punktegast());
    setText(el(Id::Label7), m_settings.laufschrift());

    setText(el(Id::gewr), nav.gewrot());
    Element& gewb = el(Id::gewb);
    setText(gewb, nav.gewblau());
    alignRightInShape2(gewb);

    // The names share one size: a single long name shrinks its short partner too.
    shrinkToFit({&rot, &blau}, kFittingStart, [&] {
        return rot.geometry.width() + blau.geometry.width() + kNamesGap <= s1.width() + s2.width();
    });
    alignRightInShape2(blau);

    updatepunkt();
}

void AudienceModel::updatepunkt()
{
    const Bout& bout = m_bout;
    setText(el(Id::wr), bout.wr());
    setText(el(Id::wb), bout.wb());
    Element& tpr = el(Id::tpr);
    Element& tpb = el(Id::tpb);
    setText(tpr, bout.tpr());
    setText(tpb, bout.tpb());
    Element& siegRot = el(Id::siegart_rot);
    Element& siegBlau = el(Id::siegart_blau);
    setText(siegRot, displayWord(bout.sieg_rot()));
    setText(siegBlau, displayWord(bout.sieg_blau()));

    const Element& shape15 = el(Id::Shape15);
    const Element& shape16 = el(Id::Shape16);
    centreOver(tpr, shape15);
    centreOver(tpb, shape16);
    centreOver(siegRot, shape15);
    centreOver(siegBlau, shape16);

    const Id red[] = {Id::vr1, Id::vr2, Id::vr3};
    const Id blue[] = {Id::vb1, Id::vb2, Id::vb3};
    for (int k = 1; k <= 3; ++k) {
        el(red[k - 1]).visible = bout.cautionsRed() >= k;
        el(blue[k - 1]).visible = bout.cautionsBlue() >= k;
    }
    emit changed();
}

void AudienceModel::showLoadedBout()
{
    const BoutNavigator& nav = m_navigator;
    setText(el(Id::mp), nav.audienceMp());
    setText(el(Id::kr), nav.audienceKr());
    setText(el(Id::pr), nav.audiencePr());
    layoutOfficials();
    el(Id::vzrot).visible = false;
    el(Id::vzblau).visible = false;
    emit changed();
}

void AudienceModel::showClockText()
{
    Element& uhr = el(Id::uhr);
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
