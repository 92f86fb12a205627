#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

class QSqlError;

// A connection to a desktop database file, set up from an OLE DB style connection string
// ("Data Source=<file>;Mode=ReadWrite;..."). The Jet provider does not exist here, so the file
// is reached through Qt SQL, chosen by what the file really is: an SQLite file read-write
// through QSQLITE, an Access file through an ODBC driver (read-write when a driver that can
// write Access files is registered, else read-only through MDBTools).
class AdoConnection
{
public:
    enum class Engine
    {
        Unknown,
        Sqlite,
        Access
    };

    AdoConnection();
    ~AdoConnection();
    AdoConnection(const AdoConnection&) = delete;
    AdoConnection& operator=(const AdoConnection&) = delete;

    void setConnectionString(const QString& text) { m_connectionString = text; }
    QString connectionString() const { return m_connectionString; }
    // Seconds a statement waits for a file that another program holds locked before it fails.
    void setCommandTimeout(int seconds) { m_timeoutSeconds = seconds; }
    int commandTimeout() const { return m_timeoutSeconds; }

    // Opens the file named by "Data Source". Throws UserError with a German text.
    void connect();
    void disconnect();
    bool connected() const { return m_connected; }
    // True when the file can only be read here (no writing driver, "Mode=Read", read-only file).
    bool readOnly() const { return !m_readOnlyCauses.isEmpty(); }
    // Why it can only be read, in German clauses joined by "; " (the file first, then the
    // driver); empty when it can be written.
    QString readOnlyCause() const { return m_readOnlyCauses.join(QStringLiteral("; ")); }
    Engine engine() const { return m_engine; }
    QString databaseFile() const { return m_file; }
    QSqlDatabase database() const;

    enum class FileChange
    {
        Unchanged,
        Removed,  // no file of that name any more (deleted, or moved away)
        Replaced, // a different file now stands under the name
    };
    // Whether the file under the Data Source name is still the one opened by connect().
    FileChange fileChange() const;

    // Runs `attempt` again while it fails only because another program holds the database
    // locked, until the command time-out has passed. Between attempts it waits a short step
    // with this thread's events handled, so a window on this thread keeps being drawn and
    // answering. Returns the last attempt's result; `error` tells its failure. Throws UserError
    // when the wait is broken off because the application is quitting.
    bool waitWhileLocked(const std::function<bool()>& attempt, const std::function<QSqlError()>& error) const;

    // Starts a transaction when the driver offers one and returns true; false when it offers
    // none (every posted record is then final at once). Throws UserError when it fails.
    bool beginTransaction();
    // Makes the transaction's changes final, waiting for a lock like a statement. Throws
    // UserError when it fails; the changes are then not in the database.
    void commitTransaction();
    // Throws the changes of the transaction away; never throws.
    void rollbackTransaction();

    // The value of `key` in a "key=value;..." string (key case-insensitive), "" when missing.
    static QString connectionValue(const QString& connectionString, const QString& key);
    // Data Source as a path of this system: a backslash is a folder separator.
    static QString dataSourcePath(const QString& connectionString);
    static Engine engineOf(const QByteArray& firstBytes);
    // The cause of a driver's error as one or more German sentences, for the operator: the
    // driver's own text is English and names the failing call rather than the cause. `table`
    // is the table the statement was on, when there is one.
    static QString germanCause(const QSqlError& error, Engine engine, const QString& table = {});

    struct Driver
    {
        QString name; // empty: none usable
        bool writes = false;
    };
    // The ODBC driver for Access files among the registered driver names: one that writes
    // when there is one, else MDBTools, which only reads.
    static Driver accessDriver(const QStringList& registered);
    // Driver names registered with unixODBC (odbcinst.ini of the system and of the user).
    static QStringList registeredOdbcDrivers();

private:
    QString m_connectionString;
    QString m_name;
    QString m_file;
    int m_timeoutSeconds = 30;
    bool m_connected = false;
    bool m_inTransaction = false;
    // The file's identity when it was opened.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    QStringList m_readOnlyCauses;
    Engine m_engine = Engine::Unknown;
};
