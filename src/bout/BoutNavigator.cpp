#include "BoutNavigator.h"

#include "Bout.h"
#include "BoutClock.h"
#include "Evaluation.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "bout/ViewState.h"

#include <QScopeGuard>

using namespace MatchFields;

namespace {

QString official(const QString& prefix, const QString& name)
{
    return name.isEmpty() ? QString() : prefix + name;
}

// A stored time shorter than "m:ss" is none: the bout loads at 0:00.
bool storesTime(const QString& zeit)
{
    return zeit.size() > 3;
}

} // namespace

BoutNavigator::BoutNavigator(MatchRecord& record, MatchFile& file, Bout& bout, BoutClock& clock,
                             ViewState& view, QObject* parent)
    : QObject(parent), m_record(record), m_file(file), m_bout(bout), m_clock(clock), m_view(view)
{
}

void BoutNavigator::setKampfnr(const QString& value)
{
    if (m_kampfnr == value)
        return;
    m_kampfnr = value;
    emit changed();
}

void BoutNavigator::naechsterkampf(int n)
{
    const int row = strToInt(m_kampfid);
    m_bout.punkteaddieren();

    const int boutRows = m_record.rowCount() - 1;
    // A row that no longer exists (the line-up was cut since the bout was loaded) is never
    // written: its result would land in a bout element of its own outside the match.
    if (m_kampfid != QLatin1String("0") && !m_view.lampRed() && row >= 1 && row <= boutRows) {
        Evaluation::applyAutomaticCodes(m_bout);
        BoutResult result{m_record.cell(ColPunkteRot, row), m_record.cell(ColPunkteBlau, row),
                          m_record.cell(ColSieg, row)};
        Evaluation::decide(m_bout, result);
        m_record.setCell(ColPunkteRot, row, result.punkterot);
        m_record.setCell(ColPunkteBlau, row, result.punkteblau);
        m_record.setCell(ColSieg, row, result.sieg);
        m_record.setCell(ColTpRot, row, m_bout.tpr());
        m_record.setCell(ColTpBlau, row, m_bout.tpb());
        m_record.setCell(ColZeit, row, m_clock.uhr());
        m_record.setCell(ColWertungenRot, row, m_bout.wr());
        m_record.setCell(ColWertungenBlau, row, m_bout.wb());
        m_record.setCell(ColZeiten, row, m_bout.zeitstempel());
        m_file.savematch(row);
        m_file.saveDocument();
    }

    const int k = strToInt(m_kampfnr);
    QString next;
    if (n == 999) {
        next = QString::number(k >= boutRows ? 1 : k + 1);
        if (m_view.lampRed())
            next = row < boutRows ? m_record.cell(ColReihenfolge, row + 1) : QStringLiteral("1");
    } else if (n == 888) {
        next = QString::number(k - 1 <= 0 ? boutRows : k - 1);
    } else {
        next = QString::number(n);
    }
    setKampfnr(next);

    ladedaten();

    if (m_view.panel1Visible() && m_kampfvorstellung)
        m_view.startZoom();
}

void BoutNavigator::ladedaten()
{
    // Everything that can fail is read before the panel changes.
    int row = 0;
    int sumRed = 0;
    int sumBlue = 0;
    for (int i = 1; i < m_record.rowCount(); ++i) {
        if (m_record.cell(ColReihenfolge, i) == m_kampfnr)
            row = i;
        const QString red = m_record.cell(ColPunkteRot, i);
        const QString blue = m_record.cell(ColPunkteBlau, i);
        if (!red.isEmpty())
            sumRed += strToInt(red);
        if (!blue.isEmpty())
            sumBlue += strToInt(blue);
    }
    const QString zeit = m_record.cell(ColZeit, row);
    int minutes = 0;
    int seconds = 0;
    if (storesTime(zeit)) {
        // The clock writes "m:ss"; from 10:00 on the minutes have two digits and are read up
        // to the colon.
        const qsizetype colon = zeit.indexOf(QLatin1Char(':'));
        if (colon >= 1) {
            minutes = strToInt(zeit.left(colon));
            seconds = strToInt(zeit.mid(colon + 1, 2));
        } else {
            minutes = strToInt(zeit.left(1));
            seconds = strToInt(zeit.mid(2, 2));
        }
    }

    // No row with the current bout number: the panel shows an empty bout that belongs to no
    // row ("0"), so nothing scored or evaluated there can reach another bout's row.
    m_kampfid = QString::number(row);

    m_audienceMp = official(QStringLiteral("MP: "), m_record.header(Header::mp));
    m_audienceKr = official(QStringLiteral("KR: "), m_record.header(Header::ml));
    m_audiencePr = official(QStringLiteral("PR: "), m_record.header(Header::pr));

    auto cell = [&](int c) { return m_record.cell(c, row); };
    m_rot = cell(ColVornRot) + QLatin1Char(' ') + cell(ColNachnRot);
    m_blau = cell(ColVornBlau) + QLatin1Char(' ') + cell(ColNachnBlau);
    m_gewrot = cell(ColGewichtRot) + QStringLiteral(" kg");
    m_gewblau = cell(ColGewichtBlau) + QStringLiteral(" kg");
    m_gew = cell(ColKlasse) + QStringLiteral(" kg");
    m_heimverein = m_record.header(Header::heim);
    m_gastverein = m_record.header(Header::gast);

    m_clock.loadClock(0, 0, QStringLiteral("0:00"));
    m_clock.resetInjuryTimes();
    emit injuryLabelsHidden();
    if (storesTime(zeit))
        m_clock.loadClock(minutes, seconds, zeit);

    m_punkteheim = QString::number(sumRed);
    m_punktegast = QString::number(sumBlue);

    m_bout.loadRow(row);
    emit changed();
    emit updatekampf();
    emit werbungaktu();
    if (m_advertHook)
        m_advertHook();
}

void BoutNavigator::followRows(int firstRow, int lastRow)
{
    const int row = m_kampfid.toInt();
    if (row < firstRow || row > lastRow)
        return;
    // Should the reload fail on a bad cell, the stale panel must not write into any row.
    m_kampfid = QStringLiteral("0");
    ladedaten();
}

void BoutNavigator::recountTeamScore()
{
    // The panel shows the sums even when a bad cell stops the recount half way.
    const auto notify = qScopeGuard([this] { emit changed(); });
    m_punkteheim = QStringLiteral("0");
    m_punktegast = QStringLiteral("0");
    for (int r = 1; r < m_record.rowCount(); ++r) {
        const QString red = m_record.cell(ColPunkteRot, r);
        if (!red.isEmpty())
            m_punkteheim = QString::number(strToInt(red) + strToInt(m_punkteheim));
        const QString blue = m_record.cell(ColPunkteBlau, r);
        if (!blue.isEmpty())
            m_punktegast = QString::number(strToInt(blue) + strToInt(m_punktegast));
    }
}

QString BoutNavigator::loadedClock(int row) const
{
    const QString zeit = m_record.cell(ColZeit, row);
    return storesTime(zeit) ? zeit : QStringLiteral("0:00");
}
