#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrow buttons holding a position within a range, without a text of its own. Each
// arrow click moves the position one step (it stays at either end) and then reports the click;
// held down, the arrow repeats. The arrows are named "<name>_next" (up or right, one more) and
// "<name>_prev".
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(const QString& name, Qt::Orientation orientation, int minimum, int maximum,
           QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Kept within the range; reports nothing.
    void setPosition(int position);

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void step(int delta);

    Qt::Orientation m_orientation;
    int m_minimum;
    int m_maximum;
    int m_position;
    QToolButton* m_next = nullptr;
    QToolButton* m_prev = nullptr;
};
