#include "IntConvert.h"

#include "UserError.h"

#include <limits>
#include <optional>

namespace {

std::optional<int> parse(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

} // namespace

QString conversionErrorText(const QString& text)
{
    return QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
}

int strToInt(const QString& text)
{
    if (const auto v = parse(text))
        return *v;
    throw UserError(conversionErrorText(text));
}

int strToIntDef(const QString& text, int fallback)
{
    return parse(text).value_or(fallback);
}
