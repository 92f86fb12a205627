#pragma once

#include <QObject>
#include <QString>

class BoutClock;
class MatchRecord;

// The running bout: two scoring strings of equal length (one character per action and side),
// the time stamps, the win types and the counters rebuilt from the strings after every change.
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

        bool operator==(const Tally&) const = default;
    };

    Bout(const MatchRecord& record, BoutClock& clock, QObject* parent = nullptr);

    // The recount of two scoring strings. Red's string sets the length: whatever blue's string
    // holds beyond it counts nothing.
    static Tally tally(const QString& wr, const QString& wb);

    // Loads the bout of grid row `row`: style, scoring strings, time stamps and the win types
    // the row restores, then recounts. A row that does not exist reads as empty cells, which
    // gives an empty bout with "KL" on both sides.
    void loadRow(int row);

    QString wr, wb, zeitstempel;
    QString sieg_rot, sieg_blau;
    QString tpr = QStringLiteral("0"), tpb = QStringLiteral("0");
    // Style of the loaded bout: "F" freestyle, "G" Greco-Roman; anything else switches the
    // passivity rules off.
    QString stil;

    int count5Red = 0, count4Red = 0, count2Red = 0, cautionsRed = 0, passivityRed = 0;
    int count5Blue = 0, count4Blue = 0, count2Blue = 0, cautionsBlue = 0, passivityBlue = 0;
    QString lastScorer, lastPassivity;

    QString infolabel;
    QString Label33 = QStringLiteral("P: 0, V:0");
    QString Label34 = QStringLiteral("P: 0, V:0");

    // Open for scoring while neither side holds a win type.
    bool isOpen() const { return sieg_rot.isEmpty() && sieg_blau.isEmpty(); }

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
    void passivity(bool red);
    void undo();

    const MatchRecord& m_record;
    BoutClock& m_clock;
};
