#include "AdoConnection.h"

#include "FileErrors.h"
#include "UserError.h"

#include <QAtomicInt>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDriver>
#include <QSqlError>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QAtomicInt g_counter;

// How long the window thread rests between two attempts on a locked database: short enough
// that the lock's end is noticed at once, long enough not to keep a core busy.
constexpr int kLockStepMs = 20;

// SQLITE_BUSY: another connection holds the lock this statement needs.
bool isLockedByOther(const QSqlError& error, AdoConnection::Engine engine)
{
    bool numbered = false;
    const int code = error.nativeErrorCode().toInt(&numbered);
    return engine == AdoConnection::Engine::Sqlite && numbered && (code & 0xff) == 5;
}

QString quoted(const QString& path)
{
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(path));
}

// Why the file cannot be opened for writing by this process, "" when it can. Tried for real:
// a permission test on the path answers for the real user (root passes it even where it
// lacks the right to override a file's mode) and knows nothing of read-only mounts.
QString writeCause(const QString& file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    switch (errno) {
    case EACCES:
    case EPERM:
        return QStringLiteral("die Datei ist schreibgeschützt");
    case EROFS:
        return QStringLiteral("die Datei liegt auf einem schreibgeschützten Datenträger");
    default:
        return QStringLiteral("die Datei kann nicht zum Schreiben geöffnet werden (%1)")
            .arg(germanErrno(errno));
    }
}

