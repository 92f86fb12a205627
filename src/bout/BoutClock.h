#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>

class MatchRecord;
class SignalSound;

// The bout clock: two periods counted upward in whole seconds, the 30-second break between
// them, the activity countdown that shares the break's text line and light, and the two
// injury-time counters. Each tick is a public slot so tests drive it without waiting.
class BoutClock : public QObject
{
    Q_OBJECT
public:
    // Colours of the action-time light `Shape16`.
    static QColor lightBlack() { return QColor(0, 0, 0); }
    static QColor lightRed() { return QColor(255, 0, 0); }
    static QColor lightBlue() { return QColor(0, 0, 255); }
    static QColor lightGreen() { return QColor(0, 128, 0); }

    // `signalPath` is the full path of "signal.wav" beside the program.
    BoutClock(const MatchRecord& record, SignalSound& sound, QString signalPath, QObject* parent = nullptr);

    // "m:ss": minutes without leading zeros, two-digit seconds.
    static QString clockText(int minutes, int seconds);
    static QString injuryText(int seconds) { return clockText(seconds / 60, seconds % 60); }

    int clockMinutes() const { return m_clockMinutes; }
    int clockSeconds() const { return m_clockSeconds; }
    // Seconds left of the break; 0 while none runs.
    int pauseCountdown() const { return m_pauseCountdown; }
    // Seconds left of the activity time; 0 while none runs.
    int activityCountdown() const { return m_activityCountdown; }
    int injuryTimeRed() const { return m_injuryTimeRed; }
    int injuryTimeBlue() const { return m_injuryTimeBlue; }

    QString uhr() const { return m_uhr; }
    QString label23() const { return m_label23; }
    QColor light() const { return m_light; }
    QString vzrot() const { return injuryText(m_injuryTimeRed); }
    QString vzblau() const { return injuryText(m_injuryTimeBlue); }

    bool running() const { return m_timer3.isActive(); }
    bool injuryRedRunning() const { return m_vztimerrot.isActive(); }
    bool injuryBlueRunning() const { return m_vztimerblau.isActive(); }

    // Period length in minutes from the header's age class (3, 3, 2; 3 with no class chosen).
    int periodMinutes() const;

    void setLight(const QColor& colour);
    // Sets the clock and shows it in `uhr` (used when a bout is loaded); stops the clock.
    void loadClock(int minutes, int seconds, const QString& text);
    // Injury times back to 0:00 (a bout is loaded); their timers keep their on/off state.
    void resetInjuryTimes();

    // A passivity starts the 30-second activity time under the light of the side it was given to.
    void startActivityTime(const QColor& colour);
    // The referee has seen the side act: the next tick shows the last second and clears the light.
    void endActivityTime();
    // The passivity that started the activity time was taken back: no further second is shown;
    // the light goes out with the next tick.
    void dropActivityTime();

public slots:
    void startstop();
    void zeitplusminus(const QString& op, int step);
    void Label23Click();
    void vzrotDblClick();
    void vzblauDblClick();
    void signal();

    void Timer3Timer();
    void vztimerrotTimer();
    void vztimerblauTimer();

signals:
    // The feed copies clock text, Label23, light and injury times to the audience window.
    void updatesek();
    // The clock was started or stopped by the operator.
    void startstopped();
    // Clock text, Label23, light or running state changed (for the bout panel).
    void changed();

private:
    void showClock();

    const MatchRecord& m_record;
    SignalSound& m_sound;
    QString m_signalPath;
    QTimer m_timer3;
    QTimer m_vztimerrot;
    QTimer m_vztimerblau;
    QString m_uhr = QStringLiteral("0:00");
    QString m_label23 = QStringLiteral(">>PAUSE<<");
    QColor m_light = lightBlack();
    int m_clockMinutes = 0;
    int m_clockSeconds = 0;
    int m_pauseCountdown = 0;
    int m_activityCountdown = 0;
    int m_injuryTimeRed = 0;
    int m_injuryTimeBlue = 0;
};
