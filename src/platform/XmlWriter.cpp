#include "XmlWriter.h"

#include "XmlEncoding.h"
#include "XmlReader.h"

#include <QRegularExpression>

#include <optional>

namespace XmlWriter {

namespace {

const char* const kLatin1Declaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>";
const char* const kUtf8Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";

// Writes a tree as XML text. Text and attribute values escape what they must, and a character
// the target encoding lacks goes as a character reference; markup (names, comments, processing
// instructions) cannot use references, so such a character there only clears markupFits.
// Blank text between elements is left out, as the reader leaves it out: what is written is
// what reads back.
class Serializer
{
public:
    explicit Serializer(XmlEncoding::Repertoire& repertoire) : m_rep(repertoire) {}

    QString out;
    bool markupFits = true;

    void topLevel(const QDomDocument& dom, const QString& doctype)
    {
        for (QDomNode n = dom.firstChild(); !n.isNull(); n = n.nextSibling()) {
            if (n.isElement()) {
                markup(doctype);
                element(n.toElement());
            } else if (n.isComment()) {
                comment(n);
            } else if (n.isProcessingInstruction() && n.nodeName() != XmlReader::kDeclarationTarget) {
                pi(n);
            }
        }
    }

    void markup(const QString& s)
    {
        forEach(s, [this](char32_t c) {
            if (!m_rep.has(c))
                markupFits = false;
            append(c);
        });
    }

    void text(const QString& s, bool attribute)
    {
        forEach(s, [this, attribute](char32_t c) {
            switch (c) {
            case '&':
                out += QLatin1String("&amp;");
                return;
            case '<':
                out += QLatin1String("&lt;");
                return;
            case '>':
                out += QLatin1String("&gt;");
                return;
            case '\r':
                out += QLatin1String("&#13;");
                return;
            case '"':
            case '\n':
            case '\t':
                if (attribute) {
                    out += QStringLiteral("&#%1;").arg(quint32(c));
                    return;
                }
                break;
            default:
                break;
            }
            if (m_rep.has(c))
                append(c);
            else
                out += QStringLiteral("&#%1;").arg(quint32(c));
        });
    }

private:
    template <typename F> static void forEach(const QString& s, F&& f)
    {
        const QChar* p = s.constData();
        const qsizetype n = s.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = p[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(p[i], p[i + 1]);
                ++i;
            }
            // Characters XML cannot carry at all would make the whole file unreadable.
            if (XmlEncoding::isXmlChar(c))
                f(c);
        }
    }

    void append(char32_t c)
    {
        if (c < 0x10000) {
            out += QChar(char16_t(c));
        } else {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        }
    }

    void comment(const QDomNode& n)
    {
        out += QLatin1String("<!--");
        markup(n.nodeValue());
        out += QLatin1String("-->");
    }

    void pi(const QDomNode& n)
    {
        out += QLatin1String("<?");
        markup(n.nodeName());
        const QString data = n.nodeValue();
        if (!data.isEmpty()) {
            out += QLatin1Char(' ');
            markup(data);
        }
        out += QLatin1String("?>");
    }

    void element(const QDomElement& e)
    {
        const QString name = e.tagName();
        out += QLatin1Char('<');
        markup(name);
        if (e.hasAttributes()) {
            const QDomNamedNodeMap attrs = e.attributes();
            for (int i = 0; i < attrs.count(); ++i) {
                const QDomNode a = attrs.item(i);
                out += QLatin1Char(' ');
                markup(a.nodeName());
                out += QLatin1String("=\"");
                text(a.nodeValue(), true);
                out += QLatin1Char('"');
            }
        }
        bool hasElementChild = false;
        for (QDomNode c = e.firstChild(); !c.isNull() && !hasElementChild; c = c.nextSibling())
            hasElementChild = c.isElement();

        bool opened = false;
        const auto open = [&] {
            if (!opened)
                out += QLatin1Char('>');
            opened = true;
        };
        QString run;
        const auto flush = [&] {
            if (!run.isEmpty() && !(hasElementChild && XmlReader::isBlank(run))) {
                open();
                text(run, false);
            }
            run.clear();
        };
        for (QDomNode c = e.firstChild(); !c.isNull(); c = c.nextSibling()) {
            if (c.isText() || c.isCDATASection()) {
                run += c.nodeValue();
                continue;
            }
            flush();
            if (c.isElement()) {
                open();
                element(c.toElement());
            } else if (c.isComment()) {
                open();
                comment(c);
            } else if (c.isProcessingInstruction()) {
                open();
                pi(c);
            }
        }
        flush();
        if (opened) {
            out += QLatin1String("</");
            out += name;
            out += QLatin1Char('>');
        } else {
            out += QLatin1String("/>");
        }
    }

