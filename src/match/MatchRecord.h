#pragma once

#include "MatchFields.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>
#include <vector>

// One bout: 24 text cells in grid-column order.
using BoutRow = std::array<QString, MatchFields::ColumnCount>;

// The header of a team match: 27 named text fields. A radio field holds the decimal index of
// its chosen item ("-1" when none is chosen); a fresh header has every radio at "0".
class MatchHeader
{
public:
    MatchHeader();
    QString value(const QString& field) const { return m_values.value(field); }
    void setValue(const QString& field, const QString& value) { m_values.insert(field, value); }

private:
    QHash<QString, QString> m_values;
};

// The open team match: the single source of truth that the entry panel, the protocol grid,
// the match file and the bout all read and write. Row numbers follow the grid: row 0 is the
// caption row, bout rows are 1 .. rowCount() - 1.
class MatchRecord : public QObject
{
    Q_OBJECT
public:
    explicit MatchRecord(QObject* parent = nullptr);

    QString header(const QString& field) const { return m_header.value(field); }
    void setHeader(const QString& field, const QString& value);

    int rowCount() const { return int(m_rows.size()) + 1; }
    // Raising appends empty rows; lowering drops rows and their content. Never below 1.
    void setRowCount(int count);
    int boutCount() const { return int(m_rows.size()); }

    // A cell outside the bout rows reads "" and is never written.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    const BoutRow& boutRow(int row) const { return m_rows.at(std::size_t(row - 1)); }
    // Replaces every bout row at once (one reset for the views).
    void setBoutRows(std::vector<BoutRow> rows);

signals:
    void headerChanged(const QString& field);
    void cellChanged(int column, int row);
    // Emitted before and after the number or whole content of the rows change.
    void rowsAboutToReset();
    void rowsReset();

private:
    bool validCell(int column, int row) const
    {
        return column >= 0 && column < MatchFields::ColumnCount && row >= 1 && row < rowCount();
    }

    MatchHeader m_header;
    std::vector<BoutRow> m_rows;
};
