#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// How long the window thread was kept from its events: a precise 10 ms timer in the thread
// records the longest gap between two of its ticks (no repaint, no key, no clock meanwhile).
class StallMonitor
{
public:
    StallMonitor()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            ++m_ticks;
            note();
        });
    }

    void start()
    {
        m_ticks = 0;
        m_longest = 0;
        m_last = 0;
        m_clock.start();
        m_timer.start();
    }
    // Stops; the time since the last tick counts as a gap too.
    void stop()
    {
        m_timer.stop();
        note();
    }

    int ticks() const { return m_ticks; }
    qint64 longestNs() const { return m_longest; }
    qint64 longestMs() const { return m_longest / 1000000; }

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_ticks = 0;
};
