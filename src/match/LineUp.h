#pragma once

#include <QObject>
#include <QStringList>
#include <QVector>

#include <functional>

class MatchFile;
class MatchRecord;

// The operations on the whole bout list of the open match: the three line-up templates, the
// home/guest swap, appending, emptying and removing the last bout.
class LineUp : public QObject
{
    Q_OBJECT
public:
    LineUp(MatchRecord& record, MatchFile& file, QObject* parent = nullptr);

    // The number of bouts of the three templates.
    static bool isTemplate(int bouts) { return bouts == 8 || bouts == 10 || bouts == 14; }
    // Weight classes of rows 1 .. bouts for an age class (0 to 2); empty where the template
    // writes none, which leaves column 0 as it is.
    static QStringList weightClasses(int bouts, int ageClass);
    // Order numbers of rows 1 .. bouts.
    static QVector<int> orderNumbers(int bouts);

    // Lays out 8, 10 or 14 bouts: row count, styles, order numbers, weight classes; every other
    // cell of the remaining rows keeps its content. Emits applied(), then saves the whole match
    // (UserError when the save fails: the new line-up stays in the record).
    void applyTemplate(int bouts);

    // Style column from `vorrueck`, alternating down from row 1; a row whose row above holds
    // neither "F" nor "G" exactly keeps its style.
    void stilarteneintragen();
    // Order column for an even number of bout rows: odd numbers down from the top, even numbers
    // up from the bottom.
    void reihenfolge();

    // Exchanges home and guest (team names, wrestlers, points, scoring strings), then saves.
    // Twice restores the match.
    void swapSides();

    // One empty bout row at the end; not saved.
    void appendRow();
    // Every cell of every bout row becomes ""; the row count stays; not saved.
    void clearRows();

    // Removes the last bout from the match file and the grid and saves the file. At one bout
    // row nothing happens (false): a file without bouts could not be opened again. Throws
    // UserError while no match is open (nothing changes) or when the save fails (the row stays).
    bool removeLastBout();

    // Told of bout rows firstRow..lastRow that were rewritten or removed as a whole (template,
    // swap, emptying, removal); where the operation saves, after the save, also when the save
    // fails. Called directly, not through a signal: what the listener throws (a bout that no
    // longer loads) ends the operation, so the operator's action reports it.
    void setRowsHook(std::function<void(int firstRow, int lastRow)> hook) { m_rowsHook = std::move(hook); }
    // Runs the rows hook for bout rows rewritten by an edit outside these operations (a row
    // cleared in the grid), so that one listener hears of every rewritten row. Throws what the
    // hook throws.
    void tellRows(int firstRow, int lastRow);

signals:
    // A template was laid out: no bout is current any more.
    void applied();

private:
    // saveall, then the rows hook whether or not the save went through.
    void saveThenTell(int firstRow, int lastRow);

    MatchRecord& m_record;
    MatchFile& m_file;
    std::function<void(int, int)> m_rowsHook;
};
