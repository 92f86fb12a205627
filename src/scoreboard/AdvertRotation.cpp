#include "AdvertRotation.h"

#include "bout/BoutNavigator.h"
#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/JpegDecoder.h"
#include "platform/UserError.h"
#include "shell/Settings.h"

#include <limits>

namespace {

constexpr int kInitialIntervalMs = 1000;

} // namespace

AdvertRotation::AdvertRotation(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                               QObject* parent)
    : QObject(parent), m_settings(settings), m_record(record), m_navigator(navigator)
{
    m_timer.setInterval(kInitialIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &AdvertRotation::werbungtimerTimer);
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

    ++advertIndex;
    // The list may have shrunk since the last tick (or the index been set from outside).
    if (advertIndex > paths.size() || advertIndex < 1)
        advertIndex = 1;
    try {
        show(advertIndex);
    } catch (const UserError& e) {
        // No caller to stop here: the operator is told, and the next tick tries the next advert.
        emit failed(e.message());
    }
}

void AdvertRotation::applyInterval()
{
    const qint64 seconds = strToInt(m_settings.zeit());
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
}

void AdvertRotation::switchTimerForMode()
{
    m_switchedOn = m_settings.modus() == 1;
    if (!m_switchedOn || m_timer.interval() <= 0)
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void AdvertRotation::show(int position)
{
    m_picture = loadJpegFile(m_settings.werbung().at(position - 1));
    emit pictureChanged();
}
