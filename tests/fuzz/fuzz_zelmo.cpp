// Whatever a match holds, its ZELMO export splits back into the header line and one line per
// grid row, each ending in CR LF, with 14 fields each, more only by the ";" the values themselves
// hold. An export that is refused says why and leaves the previous file as it was.
//
// The input is UTF-8 text: records separated by U+001E, values inside a record by U+001F. The
// first record is the header (liga, datum, heim, gast, zuschauer, ml, bemerkungen, then the two
// team score labels), every further record a grid row with its cells in column order.
#include "FuzzSupport.h"

#include "exchange/ZelmoExport.h"
#include "match/MatchFields.h"
#include "match/MatchRecord.h"

#include <QList>

#include <algorithm>

namespace {

constexpr int kMaxRows = 40;
constexpr qsizetype kFields = 14; // of every line, the header's four fixed ones included
const QStringList kHeaderFields = {"liga", "datum", "heim", "gast", "zuschauer", "ml", "bemerkungen"};

// The bout columns written as they stand. The scoring strings are written one character per
// action, and which of their characters reach the file depends on both strings together, so the
// input's ";" in them are taken as another character to keep the count of fields exact.
const QList<int> kWrittenColumns = {0, 3, 4, 5, 6, 8, 10, 11, 12, 13, 15, 16, 17, 18};

qsizetype semicolons(const QStringList& values)
{
    qsizetype n = 0;
    for (const QString& v : values)
        n += v.count(QLatin1Char(';'));
    return n;
}

QString shownLine(const QByteArray& line)
{
    return fuzz::shown(QString::fromLatin1(line));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList records = QString::fromUtf8(fuzz::bytesOf(data, size)).split(QChar(0x1E));
    const QStringList head = records.first().split(QChar(0x1F));
    const auto value = [](const QStringList& values, qsizetype i) {
        return i < values.size() ? values.at(i) : QString();
    };

    MatchRecord record;
    record.setRowCount(int(std::min<qsizetype>(records.size(), kMaxRows + 1)));
    QStringList headerValues;
    for (qsizetype i = 0; i < kHeaderFields.size(); ++i) {
        record.setHeader(kHeaderFields.at(i), value(head, i));
        headerValues << value(head, i);
    }
    const QString punkteheim = value(head, kHeaderFields.size());
    const QString punktegast = value(head, kHeaderFields.size() + 1);
    headerValues << punkteheim << punktegast;

    QList<qsizetype> expectedSemicolons = {semicolons(headerValues)};
    for (int row = 1; row < record.rowCount(); ++row) {
        const QStringList cells = records.at(row).split(QChar(0x1F));
        QStringList written;
        for (int column = 0; column < MatchFields::ColumnCount; ++column) {
            QString text = value(cells, column);
            if (column == MatchFields::ColWertungenRot || column == MatchFields::ColWertungenBlau)
                text.replace(QLatin1Char(';'), QLatin1Char('+'));
            record.setCell(column, row, text);
            if (kWrittenColumns.contains(column))
                written << text;
        }
        expectedSemicolons << semicolons(written);
    }

    const QString path = fuzz::writeInput(fuzz::freshFolder(), QStringLiteral("zelmo.txt"), "vorher");
    try {
        ZelmoExport::write(path, record, punkteheim, punktegast);
    } catch (const UserError& e) {
        fuzz::requireMessage(e);
        QFile previous(path);
        fuzz::require(previous.open(QIODevice::ReadOnly) && previous.readAll() == "vorher",
                      "a refused export leaves the previous file", e.message());
        return 0;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fuzz::fail("the written file can be read", path);
    const QByteArray bytes = file.readAll();
    fuzz::require(bytes.endsWith("\r\n"), "the last line ends in CR LF");
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    fuzz::require(lines.size() == record.rowCount(), "one line per grid row plus the header",
                  QStringLiteral("%1 lines for %2 rows").arg(lines.size()).arg(record.rowCount() - 1));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (i + 1 < lines.size()) {
            fuzz::require(line.endsWith('\r'), "every line ends in CR LF", shownLine(line));
            line.chop(1);
        }
        for (const char c : line) {
            fuzz::require(uchar(c) >= 0x20 && uchar(c) != 0x7F, "no control byte inside a line",
                          shownLine(line));
        }
        if (i == 0) {
            fuzz::require(line.startsWith("zelmoi;2.0.0;MK;0;"), "the header line starts with its fixed text",
                          shownLine(line));
        }
        const qsizetype fields = line.count(';') + 1;
        fuzz::require(fields == kFields + expectedSemicolons.at(i),
                      i == 0 ? "the header line has its fields" : "a bout line has its fields",
                      QStringLiteral("line %1, %2 fields, %3 semicolons in its values: %4")
                          .arg(i)
                          .arg(fields)
                          .arg(expectedSemicolons.at(i))
                          .arg(shownLine(line)));
    }
    return 0;
}
