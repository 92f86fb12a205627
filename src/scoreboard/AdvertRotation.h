#pragma once

#include "platform/UserError.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class BoutNavigator;
class MatchRecord;
class Settings;

// An advert file that cannot be shown; its text names the JPEG fault.
class AdvertError : public UserError
{
public:
    using UserError::UserError;
};

// Chooses the advert picture of the audience window's two advert strips: always the first,
// a timed rotation, or one per bout, from the advert list of the settings.
class AdvertRotation : public QObject
{
    Q_OBJECT
public:
    AdvertRotation(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                   QObject* parent = nullptr);

    // Position (1-based) of the advert the rotation showed last; 0 at start. The next step
    // shows the one after `advertIndex`.
    int advertIndex() const { return m_advertIndex; }

    // The picture both strips show; null while the built-in picture stands.
    QImage picture() const { return m_picture; }

    // The rotation timer `werbungtimer`: whether it ticks, its interval and the time to its next
    // tick, in milliseconds.
    bool rotationActive() const { return m_timer.isActive(); }
    int rotationInterval() const { return m_timer.interval(); }
    int rotationRemaining() const { return m_timer.remainingTime(); }

    // The advert that modes 0 and 2 call for. Throws AdvertError when the file cannot be read
    // as a JPEG; the previous picture stays.
    void werbungaktu();
    // Interval := the seconds of the settings × 1000 ms. Zero or negative seconds, or seconds
    // that are no number, make the rotation stand still (the timer is stopped, not run at 0 ms)
    // until a positive interval is applied. Seconds that are no number throw, naming the field,
    // only in mode 1: the other modes never use them.
    void applyInterval();
    // The seconds field was left: seconds that are no number throw the conversion error in
    // every mode, before anything changes, so a typing error is told and never stored; other
    // seconds as applyInterval.
    void applyEnteredInterval();
    // On exactly when the advert mode is 1; it ticks only while the interval is positive.
    void switchTimerForMode();
    // The advert steps of "Anzeige": the timer for the mode, the advert of the mode, the
    // interval. Each step is taken whatever the one before it did; what failed is thrown at
    // the end as one UserError.
    void prepareDisplay();
    // Whether the last prepareDisplay() reported a fault of the mode's advert itself (not of the
    // interval): showing that advert again fails the same way and needs no second message.
    bool advertFailedAtDisplay() const { return m_advertFailedAtDisplay; }

public slots:
    // One rotation step. A picture that fails is skipped for the next one in the same step, so
    // the hall gets a new advert; failed() names each failing file once, not at every cycle.
    void werbungtimerTimer();

signals:
    void pictureChanged();
    void failed(const QString& message);

private:
    void show(int position);
    // show() for the rotation: reports a failure through failed() the first time that file
    // fails, and tells whether the picture was shown.
    bool showInRotation(int position);

    Settings& m_settings;
    const MatchRecord& m_record;
    const BoutNavigator& m_navigator;
    QTimer m_timer;
    // Switched on by mode 1, even while a zero interval keeps the timer stopped: a later
    // positive interval resumes the rotation, as the seconds field alone can change it.
    bool m_switchedOn = false;
    QImage m_picture;
    // Files whose failure the operator has been told of; a file that loads again leaves it.
    QSet<QString> m_reported;
    bool m_advertFailedAtDisplay = false;
    int m_advertIndex = 0;
};
