#pragma once

#include <QHash>
#include <QWidget>

#include <functional>

class Bout;
class BoutClock;
class BoutNavigator;
class ClickLabel;
class QFrame;
class QLabel;
class ViewState;

// The bout panel `panel_kampf`: clock, points, scoring strings and names of the running bout.
// It only shows core state and forwards clicks; every rule lives in the bout objects.
class BoutPanel : public QWidget
{
    Q_OBJECT
public:
    BoutPanel(Bout& bout, BoutClock& clock, BoutNavigator& navigator, const ViewState& view,
              QWidget* parent = nullptr);

    // Design size of the panel; elements are placed at fixed design positions.
    static QSize designSize() { return {1160, 786}; }

    // Rewrites every text from core state.
    void refresh();

signals:
    // A "Strg + M" picture was clicked: the win-type picker is to be shown modally.
    void pickerRequested();
    // "Anzeige auf Vollbild": the audience window is to toggle full screen.
    void fullScreenRequested();
    // "Ringer vorstellen": the zoom transition to the other audience view is to start.
    void introductionRequested();

private:
    QLabel* label(const QString& name, const QString& text, const QRect& geometry, int pointSize,
                  bool bold = false, const QColor& colour = Qt::black,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    ClickLabel* clickLabel(const QString& name, const QString& text, const QRect& geometry, int pointSize,
                           bool bold = false, const QColor& colour = Qt::black,
                           Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    // Names, places and styles a label of the panel and registers it for refresh().
    template <typename L>
    L* place(L* l, const QString& name, const QRect& geometry, int pointSize, bool bold, const QColor& colour,
             Qt::Alignment align);
    void setFill(QWidget* w, const QColor& colour);
    // A clickable scoring picture with the key that does the same shown above it; a click makes
    // `call` once. `file` empty: a click area over a larger picture.
    ClickLabel* scoringControl(const QString& name, const QString& file, const QRect& geometry,
                               const QString& key, const QColor& colour, const std::function<void()>& call);
    void addScoringPictures();

    Bout& m_bout;
    BoutClock& m_clock;
    BoutNavigator& m_navigator;
    const ViewState& m_view;
    QHash<QString, QLabel*> m_labels;
    QFrame* m_shape16 = nullptr;
    QFrame* m_shape43 = nullptr;
};
