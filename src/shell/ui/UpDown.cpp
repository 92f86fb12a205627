#include "UpDown.h"

#include <QGuiApplication>
#include <QToolButton>

#include <algorithm>

UpDown::UpDown(const QString& name, Qt::Orientation orientation, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_minimum(minimum), m_maximum(maximum), m_position(minimum)
{
    setObjectName(name);
    const bool horizontal = orientation == Qt::Horizontal;
    auto arrow = [this, &name](const char* suffix, Qt::ArrowType type, int delta) {
        auto* b = new QToolButton(this);
        b->setObjectName(name + QLatin1String(suffix));
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        // The arrows are drawn in the text colour; a dark panel's light text would hide them.
        QPalette p = b->palette();
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText})
            p.setColor(role, QGuiApplication::palette().color(role));
        b->setPalette(p);
        connect(b, &QToolButton::clicked, this, [this, delta] { step(delta); });
        return b;
    };
    m_next = arrow("_next", horizontal ? Qt::RightArrow : Qt::UpArrow, 1);
    m_prev = arrow("_prev", horizontal ? Qt::LeftArrow : Qt::DownArrow, -1);
    resize(horizontal ? QSize(36, 18) : QSize(18, 36));
}

void UpDown::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDown::step(int delta)
{
    setPosition(m_position + delta);
    emit clicked();
}

void UpDown::resizeEvent(QResizeEvent* event)
{
    if (m_orientation == Qt::Horizontal) {
        const int half = width() / 2;
        m_prev->setGeometry(0, 0, half, height());
        m_next->setGeometry(half, 0, width() - half, height());
    } else {
        const int half = height() / 2;
        m_next->setGeometry(0, 0, width(), half);
        m_prev->setGeometry(0, half, width(), height() - half);
    }
    QWidget::resizeEvent(event);
}
