#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class Bout;
class BoutClock;
class BoutNavigator;
class Settings;
class ViewState;

// Everything the audience window `TForm1` shows, without a widget: the elements of the
// scoreboard view `Panel1` and the presentation view `Panel2` in drawing order, the zoom
// overlay `Panel3`, the zoom and ticker timers, the display scaling and the scoreboard feed
// that copies the running bout into the elements and lays them out. It reads the bout, the
// clock, the navigator and the settings, and swaps the views in the view state; whoever owns
// those owns this too.
//
// Sizes of text are points at 96 pixels per inch: an element's font is asked for by pixel
// size, round(pt × 96 / 72) (30 pt = 40 px), both when a text is measured and when it is drawn,
// so a fitted text is drawn exactly as wide as it was measured.
class AudienceModel : public QObject
{
    Q_OBJECT
public:
    enum class Kind
    {
        Box,
        Line,
        Text,
        Picture
    };

    struct FontStyle
    {
        // The design's family ("Arial Black", "Tahoma", "MonospaceTypewriter"); font() adds
        // the free faces that stand in where it is not installed.
        QString family;
        int pointSize = 8;
        bool bold = false;
        bool operator==(const FontStyle&) const = default;
    };

    struct Element
    {
        QString name;
        Kind kind = Kind::Text;
        int panel = 1;
        // At the current display scale. An auto-width text's width and height are those of its
        // text in its font.
        QRect geometry;
        QString text;
        FontStyle font;
        // Text colour, or the brush of a box and a line.
        QColor colour;
        // Fixed text boxes of the presentation view only: alignment inside the box, word wrap,
        // and a last line cut at a word with an ellipsis.
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
        bool wrap = false;
        bool elide = false;
        bool autoWidth = false;
        bool visible = true;
        bool handCursor = false;
    };

    // Width in pixels of `text` in the font `style`.
    using Measure = std::function<int(const FontStyle& style, const QString& text)>;

    static constexpr int kDesignWidth = 1010;
    static constexpr int kDesignHeight = 732;
    static constexpr int kFittingStart = 30;
    static constexpr int kFittingFloor = 1;

    AudienceModel(const Bout& bout, BoutClock& clock, const BoutNavigator& navigator, ViewState& view,
                  const Settings& settings, QObject* parent = nullptr);

    // The element of that name; every name of the design exists.
    const Element& element(const QString& name) const;
    const std::vector<Element>& elements() const
    {
        ensureMeasured();
        return m_elements;
    }

    // Whether the view `panel` (1 or 2) is shown: the view state decides.
    bool panelVisible(int panel) const;

    // The window's client area: 1010 × 732 at scale 100, multiplied by every scaleBy, and
    // overwritten by the window when it is maximised or resized by hand.
    QSize clientSize() const { return m_clientSize; }
    void setClientSize(const QSize& size);

    // The zoom overlay `Panel3` with the logo `Image1`.
    QRect overlay() const { return m_overlay; }
    bool overlayVisible() const { return m_overlayVisible; }
    // 1 grows, 2 shrinks, 0 before the first transition.
    int zoomdir() const { return m_zoomdir; }

    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }

    // The font in which a text of this style is both measured and drawn.
    static QFont font(const FontStyle& style);
    static int pixelSize(int pointSize);
    // Half-to-even rounding of twice/2, the centring rule's rounding (197 → 98, 399 → 200).
    static int halfEven(int twice);
    // v × m / d rounded half away from zero: one value of a scaling.
    static int mulDiv(int v, int m, int d);
    // What `siegart_rot` and `siegart_blau` show for a win type code.
    static QString winTypeWord(const QString& code);

    // Replaces how texts are measured (tests); an empty function restores the default.
    void setMeasure(Measure measure);
    int measure(const FontStyle& style, const QString& text) const;

    // The two scalings of a display-scale step from `from` to `to` per cent: back to the
    // design size by 100 / from, then out by to / 100. The caller keeps to 80..120 and does not
    // call it for a step that the limit refused (Settings::stepSkalierung tells).
    void applyScaleStep(int from, int to);

public slots:
    // Multiplies the client size, the overlay and every element's position, size and font size
    // by m / d, each rounded on its own.
    void scaleBy(int m, int d);

    // Starts the zoom transition towards the other view; a start while growing changes nothing.
    void startZoom();
    // One zoom step (`Timer1`, at the system timer's resolution).
    void Timer1Timer();
    // One ticker step (`Timer2`, 100 ms).
    void Timer2Timer();

    // The clock line: clock, activity or break text, action-time light, injury times.
    void updatesek();
    // The bout header on both views, then updatepunkt.
    void updatekampf();
    // The score line: scoring strings, technical points, win types, caution marks.
    void updatepunkt();

    // What the bout loader writes itself: the officials' lines, the injury labels hidden.
    void showLoadedBout();
    // The clock text, which the clock tick and the bout loader write directly.
    void showClockText();

    // A double-click on the audience window's technical points toggles that side's injury time.
    void tprDoubleClick();
    void tpbDoubleClick();

signals:
    // Any element, the overlay or a view's visibility changed: the window repaints.
    void changed();
    void clientSizeChanged(const QSize& size);

private:
    Element& el(const QString& name);
    void add(Element e);
    void setText(Element& e, const QString& text);
    void setPointSize(Element& e, int pointSize);
    // Re-measures an auto-width text after its text or font changed.
    void autoSize(Element& e);
    // Texts are first measured when something asks for the layout: measuring loads every font
    // of the design, which the operator should not wait for while the console starts.
    void ensureMeasured() const;
    mutable bool m_measured = false;
    void centreOver(Element& e, const Element& box);
    void alignRightInShape2(Element& e);
    // The officials' line `mp`, `kr`, `pr`: one size for all three, shrunk from the design size
    // until each fits its third of the header boxes; then `kr` centred and `pr` right-aligned.
    void layoutOfficials();
    void buildScoreboardView();
    void buildPresentationView();

    const Bout& m_bout;
    BoutClock& m_clock;
    const BoutNavigator& m_navigator;
    ViewState& m_view;
    const Settings& m_settings;
    std::vector<Element> m_elements;
    QHash<QString, std::size_t> m_index;
    Measure m_measure;
    QSize m_clientSize{kDesignWidth, kDesignHeight};
    QRect m_overlay{456, 330, 73, 55};
    bool m_overlayVisible = false;
    int m_zoomdir = 0;
    // The officials' design size at the current display scale, where their fitting starts.
    int m_officialsPointSize = 20;
    QTimer m_timer1;
    QTimer m_timer2;
};
