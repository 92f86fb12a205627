#include "XmlDocument.h"

#include "DurableFile.h"
#include "UserError.h"
#include "XmlEncoding.h"
#include "XmlReader.h"
#include "XmlWriter.h"

#include <QFileInfo>

void XmlDocument::close()
{
    m_dom.clear();
    m_active = false;
    m_doctype.clear();
    m_bom.clear();
    m_readEncoding.clear();
}

QString XmlDocument::decodeFile(const QByteArray& bytes)
{
    return XmlEncoding::decode(bytes).text;
}

void XmlDocument::load(const QString& path)
{
    close();
    loadFromBytes(XmlReader::readFile(path), QFileInfo(path).fileName());
}

void XmlDocument::loadFromBytes(const QByteArray& bytes, const QString& name)
{
    close();
    adopt(XmlReader::fromBytes(bytes, name));
}

void XmlDocument::setContentText(const QString& xml)
{
    close();
    adopt(XmlReader::fromText(xml, QString()));
    m_readEncoding = QStringLiteral("UTF-8");
}

void XmlDocument::adopt(XmlReader::Tree tree)
{
    m_dom = std::move(tree.dom);
    m_doctype = std::move(tree.doctype);
    m_bom = std::move(tree.bom);
    m_readEncoding = std::move(tree.encoding);
    m_active = true;
}

QString XmlDocument::canonical() const
{
    return XmlWriter::canonical(m_dom, m_doctype);
}

QByteArray XmlDocument::encode(Format format, bool forceUtf8) const
{
    if (format == Format::Match)
        return XmlWriter::matchFile(m_dom, m_doctype, forceUtf8);
    return XmlWriter::asDeclared(m_dom, m_doctype, m_bom, m_readEncoding, forceUtf8);
}

QByteArray XmlDocument::toBytes() const
{
    return encode(Format::Match, false);
}

QByteArray XmlDocument::checkedBytes(Format format, const QString& path) const
{
    const QString name = QFileInfo(path).fileName();
    const QString expected = canonical();
    QString problem;
    for (const bool forceUtf8 : {false, true}) {
        const QByteArray bytes = encode(format, forceUtf8);
        XmlDocument back;
        try {
            back.loadFromBytes(bytes, name);
        } catch (const UserError& e) {
            problem = e.message();
            continue;
        }
        if (back.canonical() == expected)
            return bytes;
        problem = QStringLiteral("der Inhalt käme verändert zurück");
    }
    throw UserError(
        QStringLiteral("Die Datei „%1“ wird nicht gespeichert, weil sie danach nicht mehr richtig zu "
                       "lesen wäre: %2\n%3")
            .arg(name, problem, DurableFile::keptNote(QFileInfo(path).isFile())));
}

void XmlDocument::save(const QString& path) const
{
    writeFile(path, checkedBytes(Format::Match, path));
}

void XmlDocument::saveAsDeclared(const QString& path) const
{
    writeFile(path, checkedBytes(Format::AsDeclared, path));
}

void XmlDocument::writeFile(const QString& path, const QByteArray& bytes)
{
    DurableFile::replace(path, bytes);
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
    // Characters XML cannot carry at all (stray control codes pasted into a field) would make
    // the whole file unreadable; they are dropped instead.
    QString clean;
    bool dirty = false;
    for (const char32_t c : value.toUcs4())
        if (!XmlEncoding::isXmlChar(c)) {
            dirty = true;
            break;
        }
    if (dirty) {
        for (const char32_t c : value.toUcs4())
            if (XmlEncoding::isXmlChar(c))
                clean += QString::fromUcs4(&c, 1);
    } else {
        clean = value;
    }

    // The usual case, one text child: changed in place (or left), nothing made anew.
    QDomNode first = element.firstChild();
    if (!first.isNull() && first.nextSibling().isNull() && first.isText() && !first.isCDATASection()) {
        if (clean.isEmpty()) {
            element.removeChild(first);
        } else {
            QDomText t = first.toText();
            if (t.data() != clean)
                t.setData(clean);
        }
        return;
    }
    while (!element.firstChild().isNull())
        element.removeChild(element.firstChild());
    if (!clean.isEmpty())
        element.appendChild(element.ownerDocument().createTextNode(clean));
}