// The name after "<prefix>" in a driver text, without a schema or table qualifier.
QString nameAfter(const QString& text, const QString& prefix)
{
    const qsizetype at = text.indexOf(prefix, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    QString name = text.mid(at + prefix.size()).trimmed();
    name = name.section(QLatin1Char(','), 0, 0).trimmed();
    name = name.section(QLatin1Char('.'), -1);
    return name.remove(QLatin1Char('"'))
        .remove(QLatin1Char('\''))
        .remove(QLatin1Char('['))
        .remove(QLatin1Char(']'));
}

const QString kLocked =
    QStringLiteral("Die Datenbank wird gerade von einem anderen Programm benutzt und ist von ihm gesperrt. "
                   "Bitte schließen Sie das andere Programm oder warten Sie, bis es fertig ist, und "
                   "versuchen Sie es dann erneut.");

QString missingField(const QString& field, const QString& table)
{
    return table.isEmpty() ? QStringLiteral("Das Feld „%1“ fehlt in der Datenbank.").arg(field)
                           : QStringLiteral("Das Feld „%1“ fehlt in der Tabelle „%2“.").arg(field, table);
}

QString sqliteCause(const QSqlError& error, int code, const QString& table)
{
    const QString text = error.databaseText();
    switch (code & 0xff) { // the primary result code of an extended one
    case 1: {              // SQLITE_ERROR: the statement did not fit the database
        QString name = nameAfter(text, QStringLiteral("no such table:"));
        if (!name.isEmpty())
            return QStringLiteral("Die Tabelle „%1“ fehlt in der Datenbank.").arg(name);
        name = nameAfter(text, QStringLiteral("no such column:"));
        if (!name.isEmpty())
            return missingField(name, table);
        name = nameAfter(text, QStringLiteral("has no column named"));
        if (!name.isEmpty())
            return missingField(name, table);
        return QStringLiteral("Die Datenbank hat den Befehl nicht angenommen (SQLite-Fehler %1).").arg(code);
    }
    case 3:  // SQLITE_PERM
    case 23: // SQLITE_AUTH
        return QStringLiteral("Der Zugriff auf die Datenbank wurde verweigert.");
    case 4: // SQLITE_ABORT
    case 9: // SQLITE_INTERRUPT
        return QStringLiteral("Der Vorgang wurde von der Datenbank abgebrochen.");
    case 5:  // SQLITE_BUSY
    case 6:  // SQLITE_LOCKED
    case 15: // SQLITE_PROTOCOL: the locks changed too often
        return kLocked;
    case 7: // SQLITE_NOMEM
        return QStringLiteral("Es ist zu wenig Arbeitsspeicher frei.");
    case 8:               // SQLITE_READONLY
        if (code == 1032) // SQLITE_READONLY_DBMOVED: the same words as a write protection
            return QStringLiteral(
                "Die Datenbankdatei wurde entfernt oder durch eine andere ersetzt, seit sie "
                "geöffnet wurde; bitte öffnen Sie sie neu.");
        return code == 1544 // SQLITE_READONLY_DIRECTORY
                   ? QStringLiteral("Der Ordner der Datenbank ist schreibgeschützt; in die Datenbank kann "
                                    "nichts geschrieben werden.")
                   : QStringLiteral("Die Datenbankdatei ist schreibgeschützt; in sie kann nichts "
                                    "geschrieben werden.");
    case 10: // SQLITE_IOERR
        return QStringLiteral("Beim Zugriff auf die Datenbankdatei ist ein Ein-/Ausgabefehler des "
                              "Datenträgers aufgetreten.");
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return QStringLiteral("Die Datenbankdatei ist beschädigt oder keine Datenbank.");
    case 13: // SQLITE_FULL
        return QStringLiteral("Auf dem Datenträger der Datenbank ist zu wenig Speicherplatz.");
    case 14: // SQLITE_CANTOPEN: the file, or its journal beside it
        return QStringLiteral("Die Datenbankdatei oder ihre Hilfsdatei im selben Ordner kann nicht geöffnet "
                              "werden (fehlt oder keine Berechtigung).");
    case 17: // SQLITE_SCHEMA
        return QStringLiteral("Der Aufbau der Datenbank wurde inzwischen von einem anderen Programm "
                              "geändert. Bitte versuchen Sie es erneut.");
    case 18: // SQLITE_TOOBIG
        return QStringLiteral("Ein Wert ist zu groß für die Datenbank.");
    case 19: { // SQLITE_CONSTRAINT
        const QString field = nameAfter(text, QStringLiteral("constraint failed:"));
        if (code == 1299 && !field.isEmpty()) // SQLITE_CONSTRAINT_NOTNULL
            return QStringLiteral("Das Feld „%1“ darf in der Datenbank nicht leer bleiben.").arg(field);
        if ((code == 2067 || code == 1555) && !field.isEmpty()) // UNIQUE, PRIMARY KEY
            return QStringLiteral("Der Wert des Feldes „%1“ steht schon in einem anderen Datensatz; die "
                                  "Datenbank lässt ihn nur einmal zu.")
                .arg(field);
        return QStringLiteral("Ein Wert verstößt gegen eine Regel der Datenbank.");
    }
    case 20: // SQLITE_MISMATCH
        return QStringLiteral("Ein Wert passt nicht zum Datentyp seines Feldes.");
    default:
        break;
    }
    return QStringLiteral("Die Datenbank meldet einen Fehler (SQLite-Fehler %1).").arg(code);
}

// The ODBC drivers for Access files report in English text; the common causes are known by it.
QString odbcCause(const QSqlError& error, const QString& table)
{
    const QString text = error.databaseText();
    const auto has = [&text](const char* part) {
        return text.contains(QLatin1String(part), Qt::CaseInsensitive);
    };
    if (has("locked") || has("could not lock") || has("in use") || has("timeout expired"))
        return kLocked;
    if (has("cannot find the input table") || has("could not find output table") ||
        has("cannot find the output table")) {
        const qsizetype open = text.indexOf(QLatin1Char('\''));
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('\''), open + 1);
        return close > open + 1 ? QStringLiteral("Die Tabelle „%1“ fehlt in der Datenbank.")
                                      .arg(text.mid(open + 1, close - open - 1))
                                : QStringLiteral("Eine Tabelle fehlt in der Datenbank.");
    }
    if (has("too few parameters") || has("unknown field name"))
        return table.isEmpty() ? QStringLiteral("Ein Feld fehlt in der Datenbank.")
                               : QStringLiteral("Ein Feld fehlt in der Tabelle „%1“.").arg(table);
    if (has("read-only") || has("updateable query") || has("updatable query"))
        return QStringLiteral(
            "Die Datenbankdatei ist schreibgeschützt; in sie kann nichts geschrieben werden.");
    if (has("could not find file") || has("not a valid path"))
        return QStringLiteral("Die Datenbankdatei wurde nicht gefunden.");
    if (has("not a valid") || has("unrecognized database format"))
        return QStringLiteral("Die Datenbankdatei ist beschädigt oder keine Access-Datenbank.");
    if (has("data type mismatch") || has("invalid character value") || has("string data, right truncat"))
        return QStringLiteral("Ein Wert passt nicht zum Datentyp oder zur Länge seines Feldes.");
    return QStringLiteral("Die Datenbank meldet einen Fehler (ODBC-Fehler %1).")
        .arg(error.nativeErrorCode().isEmpty() ? QStringLiteral("ohne Nummer") : error.nativeErrorCode());
}

} // namespace

