#include "BoutClock.h"

#include "match/MatchFields.h"
#include "match/MatchRecord.h"
#include "platform/SignalSound.h"

namespace {

constexpr int kBreakSeconds = 30;

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
    clockMinutes = minutes;
    clockSeconds = seconds;
    // The stored time of a bout is shown as it was stored, not re-formatted.
    m_uhr = text;
    m_timer3.stop();
    emit changed();
}

void BoutClock::resetInjuryTimes()
{
    injuryTimeRed = 0;
    injuryTimeBlue = 0;
    emit changed();
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
        clockSeconds += step;
    if (clockSeconds == 60) {
        clockSeconds = 0;
        ++clockMinutes;
    }
    if (op == QLatin1String("m")) {
        if (clockSeconds > 0) {
            clockSeconds -= step;
        } else if (clockMinutes > 0) {
            clockSeconds = 59;
            --clockMinutes;
        }
    }
    if (op == QLatin1String("r")) {
        clockMinutes = 0;
        clockSeconds = 0;
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
    pauseCountdown = 0;
    activityCountdown = 0;
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
    if (pauseCountdown == 1) {
        m_timer3.stop();
        signal();
    }
    if (pauseCountdown < 1)
        ++clockSeconds;
    if (clockSeconds == 60) {
        clockSeconds = 0;
        ++clockMinutes;
    }
    showClock();
    if (activityCountdown > 0) {
        m_label23 = QStringLiteral("Aktivitätszeit: ") + QString::number(activityCountdown);
        --activityCountdown;
    }
    if (pauseCountdown > 0) {
        m_label23 = QStringLiteral(">> PAUSE: ") + QString::number(pauseCountdown) + QStringLiteral(" <<");
        --pauseCountdown;
    }
    const int period = periodMinutes();
    // Only a black light starts the break: the green one of a running break keeps it from
    // restarting on every tick at P:00, and an activity time at P:00 skips it altogether.
    // Compared by RGB so a black given in another colour model still counts as black.
    if (clockMinutes == period && clockSeconds == 0 && m_light.rgb() == lightBlack().rgb()) {
        pauseCountdown = kBreakSeconds;
        m_light = lightGreen();
        signal();
    }
    if (activityCountdown == 0 && pauseCountdown == 0) {
        m_light = lightBlack();
        m_label23.clear();
    }
    // Exact equality on purpose: a clock moved past the end by hand runs on.
    if (clockMinutes == 2 * period && clockSeconds == 0) {
        m_timer3.stop();
        signal();
    }
    emit changed();
    emit updatesek();
}

void BoutClock::vztimerrotTimer()
{
    ++injuryTimeRed;
    emit changed();
    emit updatesek();
}

void BoutClock::vztimerblauTimer()
{
    ++injuryTimeBlue;
    emit changed();
    emit updatesek();
}

void BoutClock::showClock()
{
    m_uhr = clockText(clockMinutes, clockSeconds);
}
