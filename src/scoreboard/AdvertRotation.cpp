#include "AdvertRotation.h"

#include "bout/BoutNavigator.h"
#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/JpegDecoder.h"
#include "platform/UserError.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <limits>
#include <new>
#include <optional>

#include <sys/stat.h>

namespace {

constexpr int kInitialIntervalMs = 1000;
// Two files are read at once at most: each decode of the largest picture holds several hundred
// megabytes for a moment, and a second worker keeps a slow file from delaying the next advert.
constexpr int kWorkers = 2;
// Pictures kept ready, scaled to the strip (about 400 kB each); a longer list reads the ones it
// let go again, one tick ahead of their turn.
constexpr int kCachedPictures = 32;

QString rotationFailure(const QString& path, const QString& error)
{
    return QStringLiteral("Die Werbung „%1“ kann nicht angezeigt werden und wird übersprungen.\n%2")
        .arg(QDir::toNativeSeparators(path), error);
}

} // namespace

AdvertRotation::AdvertRotation(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                               QObject* parent)
    : QObject(parent), m_settings(settings), m_record(record), m_navigator(navigator)
{
    // The operator sets whole seconds per advert; a coarse timer could stretch each by 5 %.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kInitialIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &AdvertRotation::werbungtimerTimer);
    m_workers.setMaxThreadCount(kWorkers);
}

AdvertRotation::~AdvertRotation()
{
    m_workers.waitForDone();
}

void AdvertRotation::setDisplayBox(const QSize& box)
{
    // Pictures made for the old box are shown until their new version is ready: the version
    // now differs, so the next look at each reads it again.
    m_box = box;
}

void AdvertRotation::werbungaktu()
{
    const QStringList& paths = m_settings.werbung();
    // The caption row and two bout rows: a single bout gets no advert.
    if (paths.isEmpty() || m_record.rowCount() < 3)
        return;

    switch (m_settings.modus()) {
    case 0:
        show(1);
        break;
    case 2:
        if (paths.size() > m_record.rowCount() - 2) {
            // "0" before a bout is loaded, or a bout number past the list, names no advert: the
            // previous picture stays and the caller goes on as after any other advert.
            const int n = strToInt(m_navigator.kampfnr());
            if (n >= 1 && n <= paths.size())
                show(n);
        }
        break;
    default:
        break;
    }
}

void AdvertRotation::werbungtimerTimer()
{
    const QStringList& paths = m_settings.werbung();
    if (m_settings.modus() != 1 || paths.isEmpty())
        return;

    QStringList toRead;
    // Each advert is looked at at most once per step: when none is ready, the picture stays.
    for (qsizetype tried = 0; tried < paths.size(); ++tried) {
        ++m_advertIndex;
        // The list may have shrunk since the last tick (or the index been set from outside).
        if (m_advertIndex > paths.size() || m_advertIndex < 1)
            m_advertIndex = 1;
        const QString& path = paths.at(m_advertIndex - 1);
        // Looked at again for a change even when ready: a replaced file shows at a later turn.
        toRead << path;
        const auto it = m_cache.constFind(path);
        if (it != m_cache.constEnd() && it->state == State::Ready) {
            m_picture = it->picture;
            m_wanted.clear();
            // Read ahead, so that the next advert is ready at the next tick.
            toRead << paths.at(m_advertIndex % paths.size());
            emit pictureChanged();
            break;
        }
    }
    request(toRead);
    tellFailures();
}

void AdvertRotation::tellFailures()
{
    if (m_untold.isEmpty())
        return;
    // One box for all the files found broken together (a pulled USB stick breaks them all).
    const QString text = m_untold.join(QStringLiteral("\n\n"));
    m_untold.clear();
    emit failed(text);
}

void AdvertRotation::request(const QStringList& paths)
{
    QStringList batch;
    QList<Version> known;
    for (const QString& path : paths) {
        Entry& entry = m_cache[path];
        if (entry.pending)
            continue;
        entry.pending = true;
        batch << path;
        known << (entry.state == State::Unknown ? Version{} : entry.version);
    }
    if (batch.isEmpty())
        return;
    ++m_pending;
    const QSize box = m_box;
    auto* watcher = new QFutureWatcher<QList<Loaded>>(this);
    connect(watcher, &QFutureWatcher<QList<Loaded>>::finished, this, [this, watcher] {
        watcher->deleteLater();
        --m_pending;
        takeLoaded(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_workers, [batch, known, box] {
        QList<Loaded> results;
        for (qsizetype i = 0; i < batch.size(); ++i)
            results << load(batch.at(i), known.at(i), box);
        return results;
    }));
}

AdvertRotation::Loaded AdvertRotation::load(const QString& path, const Version& known, QSize box)
{
    Loaded result;
    result.path = path;
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        result.version = {qint64(info.st_size),
                          qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                          qint64(info.st_ino), box};
    else
        result.version = {-1, -1, -1, box};
    // A version seen before is not read again, whether it loaded or failed.
    if (result.version == known) {
        result.unchanged = true;
        return result;
    }
    try {
        QImage picture = loadJpegFile(path);
        // Drawn centred and only ever made smaller: scaled here once, not at every repaint.
        if (picture.width() > box.width() || picture.height() > box.height())
            picture = picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (picture.isNull())
            throw std::bad_alloc();
        result.picture = std::move(picture);
    } catch (const UserError& e) {
        result.error = e.message();
    } catch (const std::bad_alloc&) {
        result.error = QStringLiteral("Für das Bild der Datei „%1“ reicht der Arbeitsspeicher nicht.")
                           .arg(QDir::toNativeSeparators(path));
    } catch (const std::exception& e) {
        // Nothing may leave a worker: the window thread would meet it again in the result.
        result.error = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                           .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(e.what()));
    }
    return result;
}

