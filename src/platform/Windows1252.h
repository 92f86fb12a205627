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
    // The first character (a code point, so one beyond the 16-bit range is named whole) that
    // could be written neither as itself nor as its base letter; 0 when everything was written.
    char32_t unwritable = 0;
};

// Every character the code page holds becomes its byte. A character it lacks is written as
// its compatibility decomposition without accents ("ć" as "c", "ﬁ" as "fi"), so a name keeps
// its letters; when even that is impossible the result names the character and is not to be
// used.
Encoded encode(const QString& text);

} // namespace Windows1252
