#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The referee list "ExportZELMOKampfrichter.txt" beside the program: the names offered in the
// drop-down lists of the officials fields `ml`, `mp` and `pr`.
namespace RefereeList {

inline constexpr char kFileName[] = "ExportZELMOKampfrichter.txt";

// The entries of the file in `programFolder`, in file order, none trimmed, merged or sorted.
// No value when the file does not exist (the officials fields then become plain edits); an
// empty list when it exists but holds no record.
std::optional<QStringList> kampfrichter(const QString& programFolder);

// The entries of a file's bytes (Windows-1252): every line after the first gives
// field 2 + " " + field 1 of its ";"-separated fields, a missing field counting as empty.
QStringList entries(const QByteArray& bytes);

} // namespace RefereeList
