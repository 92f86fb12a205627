#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

class AdoConnection;
class QSqlError;
class QSqlQuery;

// One table opened whole, as a static cursor: the records are read once at open and numbered
// 1 .. recordCount() in the table's own order (rowid order for SQLite). The numbers stay for as
// long as the table is open; an appended record takes the next number. Fields are read and
// written as text; a numeric column reads as the text of its number, a null as "".
// Every failure throws UserError with a German text; what was posted before stays posted.
class AdoTable
{
public:
    explicit AdoTable(AdoConnection& connection) : m_connection(connection) {}

    void open(const QString& table);
    void close();
    bool isOpen() const { return m_open; }
    QString name() const { return m_table; }

    int recordCount() const { return int(m_records.size()); }
    // Moves to record n (1-based). Pending changes of the record left are posted first.
    void moveTo(int n);
    int recordNumber() const { return m_current + 1; }

    // Position of a column (case-insensitive), -1 when the table has none of that name.
    int fieldIndex(const QString& name) const;
    QString field(const QString& name) const;
    QString field(int position) const;
    bool isNull(int position) const;

    // Edit the current record, or start a new one that post() appends and makes current.
    void edit();
    void append();
    void setField(const QString& name, const QString& value);
    void post();

    // The records as they stand now, to return to with restoreRecords() when the database
    // throws the changes made since away (a transaction rolled back).
    void keepRecords();
    void restoreRecords();

private:
    struct Record
    {
        qint64 rowid = -1;
        QVariantList values;
        QStringList texts;
    };

    enum class Mode
    {
        Browse,
        Edit,
        Append
    };

    const Record& current() const;
    int requireField(const QString& name) const;
    QString quote(const QString& identifier) const;
    Record readRecord(const QVariantList& values, qint64 rowid) const;
    QString readOnlyText() const;
    [[noreturn]] void fail(const QString& action, const QString& why) const;
    [[noreturn]] void fail(const QString& action, const QSqlError& error) const;
    // prepare() and exec() of `q`, waiting while another program holds the database locked.
    bool prepare(QSqlQuery& q, const QString& sql) const;
    bool exec(QSqlQuery& q) const;

    AdoConnection& m_connection;
    QString m_table;
    bool m_open = false;
    bool m_hasRowid = false;
    QStringList m_columns;
    QHash<QString, int> m_index; // lower-case name -> position
    std::vector<Record> m_records;
    int m_current = -1;
    Mode m_mode = Mode::Browse;
    QHash<int, QString> m_pending;
    // What restoreRecords() needs: the count and current record at keepRecords(), and each
    // record changed since as it was before (a table of thousands is not copied whole).
    struct Kept
    {
        std::size_t count = 0;
        int current = -1;
        QHash<int, Record> before;
    };
    std::optional<Kept> m_kept;
};