void AdvertRotation::takeLoaded(const QList<Loaded>& results)
{
    for (const Loaded& loaded : results) {
        Entry& entry = m_cache[loaded.path];
        entry.pending = false;
        if (!loaded.unchanged) {
            ++m_filesRead;
            entry.version = loaded.version;
            entry.picture = loaded.picture;
            entry.error = loaded.error;
            entry.state = loaded.error.isEmpty() ? State::Ready : State::Failed;
        }
        const bool wanted = loaded.path == m_wanted;
        if (wanted) {
            // Unchanged: werbungaktu has shown it, or thrown its failure, already.
            m_wanted.clear();
            if (!loaded.unchanged && entry.state == State::Ready) {
                m_picture = entry.picture;
                emit pictureChanged();
            } else if (!loaded.unchanged) {
                // The caller of werbungaktu has long gone on; the window tells it instead.
                emit failed(entry.error);
            }
        }
        if (loaded.unchanged)
            continue;
        if (entry.state == State::Ready) {
            m_reported.remove(loaded.path);
        } else if (!wanted && !m_reported.contains(loaded.path)) {
            // No caller to stop here. A broken file stays broken until someone replaces it:
            // telling the operator at every cycle, also mid-bout, would only be in the way.
            m_reported.insert(loaded.path);
            m_untold << rotationFailure(loaded.path, entry.error);
        }
    }
    forgetOldPictures();
}

void AdvertRotation::forgetOldPictures()
{
    qsizetype ready = 0;
    for (const Entry& entry : std::as_const(m_cache))
        ready += entry.state == State::Ready;
    if (ready <= kCachedPictures)
        return;
    // The rotation runs in a circle: the picture whose next turn is furthest away goes first, and
    // one no longer in the list before all. A picture read ahead thus stays until it is shown.
    const QStringList& paths = m_settings.werbung();
    const qsizetype n = paths.size();
    QHash<QString, qsizetype> nextTurn;
    for (qsizetype step = 1; step <= n; ++step) {
        const QString& path = paths.at((m_advertIndex + step - 1) % n);
        if (!nextTurn.contains(path))
            nextTurn.insert(path, step);
    }
    while (ready > kCachedPictures) {
        auto furthest = m_cache.end();
        qsizetype furthestTurn = -1;
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
            const qsizetype turn = nextTurn.value(it.key(), n + 1);
            if (it->state == State::Ready && !it->pending && turn > furthestTurn) {
                furthest = it;
                furthestTurn = turn;
            }
        }
        if (furthest == m_cache.end())
            break;
        m_cache.erase(furthest);
        --ready;
    }
}

void AdvertRotation::applyInterval()
{
    const QString zeit = m_settings.zeit();
    std::optional<int> parsed;
    try {
        parsed = strToInt(zeit);
    } catch (const UserError&) {
        // Stands still as at zero seconds; only mode 1 has a reason to say so.
    }
    const qint64 seconds = parsed.value_or(0);
    // A QTimer at 0 ms would fire at every turn of the event loop; the old timer at 0 did not
    // fire at all, and a negative count of seconds means no sensible pause either.
    const int ms = seconds <= 0 ? 0 : int(qMin(seconds * 1000, qint64(std::numeric_limits<int>::max())));
    // Setting a QTimer's interval restarts its countdown even when unchanged; "Anzeige" applies
    // the interval on every click and must not postpone the next advert each time.
    if (ms != m_timer.interval())
        m_timer.setInterval(ms);
    if (ms == 0)
        m_timer.stop();
    else if (m_switchedOn && !m_timer.isActive())
        m_timer.start();
    if (!parsed && m_settings.modus() == 1)
        throw UserError(conversionErrorText(zeit) +
                        QStringLiteral(": Die Werbungen wechseln nicht, bis bei „Wechsel alle … Sekunden“ "
                                       "eine ganze Zahl steht."));
}

void AdvertRotation::applyEnteredInterval()
{
    // Only "Anzeige" and a settings file may carry seconds that are no number past this point:
    // the hall must get its window whatever the field holds, but the field's own exit is where
    // the operator learns of the typing error.
    strToInt(m_settings.zeit());
    applyInterval();
}

void AdvertRotation::switchTimerForMode()
{
    m_switchedOn = m_settings.modus() == 1;
    if (!m_switchedOn || m_timer.interval() <= 0)
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void AdvertRotation::prepareDisplay()
{
    switchTimerForMode();
    QStringList faults;
    m_advertFailedAtDisplay = false;
    try {
        werbungaktu();
    } catch (const AdvertError& e) {
        m_advertFailedAtDisplay = true;
        faults << e.message();
    } catch (const UserError& e) {
        faults << e.message();
    }
    try {
        applyInterval();
    } catch (const UserError& e) {
        faults << e.message();
    }
    if (!faults.isEmpty())
        throw UserError(faults.join(QLatin1Char('\n')));
}

void AdvertRotation::show(int position)
{
    const QString path = m_settings.werbung().at(position - 1);
    m_wanted = path;
    // Looked at again for a change in any case; what is known is answered at once.
    request({path});
    const Entry& entry = m_cache[path];
    // Still wanted after a failure: a file put right in the meantime shows once read.
    if (entry.state == State::Failed)
        throw AdvertError(entry.error);
    if (entry.state == State::Ready) {
        m_picture = entry.picture;
        // A newer version the worker finds now comes in as wanted.
        emit pictureChanged();
    }
}
