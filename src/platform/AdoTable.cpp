#include "AdoTable.h"

#include "AdoConnection.h"
#include "UserError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

void AdoTable::fail(const QString& action, const QString& why) const
{
    throw UserError(
        QStringLiteral("Fehler in der Datenbank beim %1 (Tabelle „%2“): %3").arg(action, m_table, why));
}

void AdoTable::fail(const QString& action, const QSqlError& error) const
{
    fail(action, AdoConnection::germanCause(error, m_connection.engine(), m_table));
}

bool AdoTable::prepare(QSqlQuery& q, const QString& sql) const
{
    return m_connection.waitWhileLocked([&] { return q.prepare(sql); }, [&q] { return q.lastError(); });
}

bool AdoTable::exec(QSqlQuery& q) const
{
    return m_connection.waitWhileLocked([&q] { return q.exec(); }, [&q] { return q.lastError(); });
}

void AdoTable::keepRecords()
{
    m_kept = Kept{m_records.size(), m_current, {}};
}

void AdoTable::restoreRecords()
{
    if (!m_kept)
        return;
    m_records.resize(m_kept->count);
    for (auto it = m_kept->before.cbegin(); it != m_kept->before.cend(); ++it)
        m_records[std::size_t(it.key())] = it.value();
    m_current = m_kept->current;
    m_kept.reset();
    m_mode = Mode::Browse;
    m_pending.clear();
}

QString AdoTable::quote(const QString& identifier) const
{
    if (m_connection.engine() == AdoConnection::Engine::Sqlite)
        return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    return QLatin1Char('[') + identifier + QLatin1Char(']');
}

AdoTable::Record AdoTable::readRecord(const QVariantList& values, qint64 rowid) const
{
    Record r;
    r.rowid = rowid;
    r.values = values;
    r.texts.reserve(values.size());
    for (const QVariant& v : values)
        r.texts << (v.isNull() ? QString() : v.toString());
    return r;
}

void AdoTable::open(const QString& table)
{
    close();
    m_table = table;
    if (!m_connection.connected())
        fail(QStringLiteral("Öffnen"), QStringLiteral("Die Datenbank ist nicht verbunden."));
    m_hasRowid = m_connection.engine() == AdoConnection::Engine::Sqlite;
    QSqlQuery q(m_connection.database());
    q.setForwardOnly(true);
    const QString sql = m_hasRowid
                            ? QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(quote(table))
                            : QStringLiteral("SELECT * FROM %1").arg(table);
    if (!prepare(q, sql) || !exec(q))
        fail(QStringLiteral("Öffnen"), q.lastError());
    const QSqlRecord rec = q.record();
    const int skip = m_hasRowid ? 1 : 0;
    for (int i = skip; i < rec.count(); ++i) {
        m_columns << rec.fieldName(i);
        m_index.insert(rec.fieldName(i).toLower(), i - skip);
    }
    while (q.next()) {
        QVariantList values;
        values.reserve(m_columns.size());
        for (int i = skip; i < rec.count(); ++i)
            values << q.value(i);
        m_records.push_back(readRecord(values, m_hasRowid ? q.value(0).toLongLong() : -1));
    }
    if (q.lastError().isValid())
        fail(QStringLiteral("Lesen"), q.lastError());
    m_current = m_records.empty() ? -1 : 0;
    m_open = true;
}

void AdoTable::close()
{
    m_open = false;
    m_columns.clear();
    m_index.clear();
    m_records.clear();
    m_kept.reset();
    m_current = -1;
    m_mode = Mode::Browse;
    m_pending.clear();
}

void AdoTable::moveTo(int n)
{
    if (m_mode != Mode::Browse)
        post();
    if (n < 1 || n > recordCount())
        fail(QStringLiteral("Lesen"), QStringLiteral("Einen Datensatz Nummer %1 gibt es nicht.").arg(n));
    m_current = n - 1;
}

int AdoTable::fieldIndex(const QString& name) const
{
    return m_index.value(name.toLower(), -1);
}

int AdoTable::requireField(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        fail(QStringLiteral("Zugriff auf ein Feld"),
             QStringLiteral("Das Feld „%1“ gibt es nicht.").arg(name));
    return i;
}

const AdoTable::Record& AdoTable::current() const
{
    if (m_current < 0 || m_current >= recordCount())
        fail(QStringLiteral("Lesen"), QStringLiteral("Es ist kein Datensatz ausgewählt."));
    return m_records[std::size_t(m_current)];
}

QString AdoTable::field(const QString& name) const
{
    return field(requireField(name));
}

QString AdoTable::field(int position) const
{
    if (position < 0 || position >= m_columns.size())
        fail(QStringLiteral("Zugriff auf ein Feld"),
             QStringLiteral("Ein Feld Nummer %1 gibt es nicht.").arg(position));
    if (m_mode != Mode::Browse && m_pending.contains(position))
        return m_pending.value(position);
    return m_mode == Mode::Append ? QString() : current().texts.at(position);
}

