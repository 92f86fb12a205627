#include "LineUp.h"

#include "MatchFile.h"
#include "MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/UserError.h"

#include <algorithm>
#include <utility>

using namespace MatchFields;

namespace {

const QString kStyleFree = QStringLiteral("F");
const QString kStyleGreco = QStringLiteral("G");

// Commas separate the classes, because "75 A" is one class with its suffix after a blank.
QStringList classList(const char* commaSeparated)
{
    return QString::fromLatin1(commaSeparated).split(QLatin1Char(','));
}

} // namespace

LineUp::LineUp(MatchRecord& record, MatchFile& file, QObject* parent)
    : QObject(parent), m_record(record), m_file(file)
{
}

QStringList LineUp::weightClasses(int bouts, int ageClass)
{
    static const QStringList tenMen = classList("57,61,66,71,75 A,75 B,80,86,98,130");
    static const QStringList tenYouthAB = classList("55,60,66 A,66 B,74 A,74 B,84 A,84 B,96,120");
    static const QStringList tenYouthCD = classList("29,31,34,38,42,46,50,55,60,76");
    static const QStringList eight = classList("55,60,66,74 A,74 B,84,96,120");
    static const QStringList fourteen = classList("57,61,66,75,86,98,130,57,61,66,75,86,98,130");

    // The 8- and 14-bout templates have no classes for C/D youths: the classes the operator
    // entered stay.
    switch (bouts) {
    case 10:
        if (ageClass == 0)
            return tenMen;
        if (ageClass == 1)
            return tenYouthAB;
        if (ageClass == 2)
            return tenYouthCD;
        return {};
    case 8:
        return ageClass == 0 || ageClass == 1 ? eight : QStringList();
    case 14:
        return ageClass == 0 || ageClass == 1 ? fourteen : QStringList();
    default:
        return {};
    }
}

QVector<int> LineUp::orderNumbers(int bouts)
{
    // Each half of the 14-bout match runs from both ends of its own seven classes.
    if (bouts == 14)
        return {1, 3, 5, 7, 6, 4, 2, 8, 10, 12, 14, 13, 11, 9};
    QVector<int> out(bouts > 0 ? bouts : 0, 0);
    for (int k = 1; k <= bouts / 2; ++k) {
        out[k - 1] = 2 * k - 1;
        out[bouts - k] = 2 * k;
    }
    return out;
}

void LineUp::applyTemplate(int bouts)
{
    if (!isTemplate(bouts))
        return;
    const int rowsBefore = m_record.boutCount();
    m_record.setRowCount(bouts + 1);
    stilarteneintragen();
    if (bouts == 14) {
        const QVector<int> order = orderNumbers(bouts);
        for (int r = 1; r <= bouts; ++r)
            m_record.setCell(ColReihenfolge, r, QString::number(order[r - 1]));
    } else {
        reihenfolge();
    }
    const QStringList classes = weightClasses(bouts, strToIntDef(m_record.header(Header::altersklasse), -1));
    for (int r = 1; r <= int(classes.size()); ++r)
        m_record.setCell(ColKlasse, r, classes[r - 1]);
    emit applied();
    saveThenTell(1, std::max(rowsBefore, bouts));
}

void LineUp::saveThenTell(int firstRow, int lastRow)
{
    // Saved first: a listener that cannot follow the new rows (a bout that no longer loads)
    // must not keep them out of the file. It hears of them also when the save fails, or it
    // would hold on to rows that are gone.
    try {
        m_file.saveall();
    } catch (const UserError& saveError) {
        try {
            tellRows(firstRow, lastRow);
        } catch (const UserError& listenerError) {
            // Both failures reach the operator: the file was not written, and the panel could
            // not follow the rows.
            throw UserError(saveError.message() + QLatin1Char('\n') + listenerError.message());
        }
        throw;
    }
    tellRows(firstRow, lastRow);
}

void LineUp::tellRows(int firstRow, int lastRow)
{
    if (m_rowsHook)
        m_rowsHook(firstRow, lastRow);
}

void LineUp::stilarteneintragen()
{
    const QString half = m_record.header(Header::vorrueck);
    if (half == QLatin1String("0"))
        m_record.setCell(ColStil, 1, kStyleFree);
    else if (half == QLatin1String("1"))
        m_record.setCell(ColStil, 1, kStyleGreco);
    for (int r = 2; r < m_record.rowCount(); ++r) {
        const QString above = m_record.cell(ColStil, r - 1);
        if (above == kStyleGreco)
            m_record.setCell(ColStil, r, kStyleFree);
        else if (above == kStyleFree)
            m_record.setCell(ColStil, r, kStyleGreco);
    }
}

void LineUp::reihenfolge()
{
    const int n = m_record.rowCount() - 1;
    for (int k = 1; k <= n / 2; ++k) {
        m_record.setCell(ColReihenfolge, k, QString::number(2 * k - 1));
        m_record.setCell(ColReihenfolge, n + 1 - k, QString::number(2 * k));
    }
}

void LineUp::swapSides()
{
    const QString heim = m_record.header(Header::heim);
    m_record.setHeader(Header::heim, m_record.header(Header::gast));
    m_record.setHeader(Header::gast, heim);

    // Weight class, style, win type, time, time stamps and order belong to the bout, not to
    // a side.
    static const std::pair<int, int> pairs[] = {
        {2, 9}, {3, 10}, {4, 11}, {5, 12}, {6, 13}, {7, 14}, {8, 15}, {17, 18}, {20, 21},
    };
    for (int r = 1; r < m_record.rowCount(); ++r) {
        for (const auto& [red, blue] : pairs) {
            const QString redText = m_record.cell(red, r);
            m_record.setCell(red, r, m_record.cell(blue, r));
            m_record.setCell(blue, r, redText);
        }
    }
    saveThenTell(1, m_record.boutCount());
}

void LineUp::appendRow()
{
    m_record.setRowCount(m_record.rowCount() + 1);
}

void LineUp::clearRows()
{
    m_record.setBoutRows(std::vector<BoutRow>(std::size_t(m_record.boutCount())));
    tellRows(1, m_record.boutCount());
}

bool LineUp::removeLastBout()
{
    if (m_record.boutCount() <= 1)
        return false;
    if (!m_file.isOpen())
        throw UserError(QStringLiteral("Kein aktives Dokument"));

    // By position, as the file lists its bouts; a row appended and not yet saved has no
    // element, and then the file already holds exactly the bouts that stay.
    XmlDocument& doc = m_file.document();
    QDomElement kaempfe = XmlDocument::child(doc.root(QStringLiteral("mk")), QStringLiteral("kaempfe"));
    const QDomNode last = kaempfe.childNodes().at(m_record.rowCount() - 2);
    if (!last.isNull())
        kaempfe.removeChild(last);
    m_file.saveDocument();
    const int removed = m_record.boutCount();
    m_record.setRowCount(removed);
    tellRows(removed, removed);
    return true;
}
