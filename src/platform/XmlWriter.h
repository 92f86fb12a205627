#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QString>

// Writes an element tree (with the document type declaration read, `doctype`) as the bytes of
// a file. Text and attribute values escape what they must, and a character the file's encoding
// lacks goes as a character reference; blank text between elements is left out, as XmlReader
// leaves it out, so what is written is what reads back.
namespace XmlWriter {

// The tree as text with every character as itself: what a written file is checked against.
QString canonical(const QDomDocument& dom, const QString& doctype);

// A match file: ISO-8859-1 and declared so; UTF-8 and declared so when a name, comment or
// processing instruction holds a character Latin-1 cannot, or when `forceUtf8`.
QByteArray matchFile(const QDomDocument& dom, const QString& doctype, bool forceUtf8);

// A file whose declaration belongs to it: the bytes and mark XmlEncoding::forDeclared chooses
// from the declaration and what the last load found (`bomRead`, `readEncoding`); UTF-8 when the
// declared encoding cannot hold the markup, or when `forceUtf8`, the declaration then saying so.
QByteArray asDeclared(const QDomDocument& dom, const QString& doctype, const QByteArray& bomRead,
                      const QString& readEncoding, bool forceUtf8);

} // namespace XmlWriter
