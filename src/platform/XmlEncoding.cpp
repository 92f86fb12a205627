#include "XmlEncoding.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

namespace XmlEncoding {

namespace {

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

} // namespace

Decoded decode(const QByteArray& bytes)
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

bool Repertoire::codecHas(char32_t c)
{
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

Target latin1()
{
    return {Repertoire::Latin1, "ISO-8859-1", {}};
}

Target utf8(const QByteArray& bomRead)
{
    return {Repertoire::All, "UTF-8", bomRead == "\xEF\xBB\xBF" ? bomRead : QByteArray()};
}

QByteArray encode(const QString& text, const QByteArray& codec)
{
    if (codec == "UTF-8")
        return text.toUtf8();
    if (codec == "ISO-8859-1")
        return text.toLatin1();
    QStringEncoder enc(codec.constData());
    return enc.encode(text);
}

QString declaredIn(const QString& declaration)
{
    return encodingIn(declaration).trimmed();
}

DeclaredTarget forDeclared(const QString& declared, const QByteArray& bomRead, const QString& readEncoding)
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
        return {utf8(bomRead), {}};
    if (isLatin1Family(lower))
        return {latin1(), {}};
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
    if (readEncoding.isEmpty() || readEncoding == QLatin1String("UTF-8"))
        return {utf8(bomRead), QStringLiteral("UTF-8")};
    return {latin1(), readEncoding};
}

DeclaredTarget asUtf8(DeclaredTarget choice, const QString& declared, const QByteArray& bomRead)
{
    if (choice.target.codec == "UTF-8")
        return choice;
    choice.target = utf8(bomRead);
    if (!declared.isEmpty() && !isUtf8Name(declared))
        choice.rename = QStringLiteral("UTF-8");
    return choice;
}

} // namespace XmlEncoding
