#pragma once

#include <QImage>
#include <QObject>
#include <QTimer>

class BoutNavigator;
class MatchRecord;
class Settings;

// Chooses the advert picture of the audience window's two advert strips: always the first,
// a timed rotation, or one per bout, from the advert list of the settings.
class AdvertRotation : public QObject
{
    Q_OBJECT
public:
    AdvertRotation(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                   QObject* parent = nullptr);

    // Position (1-based) of the advert the rotation showed last; 0 at start.
    int advertIndex = 0;

    // The picture both strips show; null while the built-in picture stands.
    QImage picture() const { return m_picture; }

    QTimer& werbungtimer() { return m_timer; }

    // The advert that modes 0 and 2 call for. Throws UserError when the file cannot be read
    // as a JPEG; the previous picture stays.
    void werbungaktu();
    // Interval := the seconds of the settings × 1000 ms. Throws the conversion error, leaving
    // the interval as it was. Zero or negative seconds make the rotation stand still (the
    // timer is stopped, not run at 0 ms) until a positive interval is applied.
    void applyInterval();
    // On exactly when the advert mode is 1; it ticks only while the interval is positive.
    // Switch through here, not through werbungtimer() directly, so both stay consistent.
    void switchTimerForMode();

public slots:
    // One rotation step; a failing picture is reported through failed() and the rotation goes on.
    void werbungtimerTimer();

signals:
    void pictureChanged();
    void failed(const QString& message);

private:
    void show(int position);

    Settings& m_settings;
    const MatchRecord& m_record;
    const BoutNavigator& m_navigator;
    QTimer m_timer;
    // Switched on by mode 1, even while a zero interval keeps the timer stopped: a later
    // positive interval resumes the rotation, as the seconds field alone can change it.
    bool m_switchedOn = false;
    QImage m_picture;
};
