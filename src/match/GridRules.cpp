#include "GridRules.h"

#include "LicenceLookup.h"
#include "MatchRecord.h"
#include "platform/IntConvert.h"

#include <array>

using namespace MatchFields;

namespace GridRules {

void numberBouts(MatchRecord& record)
{
    int highest = 0;
    for (int r = 1; r < record.rowCount(); ++r) {
        const QString order = record.cell(ColReihenfolge, r);
        if (order.isEmpty()) {
            ++highest;
            record.setCell(ColReihenfolge, r, QString::number(highest));
        } else {
            highest = std::max(highest, strToInt(order));
        }
    }
}

void lookupLicence(MatchRecord& record, const GridCell& left, const QString& licenceFile)
{
    // Cells in the order of LicenceLookup's keys: first name, last name, status, year.
    static const std::array<int, LicenceLookup::KeyCount> red = {3, 4, 6, 7};
    static const std::array<int, LicenceLookup::KeyCount> blue = {10, 11, 13, 14};
    const std::array<int, LicenceLookup::KeyCount>* targets = nullptr;
    if (left.column == ColLizenzRot)
        targets = &red;
    else if (left.column == ColLizenzBlau)
        targets = &blue;
    if (!targets || left.row < 1)
        return;
    const QString licence = record.cell(left.column, left.row);
    if (licence.isEmpty())
        return;

    bool anyEmpty = false;
    for (int c : *targets)
        anyEmpty = anyEmpty || record.cell(c, left.row).isEmpty();
    // A fully named wrestler costs no file read.
    if (!anyEmpty)
        return;

    const std::optional<LicenceLookup::Entry> entry = LicenceLookup::read(licenceFile, licence);
    if (!entry)
        return;
    for (std::size_t i = 0; i < targets->size(); ++i) {
        const int c = (*targets)[i];
        if (record.cell(c, left.row).isEmpty())
            record.setCell(c, left.row, (*entry)[i]);
    }
}

void protokollSelectCell(MatchRecord& record, GridCell& remembered, int column, int row,
                         const QString& licenceFile)
{
    lookupLicence(record, remembered, licenceFile);
    remembered = GridCell{column, row};
}

bool protokollKeyDown(MatchRecord& record, const GridCell& remembered, int key,
                      Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_Delete || remembered.row < 1 ||
        !(modifiers & (Qt::ControlModifier | Qt::ShiftModifier)))
        return false;
    if (modifiers & Qt::ControlModifier) {
        for (int c = ColGewichtRot; c <= ColZeiten; ++c)
            record.setCell(c, remembered.row, QString());
    }
    if (modifiers & Qt::ShiftModifier) {
        record.setCell(ColPunkteRot, remembered.row, QString());
        for (int c = ColPunkteBlau; c <= ColZeiten; ++c)
            record.setCell(c, remembered.row, QString());
    }
    return true;
}

} // namespace GridRules
