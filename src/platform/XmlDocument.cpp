#include "XmlDocument.h"

#include "FileErrors.h"
#include "UserError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextStream>

namespace {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>";

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

QString declaredEncoding(const QByteArray& bytes)
{
    static const QRegularExpression re(QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const auto m = re.match(QString::fromLatin1(bytes.left(200)));
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

bool isLatin1Family(const QString& enc)
{
    return enc == QLatin1String("iso-8859-1") || enc == QLatin1String("latin1") || enc == QLatin1String("latin-1")
        || enc == QLatin1String("windows-1252") || enc == QLatin1String("cp1252")
        || enc == QLatin1String("iso8859-1");
}

} // namespace

void XmlDocument::close()
{
    m_dom.clear();
    m_active = false;
}

QString XmlDocument::decodeFile(const QByteArray& bytes)
{
    const QString enc = declaredEncoding(bytes);
    if (isLatin1Family(enc)) {
        QStringDecoder decoder("windows-1252");
        if (decoder.isValid())
            return decoder.decode(bytes);
        return QString::fromLatin1(bytes);
    }
    if (enc.isEmpty() || enc == QLatin1String("utf-8") || enc == QLatin1String("utf8"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(enc.toLatin1().constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    return QString::fromLatin1(bytes);
}

void XmlDocument::load(const QString& path)
{
    close();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht geöffnet werden: %2")
                            .arg(QFileInfo(path).fileName(), germanFileError(file.error())));
    loadFromBytes(file.readAll(), QFileInfo(path).fileName());
}

void XmlDocument::loadFromBytes(const QByteArray& bytes, const QString& name)
{
    close();
    const QString text = decodeFile(bytes);
    QDomDocument dom;
    QString msg;
    int line = 0;
    int col = 0;
    if (!dom.setContent(text, &msg, &line, &col))
        throw UserError(QStringLiteral("Die Datei „%1“ ist kein gültiges XML-Dokument (Zeile %2, Spalte %3): %4")
                            .arg(name)
                            .arg(line)
                            .arg(col)
                            .arg(msg));
    m_dom = dom;
    m_active = true;
}

void XmlDocument::setContentText(const QString& xml)
{
    close();
    QDomDocument dom;
    QString msg;
    int line = 0;
    int col = 0;
    if (!dom.setContent(xml, &msg, &line, &col))
        throw UserError(QStringLiteral("Ungültiges XML-Dokument (Zeile %1, Spalte %2): %3").arg(line).arg(col).arg(msg));
    m_dom = dom;
    m_active = true;
}

QByteArray XmlDocument::encodeLatin1(const QString& xml)
{
    QByteArray out;
    out.reserve(xml.size() + 64);
    const auto ucs4 = xml.toUcs4();
    for (const char32_t c : ucs4) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.append(char(c));
        } else {
            // C1 controls too: the reader decodes Windows-1252, which would turn them into €, „ ...
            out.append("&#");
            out.append(QByteArray::number(quint32(c)));
            out.append(';');
        }
    }
    return out;
}

QByteArray XmlDocument::toBytes() const
{
    QString body;
    QTextStream ts(&body);
    for (QDomNode n = m_dom.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isProcessingInstruction() && n.nodeName() == QLatin1String("xml"))
            continue;
        n.save(ts, -1);
    }
    ts.flush();
    return QByteArray(kDeclaration) + encodeLatin1(body);
}

QByteArray XmlDocument::toBytesAsDeclared() const
{
    QString text;
    QTextStream ts(&text);
    QString enc;
    for (QDomNode n = m_dom.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isProcessingInstruction() && n.nodeName() == QLatin1String("xml")) {
            // The parser keeps the declaration's pseudo-attributes as the node's data.
            enc = declaredEncoding("<?xml " + n.toProcessingInstruction().data().toLatin1() + "?>");
        }
        n.save(ts, -1);
    }
    ts.flush();
    return isLatin1Family(enc) ? encodeLatin1(text) : text.toUtf8();
}

void XmlDocument::save(const QString& path) const
{
    writeFile(path, toBytes());
}

void XmlDocument::saveAsDeclared(const QString& path) const
{
    writeFile(path, toBytesAsDeclared());
}

void XmlDocument::writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const QString name = QFileInfo(path).fileName();
    // Unbuffered: a buffered QSaveFile flushes at commit and takes a short write there (a full
    // disk) for success, renaming a truncated file over the good one. Written directly, the
    // short write shows in the count below and the previous file stays.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht gespeichert werden: %2")
                            .arg(name, germanFileError(file.error())));
    if (file.write(bytes) != bytes.size()) {
        const auto err = file.error();
        file.cancelWriting();
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht gespeichert werden: %2").arg(name, germanFileError(err)));
    }
    if (!file.commit())
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht gespeichert werden: %2")
                            .arg(name, germanFileError(file.error())));
}

QDomElement XmlDocument::root(const QString& name)
{
    QDomElement r = m_dom.documentElement();
    if (r.isNull()) {
        r = m_dom.createElement(name);
        m_dom.appendChild(r);
    }
    return r;
}

QDomElement XmlDocument::child(QDomElement parent, const QString& name)
{
    QDomElement e = parent.firstChildElement(name);
    if (e.isNull()) {
        e = parent.ownerDocument().createElement(name);
        parent.appendChild(e);
    }
    return e;
}

QString XmlDocument::text(const QDomElement& element)
{
    return element.text();
}

void XmlDocument::setText(QDomElement element, const QString& value)
{
    while (!element.firstChild().isNull())
        element.removeChild(element.firstChild());
    if (value.isEmpty())
        return;
    // Characters XML cannot carry at all (stray control codes pasted into a field) would make
    // the whole file unreadable; they are dropped instead.
    QString clean;
    clean.reserve(value.size());
    const auto ucs4 = value.toUcs4();
    bool dirty = false;
    for (const char32_t c : ucs4) {
        if (isXmlChar(c))
            continue;
        dirty = true;
        break;
    }
    if (dirty) {
        for (const char32_t c : ucs4)
            if (isXmlChar(c))
                clean += QString::fromUcs4(&c, 1);
    } else {
        clean = value;
    }
    element.appendChild(element.ownerDocument().createTextNode(clean));
}