AdoConnection::AdoConnection() : m_name(QStringLiteral("ado-%1").arg(g_counter.fetchAndAddRelaxed(1))) {}

AdoConnection::~AdoConnection()
{
    disconnect();
}

QSqlDatabase AdoConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

QString AdoConnection::connectionValue(const QString& connectionString, const QString& key)
{
    for (const QString& part : connectionString.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed();
    }
    return {};
}

QString AdoConnection::dataSourcePath(const QString& connectionString)
{
    QString path = connectionValue(connectionString, QStringLiteral("Data Source"));
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(path);
}

AdoConnection::Engine AdoConnection::engineOf(const QByteArray& firstBytes)
{
    if (firstBytes.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Engine::Sqlite;
    const QByteArray tag = firstBytes.mid(4, 15);
    if (firstBytes.startsWith(QByteArrayLiteral("\0\1\0\0")) &&
        (tag == "Standard Jet DB" || tag == "Standard ACE DB"))
        return Engine::Access;
    return Engine::Unknown;
}

QString AdoConnection::germanCause(const QSqlError& error, Engine engine, const QString& table)
{
    bool numbered = false;
    const int code = error.nativeErrorCode().toInt(&numbered);
    // Qt's own refusals (a statement that could not be prepared, a parameter count) carry no
    // number of the database.
    if (engine == Engine::Sqlite && numbered)
        return sqliteCause(error, code, table);
    if (engine == Engine::Access && !error.databaseText().isEmpty())
        return odbcCause(error, table);
    return QStringLiteral("Die Datenbank hat den Befehl nicht ausgeführt.");
}

AdoConnection::Driver AdoConnection::accessDriver(const QStringList& registered)
{
    // The drivers that write Access files register under these names (Windows and the
    // commercial Unix drivers alike).
    static const QRegularExpression writer(
        QStringLiteral("^(Microsoft Access Driver|.*Access.*\\(\\*\\.mdb)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : registered) {
        if (writer.match(name).hasMatch() && !name.contains(QLatin1String("MDBTools"), Qt::CaseInsensitive))
            return {name, true};
    }
    for (const QString& name : registered) {
        if (name.compare(QLatin1String("MDBTools"), Qt::CaseInsensitive) == 0)
            return {name, false};
    }
    return {};
}

QStringList AdoConnection::registeredOdbcDrivers()
{
    QStringList files;
    const QString sysIni = qEnvironmentVariable("ODBCSYSINI");
    files << (sysIni.isEmpty() ? QStringLiteral("/etc") : sysIni) + QStringLiteral("/odbcinst.ini");
    files << QDir::homePath() + QStringLiteral("/.odbcinst.ini");
    QStringList names;
    for (const QString& file : files) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine()).trimmed();
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
                const QString name = line.mid(1, line.size() - 2).trimmed();
                if (name.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) != 0 && !names.contains(name))
                    names << name;
            }
        }
    }
    return names;
}

