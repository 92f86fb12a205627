#include "Bout.h"

#include "BoutClock.h"
#include "match/MatchRecord.h"

using namespace MatchFields;

namespace {

// Win types a stored row gives back to its bout; the others ("PS", "TÜ", "PE") leave it open.
const QStringList kRestoredCodes = {QStringLiteral("SS"), QStringLiteral("DS"), QStringLiteral("AS"),
                                    QStringLiteral("KL"), QStringLiteral("ÜG"), QStringLiteral("UG"),
                                    QStringLiteral("DV"), QStringLiteral("DQ")};

struct WinCommand
{
    const char16_t* cmd;
    const char16_t* code;
    bool red;
    bool blue;
};

// Each command names the side it awards; "x…" awards both at once.
constexpr WinCommand kWinCommands[] = {
    {u"rss", u"SS", true, false}, {u"bss", u"SS", false, true}, //
    {u"ras", u"AS", true, false}, {u"bas", u"AS", false, true}, //
    {u"rds", u"DS", true, false}, {u"bds", u"DS", false, true}, //
    {u"rüg", u"ÜG", true, false}, {u"büg", u"ÜG", false, true}, //
    {u"rug", u"UG", true, false}, {u"bug", u"UG", false, true}, //
    {u"rdv", u"DV", true, false}, {u"bdv", u"DV", false, true}, //
    {u"rdq", u"DQ", true, false}, {u"bdq", u"DQ", false, true}, //
    {u"xdq", u"DQ", true, true},  {u"xüg", u"ÜG", true, true},
};

bool isPointDigit(QChar c)
{
    return c >= QLatin1Char('1') && c <= QLatin1Char('5');
}

} // namespace

Bout::Bout(const MatchRecord& record, BoutClock& clock, QObject* parent)
    : QObject(parent), m_record(record), m_clock(clock)
{
}

void Bout::loadRow(int row)
{
    const auto cell = [&](int column) { return m_record.cell(column, row); };
    m_stil = cell(ColStil);
    m_wr = cell(ColWertungenRot);
    m_wb = cell(ColWertungenBlau);
    m_zeitstempel = cell(ColZeiten);

    m_sieg_rot.clear();
    m_sieg_blau.clear();
    const QString code = cell(ColSieg);
    if (kRestoredCodes.contains(code)) {
        const int cmp = QString::compare(cell(ColPunkteRot), cell(ColPunkteBlau));
        if (cmp >= 0)
            m_sieg_rot = code;
        if (cmp <= 0)
            m_sieg_blau = code;
    }
    // A side without a wrestler gives the bout to the other by "KL", whatever the row says.
    if (cell(ColVornBlau).isEmpty() && cell(ColNachnBlau).isEmpty())
        m_sieg_rot = QStringLiteral("KL");
    if (cell(ColVornRot).isEmpty() && cell(ColNachnRot).isEmpty())
        m_sieg_blau = QStringLiteral("KL");

    if (m_wr.size() != m_wb.size()) {
        m_wr.clear();
        m_wb.clear();
    }
    // The technical points are recounted from the strings, not taken from the row.
    punkteaddieren();
}

bool Bout::differsFromRow(int row) const
{
    // The row is read by the very rules that load it, so a row the loading adjusts (strings of
    // different lengths, "KL" for a missing wrestler, "PS" restoring nothing) counts as written.
    Bout restored(m_record, m_clock);
    restored.loadRow(row);
    return m_wr != restored.m_wr || m_wb != restored.m_wb || m_zeitstempel != restored.m_zeitstempel ||
           m_sieg_rot != restored.m_sieg_rot || m_sieg_blau != restored.m_sieg_blau;
}

void Bout::zeitstempeln()
{
    m_zeitstempel += m_clock.uhr() + QLatin1Char(';');
}

void Bout::punkte(const QString& side, int n)
{
    if (isOpen()) {
        const QString digit = QString::number(n);
        if (side == QLatin1String("r")) {
            m_wr += digit;
            m_wb += QLatin1Char(' ');
            zeitstempeln();
        } else if (side == QLatin1String("b")) {
            m_wr += QLatin1Char(' ');
            m_wb += digit;
            zeitstempeln();
        }
    }
    // Even a refused point ends a running activity time: the referee has seen the side act.
    m_clock.endActivityTime();
    punkteaddieren();
    emit updatepunkt();
}

