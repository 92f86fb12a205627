#pragma once

#include "platform/UserError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: the inputs arrive as bytes, the loaders read files.
namespace fuzz {

// A property that does not hold ends the run like a crash, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* property, const QString& detail = {})
{
    std::fprintf(stderr, "\nproperty does not hold: %s\n%s\n", property, qPrintable(detail));
    std::abort();
}

inline void require(bool holds, const char* property, const QString& detail = {})
{
    if (!holds)
        fail(property, detail);
}

// Bad input is allowed to fail, but only with a message the operator can read.
inline void requireMessage(const UserError& error)
{
    require(!error.message().trimmed().isEmpty(), "a failure carries a German message");
}

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// One folder for the whole run, emptied before each input so that nothing a loader renamed or
// left behind reaches the next one.
inline QString freshFolder()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        fail("a temporary folder exists");
    QDir folder(dir.path());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
    return dir.path();
}

inline QString writeInput(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        fail("the input can be written to a file", path);
    return path;
}

// Quoted so that blanks and line breaks show in a report.
inline QString shown(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace fuzz
