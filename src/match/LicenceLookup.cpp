#include "LicenceLookup.h"

#include "platform/IniFile.h"

namespace LicenceLookup {

const std::array<QString, KeyCount>& keys()
{
    static const std::array<QString, KeyCount> names = {
        QStringLiteral("vorname"),
        QStringLiteral("nachname"),
        QStringLiteral("status"),
        QStringLiteral("jahrgang"),
    };
    return names;
}

std::optional<Entry> read(const QString& path, const QString& licence)
{
    const IniFile file(path);
    if (!file.exists())
        return std::nullopt;
    Entry entry;
    for (std::size_t i = 0; i < KeyCount; ++i)
        entry[i] = file.value(licence, keys()[i]);
    return entry;
}

} // namespace LicenceLookup