void Bout::eingabe(const QString& cmd)
{
    if (cmd == QLatin1String("rp")) {
        passivity(true);
    } else if (cmd == QLatin1String("bp")) {
        passivity(false);
    } else if (cmd == QLatin1String("rv") || cmd == QLatin1String("bv")) {
        if (isOpen()) {
            const bool red = cmd == QLatin1String("rv");
            m_wr += red ? QLatin1Char('V') : QLatin1Char(' ');
            m_wb += red ? QLatin1Char(' ') : QLatin1Char('V');
            zeitstempeln();
            punkteaddieren();
        }
    } else if (cmd == QLatin1String("wertungrueck")) {
        undo();
    } else {
        for (const WinCommand& w : kWinCommands) {
            if (cmd != QStringView(w.cmd))
                continue;
            const QString code = QString::fromUtf16(w.code);
            m_sieg_rot = w.red ? code : QString();
            m_sieg_blau = w.blue ? code : QString();
            break;
        }
    }
    // Win types and unknown commands do not recount, yet the panel must still follow.
    emit changed();
    emit updatepunkt();
}

void Bout::passivity(bool red)
{
    if (!isOpen())
        return;
    m_wr += red ? QLatin1Char('P') : QLatin1Char(' ');
    m_wb += red ? QLatin1Char(' ') : QLatin1Char('P');
    zeitstempeln();

    // The counts are those of the last recount, so they do not yet include the "P" just added.
    const int earlier = red ? m_tally.passivityRed : m_tally.passivityBlue;
    if (m_stil == QLatin1String("F")) {
        // Only red's first passivity may start the activity time, and only late enough in the bout;
        // blue's first never does.
        bool start = earlier > 0;
        if (red && !start) {
            start =
                m_clock.clockMinutes() >= 2 || (m_clock.clockMinutes() == 1 && m_clock.clockSeconds() >= 30 &&
                                                m_record.header(Header::altersklasse) == QLatin1String("2"));
        }
        if (start) {
            m_clock.startActivityTime(red ? BoutClock::lightRed() : BoutClock::lightBlue());
        }
    } else if (m_stil == QLatin1String("G") && earlier >= 2) {
        punkte(red ? QStringLiteral("b") : QStringLiteral("r"), 1);
    }
    punkteaddieren();
}

void Bout::undo()
{
    if (!isOpen()) {
        // A wrongly chosen win type is taken back alone, so the operator never loses an action with it.
        m_sieg_rot.clear();
        m_sieg_blau.clear();
        return;
    }
    if (m_wr.isEmpty())
        return;
    if (m_wr.endsWith(QLatin1Char('P')) || m_wb.endsWith(QLatin1Char('P')))
        m_clock.dropActivityTime();
    m_wr.chop(1);
    m_wb.chop(1);
    // From 10:00 on a stamp has six characters, so cut back to the previous separator rather than
    // by a fixed length.
    qsizetype cut = m_zeitstempel.size() - 1;
    while (cut > 0 && m_zeitstempel.at(cut - 1) != QLatin1Char(';'))
        --cut;
    if (cut >= 0)
        m_zeitstempel.truncate(cut);
    punkteaddieren();
}

void Bout::punkteaddieren()
{
    m_tally = tally(m_wr, m_wb);
    emit changed();
}

Bout::Tally Bout::tally(const QString& wr, const QString& wb)
{
    Tally t;
    int totalRed = 0;
    int totalBlue = 0;

    struct Side
    {
        int& total;
        int& count5;
        int& count4;
        int& count2;
        int& cautions;
        int& passivities;
        QString letter;
    };
    Side red{totalRed,      t.count5Red,    t.count4Red,        t.count2Red,
             t.cautionsRed, t.passivityRed, QStringLiteral("r")};
    Side blue{totalBlue,      t.count5Blue,    t.count4Blue,       t.count2Blue,
              t.cautionsBlue, t.passivityBlue, QStringLiteral("b")};

    // Stored strings may hold anything; a character that is neither a point, "V" nor "P" counts for
    // nothing instead of failing the load.
    const auto count = [&t](Side& s, QChar c) {
        if (isPointDigit(c)) {
            const int value = c.unicode() - u'0';
            s.total += value;
            if (value == 5)
                ++s.count5;
            else if (value == 4)
                ++s.count4;
            else if (value == 2)
                ++s.count2;
            t.lastScorer = s.letter;
        } else if (c == QLatin1Char('V')) {
            ++s.cautions;
        } else if (c == QLatin1Char('P')) {
            ++s.passivities;
            t.lastPassivity = s.letter;
        }
    };
    // Red before blue at each position, so blue wins a tie for "last".
    for (qsizetype i = 0; i < wr.size(); ++i) {
        count(red, wr.at(i));
        if (i < wb.size())
            count(blue, wb.at(i));
    }

    t.tpr = QString::number(totalRed);
    t.tpb = QString::number(totalBlue);
    if (totalRed >= totalBlue + 15 || totalBlue >= totalRed + 15)
        t.infolabel = QStringLiteral("15 Punkte differenz");
    t.Label33 = QStringLiteral("P: %1, V:%2").arg(t.passivityRed).arg(t.cautionsRed);
    t.Label34 = QStringLiteral("P: %1, V:%2").arg(t.passivityBlue).arg(t.cautionsBlue);
    return t;
}
