#include "RefereeList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace RefereeList {

namespace {

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1252");
    if (decoder.isValid())
        return decoder.decode(bytes);
    return QString::fromLatin1(bytes);
}

// CR LF, LF and a bare CR each end a line, as in the memo the list was once read through; a
// line end after the last line starts no further line.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    QString current;
    bool open = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            open = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            continue;
        }
        current += c;
        open = true;
    }
    if (open)
        lines << current;
    return lines;
}

QString entryOf(const QString& line)
{
    QString first, second;
    int field = 0;
    for (const QChar c : line) {
        if (c == QLatin1Char(';'))
            ++field;
        else if (field == 1)
            second += c;
        else if (field == 2)
            first += c;
    }
    return first + QLatin1Char(' ') + second;
}

} // namespace

QStringList entries(const QByteArray& bytes)
{
    const QStringList lines = splitLines(decode(bytes));
    QStringList out;
    for (qsizetype i = 1; i < lines.size(); ++i)
        out << entryOf(lines.at(i));
    return out;
}

std::optional<QStringList> kampfrichter(const QString& programFolder)
{
    const QString path = QDir(programFolder).filePath(QString::fromLatin1(kFileName));
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    // A list that exists but cannot be read offers no names; the operator still gets the
    // drop-down fields the file's presence promises.
    if (!file.open(QIODevice::ReadOnly))
        return QStringList();
    return entries(file.readAll());
}

} // namespace RefereeList