    XmlEncoding::Repertoire& m_rep;
};

// The tree as text in which every character of text and attribute values the target cannot
// hold is a character reference; nothing when markup holds such a character.
std::optional<QString> serialized(const QDomDocument& dom, const QString& doctype,
                                  const XmlEncoding::Target& target)
{
    XmlEncoding::Repertoire repertoire(target.kind, target.codec);
    Serializer s(repertoire);
    s.topLevel(dom, doctype);
    if (!s.markupFits)
        return std::nullopt;
    return std::move(s.out);
}

// The pseudo-attributes of the document's declaration, as read; nothing where it has none.
std::optional<QString> declarationOf(const QDomDocument& dom)
{
    const QDomNode first = dom.firstChild();
    if (first.isProcessingInstruction() && first.nodeName() == XmlReader::kDeclarationTarget)
        return first.nodeValue();
    return std::nullopt;
}

// The declaration written back, naming `rename` as its encoding where that is set.
QString declarationText(QString declaration, const QString& rename)
{
    if (!rename.isEmpty()) {
        static const QRegularExpression re(QStringLiteral("(encoding\\s*=\\s*)([\"'])[^\"']*\\2"));
        declaration.replace(re, QStringLiteral("\\1\\2") + rename + QStringLiteral("\\2"));
    }
    return QStringLiteral("<?xml ") + declaration + QStringLiteral("?>");
}

} // namespace

QString canonical(const QDomDocument& dom, const QString& doctype)
{
    XmlEncoding::Repertoire all(XmlEncoding::Repertoire::All);
    Serializer s(all);
    s.topLevel(dom, doctype);
    return s.out;
}

QByteArray matchFile(const QDomDocument& dom, const QString& doctype, bool forceUtf8)
{
    if (!forceUtf8) {
        if (const auto body = serialized(dom, doctype, XmlEncoding::latin1()))
            return QByteArray(kLatin1Declaration) + XmlEncoding::encode(*body, "ISO-8859-1");
    }
    // UTF-8 holds every character, markup too.
    return QByteArray(kUtf8Declaration) + serialized(dom, doctype, XmlEncoding::utf8({})).value().toUtf8();
}

QByteArray asDeclared(const QDomDocument& dom, const QString& doctype, const QByteArray& bomRead,
                      const QString& readEncoding, bool forceUtf8)
{
    const std::optional<QString> declaration = declarationOf(dom);
    const QString declared = XmlEncoding::declaredIn(declaration.value_or(QString()));
    XmlEncoding::DeclaredTarget choice = XmlEncoding::forDeclared(declared, bomRead, readEncoding);
    if (forceUtf8)
        choice = XmlEncoding::asUtf8(choice, declared, bomRead);
    std::optional<QString> body = serialized(dom, doctype, choice.target);
    if (!body) {
        // Markup cannot use character references: a name, comment or processing instruction
        // the declared encoding cannot hold takes the file to UTF-8.
        choice = XmlEncoding::asUtf8(choice, declared, bomRead);
        body = serialized(dom, doctype, choice.target);
    }
    const QString head = declaration ? declarationText(*declaration, choice.rename) : QString();
    return choice.target.bom + XmlEncoding::encode(head + body.value(), choice.target.codec);
}

} // namespace XmlWriter
