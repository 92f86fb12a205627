#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// Which bytes hold which text in the console's XML files: how a file's bytes are decoded, which
// characters an encoding can hold, and which encoding a save writes.
namespace XmlEncoding {

// Whether XML can carry the character at all; not even a character reference can stand for
// one that it cannot.
inline bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

struct Decoded
{
    QString text;
    QString encoding; // what the bytes were decoded with ("UTF-8", "windows-1252", "UTF-16LE", ...)
    QByteArray bom;   // the byte-order mark the bytes began with
};

// Decodes file bytes honouring a byte-order mark and the declared encoding (Latin-1 is read as
// Windows-1252, which is what files written on Windows really contain; undeclared or unknown
// encodings as UTF-8, or as Windows-1252 where the bytes are no UTF-8).
Decoded decode(const QByteArray& bytes);

// Which characters an encoding can hold, asked once per character.
class Repertoire
{
public:
    enum Kind
    {
        All,
        Latin1,
        Codec
    };
    explicit Repertoire(Kind kind, QByteArray codec = {}) : m_kind(kind), m_codec(std::move(codec)) {}

    bool has(char32_t c)
    {
        switch (m_kind) {
        case All:
            return true;
        case Latin1:
            // C1 controls too: the reader decodes Windows-1252, which would turn them into €, „ ...
            return c < 0x80 || (c >= 0xA0 && c <= 0xFF);
        case Codec:
            break;
        }
        return codecHas(c);
    }

private:
    bool codecHas(char32_t c);

    Kind m_kind;
    QByteArray m_codec;
    QHash<char32_t, bool> m_cache;
};

// What a save turns the text into: which characters the bytes can hold, how the text becomes
// bytes, what goes in front of it.
struct Target
{
    Repertoire::Kind kind;
    QByteArray codec; // "UTF-8", "ISO-8859-1" (references already made), or a codec name
    QByteArray bom;
};

Target latin1();
// A UTF-8 mark read is written again; any other mark belongs to another encoding.
Target utf8(const QByteArray& bomRead);

// The bytes of `text` in the target's codec; characters it lacks must already be references.
QByteArray encode(const QString& text, const QByteArray& codec);

// The encoding a declaration's pseudo-attributes name, trimmed; empty when they name none.
QString declaredIn(const QString& declaration);

// The target of a file that names its own encoding, and the encoding its declaration must name
// instead (empty: the declaration stays as it is).
struct DeclaredTarget
{
    Target target;
    QString rename;
};

// `declared` is the declaration's encoding (empty where there is none), `bomRead` and
// `readEncoding` what the last load found. Where the declared encoding is unknown, the file is
// written as it was read and the declaration renamed to say so.
DeclaredTarget forDeclared(const QString& declared, const QByteArray& bomRead, const QString& readEncoding);

// The same file as UTF-8, its declaration saying so where it named something else.
DeclaredTarget asUtf8(DeclaredTarget choice, const QString& declared, const QByteArray& bomRead);

} // namespace XmlEncoding
