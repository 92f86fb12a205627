#pragma once

#include <QString>

#include <array>
#include <optional>

// Reads one wrestler from the licence-data file: the section named by the licence number with
// the keys "vorname", "nachname", "status" and "jahrgang". The file is read anew at every
// call, so a freshly downloaded file applies at once.
namespace LicenceLookup {

constexpr std::size_t KeyCount = 4;
// Values in key order; "" for a missing section or key.
using Entry = std::array<QString, KeyCount>;

// The key names in the order of Entry.
const std::array<QString, KeyCount>& keys();

// nullopt when the file cannot be read.
std::optional<Entry> read(const QString& path, const QString& licence);

} // namespace LicenceLookup
