#pragma once

#include "Evaluation.h"

#include <QObject>
#include <QString>

class BoutClock;
class MatchRecord;

// The running bout: two scoring strings of equal length (one character per action and side),
// the time stamps, the win types and the counters rebuilt from the strings after every change.
// It changes only through its commands and by loading a grid row; everyone else reads.
class Bout : public QObject
{
    Q_OBJECT
public:
    // What the recount rebuilds from the two scoring strings.
    struct Tally
    {
        QString tpr = QStringLiteral("0"), tpb = QStringLiteral("0");
        int count5Red = 0, count4Red = 0, count2Red = 0, cautionsRed = 0, passivityRed = 0;
        int count5Blue = 0, count4Blue = 0, count2Blue = 0, cautionsBlue = 0, passivityBlue = 0;
        QString lastScorer, lastPassivity;
        QString infolabel;
        QString Label33 = QStringLiteral("P: 0, V:0");
        QString Label34 = QStringLiteral("P: 0, V:0");
    };

    Bout(const MatchRecord& record, BoutClock& clock, QObject* parent = nullptr);

    // The recount of two scoring strings. Red's string sets the length: whatever blue's string
    // holds beyond it counts nothing.
    static Tally tally(const QString& wr, const QString& wb);

    // Loads the bout of grid row `row`: style, scoring strings, time stamps and the win types
    // the row restores, then recounts. A row that does not exist reads as empty cells, which
    // gives an empty bout with "KL" on both sides.
    void loadRow(int row);

    QString wr() const { return m_wr; }
    QString wb() const { return m_wb; }
    QString zeitstempel() const { return m_zeitstempel; }
    QString sieg_rot() const { return m_sieg_rot; }
    QString sieg_blau() const { return m_sieg_blau; }
    // Style of the loaded bout: "F" freestyle, "G" Greco-Roman; anything else switches the
    // passivity rules off.
    QString stil() const { return m_stil; }

    QString tpr() const { return m_tally.tpr; }
    QString tpb() const { return m_tally.tpb; }
    int count5Red() const { return m_tally.count5Red; }
    int count4Red() const { return m_tally.count4Red; }
    int count2Red() const { return m_tally.count2Red; }
    int cautionsRed() const { return m_tally.cautionsRed; }
    int passivityRed() const { return m_tally.passivityRed; }
    int count5Blue() const { return m_tally.count5Blue; }
    int count4Blue() const { return m_tally.count4Blue; }
    int count2Blue() const { return m_tally.count2Blue; }
    int cautionsBlue() const { return m_tally.cautionsBlue; }
    int passivityBlue() const { return m_tally.passivityBlue; }
    QString lastScorer() const { return m_tally.lastScorer; }
    QString lastPassivity() const { return m_tally.lastPassivity; }
    QString infolabel() const { return m_tally.infolabel; }
    QString Label33() const { return m_tally.Label33; }
    QString Label34() const { return m_tally.Label34; }

    // Whether the bout holds anything that loading grid row `row` would not give back: an
    // action or time stamp in the scoring strings, or a win type. Reads only.
    bool differsFromRow(int row) const;

    // Open for scoring while neither side holds a win type.
    bool isOpen() const { return m_sieg_rot.isEmpty() && m_sieg_blau.isEmpty(); }

    // n points for side "r" or "b" (n a single digit). Always ends the activity time at the next
    // tick, recounts and refreshes the audience window, even when the bout is not open.
    void punkte(const QString& side, int n);
    // Every other scoring command: passivity, caution, undo, win types (exact, case-sensitive).
    void eingabe(const QString& cmd);
    // Rebuilds totals, counters and summary labels from the two strings.
    void punkteaddieren();
    void zeitstempeln();

signals:
    // The feed copies strings, points, win types and caution marks to the audience window.
    void updatepunkt();
    // The display words' source changed (strings, points, win types, summaries).
    void changed();

private:
    // The automatic win types at the end of a bout are the evaluation's rule; it alone sets win
    // types besides the commands and the loading.
    friend void Evaluation::applyAutomaticCodes(Bout& bout);

    void passivity(bool red);
    void undo();

    const MatchRecord& m_record;
    BoutClock& m_clock;

    QString m_wr, m_wb, m_zeitstempel;
    QString m_sieg_rot, m_sieg_blau;
    QString m_stil;
    Tally m_tally;
};
