#pragma once

#include <QHash>
#include <QWidget>

class ClickLabel;
class Console;
class QFrame;
class QLabel;

// The bout panel `panel_kampf`: clock, points, scoring strings and names of the running bout.
// It only shows core state and forwards clicks; every rule lives in the bout objects.
class BoutPanel : public QWidget
{
    Q_OBJECT
public:
    explicit BoutPanel(Console& console, QWidget* parent = nullptr);

    // Design size of the panel; elements are placed at fixed design positions.
    static QSize designSize() { return {1160, 786}; }

    // Rewrites every text from core state.
    void refresh();

private:
    QLabel* label(const QString& name, const QString& text, const QRect& geometry, int pointSize, bool bold = false,
                  const QColor& colour = Qt::black, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    ClickLabel* clickLabel(const QString& name, const QString& text, const QRect& geometry, int pointSize,
                           bool bold = false, const QColor& colour = Qt::black,
                           Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    void setFill(QWidget* w, const QColor& colour);

    Console& m_console;
    QHash<QString, QLabel*> m_labels;
    QFrame* m_shape16 = nullptr;
    QFrame* m_shape43 = nullptr;
};
