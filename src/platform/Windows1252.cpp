#include "Windows1252.h"

#include <QList>

namespace {

// Code points of the bytes 0x80..0x9F; 0 where the code page leaves the byte unused.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

namespace Windows1252 {

std::optional<char> byteFor(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == u)
            return char(0x80 + i);
    }
    return std::nullopt;
}

Encoded encode(const QString& text)
{
    Encoded out;
    out.bytes.reserve(text.size());
    for (const uint u : text.toUcs4()) {
        const char32_t code = u;
        const QString c = QString::fromUcs4(&code, 1);
        if (c.size() == 1) {
            if (const auto b = byteFor(c.at(0))) {
                out.bytes.append(*b);
                continue;
            }
        }
        const QString parts = c.normalized(QString::NormalizationForm_KD);
        QByteArray replacement;
        bool ok = parts != c;
        for (const QChar p : parts) {
            if (p.category() == QChar::Mark_NonSpacing)
                continue;
            const auto b = byteFor(p);
            if (!b) {
                ok = false;
                break;
            }
            replacement.append(*b);
        }
        if (!ok || replacement.isEmpty()) {
            out.unwritable = code;
            return out;
        }
        out.bytes.append(replacement);
    }
    return out;
}

} // namespace Windows1252
