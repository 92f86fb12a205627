#include "exchange/LicenceData.h"
#include "exchange/RefereeList.h"
#include "platform/Downloader.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

struct Reply
{
    int status = 200;
    QByteArray body;
    bool silent = false; // accepts the request and never answers
};

// An HTTP server on 127.0.0.1 in its own thread (the download blocks the test's thread) that
// serves one path and stops with the object.
class TinyHttpServer : public QThread
{
public:
    TinyHttpServer(QByteArray path, Reply reply) : m_path(std::move(path)), m_reply(std::move(reply))
    {
        start();
        m_ready.acquire();
    }
    ~TinyHttpServer() override
    {
        quit();
        wait();
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    int requests() const { return m_requests; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
            while (QTcpSocket* s = server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
        });
        m_ready.release();
        exec();
    }

private:
    void serve(QTcpSocket* socket)
    {
        const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        ++m_requests;
        const bool ours = request.split(' ').value(1) == m_path;
        const Reply r = ours ? m_reply : Reply{404, "<html>Not Found</html>"};
        if (r.silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(r.status) + " X\r\nContent-Length: " +
                      QByteArray::number(r.body.size()) + "\r\nConnection: close\r\n\r\n" + r.body);
        socket->disconnectFromHost();
    }

    const QByteArray m_path;
    const Reply m_reply;
    QSemaphore m_ready;
    std::atomic<quint16> m_port{0};
    std::atomic<int> m_requests{0};
};

quint16 portNobodyListensOn()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QByteArray kOldData = "[allgemein]\r\ndatum=01.01.2001\r\n";
const QByteArray kNewData = "[allgemein]\r\ndatum=01.09.2012\r\n[4711]\r\nvorname=Hans\r\n";

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    void refereeEntries_data();
    void refereeEntries();
    void refereeFile();
    void licenceDownload_data();
    void licenceDownload();
    void silentServerGivesUp();
};

void TestExchange::refereeEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    const QByteArray h = "ID;Name;Vorname;Verein\r\n";
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("header only") << h << QStringList();
    QTest::newRow("record") << h + "17;Muster;Hans\r\n" << QStringList{"Hans Muster"};
    QTest::newRow("extra fields") << h + "17;Muster;Hans;x;y" << QStringList{"Hans Muster"};
    QTest::newRow("no separator, short line") << h + "abc\r\n17;Muster\r\n" << QStringList{" ", " Muster"};
    QTest::newRow("empty line between, blanks kept") << h + "1;Muster;Hans \r\n\r\n2;Abel;Ina\r\n"
                                                     << QStringList{"Hans  Muster", " ", "Ina Abel"};
    QTest::newRow("bare LF") << QByteArray("ID;Name\n1;Muster;Hans\n\n2;Abel;Ina\n")
                             << QStringList{"Hans Muster", " ", "Ina Abel"};
    QTest::newRow("bare CR") << QByteArray("ID;Name\r1;Muster;Hans\r") << QStringList{"Hans Muster"};
    QTest::newRow("Windows-1252") << h + "1;M\xfcller;J\xf6rg\r\n2;Stra\xdf"
                                         "e;\x80\x84\x93\r\n"
                                  << QStringList{QStringLiteral("Jörg Müller"), QStringLiteral("€„“ Straße")};
}

void TestExchange::refereeEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QCOMPARE(RefereeList::entries(bytes), expected);
}

void TestExchange::refereeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!RefereeList::kampfrichter(dir.path()).has_value());

    // Present but without records still means drop-down lists, only empty ones.
    const QString path = dir.filePath(QString::fromLatin1(RefereeList::kFileName));
    writeAll(path, "ID;Name;Vorname\r\n");
    QCOMPARE(RefereeList::kampfrichter(dir.path()), std::optional<QStringList>(QStringList()));
    writeAll(path, "ID;Name;Vorname\r\n1;M\xfcller;Hans\r\n");
    QCOMPARE(RefereeList::kampfrichter(dir.path()),
             std::optional<QStringList>(QStringList{QStringLiteral("Hans Müller")}));
}

void TestExchange::licenceDownload_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("previous");
    QTest::addColumn<bool>("ok");

    QTest::newRow("success") << true << 200 << kNewData << true << true;
    QTest::newRow("success, UTF-8 with mark")
        << true << 200 << QByteArray("\xEF\xBB\xBF") + kNewData << true << true;
    QTest::newRow("success without previous file") << true << 200 << kNewData << false << true;
    QTest::newRow("not found") << true << 404 << QByteArray("<html>404</html>") << true << false;
    QTest::newRow("server error, data-like body") << true << 500 << kNewData << true << false;
    QTest::newRow("HTML page, status 200")
        << true << 200 << QByteArray("<!DOCTYPE html>\n<html><body>Anmelden</body></html>") << true << false;
    QTest::newRow("HTML after blanks and BOM")
        << true << 200 << QByteArray("\xEF\xBB\xBF\r\n  <HTML>Fehler</HTML>") << false << false;
    QTest::newRow("empty body") << true << 200 << QByteArray() << true << false;
    QTest::newRow("connection refused") << false << 0 << QByteArray() << true << false;
}

void TestExchange::licenceDownload()
{
    QFETCH(bool, listening);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, previous);
    QFETCH(bool, ok);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QString::fromLatin1(LicenceData::kFileName));
    if (previous)
        writeAll(target, kOldData);
    std::unique_ptr<TinyHttpServer> server;
    if (listening)
        server = std::make_unique<TinyHttpServer>(LicenceData::kDownloadPath, Reply{status, body});
    const QString base = server ? server->base() + QLatin1Char('/')
                                : QStringLiteral("http://127.0.0.1:%1").arg(portNobodyListensOn());

    const LicenceData::DownloadResult result = LicenceData::neusteLizenzenLaden(dir.path(), base);

    QCOMPARE(result.ok, ok);
    QCOMPARE(result.message,
             ok ? QStringLiteral("Die aktuelle Lizenzdatenbank wurde heruntergeladen.")
                : QStringLiteral("Es ist ein Fehler aufgetreten. Bitte prüfen Sie Ihre Internetverbindung."));
    QCOMPARE(readAll(target), ok ? body : previous ? kOldData : QByteArray());
    if (ok)
        QCOMPARE(IniFile::read(target, "allgemein", "datum", "Fehler"), QStringLiteral("01.09.2012"));
    // Neither a partial download nor a temporary file stays behind.
    const QStringList left =
        ok || previous ? QStringList{QString::fromLatin1(LicenceData::kFileName)} : QStringList();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), left);
    // A folder that has gone away takes no download either.
    if (ok)
        QVERIFY(!LicenceData::neusteLizenzenLaden(dir.filePath(QStringLiteral("weg")), base).ok);
}

void TestExchange::silentServerGivesUp()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("ziel.ini"));
    writeAll(target, kOldData);
    TinyHttpServer server("/still", Reply{200, {}, true});

    DownloadOptions options;
    options.idleTimeoutMs = 300;
    QVERIFY(!downloadfile(QUrl(server.base() + QStringLiteral("/still")), target, options));
    QCOMPARE(server.requests(), 1);
    QCOMPARE(readAll(target), kOldData);
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
