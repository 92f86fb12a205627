#pragma once

#include "scoreboard/AudienceDesign.h"

#include <QFont>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>
#include <initializer_list>
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
    using Kind = AudienceDesign::Kind;
    using FontStyle = AudienceDesign::FontStyle;
    using Element = AudienceDesign::Element;
    using Id = AudienceDesign::Id;

    // Width in pixels of `text` in the font `style`.
    using Measure = std::function<int(const FontStyle& style, const QString& text)>;

    static constexpr int kDesignWidth = AudienceDesign::kWidth;
    static constexpr int kDesignHeight = AudienceDesign::kHeight;
    static constexpr int kFittingStart = 30;
    static constexpr int kFittingFloor = 1;

    AudienceModel(const Bout& bout, BoutClock& clock, const BoutNavigator& navigator, ViewState& view,
                  const Settings& settings, QObject* parent = nullptr);

    const Element& element(Id id) const;
    // The element of that design name, for tests and tools that speak the design's names; a
    // name the design does not have stops the program.
    const Element& element(const QString& name) const;
    const std::vector<Element>& elements() const
    {
        ensureMeasured();
        return m_elements;
    }

    // Whether the view `panel` (1 or 2) is shown: the view state decides.
    bool panelVisible(int panel) const;

    // The window's client area: the design size after every scaleBy, overwritten by the window
    // while it is maximised, full screen or resized by hand. The ticker and the zoom use it.
    QSize clientSize() const { return m_clientSize; }
    void setClientSize(const QSize& size);
    // The design's 1010 × 732 multiplied by every scaleBy: the client size of a window that is
    // neither maximised nor full screen. The screen's size never enters it.
    QSize designSize() const { return m_designSize; }

    // The zoom overlay `Panel3` with the logo `Image1`.
    QRect overlay() const { return m_overlay; }
    bool overlayVisible() const { return m_overlayVisible; }
    // 1 grows, 2 shrinks, 0 before the first transition.
    int zoomdir() const { return m_zoomdir; }

    // The zoom transition's timer `Timer1` and the ticker's `Timer2`: whether each ticks, and
    // its interval in milliseconds.
    bool zoomRunning() const { return m_timer1.isActive(); }
    int zoomInterval() const { return m_timer1.interval(); }
    bool tickerRunning() const { return m_timer2.isActive(); }
    int tickerInterval() const { return m_timer2.interval(); }

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
    // Multiplies the design size, the overlay and every element's position, size and font size
    // by m / d, each rounded on its own; the client size becomes the new design size (a window
    // that fills the screen puts its own size back, see clientSizeChanged).
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
    Element& el(Id id);
    void setText(Element& e, const QString& text);
    void setPointSize(Element& e, int pointSize);
    // Re-measures an auto-width text after its text or font changed.
    void autoSize(Element& e);
    // Gives the elements one size, from `start` down a point at a time, until `fits` holds or
    // the size reaches kFittingFloor.
    void shrinkToFit(std::initializer_list<Element*> elements, int start, const std::function<bool()>& fits);
    // Texts are first measured when something asks for the layout: measuring loads every font
    // of the design, which the operator should not wait for while the console starts.
    void ensureMeasured() const;
    mutable bool m_measured = false;
    void centreOver(Element& e, const Element& box);
    void alignRightInShape2(Element& e);
    // The officials' line `mp`, `kr`, `pr`: one size for all three, shrunk from the design size
    // until each fits its third of the header boxes; then `kr` centred and `pr` right-aligned.
    void layoutOfficials();

    const Bout& m_bout;
    BoutClock& m_clock;
    const BoutNavigator& m_navigator;
    ViewState& m_view;
    const Settings& m_settings;
    std::vector<Element> m_elements;
    Measure m_measure;
    QSize m_clientSize{kDesignWidth, kDesignHeight};
    QSize m_designSize{kDesignWidth, kDesignHeight};
    QRect m_overlay = AudienceDesign::kOverlay;
    bool m_overlayVisible = false;
    int m_zoomdir = 0;
    // The officials' design size at the current display scale, where their fitting starts.
    int m_officialsPointSize = AudienceDesign::kOfficialsPointSize;
    QTimer m_timer1;
    QTimer m_timer2;
};
