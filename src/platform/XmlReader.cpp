#include "XmlReader.h"

#include "FileErrors.h"
#include "UserError.h"
#include "XmlEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <vector>

namespace XmlReader {

namespace {

QString tooLarge(const QString& name)
{
    return QStringLiteral("Die Datei „%1“ ist zu groß (mehr als %2 MB oder %3 Elemente). Eine Kampf- oder "
                          "Einstellungsdatei ist nur wenige Kilobyte groß; diese wird nicht geöffnet.")
        .arg(name)
        .arg(kMaxFileBytes / (1024 * 1024))
        .arg(kMaxNodes);
}

} // namespace

QByteArray readFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht geöffnet werden: %2")
                            .arg(name, germanFileError(file.error())));
    if (file.size() > kMaxFileBytes)
        throw UserError(tooLarge(name));
    // Bounded also where the size says nothing (a device, a file still growing).
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                            .arg(name, germanFileError(file.error())));
    return bytes;
}

Tree fromBytes(const QByteArray& bytes, const QString& name)
{
    if (bytes.size() > kMaxFileBytes)
        throw UserError(tooLarge(name));
    XmlEncoding::Decoded d = XmlEncoding::decode(bytes);
    Tree tree = fromText(d.text, name);
    tree.bom = d.bom;
    tree.encoding = d.encoding;
    return tree;
}

Tree fromText(const QString& text, const QString& name)
{
    QDomDocument dom;
    // A default-constructed document is a null node until its first create call; the frames
    // below hold copies of it, which must already refer to the document.
    dom.createTextNode(QString());
    QString doctype;
    int nodes = 0;
    const auto count = [&] {
        if (++nodes > kMaxNodes)
            throw UserError(tooLarge(name));
    };

    // The declaration is kept as QDomDocument keeps it: a processing instruction "xml" in front,
    // with the pseudo-attributes as written.
    if (text.startsWith(QLatin1String("<?xml")) && text.size() > 5 && text.at(5).isSpace()) {
        const qsizetype end = text.indexOf(QLatin1String("?>"));
        if (end > 0) {
            QString data = text.mid(5, end - 5);
            qsizetype lead = 0;
            while (lead < data.size() && data.at(lead).isSpace())
                ++lead;
            dom.appendChild(dom.createProcessingInstruction(kDeclarationTarget, data.mid(lead)));
        }
    }

    struct Frame
    {
        QDomNode node;
        QString text;
        bool hasElementChild = false;
        bool keptBlank = false;
    };
    std::vector<Frame> stack;
    stack.push_back({dom, {}, false, false});

    // Text is gathered until the next node; blank text between elements is dropped, blank text
    // that is an element's whole content is kept.
    enum class Next
    {
        Element,
        Other,
        End
    };
    const auto flush = [&](Frame& f, Next next) {
        if (f.text.isEmpty())
            return;
        const bool blank = isBlank(f.text);
        if (stack.size() == 1 ||
            (blank && (next == Next::Element || (next == Next::End && f.hasElementChild)))) {
            f.text.clear();
            return;
        }
        count();
        f.node.appendChild(dom.createTextNode(f.text));
        f.keptBlank = f.keptBlank || blank;
        f.text.clear();
    };

    QXmlStreamReader r(text);
    r.setNamespaceProcessing(false);
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case QXmlStreamReader::StartElement: {
            Frame& f = stack.back();
            flush(f, Next::Element);
            f.hasElementChild = true;
            if (int(stack.size()) > kMaxDepth)
                throw UserError(
                    QStringLiteral("Die Datei „%1“ ist zu tief verschachtelt (mehr als %2 Ebenen); "
                                   "sie wird nicht geöffnet.")
                        .arg(name)
                        .arg(kMaxDepth));
            count();
            QDomElement e = dom.createElement(r.qualifiedName().toString());
            const QXmlStreamAttributes attrs = r.attributes();
            for (const QXmlStreamAttribute& a : attrs)
                e.setAttribute(a.qualifiedName().toString(), a.value().toString());
            f.node.appendChild(e);
            stack.push_back({e, {}, false, false});
            break;
        }
        case QXmlStreamReader::EndElement: {
            Frame& f = stack.back();
            flush(f, Next::End);
            if (f.hasElementChild && f.keptBlank) {
                // Blank text kept before a comment, before the first child element came.
                for (QDomNode c = f.node.firstChild(); !c.isNull();) {
                    const QDomNode next = c.nextSibling();
                    if (c.isText() && isBlank(c.nodeValue()))
                        f.node.removeChild(c);
                    c = next;
                }
            }
            stack.pop_back();
            break;
        }
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            stack.back().text += r.text();
            break;
        case QXmlStreamReader::Comment:
            flush(stack.back(), Next::Other);
            count();
            stack.back().node.appendChild(dom.createComment(r.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            flush(stack.back(), Next::Other);
            count();
            stack.back().node.appendChild(dom.createProcessingInstruction(
                r.processingInstructionTarget().toString(), r.processingInstructionData().toString()));
            break;
        case QXmlStreamReader::DTD:
            doctype = r.text().toString();
            break;
        default:
            break;
        }
    }
    if (r.hasError()) {
        const QString where = QStringLiteral("(Zeile %1, Spalte %2): %3")
                                  .arg(r.lineNumber())
                                  .arg(r.columnNumber())
                                  .arg(r.errorString());
        if (name.isEmpty())
            throw UserError(QStringLiteral("Ungültiges XML-Dokument ") + where);
        throw UserError(QStringLiteral("Die Datei „%1“ ist kein gültiges XML-Dokument ").arg(name) + where);
    }
    return {dom, doctype, {}, {}};
}

} // namespace XmlReader
