#include "AdvertRotation.h"

#include "bout/BoutNavigator.h"
#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/JpegDecoder.h"
#include "platform/UserError.h"
#include "settings/Settings.h"

#include <QDir>

#include <limits>
#include <optional>

namespace {

constexpr int kInitialIntervalMs = 1000;

} // namespace

AdvertRotation::AdvertRotation(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                               QObject* parent)
    : QObject(parent), m_settings(settings), m_record(record), m_navigator(navigator)
{
    // The operator sets whole seconds per advert; a coarse timer could stretch each by 5 %.
    m_timer.setTimerType(Qt::PreciseTimer);
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

    // Each advert is tried at most once per step: when all fail, the picture stays.
    for (qsizetype tried = 0; tried < paths.size(); ++tried) {
        ++m_advertIndex;
        // The list may have shrunk since the last tick (or the index been set from outside).
        if (m_advertIndex > paths.size() || m_advertIndex < 1)
            m_advertIndex = 1;
        if (showInRotation(m_advertIndex))
            return;
    }
}

bool AdvertRotation::showInRotation(int position)
{
    const QString path = m_settings.werbung().at(position - 1);
    try {
        show(position);
        m_reported.remove(path);
        return true;
    } catch (const UserError& e) {
        // No caller to stop here. A broken file stays broken until someone replaces it: telling
        // the operator at every cycle, also mid-bout, would only be in the way.
        if (!m_reported.contains(path)) {
            m_reported.insert(path);
            emit failed(
                QStringLiteral("Die Werbung „%1“ kann nicht angezeigt werden und wird übersprungen.\n%2")
                    .arg(QDir::toNativeSeparators(path), e.message()));
        }
        return false;
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
    try {
        m_picture = loadJpegFile(m_settings.werbung().at(position - 1));
    } catch (const UserError& e) {
        throw AdvertError(e.message());
    }
    emit pictureChanged();
}
