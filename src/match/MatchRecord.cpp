#include "MatchRecord.h"

MatchHeader::MatchHeader()
{
    for (const QString& f : MatchFields::headerFields())
        m_values.insert(f, MatchFields::isRadio(f) ? QStringLiteral("0") : QString());
}

MatchRecord::MatchRecord(QObject* parent) : QObject(parent)
{
    // A fresh window shows ten empty bout rows under the caption row.
    m_rows.resize(10);
}

void MatchRecord::setHeader(const QString& field, const QString& value)
{
    if (m_header.value(field) == value)
        return;
    m_header.setValue(field, value);
    emit headerChanged(field);
}

void MatchRecord::setRowCount(int count)
{
    count = std::max(count, 1);
    if (count == rowCount())
        return;
    emit rowsAboutToReset();
    m_rows.resize(std::size_t(count - 1));
    emit rowsReset();
}

QString MatchRecord::cell(int column, int row) const
{
    if (!validCell(column, row))
        return {};
    return m_rows[std::size_t(row - 1)][std::size_t(column)];
}

void MatchRecord::setCell(int column, int row, const QString& text)
{
    if (!validCell(column, row))
        return;
    QString& c = m_rows[std::size_t(row - 1)][std::size_t(column)];
    if (c == text)
        return;
    c = text;
    emit cellChanged(column, row);
}

void MatchRecord::setBoutRows(std::vector<BoutRow> rows)
{
    emit rowsAboutToReset();
    m_rows = std::move(rows);
    emit rowsReset();
}
