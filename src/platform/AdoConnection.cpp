#include "AdoConnection.h"

#include "UserError.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlError>

namespace {

QAtomicInt g_counter;

QString quoted(const QString& path)
{
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(path));
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
    file.close();
    m_readOnly = connectionValue(m_connectionString, QStringLiteral("Mode"))
                         .compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0 ||
                 !QFileInfo(m_file).isWritable();

    QSqlDatabase db;
    if (m_engine == Engine::Sqlite) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(m_file);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_timeoutSeconds * 1000);
        if (m_readOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
    } else if (m_engine == Engine::Access) {
        const Driver driver = accessDriver(registeredOdbcDrivers());
        if (driver.name.isEmpty())
            throw UserError(
                QStringLiteral("Die Access-Datenbank %1 kann nicht geöffnet werden: Es ist kein "
                               "ODBC-Treiber für Access-Dateien installiert (z. B. „odbc-mdbtools“).")
                    .arg(quoted(m_file)));
        m_readOnly = m_readOnly || !driver.writes;
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
        db.setDatabaseName(QStringLiteral("DRIVER={%1};DBQ=%2;").arg(driver.name, m_file));
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(m_timeoutSeconds));
    } else {
        throw UserError(
            QStringLiteral("Die Datei %1 ist keine Access- oder SQLite-Datenbank.").arg(quoted(m_file)));
    }
    if (!db.open()) {
        const QString why = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw UserError(
            QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden: %2").arg(quoted(m_file), why));
    }
    m_connected = true;
}

void AdoConnection::disconnect()
{
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_connected = false;
}