bool AdoTable::isNull(int position) const
{
    return current().values.value(position).isNull();
}

QString AdoTable::readOnlyText() const
{
    return QStringLiteral("Die Datenbank kann nur gelesen werden: %1.").arg(m_connection.readOnlyCause());
}

void AdoTable::edit()
{
    if (m_mode != Mode::Browse)
        post();
    current();
    if (m_connection.readOnly())
        fail(QStringLiteral("Ändern"), readOnlyText());
    m_mode = Mode::Edit;
    m_pending.clear();
}

void AdoTable::append()
{
    if (m_mode != Mode::Browse)
        post();
    if (!m_open)
        fail(QStringLiteral("Anfügen"), QStringLiteral("Die Tabelle ist nicht geöffnet."));
    if (m_connection.readOnly())
        fail(QStringLiteral("Anfügen"), readOnlyText());
    m_mode = Mode::Append;
    m_pending.clear();
}

void AdoTable::setField(const QString& name, const QString& value)
{
    if (m_mode == Mode::Browse)
        fail(QStringLiteral("Ändern"), QStringLiteral("Der Datensatz ist nicht im Bearbeitungsmodus."));
    m_pending.insert(requireField(name), value);
}

void AdoTable::post()
{
    const Mode mode = std::exchange(m_mode, Mode::Browse);
    const QHash<int, QString> pending = std::exchange(m_pending, {});
    if (mode == Mode::Browse || (mode == Mode::Edit && pending.isEmpty()))
        return;
    QList<int> positions = pending.keys();
    std::sort(positions.begin(), positions.end());
    QSqlQuery q(m_connection.database());
    QStringList names;
    for (int p : positions)
        names << quote(m_columns.at(p));

    if (mode == Mode::Edit) {
        Record& r = m_records[std::size_t(m_current)];
        QStringList sets;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = ?");
        QString where;
        QVariantList keys;
        if (m_hasRowid) {
            where = QStringLiteral("rowid = ?");
            keys << r.rowid;
        } else {
            // Without a row id the record is found by every value it was read with.
            QStringList parts;
            for (int i = 0; i < m_columns.size(); ++i) {
                if (r.values.at(i).isNull()) {
                    parts << quote(m_columns.at(i)) + QStringLiteral(" IS NULL");
                } else {
                    parts << quote(m_columns.at(i)) + QStringLiteral(" = ?");
                    keys << r.values.at(i);
                }
            }
            where = parts.join(QStringLiteral(" AND "));
        }
        // A statement the database refuses (a table or field gone) fails here; binding values to
        // it would only report a parameter count.
        if (!prepare(q,
                     QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(quote(m_table), sets.join(u','), where)))
            fail(QStringLiteral("Speichern"), q.lastError());
        for (int p : positions)
            q.addBindValue(pending.value(p));
        for (const QVariant& k : keys)
            q.addBindValue(k);
        if (!exec(q))
            fail(QStringLiteral("Speichern"), q.lastError());
        // Another program deleted or changed the record since it was read: nothing was written.
        if (q.numRowsAffected() == 0)
            fail(QStringLiteral("Speichern"),
                 QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Programm geändert oder "
                                "gelöscht; es wurde nichts gespeichert."));
        if (m_kept && std::size_t(m_current) < m_kept->count && !m_kept->before.contains(m_current))
            m_kept->before.insert(m_current, r);
        for (int p : positions) {
            r.values[p] = pending.value(p);
            r.texts[p] = pending.value(p);
        }
        return;
    }

    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    if (!prepare(q, names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quote(m_table))
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(quote(m_table), names.join(u','), marks.join(u','))))
        fail(QStringLiteral("Anfügen"), q.lastError());
    for (int p : positions)
        q.addBindValue(pending.value(p));
    if (!exec(q))
        fail(QStringLiteral("Anfügen"), q.lastError());
    Record r;
    if (m_hasRowid) {
        // Read back what the database made of it (defaults, affinity).
        const qint64 rowid = q.lastInsertId().toLongLong();
        QSqlQuery back(m_connection.database());
        if (!prepare(back, QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quote(m_table))))
            fail(QStringLiteral("Anfügen"), back.lastError());
        back.addBindValue(rowid);
        if (!exec(back))
            fail(QStringLiteral("Anfügen"), back.lastError());
        if (!back.next())
            fail(QStringLiteral("Anfügen"),
                 QStringLiteral("Der angefügte Datensatz ist in der Datenbank nicht wiederzufinden."));
        QVariantList values;
        for (int i = 0; i < m_columns.size(); ++i)
            values << back.value(i);
        r = readRecord(values, rowid);
    } else {
        QVariantList values;
        for (int i = 0; i < m_columns.size(); ++i)
            values << (pending.contains(i) ? QVariant(pending.value(i)) : QVariant());
        r = readRecord(values, -1);
    }
    m_records.push_back(std::move(r));
    m_current = recordCount() - 1;
}
