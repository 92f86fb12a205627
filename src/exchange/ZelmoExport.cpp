#include "ZelmoExport.h"

#include "platform/DurableFile.h"
#include "platform/IntConvert.h"
#include "platform/UserError.h"
#include "platform/Windows1252.h"

using namespace MatchFields;

namespace {

// The number in `digits`, which must be digits alone: the integer reader would take a sign or a
// leading blank, and "0:-5" would then be written as minus five seconds.
int digitsValue(const QString& digits)
{
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw UserError(conversionErrorText(digits));
    }
    return strToInt(digits);
}

// Whole seconds of "m:ss" read from `text` at the minute digit `at` (0-based).
int seconds(const QString& text, qsizetype at)
{
    return digitsValue(text.mid(at, 1)) * 60 + digitsValue(text.mid(at + 2, 2));
}

// A line break in a name pasted from elsewhere or read from another program's match file would
// start a new line of the file, and the outside database would take the rest for another bout.
QString oneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

QStringList oneLineEach(QStringList values)
{
    for (QString& value : values)
        value = oneLine(value);
    return values;
}

[[noreturn]] void refuse(char32_t character, qsizetype line)
{
    const QString where = line == 0 ? QStringLiteral("in der Kopfzeile")
                                    : QStringLiteral("in Zeile %1 des Protokolls").arg(line);
    throw UserError(QStringLiteral("Das Zeichen „%1“ (U+%2) %3 kann in der ZELMO-Exportdatei nicht "
                                   "geschrieben werden. Es wurde keine Datei geschrieben.")
                        .arg(QString::fromUcs4(&character, 1))
                        .arg(QString::number(character, 16).toUpper().rightJustified(4, u'0'))
                        .arg(where));
}

// One line of the file, without its CR LF. Besides what the code page lacks, a control character
// is refused (the outside program would take it as it stands, and a CR or LF would split the
// line), and so is a character whose stand-in is ";", which would add a field and shift every
// later value of the line.
QByteArray encodeLine(const QString& text, qsizetype line)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.category() == QChar::Other_Control)
            refuse(c.unicode(), line);
        if (const auto b = Windows1252::byteFor(c)) {
            bytes += *b;
            continue;
        }
        const qsizetype length =
            c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, length);
        const Windows1252::Encoded e = Windows1252::encode(character);
        if (e.unwritable != 0)
            refuse(e.unwritable, line);
        if (e.bytes.contains(';'))
            refuse(character.toUcs4().constFirst(), line);
        bytes += e.bytes;
        i += length - 1;
    }
    return bytes;
}

QString pointsList(const BoutRow& row)
{
    const QString& red = row[ColWertungenRot];
    const QString& blue = row[ColWertungenBlau];
    const QString& times = row[ColZeiten];
    const bool timed = times.size() == 5 * red.size();
    QString list;
    for (qsizetype i = 0; i < red.size(); ++i) {
        QString item;
        if (red.at(i) != QLatin1Char(' '))
            item = red.at(i) + QLatin1Char('r');
        else if (i < blue.size())
            item = blue.at(i) + QLatin1Char('b');
        else
            continue; // a damaged blue string shorter than the red one: nothing happened here
        if (timed)
            item += QString::number(seconds(times, 5 * i));
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += item;
    }
    return list;
}

} // namespace

QString ZelmoExport::namensteil(const QString& text, int k)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (k == 1)
        return blank < 0 ? text : text.left(blank);
    return blank < 0 ? QString() : text.mid(blank + 1);
}

QString ZelmoExport::headerLine(const MatchRecord& record, const QString& punkteheim,
                                const QString& punktegast)
{
    QString remarks = record.header(Header::bemerkungen);
    // A break pasted as LF or CR alone is a line break all the same, and must not split the line.
    remarks.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    remarks.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    remarks.replace(QLatin1Char('\r'), QStringLiteral(" / "));
    const QString ml = oneLine(record.header(Header::ml));
    QStringList fields = oneLineEach({
        record.header(Header::liga),
        record.header(Header::datum),
        record.header(Header::heim),
        record.header(Header::gast),
        punkteheim,
        punktegast,
        record.header(Header::zuschauer),
        namensteil(ml, 2),
        namensteil(ml, 1),
    });
    fields << remarks;
    return QStringLiteral("zelmoi;2.0.0;MK;0;") + fields.join(QLatin1Char(';'));
}

QString ZelmoExport::boutLine(const BoutRow& row)
{
    const QString& stil = row[ColStil];
    const QString style = stil == QLatin1String("F")   ? QStringLiteral("LL")
                          : stil == QLatin1String("G") ? QStringLiteral("GR")
                                                       : QString();
    const QString& zeit = row[ColZeit];
    const QString duration = zeit.size() == 4 ? QString::number(seconds(zeit, 0)) : QString();
    const QStringList fields = oneLineEach({
        row[ColKlasse],
        style,
        row[ColLizenzRot],
        row[ColNachnRot],
        row[ColVornRot],
        row[ColStatusRot],
        row[ColLizenzBlau],
        row[ColNachnBlau],
        row[ColVornBlau],
        row[ColStatusBlau],
        row[ColPunkteRot],
        row[ColPunkteBlau],
        row[ColSieg],
        row[ColTpRot] + QLatin1Char(':') + row[ColTpBlau] + QStringLiteral("(points ") + pointsList(row) +
            QStringLiteral(")(duration ") + duration + QLatin1Char(')'),
    });
    return fields.join(QLatin1Char(';'));
}

QStringList ZelmoExport::lines(const MatchRecord& record, const QString& punkteheim,
                               const QString& punktegast)
{
    QStringList out;
    out.reserve(record.rowCount());
    out << headerLine(record, punkteheim, punktegast);
    for (int row = 1; row < record.rowCount(); ++row)
        out << boutLine(record.boutRow(row));
    return out;
}

QByteArray ZelmoExport::encode(const QStringList& lines)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bytes += encodeLine(lines.at(i), i);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList ZelmoExport::write(const QString& path, const MatchRecord& record, const QString& punkteheim,
                               const QString& punktegast)
{
    QStringList out = lines(record, punkteheim, punktegast);
    DurableFile::replace(path, encode(out));
    return out;
}
