#include "GridRules.h"

#include "MatchRecord.h"
#include "platform/IntConvert.h"

namespace GridRules {

void numberBouts(MatchRecord& record)
{
    int highest = 0;
    for (int r = 1; r < record.rowCount(); ++r) {
        const QString order = record.cell(MatchFields::ColReihenfolge, r);
        if (order.isEmpty()) {
            ++highest;
            record.setCell(MatchFields::ColReihenfolge, r, QString::number(highest));
        } else {
            highest = std::max(highest, strToInt(order));
        }
    }
}

} // namespace GridRules
