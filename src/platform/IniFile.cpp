#include "IniFile.h"

#include <QFile>
#include <QStringDecoder>

#include <array>
#include <cstring>

namespace {

struct Codepage
{
    std::array<QChar, 256> decoded;
    std::array<QChar, 256> folded;
};

// Windows-1252 is a single-byte code, so one table serves both decoding and case-blind name
// comparison without converting whole lines. Without ICU the decoder is invalid; Latin-1
// then still gets every umlaut right and only loses the 0x80-0x9F punctuation (€, „, “).
const Codepage& codepage()
{
    static const Codepage table = [] {
        Codepage t;
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        QStringDecoder decoder("windows-1252");
        QString text = decoder.isValid() ? decoder.decode(bytes) : QString();
        if (text.size() != 256 || decoder.hasError())
            text = QString::fromLatin1(bytes);
        for (int b = 0; b < 256; ++b) {
            t.decoded[b] = text.at(b);
            t.folded[b] = text.at(b).toCaseFolded();
        }
        return t;
    }();
    return table;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Span
{
    const char* begin;
    const char* end;
    qsizetype size() const { return end - begin; }
};

Span trimmed(Span s)
{
    while (s.begin < s.end && isBlank(*s.begin))
        ++s.begin;
    while (s.end > s.begin && isBlank(s.end[-1]))
        --s.end;
    return s;
}

bool isAscii(Span bytes)
{
    for (const char* p = bytes.begin; p < bytes.end; ++p) {
        if (uchar(*p) >= 0x80)
            return false;
    }
    return true;
}

// Folded one character at a time, like the table: a full-string fold may turn one character
// into two ("ß" into "ss") and the lengths would no longer line up with the bytes.
QString foldedName(const QString& name)
{
    QString out = name;
    for (QChar& c : out)
        c = c.toCaseFolded();
    return out;
}

// `wanted` is already case-folded, so single-byte text needs one table lookup a byte. UTF-8
// names are decoded first, unless they are plain ASCII, which both codes spell alike: licence
// numbers are, so a large file costs no decoding either way.
bool sameName(Span bytes, const QString& wanted, bool utf8)
{
    if (utf8 && !isAscii(bytes))
        return foldedName(QString::fromUtf8(bytes.begin, bytes.size())) == wanted;
    if (bytes.size() != wanted.size())
        return false;
    const Codepage& cp = codepage();
    const QChar* w = wanted.constData();
    for (const char* p = bytes.begin; p < bytes.end; ++p, ++w) {
        if (cp.folded[uchar(*p)] != *w)
            return false;
    }
    return true;
}

QString decoded(Span bytes, bool utf8)
{
    if (utf8)
        return QString::fromUtf8(bytes.begin, bytes.size());
    const Codepage& cp = codepage();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char* p = bytes.begin; p < bytes.end; ++p)
        *out++ = cp.decoded[uchar(*p)];
    return text;
}

// The Windows reader drops one pair of matching quotes, single or double, and keeps the
// blanks inside them.
Span unquoted(Span v)
{
    if (v.size() >= 2 && (*v.begin == '"' || *v.begin == '\'') && v.end[-1] == *v.begin) {
        ++v.begin;
        --v.end;
    }
    return v;
}

} // namespace

IniFile::IniFile(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        m_data = file.readAll();
        m_exists = true;
        // Editors that save "UTF-8 with BOM" put the mark in front of the first section name,
        // which would then never match. The mark also says how the rest is encoded.
        if (m_data.startsWith("\xEF\xBB\xBF")) {
            m_data.remove(0, 3);
            m_utf8 = true;
        }
    }
}

QString IniFile::value(const QString& section, const QString& key, const QString& fallback) const
{
    const QString wantedSection = foldedName(section);
    const QString wantedKey = foldedName(key);

    const char* p = m_data.constData();
    const char* const end = p + m_data.size();
    bool inSection = false;
    while (p < end) {
        // A bare CR ends a line as well: left in a value it would reach a grid cell and the
        // match file, whose reader turns it into LF. The LF of a CR LF then ends an empty line.
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!eol)
            eol = end;
        if (const void* cr = std::memchr(p, '\r', size_t(eol - p)))
            eol = static_cast<const char*>(cr);
        Span line{p, eol};
        p = eol < end ? eol + 1 : end;
        while (line.begin < line.end && isBlank(*line.begin))
            ++line.begin;
        if (line.begin == line.end || *line.begin == ';')
            continue;

        if (*line.begin == '[') {
            // A line opening with '[' but never closing it is no header and changes nothing.
            const char* close = line.end;
            while (close > line.begin && close[-1] != ']')
                --close;
            if (close > line.begin + 1)
                inSection = sameName(trimmed(Span{line.begin + 1, close - 1}), wantedSection, m_utf8);
            continue;
        }
        if (!inSection)
            continue;

        const char* eq = static_cast<const char*>(std::memchr(line.begin, '=', size_t(line.size())));
        if (!eq)
            continue;
        if (sameName(trimmed(Span{line.begin, eq}), wantedKey, m_utf8))
            return decoded(unquoted(trimmed(Span{eq + 1, line.end})), m_utf8);
    }
    return fallback;
}

QString IniFile::read(const QString& path, const QString& section, const QString& key,
                      const QString& fallback)
{
    return IniFile(path).value(section, key, fallback);
}
