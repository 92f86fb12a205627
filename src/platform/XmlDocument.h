#pragma once

#include "XmlReader.h"

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QString>

// The element-only XML document the match file and the settings file live in; callers use this
// class, which the reader (XmlReader), the writer (XmlWriter) and the encodings (XmlEncoding)
// work behind.
//
// Reading builds the tree from QXmlStreamReader's tokens, so a value made only of blanks is
// kept (QDomDocument::setContent drops it); whitespace between elements is not kept.
// Writing serialises the tree itself and checks, before the file is replaced, that the bytes
// load again into the same tree: a file the console cannot read back is never written.
// Match files are written as ISO-8859-1 (every character of the Latin-1 range as one byte,
// every other one in text as a character reference); when a name, comment or processing
// instruction holds a character Latin-1 cannot, the file is written as UTF-8 and declared so.
// Files are replaced durably (DurableFile): a failed save leaves the previous file intact.
class XmlDocument
{
public:
    // Beyond these a file is refused with a German message (see XmlReader).
    static constexpr qint64 kMaxFileBytes = XmlReader::kMaxFileBytes;
    static constexpr int kMaxNodes = XmlReader::kMaxNodes;
    static constexpr int kMaxDepth = XmlReader::kMaxDepth;

    bool isActive() const { return m_active; }
    void close();

    // Loads and activates the document. On failure the document stays inactive and
    // UserError carries the German message.
    void load(const QString& path);
    // Parses bytes as a file's content would be; `name` is used in messages only.
    void loadFromBytes(const QByteArray& bytes, const QString& name);
    // Replaces the whole document by the given text and activates it.
    void setContentText(const QString& xml);

    // Writes the document to `path` in the match file's encoding (see above), checked and
    // durably; throws UserError on failure, the previous file then stays as it was.
    void save(const QString& path) const;
    QByteArray toBytes() const;

    // For files whose declaration belongs to the file, not to this class (set.xml): the bytes
    // are those the declaration names (ISO-8859-15, windows-1250, UTF-16, ...; none named is
    // UTF-8), a byte-order mark read is written again, and text the encoding cannot hold goes
    // as character references. Where the declared encoding is unknown, or cannot hold a name,
    // comment or processing instruction, the file is written as UTF-8 (or as the encoding it was
    // read in, for an unknown name) and the declaration is changed to say so.
    void saveAsDeclared(const QString& path) const;

    QDomDocument& dom() { return m_dom; }
    const QDomDocument& dom() const { return m_dom; }

    // The document element named `name`, created when the document has none.
    QDomElement root(const QString& name);

    // The first child element of that name, appended empty when missing.
    static QDomElement child(QDomElement parent, const QString& name);
    static QString text(const QDomElement& element);
    static void setText(QDomElement element, const QString& value);

    // Decodes file bytes honouring a byte-order mark and the declared encoding (Latin-1 is read
    // as Windows-1252, which is what files written on Windows really contain; undeclared or
    // unknown encodings as UTF-8, or as Windows-1252 where the bytes are no UTF-8).
    static QString decodeFile(const QByteArray& bytes);

    // Writes `bytes` to `path` through a synced temporary file renamed over it; any failure
    // throws UserError naming the cause and leaves the previous file as it was (or none).
    static void writeFile(const QString& path, const QByteArray& bytes);

private:
    enum class Format
    {
        Match,
        AsDeclared
    };
    void adopt(XmlReader::Tree tree);
    QByteArray encode(Format format, bool forceUtf8) const;
    QByteArray checkedBytes(Format format, const QString& path) const;
    QString canonical() const;

    QDomDocument m_dom;
    bool m_active = false;
    QString m_doctype;      // the document type declaration as read, written back before the root
    QByteArray m_bom;       // the byte-order mark the file began with
    QString m_readEncoding; // what the bytes were decoded with
};