void AdoConnection::connect()
{
    disconnect();
    m_file = dataSourcePath(m_connectionString);
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden: %2")
                            .arg(quoted(m_file), file.exists() ? QStringLiteral("Zugriff verweigert")
                                                               : QStringLiteral("Datei nicht gefunden")));
    m_engine = engineOf(file.read(32));
    struct stat st = {};
    if (::fstat(file.handle(), &st) == 0) {
        m_device = quint64(st.st_dev);
        m_inode = quint64(st.st_ino);
    }
    file.close();
    m_readOnlyCauses.clear();
    const QString cause = writeCause(m_file);
    if (!cause.isEmpty())
        m_readOnlyCauses << cause;
    if (connectionValue(m_connectionString, QStringLiteral("Mode"))
            .compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0)
        m_readOnlyCauses << QStringLiteral("die Verbindung ist nur zum Lesen eingestellt");

    QSqlDatabase db;
    if (m_engine == Engine::Sqlite) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(m_file);
        // A statement never sleeps on a lock: waitWhileLocked() waits with the events handled.
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=0");
        if (readOnly())
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
    } else if (m_engine == Engine::Access) {
        const Driver driver = accessDriver(registeredOdbcDrivers());
        if (driver.name.isEmpty())
            throw UserError(
                QStringLiteral("Die Access-Datenbank %1 kann nicht geöffnet werden: Es ist kein "
                               "ODBC-Treiber für Access-Dateien installiert (z. B. „odbc-mdbtools“).")
                    .arg(quoted(m_file)));
        if (!driver.writes)
            m_readOnlyCauses << QStringLiteral("es ist kein ODBC-Treiber installiert, der Access-Dateien "
                                               "schreiben kann („%1“ liest sie nur)")
                                    .arg(driver.name);
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
        db.setDatabaseName(QStringLiteral("DRIVER={%1};DBQ=%2;").arg(driver.name, m_file));
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(m_timeoutSeconds));
    } else {
        throw UserError(
            QStringLiteral("Die Datei %1 ist keine Access- oder SQLite-Datenbank.").arg(quoted(m_file)));
    }
    if (!db.open()) {
        const QString why = germanCause(db.lastError(), m_engine);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw UserError(
            QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden: %2").arg(quoted(m_file), why));
    }
    m_connected = true;
}

AdoConnection::FileChange AdoConnection::fileChange() const
{
    struct stat st = {};
    if (::stat(QFile::encodeName(m_file).constData(), &st) != 0)
        return FileChange::Removed;
    return quint64(st.st_dev) == m_device && quint64(st.st_ino) == m_inode ? FileChange::Unchanged
                                                                           : FileChange::Replaced;
}

bool AdoConnection::waitWhileLocked(const std::function<bool()>& attempt,
                                    const std::function<QSqlError()>& error) const
{
    const QDeadlineTimer deadline(qint64(m_timeoutSeconds) * 1000, Qt::PreciseTimer);
    while (true) {
        if (attempt())
            return true;
        if (!isLockedByOther(error(), m_engine) || deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(int(std::min<qint64>(kLockStepMs, deadline.remainingTime())), Qt::PreciseTimer,
                           &loop, [&loop] { loop.exit(1); });
        // Any other end of the loop is the application quitting: it ends every loop of the
        // thread, and a new one returns at once.
        if (loop.exec() != 1)
            throw UserError(QStringLiteral("Das Warten auf die gesperrte Datenbank wurde abgebrochen, weil "
                                           "das Programm beendet wird."));
    }
}

bool AdoConnection::beginTransaction()
{
    QSqlDatabase db = database();
    if (!m_connected || !db.driver()->hasFeature(QSqlDriver::Transactions))
        return false;
    if (!db.transaction())
        throw UserError(QStringLiteral("Die Datenbank %1 kann keine Übertragung beginnen: %2")
                            .arg(quoted(m_file), germanCause(db.lastError(), m_engine)));
    m_inTransaction = true;
    return true;
}

void AdoConnection::commitTransaction()
{
    QSqlDatabase db = database();
    if (!waitWhileLocked([&db] { return db.commit(); }, [&db] { return db.lastError(); }))
        throw UserError(QStringLiteral("Die Datenbank %1 hat die Übertragung nicht abgeschlossen: %2")
                            .arg(quoted(m_file), germanCause(db.lastError(), m_engine)));
    m_inTransaction = false;
}

void AdoConnection::rollbackTransaction()
{
    if (!std::exchange(m_inTransaction, false))
        return;
    // A transaction that SQLite ended itself on a failed commit makes this fail; the journal
    // beside the file undoes anything left at the next opening either way.
    database().rollback();
}

void AdoConnection::disconnect()
{
    rollbackTransaction();
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_connected = false;
}
