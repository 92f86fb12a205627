#include "Console.h"

#include "platform/SignalSound.h"

#include <QDir>

namespace {

SignalSound& soundOrOwn(SignalSound* given, std::unique_ptr<SignalSound>& own)
{
    if (given)
        return *given;
    own = std::make_unique<SystemSignalSound>();
    return *own;
}

} // namespace

Console::Console(const QString& programFolder, SignalSound* sound, QObject* parent)
    : QObject(parent), m_programFolder(programFolder), m_file(m_record),
      m_clock(m_record, soundOrOwn(sound, m_ownSound), besideProgram(QStringLiteral("signal.wav"))),
      m_bout(m_record, m_clock), m_navigator(m_record, m_file, m_bout, m_clock, m_view),
      m_settings(besideProgram(QStringLiteral("set.xml")))
{
    connect(&m_settings, &Settings::vorstellungChanged, &m_navigator,
            [this](bool ticked) { m_navigator.setKampfvorstellung(ticked); });
    // A newly named match file has no bout loaded yet.
    connect(&m_file, &MatchFile::openFileChanged, &m_navigator,
            [this] { m_navigator.setKampfnr(QStringLiteral("0")); });
    m_navigator.setAdvertHook([this] { m_adverts.werbungaktu(); });
    // A laid-out line-up has no current bout.
    connect(&m_lineUp, &LineUp::applied, &m_navigator,
            [this] { m_navigator.setKampfnr(QStringLiteral("0")); });
    // The bout on the panel follows its row: written back later, a stale copy would undo the
    // change. A hook, not a signal: what following throws (a bad cell in the row) is the failure
    // of the operator's action that rewrote the rows, and reaches that action's guard.
    m_lineUp.setRowsHook([this](int firstRow, int lastRow) { m_navigator.followRows(firstRow, lastRow); });
    // Starting or stopping the clock brings the scoreboard back when the introduction shows.
    connect(&m_clock, &BoutClock::startstopped, &m_view, [this] {
        if (m_view.panel2Visible())
            m_view.startZoom();
    });

    // Audience window: the feed follows every change of the bout, the clock and the loaded
    // bout; a zoom asked for anywhere runs in the audience model.
    connect(&m_clock, &BoutClock::updatesek, &m_audience, &AudienceModel::updatesek);
    connect(&m_clock, &BoutClock::changed, &m_audience, &AudienceModel::showClockText);
    connect(&m_bout, &Bout::updatepunkt, &m_audience, &AudienceModel::updatepunkt);
    connect(&m_navigator, &BoutNavigator::injuryLabelsHidden, &m_audience, &AudienceModel::showLoadedBout);
    connect(&m_navigator, &BoutNavigator::updatekampf, &m_audience, &AudienceModel::updatekampf);
    connect(&m_view, &ViewState::zoomStarted, &m_audience, &AudienceModel::startZoom);
    connect(&m_view, &ViewState::changed, &m_audience, &AudienceModel::changed);
    // End of the audience window block.
}

Console::~Console() = default;

QString Console::besideProgram(const QString& name) const
{
    return QDir(m_programFolder).filePath(name);
}

bool Console::boutUnwritten() const
{
    if (m_navigator.kampfnr() == QLatin1String("0"))
        return false;
    bool number = false;
    const int row = m_navigator.kampfid().toInt(&number);
    // Only a bout row can take the bout; a bout of no row is never written, so nothing waits.
    if (!number || row < 1 || row >= m_record.rowCount())
        return false;
    return m_bout.differsFromRow(row) || m_clock.running() || m_clock.uhr() != m_navigator.loadedClock(row);
}
