#pragma once

#include "match/MatchRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The results export file for ZELMO: a header line with the match data, then one line per
// bout row of the grid, empty rows included. Built whole in memory, so a row that fails
// leaves no file behind.
class ZelmoExport
{
public:
    // k = 1: the text before the first blank (all of it when there is none);
    // k = 2: everything after the first blank, later blanks included.
    static QString namensteil(const QString& text, int k);

    // The header line; `punkteheim`/`punktegast` are the team score labels. A line break in the
    // remarks is written as " / ", in any other value (here and in a bout line) as one blank.
    static QString headerLine(const MatchRecord& record, const QString& punkteheim,
                              const QString& punktegast);
    // The line of one bout row. Throws the conversion error at a time that is not a number.
    static QString boutLine(const BoutRow& row);
    static QStringList lines(const MatchRecord& record, const QString& punkteheim, const QString& punktegast);

    // The file's bytes: Windows-1252, CR LF after every line. Throws UserError, naming the
    // character and the line, when a character can be written neither as itself nor as its
    // letter without accents, when it is a control character, or when its stand-in is ";".
    static QByteArray encode(const QStringList& lines);

    // Builds every line, then replaces `path` with the file through the durable write. Returns
    // the lines written.
    static QStringList write(const QString& path, const MatchRecord& record, const QString& punkteheim,
                             const QString& punktegast);
};
