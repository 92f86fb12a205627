// A match file that opens must survive a save unchanged: open, save, open again gives the same
// header fields and bout rows. A file that does not open fails with a message.
#include "FuzzSupport.h"

#include "match/MatchFields.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"

namespace {

QString differences(const MatchRecord& before, const MatchRecord& after)
{
    QString out;
    for (const QString& field : MatchFields::editableHeaderFields()) {
        if (before.header(field) != after.header(field))
            out += QStringLiteral("%1: %2 -> %3\n")
                       .arg(field, fuzz::shown(before.header(field)), fuzz::shown(after.header(field)));
    }
    if (before.rowCount() != after.rowCount())
        return out + QStringLiteral("rows: %1 -> %2\n").arg(before.rowCount()).arg(after.rowCount());
    for (int row = 1; row < before.rowCount(); ++row) {
        for (int column = 0; column < MatchFields::ColumnCount; ++column) {
            if (before.cell(column, row) != after.cell(column, row))
                out += QStringLiteral("row %1 %2: %3 -> %4\n")
                           .arg(row)
                           .arg(MatchFields::boutColumns().at(column), fuzz::shown(before.cell(column, row)),
                                fuzz::shown(after.cell(column, row)));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path =
        fuzz::writeInput(fuzz::freshFolder(), QStringLiteral("Heim-Gast.ptlx"), fuzz::bytesOf(data, size));

    MatchRecord first;
    MatchFile firstFile(first);
    try {
        firstFile.open(path);
    } catch (const UserError& e) {
        fuzz::requireMessage(e);
        return 0;
    }
    try {
        firstFile.saveall();
    } catch (const UserError& e) {
        fuzz::fail("a match file that opened can be saved", e.message());
    }

    MatchRecord second;
    MatchFile secondFile(second);
    try {
        secondFile.open(path);
    } catch (const UserError& e) {
        fuzz::fail("a saved match file opens again", e.message());
    }
    const QString changed = differences(first, second);
    fuzz::require(changed.isEmpty(), "open, save, open gives the same match", changed);
    return 0;
}
