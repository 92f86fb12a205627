#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Single-byte Windows-1252 text, as the outside Windows programs read it.
namespace Windows1252 {

// The byte for `c`, or nothing when the code page has no such character.
std::optional<char> byteFor(QChar c);

struct Encoded
{
    QByteArray bytes;
    // The first character that could be written neither as itself nor as its base letter;
    // null when everything was written.
    QChar unwritable;
};

// Every character the code page holds becomes its byte. A character it lacks is written as
// its compatibility decomposition without accents ("ć" as "c", "ﬁ" as "fi"), so a name keeps
// its letters; when even that is impossible the result names the character and is not to be
// used.
Encoded encode(const QString& text);

} // namespace Windows1252
