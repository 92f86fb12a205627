#pragma once

#include "platform/UserError.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>
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
//
// The window thread never reads or decodes an advert file: workers of the rotation's own pool
// read each version of a file (path, size, modification time) once and hand over a picture
// already scaled to the display box. A tick shows what is ready and skips what is not; a file
// that failed is looked at again (its size and time, not its bytes) and read only once changed.
class AdvertRotation : public QObject
{
    Q_OBJECT
public:
    AdvertRotation(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                   QObject* parent = nullptr);
    // Waits for the workers: a decode under way ends within its work budget.
    ~AdvertRotation() override;

    // The size a picture is scaled into (never up) before it is handed over: the advert strip at
    // the largest display scale (120 % of 977 x 100) until set, so the window only ever makes it
    // a little smaller when it draws it.
    void setDisplayBox(const QSize& box);
    QSize displayBox() const { return m_box; }
    // Whether a file is being read or looked at by a worker.
    bool loading() const { return m_pending > 0; }
    // The pool the files are read in (tests occupy it to see that a tick does not wait for it).
    QThreadPool& workers() { return m_workers; }
    // How many files the workers have read so far; a look at an unchanged file does not count.
    int filesRead() const { return m_filesRead; }

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

    // The advert that modes 0 and 2 call for: shown at once when its picture is ready, else as
    // soon as a worker has read it (a failure then comes through failed()). Throws AdvertError
    // when the file is known not to be readable as a JPEG; the previous picture stays.
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
    // One rotation step. A picture that failed or is not read yet is skipped for the next ready
    // one in the same step, so the hall gets a new advert; the step asks the workers for what it
    // skipped and for the advert after the one shown. The failures found since the last step
    // are told together in one failed(), each file once, not at every cycle.
    void werbungtimerTimer();

signals:
    void pictureChanged();
    void failed(const QString& message);

private:
    // What a worker found a file to be; `box` is part of it, as the picture is scaled into it.
    struct Version
    {
        qint64 size = -1;
        qint64 modified = -1;
        qint64 inode = -1;
        QSize box;
        bool operator==(const Version&) const = default;
    };
    enum class State
    {
        Unknown,
        Ready,
        Failed
    };
    struct Entry
    {
        State state = State::Unknown;
        Version version;
        QImage picture;
        QString error;
        bool pending = false;
    };
    struct Loaded
    {
        QString path;
        Version version;
        bool unchanged = false;
        QImage picture;
        QString error;
    };
    static Loaded load(const QString& path, const Version& known, QSize box);

    void show(int position);
    // Hands `paths` to a worker, leaving out those already with one.
    void request(const QStringList& paths);
    void takeLoaded(const QList<Loaded>& results);
    void forgetOldPictures();
    void tellFailures();

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
    // Rotation failures found by the workers and not told yet.
    QStringList m_untold;
    QHash<QString, Entry> m_cache;
    // The advert werbungaktu asked for and is not ready yet; shown (or told) once read.
    QString m_wanted;
    QSize m_box{1173, 120};
    int m_pending = 0;
    int m_filesRead = 0;
    // Last, so it is destroyed (and waited for) first, while what its results reach exists.
    QThreadPool m_workers;
    bool m_advertFailedAtDisplay = false;
    int m_advertIndex = 0;
};
