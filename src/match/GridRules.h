#pragma once

#include <Qt>

class MatchRecord;
class QString;

namespace GridRules {

// Gives every bout row without an order number the number after the highest one found above
// it; numbers already present never change. Throws the conversion error at an order cell that
// is not a decimal integer (rows above keep the numbers just given).
void numberBouts(MatchRecord& record);

// The grid cell selected last (`gridCol`, `gridRow`). Column 0 of the caption row until the
// first selection, which names no bout.
struct GridCell
{
    int column = 0;
    int row = 0;
};

// Fills the empty first name, last name, status and year cells of the side whose licence cell
// `left` is (column 5 or 12) from the licence-data file, in the section named by that cell.
// Cells holding any text stay. A missing file, section or key changes nothing and reports
// nothing; nothing is saved.
void lookupLicence(MatchRecord& record, const GridCell& left, const QString& licenceFile);

// The selection moves to [column, row]: the lookup runs for the remembered cell, which then
// becomes [column, row].
void protokollSelectCell(MatchRecord& record, GridCell& remembered, int column, int row,
                         const QString& licenceFile);

// Del with Ctrl clears columns 2 to 22 of the remembered row, with Shift the results (column 8
// and 15 to 22). Weight class, style and order number always stay; nothing is saved, and the
// caption row (no selection yet) is never touched. True when a row was cleared.
bool protokollKeyDown(MatchRecord& record, const GridCell& remembered, int key,
                      Qt::KeyboardModifiers modifiers);

} // namespace GridRules
