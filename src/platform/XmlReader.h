#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QString>

// Builds the element tree of a match or settings file from QXmlStreamReader's tokens, so a value
// made only of blanks is kept (QDomDocument::setContent drops it); whitespace between elements
// is not kept. The declaration is kept as QDomDocument keeps it: a processing instruction "xml"
// in front, with the pseudo-attributes as written. Every failure throws UserError with the
// German message; `name` (the file's name) is used in messages only.
namespace XmlReader {

// Beyond these a file is refused with a German message: a real match file is about 15 kB
// with some 400 elements, a settings file smaller still.
inline constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxNodes = 600'000;
inline constexpr int kMaxDepth = 64;

// The target of the processing instruction that holds the declaration.
inline constexpr QLatin1String kDeclarationTarget("xml");

// Text made only of these is dropped between elements and kept as an element's whole content.
inline bool isBlank(const QString& text)
{
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            return false;
    return true;
}

struct Tree
{
    QDomDocument dom;
    QString doctype;  // the document type declaration as read, written back before the root
    QByteArray bom;   // the byte-order mark the file began with
    QString encoding; // what the bytes were decoded with; empty for text given decoded
};

// The file's bytes, at most kMaxFileBytes + 1 of them (fromBytes refuses more).
QByteArray readFile(const QString& path);
// The tree of a file's bytes, decoded as XmlEncoding::decode says.
Tree fromBytes(const QByteArray& bytes, const QString& name);
// The tree of text already decoded.
Tree fromText(const QString& text, const QString& name);

} // namespace XmlReader
