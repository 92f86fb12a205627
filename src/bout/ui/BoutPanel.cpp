#include "BoutPanel.h"

#include "bout/ui/WinTypePicker.h"
#include "bout/Bout.h"
#include "bout/BoutClock.h"
#include "bout/BoutNavigator.h"
#include "bout/ViewState.h"
#include "widgets/ClickLabel.h"
#include "widgets/Guard.h"

#include <QFontDatabase>
#include <QFrame>
#include <QPainter>

#include <algorithm>

namespace {

const QColor kRed(220, 0, 0);
const QColor kBlue(0, 0, 200);

QFont typewriterFont(int pointSize)
{
    QFont f(QStringLiteral("MonospaceTypewriter"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFamilies({QStringLiteral("MonospaceTypewriter"), QStringLiteral("Courier Prime"),
                   QStringLiteral("DejaVu Sans Mono")});
    f.setPointSize(pointSize);
    f.setFixedPitch(true);
    return f;
}

// The live-view lamp: a rounded box, outlined, filled with its palette's window colour (white
// or red); the panel shows through at the corners.
class RoundedLamp : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(palette().color(QPalette::Window));
        // Corners of a quarter of the shorter side: round enough to read as a lamp, not a field.
        const qreal radius = std::min(width(), height()) / 4.0;
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
};

} // namespace

BoutPanel::BoutPanel(Bout& bout, BoutClock& clock, BoutNavigator& navigator, const ViewState& view,
                     QWidget* parent)
    : QWidget(parent), m_bout(bout), m_clock(clock), m_navigator(navigator), m_view(view)
{
    setObjectName(QStringLiteral("panel_kampf"));
    setAutoFillBackground(true);
    setFill(this, QColor(193, 244, 17));
    setMinimumSize(designSize());

    // Teams and team score.
    label(QStringLiteral("heimverein"), {}, {20, 40, 420, 36}, 20, true, kRed);
    label(QStringLiteral("gastverein"), {}, {720, 40, 420, 36}, 20, true, kBlue,
          Qt::AlignRight | Qt::AlignVCenter);
    label(QStringLiteral("punkteheim"), QStringLiteral("0"), {450, 30, 110, 56}, 34, true, kRed,
          Qt::AlignRight | Qt::AlignVCenter);
    label(QStringLiteral("Label_doppelpunkt"), QStringLiteral(":"), {560, 30, 40, 56}, 34, true, Qt::black,
          Qt::AlignCenter);
    label(QStringLiteral("punktegast"), QStringLiteral("0"), {600, 30, 110, 56}, 34, true, kBlue);

    // Bout identity.
    label(QStringLiteral("Label_kampf"), QStringLiteral("Kampf"), {450, 96, 80, 24}, 12, true);
    label(QStringLiteral("kampfnr"), QStringLiteral("0"), {530, 96, 50, 24}, 12, true);
    label(QStringLiteral("kampfid"), QStringLiteral("1"), {1120, 4, 36, 16}, 7, false, Qt::darkGray,
          Qt::AlignRight | Qt::AlignVCenter);
    label(QStringLiteral("gew"), {}, {590, 96, 100, 24}, 12, true);
    label(QStringLiteral("stil"), {}, {690, 96, 30, 24}, 12, true);

    // Wrestlers.
    label(QStringLiteral("rot"), {}, {20, 130, 440, 34}, 18, true, kRed);
    label(QStringLiteral("gewrot"), {}, {20, 166, 200, 22}, 11, false, kRed);
    label(QStringLiteral("blau"), {}, {700, 130, 440, 34}, 18, true, kBlue,
          Qt::AlignRight | Qt::AlignVCenter);
    label(QStringLiteral("gewblau"), {}, {940, 166, 200, 22}, 11, false, kBlue,
          Qt::AlignRight | Qt::AlignVCenter);

    // Clock with the action-time light behind it.
    m_shape16 = new QFrame(this);
    m_shape16->setObjectName(QStringLiteral("Shape16"));
    m_shape16->setGeometry(440, 200, 280, 130);
    m_shape16->setAutoFillBackground(true);
    auto* uhr = clickLabel(QStringLiteral("uhr"), QStringLiteral("0:00"), {450, 205, 260, 90}, 54, true,
                           Qt::white, Qt::AlignCenter);
    connect(uhr, &ClickLabel::clicked, this, [this] { guarded(this, [this] { m_clock.startstop(); }); });
    auto* l23 = clickLabel(QStringLiteral("Label23"), QStringLiteral(">>PAUSE<<"), {450, 295, 260, 30}, 13,
                           true, Qt::white, Qt::AlignCenter);
    connect(l23, &ClickLabel::clicked, this, [this] { m_clock.Label23Click(); });
    auto* plus = clickLabel(QStringLiteral("Label6"), QStringLiteral("+"), {728, 200, 40, 60}, 30, true,
                            Qt::black, Qt::AlignCenter);
    connect(plus, &ClickLabel::clicked, this, [this] { m_clock.zeitplusminus(QStringLiteral("p"), 1); });
    auto* minus = clickLabel(QStringLiteral("Label7"), QStringLiteral("-"), {728, 268, 40, 60}, 30, true,
                             Qt::black, Qt::AlignCenter);
    connect(minus, &ClickLabel::clicked, this, [this] { m_clock.zeitplusminus(QStringLiteral("m"), 1); });
    auto* reset = clickLabel(QStringLiteral("Label77"), QStringLiteral("R\nE\nS\nE\nT"), {405, 200, 28, 130},
                             10, true, Qt::black, Qt::AlignCenter);
    connect(reset, &ClickLabel::clicked, this, [this] { m_clock.zeitplusminus(QStringLiteral("r"), 0); });

    // Points, injury times, win types and the summaries of each side.
    auto* tpr = clickLabel(QStringLiteral("tpr"), QStringLiteral("0"), {120, 200, 220, 130}, 80, true, kRed,
                           Qt::AlignCenter);
    auto* tpb = clickLabel(QStringLiteral("tpb"), QStringLiteral("0"), {820, 200, 220, 130}, 80, true, kBlue,
                           Qt::AlignCenter);
    auto* vzrot = clickLabel(QStringLiteral("vzrot"), QStringLiteral("0:00"), {20, 240, 90, 40}, 18, true,
                             kRed, Qt::AlignCenter);
    auto* vzblau = clickLabel(QStringLiteral("vzblau"), QStringLiteral("0:00"), {1050, 240, 90, 40}, 18, true,
                              kBlue, Qt::AlignCenter);
    for (ClickLabel* l : {tpr, vzrot})
        connect(l, &ClickLabel::doubleClicked, this, [this] { m_clock.vzrotDblClick(); });
    for (ClickLabel* l : {tpb, vzblau})
        connect(l, &ClickLabel::doubleClicked, this, [this] { m_clock.vzblauDblClick(); });
    label(QStringLiteral("sieg_rot"), {}, {120, 335, 220, 40}, 24, true, kRed, Qt::AlignCenter);
    label(QStringLiteral("sieg_blau"), {}, {820, 335, 220, 40}, 24, true, kBlue, Qt::AlignCenter);
    label(QStringLiteral("Label33"), QStringLiteral("P: 0, V:0"), {120, 380, 220, 26}, 14, true, kRed,
          Qt::AlignCenter);
    label(QStringLiteral("Label34"), QStringLiteral("P: 0, V:0"), {820, 380, 220, 26}, 14, true, kBlue,
          Qt::AlignCenter);
    label(QStringLiteral("infolabel"), {}, {440, 340, 280, 26}, 13, true, Qt::black, Qt::AlignCenter);

    // The two scoring strings lie on top of each other: each one's blanks leave room for the other.
    for (const QString& name : {QStringLiteral("wr"), QStringLiteral("wb")}) {
        QLabel* l =
            label(name, {}, {40, 430, 1080, 40}, 22, true, name == QLatin1String("wr") ? kRed : kBlue);
        l->setFont(typewriterFont(22));
        l->setAttribute(Qt::WA_TranslucentBackground);
    }
    label(QStringLiteral("zeitstempel"), {}, {40, 472, 1080, 20}, 8)->hide();

    addScoringPictures();

    // Navigation and the live-view lamp.
    auto* first =
        clickLabel(QStringLiteral("Label22"), QStringLiteral("Kampf Nr. 1"), {40, 700, 160, 40}, 16, true);
    auto* prev = clickLabel(QStringLiteral("Label39"), QStringLiteral("<"), {780, 700, 40, 40}, 20, true,
                            Qt::black, Qt::AlignCenter);
    auto* next = clickLabel(QStringLiteral("Label36"), QStringLiteral("nächster Kampf >"),
                            {830, 700, 290, 40}, 20, true, Qt::black, Qt::AlignRight | Qt::AlignVCenter);
    connect(first, &ClickLabel::clicked, this,
            [this] { guarded(this, [this] { m_navigator.naechsterkampf(1); }); });
    connect(prev, &ClickLabel::clicked, this,
            [this] { guarded(this, [this] { m_navigator.naechsterkampf(888); }); });
    connect(next, &ClickLabel::clicked, this,
            [this] { guarded(this, [this] { m_navigator.naechsterkampf(999); }); });
    m_shape43 = new RoundedLamp(this);
    m_shape43->setObjectName(QStringLiteral("Shape43"));
    m_shape43->setGeometry(470, 700, 240, 40);

    // Audience window. The lamp holds its caption, so the operator reads the live view on the
    // very entry that swaps it.
    auto* fullScreen = clickLabel(QStringLiteral("Label2"), QStringLiteral("Anzeige auf Vollbild"),
                                  {220, 700, 230, 40}, 14, true, Qt::black, Qt::AlignCenter);
    connect(fullScreen, &ClickLabel::clicked, this, &BoutPanel::fullScreenRequested);
    auto* introduce = clickLabel(QStringLiteral("Label82"), QStringLiteral("Ringer vorstellen"), {}, 14, true,
                                 Qt::black, Qt::AlignCenter);
    introduce->setParent(m_shape43);
    introduce->setGeometry(m_shape43->contentsRect());
    introduce->show();
    connect(introduce, &ClickLabel::clicked, this, &BoutPanel::introductionRequested);

    connect(&m_bout, &Bout::changed, this, &BoutPanel::refresh);
    connect(&m_clock, &BoutClock::changed, this, &BoutPanel::refresh);
    connect(&m_navigator, &BoutNavigator::changed, this, &BoutPanel::refresh);
    connect(&m_view, &ViewState::changed, this, &BoutPanel::refresh);
    refresh();
}

QLabel* BoutPanel::label(const QString& name, const QString& text, const QRect& geometry, int pointSize,
                         bool bold, const QColor& colour, Qt::Alignment align)
{
    return place(new QLabel(text, this), name, geometry, pointSize, bold, colour, align);
}

ClickLabel* BoutPanel::clickLabel(const QString& name, const QString& text, const QRect& geometry,
                                  int pointSize, bool bold, const QColor& colour, Qt::Alignment align)
{
    return place(new ClickLabel(text, this), name, geometry, pointSize, bold, colour, align);
}

template <typename L>
L* BoutPanel::place(L* l, const QString& name, const QRect& geometry, int pointSize, bool bold,
                    const QColor& colour, Qt::Alignment align)
{
    l->setObjectName(name);
    l->setGeometry(geometry);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    l->setAlignment(align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    m_labels.insert(name, l);
    return l;
}

void BoutPanel::setFill(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

void BoutPanel::addScoringPictures()
{
    // Two rows between the scoring strings and the navigation, red's on the left, blue's
    // mirrored on the right: the points with undo and signal between them above, passivity,
    // caution, SS and the picker below.
    constexpr int kUpper = 514;
    constexpr int kLower = 616;
    constexpr int kSize = 60;
    constexpr int kStep = 66;
    constexpr int kRedLeft = 40;
    const int blueLeft = designSize().width() - kRedLeft - 3 * kStep - kSize;
    // The point areas' step is fixed by the points picture; the lower row leaves room for the
    // wider "Strg + …" labels.
    constexpr int kLowerStep = 78;
    const auto cell = [](int left, int column, int top) {
        return QRect(left + column * kStep, top, kSize, kSize);
    };
    const auto lowerCell = [](int left, int column) {
        return QRect(left + column * kLowerStep, kLower, kSize, kSize);
    };
    const int blueLowerLeft = designSize().width() - kRedLeft - 3 * kLowerStep - kSize;

    Bout& bout = m_bout;
    using Call = std::function<void()>;
    const auto punkte = [&bout](const char* side, int n) {
        return Call([&bout, side = QLatin1String(side), n] { bout.punkte(side, n); });
    };
    const auto eingabe = [&bout](const QString& cmd) { return Call([&bout, cmd] { bout.eingabe(cmd); }); };
    const Call picker = [this] { emit pickerRequested(); };

    for (const auto& [name, file, left] : {std::tuple{"Image7", "points_red.svg", kRedLeft},
                                           std::tuple{"Image8", "points_blue.svg", blueLeft}}) {
        auto* points = new QLabel(this);
        points->setObjectName(QLatin1String(name));
        points->setGeometry(left, kUpper, 3 * kStep + kSize, kSize);
        setScoringPictureWhenShown(points, QLatin1String(file));
    }
    // The point areas lie over the points pictures and carry no picture of their own.
    scoringControl(QStringLiteral("Image16"), {}, cell(kRedLeft, 0, kUpper), QStringLiteral("F1"), kRed,
                   punkte("r", 1));
    scoringControl(QStringLiteral("Image17"), {}, cell(kRedLeft, 1, kUpper), QStringLiteral("F2"), kRed,
                   punkte("r", 2));
    scoringControl(QStringLiteral("Image25"), {}, cell(kRedLeft, 2, kUpper), QStringLiteral("F3"), kRed,
                   punkte("r", 4));
    scoringControl(QStringLiteral("Image26"), {}, cell(kRedLeft, 3, kUpper), QStringLiteral("F4"), kRed,
                   punkte("r", 5));
    scoringControl(QStringLiteral("Image20"), {}, cell(blueLeft, 0, kUpper), QStringLiteral("F5"), kBlue,
                   punkte("b", 1));
    scoringControl(QStringLiteral("Image21"), {}, cell(blueLeft, 1, kUpper), QStringLiteral("F6"), kBlue,
                   punkte("b", 2));
    scoringControl(QStringLiteral("Image23"), {}, cell(blueLeft, 2, kUpper), QStringLiteral("F7"), kBlue,
                   punkte("b", 4));
    scoringControl(QStringLiteral("Image24"), {}, cell(blueLeft, 3, kUpper), QStringLiteral("F8"), kBlue,
                   punkte("b", 5));

    scoringControl(QStringLiteral("Image14"), QStringLiteral("passivity_red.svg"), lowerCell(kRedLeft, 0),
                   QStringLiteral("P"), kRed, eingabe(QStringLiteral("rp")));
    scoringControl(QStringLiteral("Image15"), QStringLiteral("caution_red.svg"), lowerCell(kRedLeft, 1),
                   QStringLiteral("V"), kRed, eingabe(QStringLiteral("rv")));
    scoringControl(QStringLiteral("Image34"), QStringLiteral("win_ss_red.svg"), lowerCell(kRedLeft, 2),
                   QStringLiteral("S"), kRed, eingabe(QStringLiteral("rss")));
    scoringControl(QStringLiteral("Image36"), QStringLiteral("more_red.svg"), lowerCell(kRedLeft, 3),
                   QStringLiteral("Strg + M"), kRed, picker);
    scoringControl(QStringLiteral("Image12"), QStringLiteral("passivity_blue.svg"),
                   lowerCell(blueLowerLeft, 0), QStringLiteral("Strg + P"), kBlue,
                   eingabe(QStringLiteral("bp")));
    scoringControl(QStringLiteral("Image13"), QStringLiteral("caution_blue.svg"), lowerCell(blueLowerLeft, 1),
                   QStringLiteral("Strg + V"), kBlue, eingabe(QStringLiteral("bv")));
    scoringControl(QStringLiteral("Image29"), QStringLiteral("win_ss_blue.svg"), lowerCell(blueLowerLeft, 2),
                   QStringLiteral("Strg + S"), kBlue, eingabe(QStringLiteral("bss")));
    scoringControl(QStringLiteral("Image27"), QStringLiteral("more_blue.svg"), lowerCell(blueLowerLeft, 3),
                   QStringLiteral("Strg + M"), kBlue, picker);

    const int middle = designSize().width() / 2;
    scoringControl(QStringLiteral("Image22"), QStringLiteral("undo.svg"),
                   {middle - 8 - kSize, kUpper, kSize, kSize}, QStringLiteral("BS"), Qt::black,
                   eingabe(QStringLiteral("wertungrueck")));
    scoringControl(QStringLiteral("Image28"), QStringLiteral("signal.svg"),
                   {middle + 8, kUpper, kSize, kSize}, QStringLiteral("T"), Qt::black,
                   [this] { m_clock.signal(); });
}

ClickLabel* BoutPanel::scoringControl(const QString& name, const QString& file, const QRect& geometry,
                                      const QString& key, const QColor& colour,
                                      const std::function<void()>& call)
{
    auto* control = new ClickLabel({}, this);
    control->setObjectName(name);
    control->setGeometry(geometry);
    if (!file.isEmpty())
        setScoringPictureWhenShown(control, file);
    connect(control, &ClickLabel::clicked, this, [this, call] { guarded(this, call); });

    // Centred over the picture, as wide as its text: "Strg + M" is wider than the picture.
    auto* keyLabel = new QLabel(key, this);
    QFont f = keyLabel->font();
    f.setPointSize(10);
    f.setBold(true);
    keyLabel->setFont(f);
    const int width = QFontMetrics(f).horizontalAdvance(key) + 6;
    keyLabel->setGeometry(geometry.center().x() + 1 - width / 2, geometry.y() - 20, width, 18);
    keyLabel->setAlignment(Qt::AlignCenter);
    QPalette p = keyLabel->palette();
    p.setColor(QPalette::WindowText, colour);
    keyLabel->setPalette(p);
    return control;
}

void BoutPanel::refresh()
{
    const Bout& b = m_bout;
    const BoutClock& c = m_clock;
    const BoutNavigator& n = m_navigator;
    const QList<QPair<const char*, QString>> texts = {
        {"wr", b.wr()},
        {"wb", b.wb()},
        {"zeitstempel", b.zeitstempel()},
        {"sieg_rot", b.sieg_rot()},
        {"sieg_blau", b.sieg_blau()},
        {"tpr", b.tpr()},
        {"tpb", b.tpb()},
        {"stil", b.stil()},
        {"infolabel", b.infolabel()},
        {"Label33", b.Label33()},
        {"Label34", b.Label34()},
        {"uhr", c.uhr()},
        {"Label23", c.label23()},
        {"vzrot", c.vzrot()},
        {"vzblau", c.vzblau()},
        {"kampfnr", n.kampfnr()},
        {"kampfid", n.kampfid()},
        {"rot", n.rot()},
        {"blau", n.blau()},
        {"gewrot", n.gewrot()},
        {"gewblau", n.gewblau()},
        {"gew", n.gew()},
        {"heimverein", n.heimverein()},
        {"gastverein", n.gastverein()},
        {"punkteheim", n.punkteheim()},
        {"punktegast", n.punktegast()},
    };
    for (const auto& [name, text] : texts) {
        QLabel* l = m_labels.value(QLatin1String(name));
        if (l->text() != text)
            l->setText(text);
    }
    setFill(m_shape16, c.light());
    setFill(m_shape43, m_view.lampRed() ? QColor(255, 0, 0) : QColor(255, 255, 255));
}
