// lizenzdaten.ini comes from a server and from editors: every lookup must give one answer.
// For each section and key the file names, a lookup finds it or not whatever the fallback, the
// answer holds no line break, ignores the case of ASCII names, and a UTF-8 byte-order mark in
// front of a plain ASCII file changes nothing.
#include "FuzzSupport.h"

#include "platform/IniFile.h"

#include <QSet>

namespace {

const QString kMissingA = QStringLiteral("\x01fehlt-a");
const QString kMissingB = QStringLiteral("\x01fehlt-b");

// The names the file spells, as the lookups will be asked for them: headers and keys.
QSet<QString> namesIn(const QByteArray& bytes, QSet<QString>& keys)
{
    QSet<QString> sections{QStringLiteral("allgemein")};
    keys = {QStringLiteral("datum"), QStringLiteral("vorname")};
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.contains(']'))
            sections.insert(QString::fromLatin1(line.mid(1, line.lastIndexOf(']') - 1).trimmed()));
        else if (const qsizetype eq = line.indexOf('='); eq > 0)
            keys.insert(QString::fromLatin1(line.left(eq).trimmed()));
        if (sections.size() + keys.size() > 64)
            break;
    }
    return sections;
}

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString folder = fuzz::freshFolder();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::writeInput(folder, QStringLiteral("lizenzdaten.ini"), bytes);
    const IniFile ini(path);
    fuzz::require(ini.exists(), "a file that was written can be read");

    // A file without the mark that starts with one of its bytes would change meaning.
    const bool compareMarked = isAscii(bytes);
    const IniFile marked(fuzz::writeInput(folder, QStringLiteral("mit-bom.ini"), "\xEF\xBB\xBF" + bytes));

    QSet<QString> keys;
    const QSet<QString> sections = namesIn(bytes, keys);
    for (const QString& section : sections) {
        for (const QString& key : keys) {
            const QString a = ini.value(section, key, kMissingA);
            const QString b = ini.value(section, key, kMissingB);
            const QString where = section + QLatin1Char('/') + key;
            fuzz::require(a == b || (a == kMissingA && b == kMissingB),
                          "found or missing whatever the fallback", where);
            fuzz::require(!a.contains(QLatin1Char('\n')) && !a.contains(QLatin1Char('\r')),
                          "a value holds no line break", where);
            if (isAscii(section.toLatin1() + key.toLatin1()))
                fuzz::require(ini.value(section.toUpper(), key.toLower(), kMissingA) == a,
                              "ASCII names ignore case", where);
            if (compareMarked)
                fuzz::require(marked.value(section, key, kMissingA) == a,
                              "the byte-order mark changes nothing", where);
        }
    }
    return 0;
}
