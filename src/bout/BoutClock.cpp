#include "BoutClock.h"

#include "match/MatchFields.h"
#include "match/MatchRecord.h"
#include "platform/SignalSound.h"

namespace {

constexpr int kBreakSeconds = 30;
constexpr int kActivitySeconds = 30;

void setUpTimer(QTimer& timer, QObject* owner)
{
    // The timers belong to the clock, so they follow it if it is ever moved to another thread.
    timer.setParent(owner);
    timer.setInterval(1000);
    // A coarse timer may drift by up to 5 % a tick, which adds up to many seconds over a bout.
    timer.setTimerType(Qt::PreciseTimer);
}

} // namespace

BoutClock::BoutClock(const MatchRecord& record, SignalSound& sound, QString signalPath, QObject* parent)
    : QObject(parent), m_record(record), m_sound(sound), m_signalPath(std::move(signalPath))
{
    setUpTimer(m_timer3, this);
    setUpTimer(m_vztimerrot, this);
    setUpTimer(m_vztimerblau, this);
    connect(&m_timer3, &QTimer::timeout, this, &BoutClock::Timer3Timer);
    connect(&m_vztimerrot, &QTimer::timeout, this, &BoutClock::vztimerrotTimer);
    connect(&m_vztimerblau, &QTimer::timeout, this, &BoutClock::vztimerblauTimer);
}

QString BoutClock::clockText(int minutes, int seconds)
{
    return QString::number(minutes) + (seconds < 10 ? QStringLiteral(":0") : QStringLiteral(":")) +
           QString::number(seconds);
}

int BoutClock::periodMinutes() const
{
    // Only C/D-Jugend wrestles two-minute periods. With no class chosen ("-1") the tick still
    // needs a length: the men's three minutes, so an unset header never ends a bout early.
    return m_record.header(MatchFields::Header::altersklasse) == QLatin1String("2") ? 2 : 3;
}

void BoutClock::setLight(const QColor& colour)
{
    if (m_light == colour)
        return;
    m_light = colour;
    emit changed();
}

void BoutClock::loadClock(int minutes, int seconds, const QString& text)
{
    m_clockMinutes = minutes;
    m_clockSeconds = seconds;
    // The stored time of a bout is shown as it was stored, not re-formatted.
    m_uhr = text;
    m_timer3.stop();
    emit changed();
}

void BoutClock::resetInjuryTimes()
{
    m_injuryTimeRed = 0;
    m_injuryTimeBlue = 0;
    emit changed();
}

void BoutClock::startActivityTime(const QColor& colour)
{
    setLight(colour);
    m_activityCountdown = kActivitySeconds;
}

void BoutClock::endActivityTime()
{
    m_activityCountdown = 1;
}

void BoutClock::dropActivityTime()
{
    m_activityCountdown = 0;
}

void BoutClock::startstop()
{
    if (m_timer3.isActive())
        m_timer3.stop();
    else
        m_timer3.start();
    emit changed();
    emit startstopped();
}

void BoutClock::zeitplusminus(const QString& op, int step)
{
    if (op == QLatin1String("p"))
        m_clockSeconds += step;
    if (m_clockSeconds == 60) {
        m_clockSeconds = 0;
        ++m_clockMinutes;
    }
    if (op == QLatin1String("m")) {
        if (m_clockSeconds > 0) {
            m_clockSeconds -= step;
        } else if (m_clockMinutes > 0) {
            m_clockSeconds = 59;
            --m_clockMinutes;
        }
    }
    if (op == QLatin1String("r")) {
        m_clockMinutes = 0;
        m_clockSeconds = 0;
    }
    // Timer, countdowns and light are left alone: a running break or activity time goes on.
    showClock();
    emit changed();
    emit updatesek();
}

void BoutClock::Label23Click()
{
    // Light and text are left for the next tick to clear, so a held break stays visible
    // until the clock runs again.
    m_pauseCountdown = 0;
    m_activityCountdown = 0;
}

void BoutClock::vzrotDblClick()
{
    // The audience window follows at the next updatesek, not here.
    if (m_vztimerrot.isActive())
        m_vztimerrot.stop();
    else
        m_vztimerrot.start();
}

void BoutClock::vzblauDblClick()
{
    if (m_vztimerblau.isActive())
        m_vztimerblau.stop();
    else
        m_vztimerblau.start();
}

void BoutClock::signal()
{
    m_sound.play(m_signalPath);
}

void BoutClock::Timer3Timer()
{
    // The order of these steps is what makes the break last exactly 30 ticks at P:00 and lets
    // its last tick both stop the clock and clear the light; do not reorder them.
    if (m_pauseCountdown == 1) {
        m_timer3.stop();
        signal();
    }
    if (m_pauseCountdown < 1)
        ++m_clockSeconds;
    if (m_clockSeconds == 60) {
        m_clockSeconds = 0;
        ++m_clockMinutes;
    }
    showClock();
    if (m_activityCountdown > 0) {
        m_label23 = QStringLiteral("Aktivitätszeit: ") + QString::number(m_activityCountdown);
        --m_activityCountdown;
    }
    if (m_pauseCountdown > 0) {
        m_label23 = QStringLiteral(">> PAUSE: ") + QString::number(m_pauseCountdown) + QStringLiteral(" <<");
        --m_pauseCountdown;
    }
    const int period = periodMinutes();
    // Only a black light starts the break: the green one of a running break keeps it from
    // restarting on every tick at P:00, and an activity time at P:00 skips it altogether.
    // Compared by RGB so a black given in another colour model still counts as black.
    if (m_clockMinutes == period && m_clockSeconds == 0 && m_light.rgb() == lightBlack().rgb()) {
        m_pauseCountdown = kBreakSeconds;
        m_light = lightGreen();
        signal();
    }
    if (m_activityCountdown == 0 && m_pauseCountdown == 0) {
        m_light = lightBlack();
        m_label23.clear();
    }
    // Exact equality on purpose: a clock moved past the end by hand runs on.
    if (m_clockMinutes == 2 * period && m_clockSeconds == 0) {
        m_timer3.stop();
        signal();
    }
    emit changed();
    emit updatesek();
}

void BoutClock::vztimerrotTimer()
{
    ++m_injuryTimeRed;
    emit changed();
    emit updatesek();
}

void BoutClock::vztimerblauTimer()
{
    ++m_injuryTimeBlue;
    emit changed();
    emit updatesek();
}

void BoutClock::showClock()
{
    m_uhr = clockText(m_clockMinutes, m_clockSeconds);
}
