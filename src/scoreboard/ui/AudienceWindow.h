#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include "scoreboard/AudienceModel.h"

#include <array>

class QPainter;

// The audience window `TForm1`: the scoreboard shown to the hall, hidden until "Anzeige". It
// draws the audience model's elements in their order, the zoom overlay with the logo on top,
// and forwards a double-click on a side's points; the model holds every rule of what is shown,
// the window only how the presentation view's texts fit into their boxes.
class AudienceWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AudienceWindow(QWidget* parent = nullptr);
    explicit AudienceWindow(AudienceModel& model, QWidget* parent = nullptr);

    // Below this the hall cannot read a name any more; such a text is cut instead.
    static constexpr int kSmallestTextPixels = 8;

    // A fixed text box as drawn: its font and its lines, each with the start of its baseline.
    struct TextBoxLayout
    {
        QFont font;
        QStringList lines;
        QList<QPoint> baselines;
    };
    // `e`'s text in `area`: the design's font, made smaller a pixel at a time (not below
    // kSmallestTextPixels) while the lines are taller than the area or one of the words is
    // wider. Drawing only: the model keeps the design's size.
    static TextBoxLayout layoutTextBox(const AudienceModel::Element& e, const QRect& area);
    // The part of a fixed text box that its text may use: the two names share out the rows
    // their boxes have in common, and the clubs keep clear of the scores.
    QRect textArea(const AudienceModel::Element& e) const;

    // Binds the window to the model; its size follows the model's client size from then on.
    void setModel(AudienceModel& model);
    AudienceModel* model() const { return m_model; }

    // Draws the whole window at its current size onto `painter` (the paint event and the
    // benchmark share it).
    void paint(QPainter& painter) const;

    // The built-in pictures as shown: the logo with its white ground transparent, the
    // presentation background and the built-in advert.
    const QImage& logo() const
    {
        ensurePictures();
        return m_logo;
    }
    const QImage& background() const
    {
        ensurePictures();
        return m_background;
    }
    const QImage& advert() const
    {
        ensurePictures();
        return m_advert.isNull() ? m_builtInAdvert : m_advert;
    }

public slots:
    // Both advert strips show `picture`; a null picture brings the built-in one back.
    void setAdvert(const QImage& picture);
    // Without a border and over the whole screen, or with the border back (still maximised).
    void toggleFullScreen();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Maximised or full screen: the window keeps the screen's size whatever the display scale.
    bool fillsScreen() const;
    // The visible element of the live view under `pos`, unless the zoom overlay covers it.
    const AudienceModel::Element* elementAt(const QPoint& pos) const;
    void followClientSize(const QSize& size);
    void drawElement(QPainter& painter, const AudienceModel::Element& e) const;
    void drawTextBox(QPainter& painter, const AudienceModel::Element& e) const;
    void drawOverlay(QPainter& painter) const;

    AudienceModel* m_model = nullptr;
    // Fitting a long name tries many sizes, and the presentation view is repainted with every
    // ticker step; a box is laid out again only when what it shows changed.
    struct CachedLayout
    {
        AudienceModel::Element box;
        QRect area;
        TextBoxLayout layout;
    };
    mutable std::array<CachedLayout, AudienceDesign::kElementCount> m_textBoxes;
    const CachedLayout& cachedLayout(const AudienceModel::Element& e) const;
    // The built-in pictures are drawn when first needed: the window starts hidden, and the
    // operator should not wait for them at start-up.
    void ensurePictures() const;
    mutable bool m_picturesReady = false;
    mutable QImage m_logo;
    mutable QImage m_background;
    mutable QImage m_builtInAdvert;
    QImage m_advert;
};
