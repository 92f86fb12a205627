#include "XmlDocument.h"

#include "DurableFile.h"
#include "FileErrors.h"
#include "UserError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QXmlStreamReader>

#include <optional>
#include <vector>

namespace {

const char* const kLatin1Declaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>";
const char* const kUtf8Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";
const QString kDeclarationTarget = QStringLiteral("xml");

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool isBlank(const QString& text)
{
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            return false;
    return true;
}

QString encodingIn(const QString& declaration)
{
    static const QRegularExpression re(QStringLiteral("encoding\\s*=\\s*[\"']([^\"']*)[\"']"));
    const auto m = re.match(declaration);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString declaredEncoding(const QByteArray& bytes)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*<\\?xml\\s[^>]*?encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const auto m = re.match(QString::fromLatin1(bytes.left(300)));
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

bool isLatin1Family(const QString& enc)
{
    static const QStringList names = {"iso-8859-1", "iso8859-1", "iso_8859-1",   "latin1",
                                      "latin-1",    "l1",        "windows-1252", "cp1252"};
    return names.contains(enc.toLower());
}

bool isUtf8Name(const QString& enc)
{
    return enc.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0 ||
           enc.compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0;
}

// Names of encodings that are not ASCII-compatible: bytes that still look like ASCII cannot be
// in them (the declaration is wrong, as earlier versions wrote UTF-8 under "UTF-16").
bool isWideName(const QString& enc)
{
    const QString e = enc.toLower();
    return e.startsWith(QLatin1String("utf-16")) || e.startsWith(QLatin1String("utf-32")) ||
           e.startsWith(QLatin1String("ucs-")) || e.startsWith(QLatin1String("iso-10646"));
}

QString decodeWith(const QByteArray& bytes, const char* codec)
{
    QStringDecoder decoder(codec);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    QString text = decoder.decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

struct Decoded
{
    QString text;
    QString encoding;
    QByteArray bom;
};

Decoded decodeBytes(const QByteArray& bytes)
{
    struct Bom
    {
        QByteArray bytes;
        const char* codec;
    };
    static const Bom boms[] = {
        {QByteArray("\xEF\xBB\xBF"), "UTF-8"},
        {QByteArray("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
        {QByteArray("\x00\x00\xFE\xFF", 4), "UTF-32BE"},
        {QByteArray("\xFF\xFE"), "UTF-16LE"},
        {QByteArray("\xFE\xFF"), "UTF-16BE"},
    };
    Decoded d;
    for (const Bom& b : boms) {
        if (bytes.startsWith(b.bytes)) {
            d.bom = b.bytes;
            d.encoding = QLatin1String(b.codec);
            d.text = decodeWith(bytes.mid(b.bytes.size()), b.codec);
            return d;
        }
    }
    if (bytes.startsWith(QByteArray("<\0?\0", 4))) {
        d.encoding = QStringLiteral("UTF-16LE");
    } else if (bytes.startsWith(QByteArray("\0<\0?", 4))) {
        d.encoding = QStringLiteral("UTF-16BE");
    } else {
        const QString declared = declaredEncoding(bytes);
        if (isLatin1Family(declared)) {
            d.encoding = QStringLiteral("windows-1252");
        } else if (!declared.isEmpty() && !isUtf8Name(declared) && !isWideName(declared) &&
                   QStringDecoder(declared.toLatin1().constData()).isValid()) {
            d.encoding = declared;
        } else {
            // Undeclared, UTF-8, or a name no decoder knows: UTF-8 where the bytes are UTF-8,
            // else what a Windows program would have written.
            QStringDecoder utf8(QStringDecoder::Utf8);
            d.text = utf8.decode(bytes);
            if (!utf8.hasError()) {
                d.encoding = QStringLiteral("UTF-8");
                return d;
            }
            d.encoding = QStringLiteral("windows-1252");
        }
    }
    d.text = decodeWith(bytes, d.encoding.toLatin1().constData());
    return d;
}

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
        const auto it = m_cache.constFind(c);
        if (it != m_cache.constEnd())
            return *it;
        const QString s = QString::fromUcs4(&c, 1);
        QStringEncoder enc(m_codec.constData());
        const QByteArray bytes = enc.encode(s);
        QStringDecoder dec(m_codec.constData());
        const QString back = dec.decode(bytes);
        const bool ok = !bytes.isEmpty() && !enc.hasError() && !dec.hasError() && back == s;
        m_cache.insert(c, ok);
        return ok;
    }

private:
    Kind m_kind;
    QByteArray m_codec;
    QHash<char32_t, bool> m_cache;
};

// Writes a tree as XML text. Text and attribute values escape what they must, and a character
// the target encoding lacks goes as a character reference; markup (names, comments, processing
// instructions) cannot use references, so such a character there only clears markupFits.
// Blank text between elements is left out, as the reader leaves it out: what is written is
// what reads back.
class Serializer
{
public:
    explicit Serializer(Repertoire& repertoire) : m_rep(repertoire) {}

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
            } else if (n.isProcessingInstruction() && n.nodeName() != kDeclarationTarget) {
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
            if (isXmlChar(c))
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
            if (!run.isEmpty() && !(hasElementChild && isBlank(run))) {
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

    Repertoire& m_rep;
};

QByteArray encodeText(const QString& text, const QByteArray& codec)
{
    if (codec == "UTF-8")
        return text.toUtf8();
    if (codec == "ISO-8859-1")
        return text.toLatin1();
    QStringEncoder enc(codec.constData());
    return enc.encode(text);
}

QString tooLarge(const QString& name)
{
    return QStringLiteral("Die Datei „%1“ ist zu groß (mehr als %2 MB oder %3 Elemente). Eine Kampf- oder "
                          "Einstellungsdatei ist nur wenige Kilobyte groß; diese wird nicht geöffnet.")
        .arg(name)
        .arg(XmlDocument::kMaxFileBytes / (1024 * 1024))
        .arg(XmlDocument::kMaxNodes);
}

} // namespace

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
    return decodeBytes(bytes).text;
}

void XmlDocument::load(const QString& path)
{
    close();
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
    loadFromBytes(bytes, name);
}

void XmlDocument::loadFromBytes(const QByteArray& bytes, const QString& name)
{
    close();
    if (bytes.size() > kMaxFileBytes)
        throw UserError(tooLarge(name));
    Decoded d = decodeBytes(bytes);
    parse(d.text, name);
    m_bom = d.bom;
    m_readEncoding = d.encoding;
}

void XmlDocument::setContentText(const QString& xml)
{
    close();
    parse(xml, QString());
    m_readEncoding = QStringLiteral("UTF-8");
}

void XmlDocument::parse(const QString& text, const QString& name)
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
    m_dom = dom;
    m_doctype = doctype;
    m_active = true;
}

namespace {

// What a save turns the text into: which characters the bytes can hold, how the text becomes
// bytes, what goes in front of it.
struct Target
{
    Repertoire::Kind kind;
    QByteArray codec; // "UTF-8", "ISO-8859-1" (references already made), or a codec name
    QByteArray bom;
};

Target latin1Target()
{
    return {Repertoire::Latin1, "ISO-8859-1", {}};
}

// A UTF-8 mark read is written again; any other mark belongs to another encoding.
Target utf8Target(const QByteArray& bomRead)
{
    return {Repertoire::All, "UTF-8", bomRead == "\xEF\xBB\xBF" ? bomRead : QByteArray()};
}

Target unicodeTarget(const QString& codec)
{
    static const QHash<QString, QByteArray> boms = {
        {"UTF-16LE", QByteArray("\xFF\xFE")},
        {"UTF-16BE", QByteArray("\xFE\xFF")},
        {"UTF-32LE", QByteArray("\xFF\xFE\x00\x00", 4)},
        {"UTF-32BE", QByteArray("\x00\x00\xFE\xFF", 4)},
        {"UTF-8", QByteArray("\xEF\xBB\xBF")},
    };
    return {Repertoire::All, codec.toLatin1(), boms.value(codec)};
}

// The target of a file that names its own encoding, and the encoding its declaration must name
// instead (empty: the declaration stays as it is).
struct DeclaredTarget
{
    Target target;
    QString rename;
};

// `declared` is the declaration's encoding (empty where there is none), `bomRead` and
// `readEncoding` what the last load found.
DeclaredTarget targetForDeclared(const QString& declared, const QByteArray& bomRead,
                                 const QString& readEncoding)
{
    const QString lower = declared.toLower();
    if (!bomRead.isEmpty()) {
        // The mark says what the bytes are; a declaration that says otherwise is corrected.
        const Target target = unicodeTarget(readEncoding);
        const bool agrees =
            lower.isEmpty() || (target.codec == "UTF-8" ? isUtf8Name(lower) : isWideName(lower));
        return {target, agrees ? QString() : readEncoding};
    }
    if (lower.isEmpty() || isUtf8Name(lower))
        return {utf8Target(bomRead), {}};
    if (isLatin1Family(lower))
        return {latin1Target(), {}};
    if (lower == QLatin1String("utf-16") || lower == QLatin1String("utf-32")) {
        // The generic names need the byte-order mark; the order is the one read, else little-endian.
        const QString width =
            lower == QLatin1String("utf-16") ? QStringLiteral("UTF-16") : QStringLiteral("UTF-32");
        const QString order =
            readEncoding.endsWith(QLatin1String("BE")) ? QStringLiteral("BE") : QStringLiteral("LE");
        return {unicodeTarget(width + order), {}};
    }
    if (lower == QLatin1String("utf-16le") || lower == QLatin1String("utf-16be") ||
        lower == QLatin1String("utf-32le") || lower == QLatin1String("utf-32be")) {
        Target target = unicodeTarget(declared.toUpper());
        target.bom.clear();
        return {target, {}};
    }
    if (QStringEncoder(lower.toLatin1().constData()).isValid() &&
        QStringDecoder(lower.toLatin1().constData()).isValid())
        return {{Repertoire::Codec, declared.toLatin1(), {}}, {}};
    // A name no codec knows: written as it was read, and the declaration names that.
    const bool asUtf8 = readEncoding.isEmpty() || readEncoding == QLatin1String("UTF-8");
    if (asUtf8)
        return {utf8Target(bomRead), QStringLiteral("UTF-8")};
    return {latin1Target(), readEncoding};
}

// The same file as UTF-8, its declaration saying so where it named something else.
DeclaredTarget asUtf8(DeclaredTarget choice, const QString& declared, const QByteArray& bomRead)
{
    if (choice.target.codec == "UTF-8")
        return choice;
    choice.target = utf8Target(bomRead);
    if (!declared.isEmpty() && !isUtf8Name(declared))
        choice.rename = QStringLiteral("UTF-8");
    return choice;
}

// The tree as text in which every character of text and attribute values the target cannot
// hold is a character reference; nothing when markup holds such a character.
std::optional<QString> serialized(const QDomDocument& dom, const QString& doctype, const Target& target)
{
    Repertoire repertoire(target.kind, target.codec);
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
    if (first.isProcessingInstruction() && first.nodeName() == kDeclarationTarget)
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

QString XmlDocument::canonical() const
{
    Repertoire all(Repertoire::All);
    Serializer s(all);
    s.topLevel(m_dom, m_doctype);
    return s.out;
}

QByteArray XmlDocument::encode(Format format, bool forceUtf8) const
{
    return format == Format::Match ? encodeMatch(forceUtf8) : encodeAsDeclared(forceUtf8);
}

QByteArray XmlDocument::encodeMatch(bool forceUtf8) const
{
    if (!forceUtf8) {
        if (const auto body = serialized(m_dom, m_doctype, latin1Target()))
            return QByteArray(kLatin1Declaration) + encodeText(*body, "ISO-8859-1");
    }
    // UTF-8 holds every character, markup too.
    return QByteArray(kUtf8Declaration) + serialized(m_dom, m_doctype, utf8Target({})).value().toUtf8();
}

QByteArray XmlDocument::encodeAsDeclared(bool forceUtf8) const
{
    const std::optional<QString> declaration = declarationOf(m_dom);
    const QString declared = encodingIn(declaration.value_or(QString())).trimmed();
    DeclaredTarget choice = targetForDeclared(declared, m_bom, m_readEncoding);
    if (forceUtf8)
        choice = asUtf8(choice, declared, m_bom);
    std::optional<QString> body = serialized(m_dom, m_doctype, choice.target);
    if (!body) {
        // Markup cannot use character references: a name, comment or processing instruction
        // the declared encoding cannot hold takes the file to UTF-8.
        choice = asUtf8(choice, declared, m_bom);
        body = serialized(m_dom, m_doctype, choice.target);
    }
    const QString head = declaration ? declarationText(*declaration, choice.rename) : QString();
    return choice.target.bom + encodeText(head + body.value(), choice.target.codec);
}

QByteArray XmlDocument::toBytes() const
{
    return encode(Format::Match, false);
}

QByteArray XmlDocument::checkedBytes(Format format, const QString& name) const
{
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
                       "lesen wäre: %2\nDie bisherige Fassung bleibt unverändert.")
            .arg(name, problem));
}

void XmlDocument::save(const QString& path) const
{
    writeFile(path, checkedBytes(Format::Match, QFileInfo(path).fileName()));
}

void XmlDocument::saveAsDeclared(const QString& path) const
{
    writeFile(path, checkedBytes(Format::AsDeclared, QFileInfo(path).fileName()));
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
        if (!isXmlChar(c)) {
            dirty = true;
            break;
        }
    if (dirty) {
        for (const char32_t c : value.toUcs4())
            if (isXmlChar(c))
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
