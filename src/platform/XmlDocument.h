#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

// The element-only XML document the match file and the settings file live in.
// Files are written as ISO-8859-1: every character of the Latin-1 range as one byte, every
// other one as a character reference, so no name is ever lost to "?". Saving goes through a
// temporary file renamed over the target, so a failed save leaves the previous file intact.
class XmlDocument
{
public:
    bool isActive() const { return m_active; }
    void close();

    // Loads and activates the document. On failure the document stays inactive and
    // UserError carries the German message.
    void load(const QString& path);
    // Parses bytes as a file's content would be; `name` is used in messages only.
    void loadFromBytes(const QByteArray& bytes, const QString& name);
    // Replaces the whole document by the given text and activates it.
    void setContentText(const QString& xml);

    // Writes the document to `path` through temp file and rename; throws UserError on failure.
    void save(const QString& path) const;
    QByteArray toBytes() const;

    // For files whose declaration belongs to the file, not to this class: the document's own
    // declaration (or none) is written as it stands, and the bytes follow it: Latin-1 with
    // character references when it names the Latin-1 family, UTF-8 otherwise (also when it
    // names no encoding, which XML reads as UTF-8). Same temp-and-rename as save().
    void saveAsDeclared(const QString& path) const;
    QByteArray toBytesAsDeclared() const;

    QDomDocument& dom() { return m_dom; }
    const QDomDocument& dom() const { return m_dom; }

    // The document element named `name`, created when the document has none.
    QDomElement root(const QString& name);

    // The first child element of that name, appended empty when missing.
    static QDomElement child(QDomElement parent, const QString& name);
    static QString text(const QDomElement& element);
    static void setText(QDomElement element, const QString& value);

    // Latin-1 bytes with character references for what Latin-1 cannot hold.
    static QByteArray encodeLatin1(const QString& xml);
    // Decodes file bytes honouring the declared encoding (Latin-1 is read as Windows-1252,
    // which is what files written on Windows really contain).
    static QString decodeFile(const QByteArray& bytes);

    // Writes `bytes` to `path` through a temporary file renamed over it; a short write or a
    // failed rename throws UserError and leaves the previous file as it was.
    static void writeFile(const QString& path, const QByteArray& bytes);

private:
    QDomDocument m_dom;
    bool m_active = false;
};
