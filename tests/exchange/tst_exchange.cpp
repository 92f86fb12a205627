#include "exchange/LicenceData.h"
#include "exchange/RefereeList.h"
#include "exchange/TarvoExchange.h"
#include "exchange/ZelmoExport.h"
#include "platform/AdoConnection.h"
#include "platform/AdoTable.h"
#include "platform/Downloader.h"
#include "platform/DurableFile.h"
#include "platform/IniFile.h"
#include "platform/UserError.h"
#include "support/FileModes.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cstdio>

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
    void downloadNotOnDiskKeepsPreviousData();
    void silentServerGivesUp();
    void zelmoNamensteil_data();
    void zelmoNamensteil();
    void zelmoHeaderLine_data();
    void zelmoHeaderLine();
    void zelmoBoutLine_data();
    void zelmoBoutLine();
    void zelmoFile_data();
    void zelmoFile();
    void databaseEngine_data();
    void databaseEngine();
    void databaseErrorCause_data();
    void databaseErrorCause();
    void tarvoConnectionString();
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
    QVERIFY(writeAll(path, "ID;Name;Vorname\r\n"));
    QCOMPARE(RefereeList::kampfrichter(dir.path()), std::optional<QStringList>(QStringList()));
    QVERIFY(writeAll(path, "ID;Name;Vorname\r\n1;M\xfcller;Hans\r\n"));
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
        QVERIFY(writeAll(target, kOldData));
    std::unique_ptr<TinyHttpServer> server;
    if (listening)
        server = std::make_unique<TinyHttpServer>(LicenceData::kDownloadPath, Reply{status, body});
    const QString base = server ? server->base() + QLatin1Char('/')
                                : QStringLiteral("http://127.0.0.1:%1").arg(portNobodyListensOn());

    QString failure;
    try {
        LicenceData::neusteLizenzenLaden(dir.path(), base);
    } catch (const UserError& e) {
        failure = e.message();
    }

    QCOMPARE(failure,
             ok ? QString()
                : QStringLiteral("Es ist ein Fehler aufgetreten. Bitte prüfen Sie Ihre Internetverbindung."));
    QCOMPARE(LicenceData::kLoadedText, QStringLiteral("Die aktuelle Lizenzdatenbank wurde heruntergeladen."));
    QCOMPARE(readAll(target), ok ? body : previous ? kOldData : QByteArray());
    if (ok)
        QCOMPARE(IniFile::read(target, "allgemein", "datum", "Fehler"), QStringLiteral("01.09.2012"));
    // Neither a partial download nor a temporary file stays behind.
    const QStringList left =
        ok || previous ? QStringList{QString::fromLatin1(LicenceData::kFileName)} : QStringList();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), left);
    // A folder that has gone away takes no download either.
    if (ok)
        QVERIFY_THROWS_EXCEPTION(UserError,
                                 LicenceData::neusteLizenzenLaden(dir.filePath(QStringLiteral("weg")), base));
}

// A download whose bytes never reach the disk is a failed download: the previous licence
// data stays.
void TestExchange::downloadNotOnDiskKeepsPreviousData()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("ziel.ini"));
    QVERIFY(writeAll(target, kOldData));
    TinyHttpServer server("/neu", Reply{200, "[allgemein]\r\ndatum=02.02.2022\r\n"});
    DurableFile::SystemCalls calls;
    calls.fsync = [](int) {
        errno = EIO;
        return -1;
    };
    DurableFile::setSystemCallsForTests(calls);
    const auto restore = qScopeGuard([] { DurableFile::setSystemCallsForTests({}); });

    QVERIFY(!downloadfile(QUrl(server.base() + QStringLiteral("/neu")), target, {}));
    QCOMPARE(readAll(target), kOldData);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("ziel.ini")});
}

void TestExchange::silentServerGivesUp()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("ziel.ini"));
    QVERIFY(writeAll(target, kOldData));
    TinyHttpServer server("/still", Reply{200, {}, true});

    DownloadOptions options;
    options.idleTimeoutMs = 300;
    QVERIFY(!downloadfile(QUrl(server.base() + QStringLiteral("/still")), target, options));
    QCOMPARE(server.requests(), 1);
    QCOMPARE(readAll(target), kOldData);
}

Q_DECLARE_METATYPE(BoutRow)

namespace {

// The current data row's value of a column, inside an expression.
template <class T> T fetched(const char* column)
{
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

// The bout row of the example line: 66 kg Greco-Roman, 3:0, PS 5:1, four actions at 0:47 .. 3:30.
BoutRow exampleRow()
{
    BoutRow r;
    r[0] = "66";
    r[1] = "G";
    r[3] = "Hans";
    r[4] = "Muster";
    r[5] = "4711";
    r[6] = "A";
    r[8] = "3";
    r[10] = "Karl";
    r[11] = "Beispiel";
    r[12] = "815";
    r[13] = "A";
    r[15] = "0";
    r[16] = "PS";
    r[17] = "5";
    r[18] = "1";
    r[19] = "5:10";
    r[20] = "2 12";
    r[21] = " 1  ";
    r[22] = "0:47;1:12;2:05;3:30;";
    return r;
}

BoutRow withCells(std::initializer_list<std::pair<int, const char*>> cells)
{
    BoutRow r = exampleRow();
    for (const auto& [column, text] : cells)
        r[std::size_t(column)] = QString::fromUtf8(text);
    return r;
}

} // namespace

void TestExchange::zelmoNamensteil_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("rest");
    QTest::newRow("three words") << "Hans Peter Muster"
                                 << "Hans"
                                 << "Peter Muster";
    QTest::newRow("one word") << "Muster"
                              << "Muster"
                              << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("leading blank") << " Muster"
                                   << ""
                                   << "Muster";
    QTest::newRow("double blank") << "Hans  Muster"
                                  << "Hans"
                                  << " Muster";
}

void TestExchange::zelmoNamensteil()
{
    QFETCH(QString, text);
    QCOMPARE(ZelmoExport::namensteil(text, 1), fetched<QString>("first"));
    QCOMPARE(ZelmoExport::namensteil(text, 2), fetched<QString>("rest"));
}

void TestExchange::zelmoHeaderLine_data()
{
    QTest::addColumn<QString>("ml");
    QTest::addColumn<QString>("remarks");
    QTest::addColumn<QString>("expected");
    const QString head = QStringLiteral("zelmoi;2.0.0;MK;0;Oberliga;12.10.2012;KSV Heim;AC Gast;24;8;350;");
    QTest::newRow("empty remarks") << "Hans Peter Muster"
                                   << "" << head + "Peter Muster;Hans;";
    QTest::newRow("two-line remarks")
        << "Muster"
        << "Halle kalt\r\nBeginn 20 Uhr" << head + ";Muster;Halle kalt / Beginn 20 Uhr";
    QTest::newRow("pasted LF break") << ""
                                     << "a\nb\rc" << head + ";;a / b / c";
    QTest::newRow("semicolon unquoted") << "A B"
                                        << "x;y" << head + "B;A;x;y";
}

void TestExchange::zelmoHeaderLine()
{
    MatchRecord record;
    record.setHeader("liga", "Oberliga");
    record.setHeader("datum", "12.10.2012");
    record.setHeader("heim", "KSV Heim");
    record.setHeader("gast", "AC Gast");
    record.setHeader("zuschauer", "350");
    record.setHeader("ml", fetched<QString>("ml"));
    record.setHeader("bemerkungen", fetched<QString>("remarks"));
    QCOMPARE(ZelmoExport::headerLine(record, "24", "8"), fetched<QString>("expected"));
}

void TestExchange::zelmoBoutLine_data()
{
    QTest::addColumn<BoutRow>("row");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("error");
    const QString names = "66;GR;4711;Muster;Hans;A;815;Beispiel;Karl;A;3;0;PS;5:1";
    QTest::newRow("example") << exampleRow() << names + "(points 2r47,1b72,1r125,2r210)(duration 310)"
                             << "";
    QTest::newRow("empty row") << BoutRow{} << ";;;;;;;;;;;;;:(points )(duration )"
                               << "";
    QTest::newRow("freestyle, no actions, 10:00")
        << withCells({{1, "F"}, {19, "10:00"}, {20, ""}, {21, ""}, {22, ""}})
        << QString(names).replace("GR", "LL") + "(points )(duration )"
        << "";
    QTest::newRow("other style") << withCells({{1, "x"}})
                                 << QString(names).replace("GR", "") +
                                        "(points 2r47,1b72,1r125,2r210)(duration 310)"
                                 << "";
    QTest::newRow("two-digit minutes: no times")
        << withCells({{22, "10:47;11:12;12:05;13:30;"}}) << names + "(points 2r,1b,1r,2r)(duration 310)"
        << "";
    QTest::newRow("caution and passivity") << withCells({{20, "P "}, {21, " V"}, {22, "0:05;1:00;"}})
                                           << names + "(points Pr5,Vb60)(duration 310)"
                                           << "";
    QTest::newRow("blue string shorter")
        << withCells({{20, "2  "}, {21, " "}, {22, ""}}) << names + "(points 2r)(duration 310)"
        << "";
    QTest::newRow("non-digit action time") << withCells({{22, "0:47;1:x2;2:05;3:30;"}}) << ""
                                           << "'x2' ist kein gültiger Integerwert";
    QTest::newRow("non-digit clock") << withCells({{19, "a:10"}}) << ""
                                     << "'a' ist kein gültiger Integerwert";
    // A sign or a blank is no digit either: it would give negative or shifted seconds.
    QTest::newRow("signed action time") << withCells({{22, "0:47;1:-2;2:05;3:30;"}}) << ""
                                        << "'-2' ist kein gültiger Integerwert";
    QTest::newRow("blank in clock") << withCells({{19, "5: 9"}}) << ""
                                    << "' 9' ist kein gültiger Integerwert";
}

void TestExchange::zelmoBoutLine()
{
    QFETCH(BoutRow, row);
    QFETCH(QString, error);
    try {
        QCOMPARE(ZelmoExport::boutLine(row), fetched<QString>("expected"));
        QVERIFY(error.isEmpty());
    } catch (const UserError& e) {
        QCOMPARE(e.message(), error);
    }
}

namespace {

// The empty match's header line, or its empty bout line, with the given fields (numbered from 1)
// set; the header's fixed text is not counted.
QByteArray zelmoHeader(std::initializer_list<std::pair<int, QByteArray>> set)
{
    QList<QByteArray> fields(10);
    fields[4] = fields[5] = "0";
    for (const auto& [field, bytes] : set)
        fields[field - 1] = bytes;
    return "zelmoi;2.0.0;MK;0;" + fields.join(';');
}

QByteArray zelmoBout(std::initializer_list<std::pair<int, QByteArray>> set)
{
    QList<QByteArray> fields(14);
    fields[13] = ":(points )(duration )";
    for (const auto& [field, bytes] : set)
        fields[field - 1] = bytes;
    return fields.join(';');
}

QString zelmoRefusal(const QString& character, const char* code, const char* where)
{
    return QStringLiteral("Das Zeichen „%1“ (U+%2) %3 kann in der ZELMO-Exportdatei nicht geschrieben "
                          "werden. Es wurde keine Datei geschrieben.")
        .arg(character, QLatin1String(code), QLatin1String(where));
}

QString withChar(const char* before, char16_t c, const char* after = "")
{
    return QString::fromUtf8(before) + QChar(c) + QString::fromUtf8(after);
}

} // namespace

void TestExchange::zelmoFile_data()
{
    // `target` is a header field or the column of a cell in bout row 1; `line` the line of the
    // file (0 the header) that is to hold `expected`, without its CR LF.
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("error");
    const char* head = "in der Kopfzeile";
    const char* row1 = "in Zeile 1 des Protokolls";
    QTest::newRow("Latin-1 and Windows-1252")
        << "4"
        << "Müßig „€“" << 1 << zelmoBout({{4, "M\xfc\xdfig \x84\x80\x93"}}) << "";
    // Every character of the code page as its byte; the published table as the system's own
    // decoder has it stands against the export's own table.
    QByteArray codePage;
    for (int b = 0x20; b < 0x100; ++b)
        if (b != ';' && b != 0x7F && !QByteArray("\x81\x8d\x8f\x90\x9d").contains(char(b)))
            codePage += char(b);
    QStringDecoder cp1252("windows-1252");
    QTest::newRow("every character of the code page")
        << "4" << QString(cp1252.decode(codePage)) << 1 << zelmoBout({{4, codePage}}) << "";
    QTest::newRow("accents without a code") << "4"
                                            << "Ćwik Dvořák" << 1 << zelmoBout({{4, "Cwik Dvor\xe1k"}}) << "";
    QTest::newRow("no letter to fall back on")
        << "4"
        << "Łukasz" << 1 << QByteArray() << zelmoRefusal("Ł", "0141", row1);
    QTest::newRow("character beyond 16 bits")
        << "4"
        << "Kai 🤼" << 1 << QByteArray() << zelmoRefusal("🤼", "1F93C", row1);
    // A line break anywhere but in the remarks is one blank, so that no line is split.
    QTest::newRow("CR LF in the league") << "liga"
                                         << "Ober\r\nliga" << 0 << zelmoHeader({{1, "Ober liga"}}) << "";
    QTest::newRow("LF in the home team") << "heim"
                                         << "KSV\nHeim" << 0 << zelmoHeader({{3, "KSV Heim"}}) << "";
    QTest::newRow("CR in the guest team") << "gast"
                                          << "AC\rGast" << 0 << zelmoHeader({{4, "AC Gast"}}) << "";
    QTest::newRow("break in the mat chairman, before the first blank")
        << "ml"
        << "Hans\r\nPeter Muster" << 0 << zelmoHeader({{8, "Peter Muster"}, {9, "Hans"}}) << "";
    QTest::newRow("mixed breaks in a last name") << "4"
                                                 << "a\r\r\nb\n\rc" << 1 << zelmoBout({{4, "a  b  c"}}) << "";
    QTest::newRow("CR LF in a guest first name")
        << "10"
        << "Karl\r\nHeinz" << 1 << zelmoBout({{9, "Karl Heinz"}}) << "";
    QTest::newRow("LF in the technical points") << "17"
                                                << "5\n"
                                                << 1 << zelmoBout({{14, "5 :(points )(duration )"}}) << "";
    // A ";" typed into a value is written as it stands and is the only thing that adds a field.
    QTest::newRow("semicolon stays") << "heim"
                                     << "KSV;Heim" << 0 << zelmoHeader({{3, "KSV;Heim"}}) << "";
    // Characters whose stand-in is ";" would add a field: refused.
    QTest::newRow("Greek question mark") << "3" << withChar("Hans", 0x037E) << 1 << QByteArray()
                                         << zelmoRefusal(withChar("", 0x037E), "037E", row1);
    QTest::newRow("fullwidth semicolon") << "liga" << withChar("Oberliga", 0xFF1B) << 0 << QByteArray()
                                         << zelmoRefusal(withChar("", 0xFF1B), "FF1B", head);
    QTest::newRow("small semicolon") << "11" << withChar("Bei", 0xFE54, "spiel") << 1 << QByteArray()
                                     << zelmoRefusal(withChar("", 0xFE54), "FE54", row1);
    // Control characters would reach the outside program as raw bytes.
    QTest::newRow("tab in the remarks")
        << "bemerkungen"
        << "Halle\tkalt" << 0 << QByteArray() << zelmoRefusal("\t", "0009", head);
    QTest::newRow("NUL in a first name")
        << "3" << withChar("Ha", 0, "ns") << 1 << QByteArray() << zelmoRefusal(withChar("", 0), "0000", row1);
    QTest::newRow("escape in a licence") << "12" << withChar("815", 0x1B) << 1 << QByteArray()
                                         << zelmoRefusal(withChar("", 0x1B), "001B", row1);
    QTest::newRow("delete in a last name") << "4" << withChar("Mus", 0x7F, "ter") << 1 << QByteArray()
                                           << zelmoRefusal(withChar("", 0x7F), "007F", row1);
    QTest::newRow("C1 U+0080, not the euro byte") << "heim" << withChar("", 0x80) << 0 << QByteArray()
                                                  << zelmoRefusal(withChar("", 0x80), "0080", head);
    QTest::newRow("C1 next line in the win type") << "16" << withChar("PS", 0x85) << 1 << QByteArray()
                                                  << zelmoRefusal(withChar("", 0x85), "0085", row1);
    QTest::newRow("C1 U+009F in the guest team") << "gast" << withChar("", 0x9F, "Gast") << 0 << QByteArray()
                                                 << zelmoRefusal(withChar("", 0x9F), "009F", head);
    QTest::newRow("Unicode line separator") << "liga" << withChar("Ober", 0x2028, "liga") << 0 << QByteArray()
                                            << zelmoRefusal(withChar("", 0x2028), "2028", head);
}

void TestExchange::zelmoFile()
{
    QFETCH(QString, target);
    QFETCH(QString, value);
    QFETCH(int, line);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("zelmo.txt");
    QVERIFY(writeAll(path, "previous"));
    MatchRecord record;
    record.setRowCount(3);
    bool isColumn = false;
    const int column = target.toInt(&isColumn);
    if (isColumn)
        record.setCell(column, 1, value);
    else
        record.setHeader(target, value);
    try {
        ZelmoExport::write(path, record, "0", "0");
        QVERIFY(error.isEmpty());
    } catch (const UserError& e) {
        QCOMPARE(e.message(), error);
        QCOMPARE(readAll(path), QByteArray("previous"));
        return;
    }
    const QByteArray file = readAll(path);
    // Three lines each ending in CR LF, then nothing; no CR or LF inside a line.
    QVERIFY(file.endsWith("\r\n"));
    const QList<QByteArray> lines = file.chopped(2).split('\n');
    QCOMPARE(lines.size(), 3);
    QList<QByteArray> expected = {zelmoHeader({}), zelmoBout({}), zelmoBout({})};
    expected[line] = fetched<QByteArray>("expected");
    for (int i = 0; i < 3; ++i) {
        const QByteArray text = i < 2 ? lines[i].chopped(1) : lines[i];
        QVERIFY(i == 2 || lines[i].endsWith('\r'));
        QVERIFY2(!text.contains('\r'), text.constData());
        QCOMPARE(text, expected[i]);
        QCOMPARE(text.count(';') + 1, 14 + (i == line ? value.count(';') : 0));
    }
    // The empty match gives the header line alone.
    MatchRecord empty;
    empty.setRowCount(1);
    ZelmoExport::write(path, empty, "0", "0");
    QCOMPARE(readAll(path), QByteArray("zelmoi;2.0.0;MK;0;;;;;0;0;;;;\r\n"));
}

void TestExchange::databaseEngine_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("writeProtected"); // the file's mode is 0444
    QTest::addColumn<QStringList>("drivers");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<bool>("writes");
    // Part of the message of connecting, opening or writing. A file with only the Access
    // signature fails when MDBTools connects or when it opens the table ("geöffnet", "Öffnen").
    QTest::addColumn<QString>("error");
    const QByteArray jet = QByteArray("\0\1\0\0Standard Jet DB\0", 20);
    QTest::newRow("SQLite read-write")
        << QByteArray() << "ReadWrite" << false << QStringList{} << "" << false << "";
    QTest::newRow("SQLite opened to read")
        << QByteArray() << "Read" << false << QStringList{} << "" << false
        << "Fehler in der Datenbank beim Anfügen (Tabelle „t“): Die Datenbank "
           "kann nur gelesen werden: die Verbindung ist nur zum Lesen eingestellt.";
    // The cause is the file, not a missing Access driver.
    QTest::newRow("SQLite on a write-protected file")
        << QByteArray() << "ReadWrite" << true << QStringList{} << "" << false
        << "Fehler in der Datenbank beim Anfügen (Tabelle „t“): Die Datenbank "
           "kann nur gelesen werden: die Datei ist schreibgeschützt.";
    QTest::newRow("Access, MDBTools only")
        << jet << "ReadWrite" << false << QStringList{"PostgreSQL", "MDBTools"} << "MDBTools" << false
        << "ffne";
    QTest::newRow("Access, a writing driver registered")
        << jet << "ReadWrite" << false << QStringList{"MDBTools", "Microsoft Access Driver (*.mdb, *.accdb)"}
        << "Microsoft Access Driver (*.mdb, *.accdb)" << true << "ffne";
    QTest::newRow("neither") << QByteArray("PK\3\4") << "ReadWrite" << false << QStringList{} << "" << false
                             << "ist keine Access- oder SQLite-Datenbank.";
}

void TestExchange::databaseEngine()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, mode);
    QFETCH(bool, writeProtected);
    QFETCH(QStringList, drivers);
    QFETCH(QString, error);
    const AdoConnection::Driver d = AdoConnection::accessDriver(drivers);
    QCOMPARE(d.name, fetched<QString>("driver"));
    QCOMPARE(d.writes, fetched<bool>("writes"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("tarvo03.mdb");
    if (head.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery(db).exec("CREATE TABLE t (a INTEGER, b TEXT)");
        QSqlQuery(db).exec("INSERT INTO t VALUES (1, 'x'), (2, NULL)");
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("make");
    } else {
        QVERIFY(writeAll(file, head + QByteArray(2048, '\0')));
    }
    std::optional<ModeBitsBind> modeBits;
    if (writeProtected) {
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
        modeBits.emplace();
        if (!ModeBitsBind::refusesWriting(file))
            QSKIP("this process writes to write-protected files and cannot give that right up");
    }
    QCOMPARE(AdoConnection::engineOf(readAll(file).left(32)), head.isEmpty() ? AdoConnection::Engine::Sqlite
                                                              : head.startsWith("PK")
                                                                  ? AdoConnection::Engine::Unknown
                                                                  : AdoConnection::Engine::Access);
    AdoConnection connection;
    // The folder as the operator's program names it, with a backslash before the file.
    connection.setConnectionString("Provider=X;Data Source=" + dir.path() + "\\tarvo03.mdb;Mode=" + mode +
                                   ";");
    try {
        connection.connect();
        AdoTable table(connection);
        table.open("t");
        QCOMPARE(table.recordCount(), 2);
        table.moveTo(2);
        QCOMPARE(table.field("A"), QString("2"));
        QCOMPARE(table.field(1), QString());
        table.append();
        table.setField("b", "neu");
        table.post();
        table.moveTo(1);
        table.edit();
        table.setField("B", "y");
        table.post();
        QCOMPARE(table.recordCount(), 3);
        table.moveTo(3);
        QCOMPARE(table.field("b"), QString("neu"));
        QVERIFY(error.isEmpty());
    } catch (const UserError& e) {
        QVERIFY2(!error.isEmpty() && e.message().contains(error), qPrintable(e.message()));
    }
    connection.disconnect();
    modeBits.reset();
    if (head.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        q.exec("SELECT group_concat(ifnull(b, '-'), ',') FROM t");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), error.isEmpty() ? QString("y,-,neu") : QString("x,-"));
        q = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("check");
    }
}

// The driver's own error, got for real from SQLite, becomes its cause in German; the driver's
// English text and its "Unable to fetch row" never reach the operator.
void TestExchange::databaseErrorCause_data()
{
    QTest::addColumn<QString>("options");    // of the connection that fails
    QTest::addColumn<QString>("otherHolds"); // run and held by a second connection first
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("cause");
    const QString locked = "Die Datenbank wird gerade von einem anderen Programm benutzt und ist von ihm "
                           "gesperrt. Bitte schließen Sie das andere Programm oder warten Sie, bis es fertig "
                           "ist, und versuchen Sie es dann erneut.";
    QTest::newRow("locked by another program, write") << "QSQLITE_BUSY_TIMEOUT=0"
                                                      << "BEGIN EXCLUSIVE"
                                                      << "UPDATE t SET b = 'z'" << locked;
    QTest::newRow("locked by another program, read") << "QSQLITE_BUSY_TIMEOUT=0"
                                                     << "BEGIN EXCLUSIVE"
                                                     << "SELECT rowid, * FROM t" << locked;
    QTest::newRow("table missing") << ""
                                   << ""
                                   << "SELECT rowid, * FROM \"MKKampfrunden\""
                                   << "Die Tabelle „MKKampfrunden“ fehlt in der Datenbank.";
    QTest::newRow("field missing, update") << ""
                                           << ""
                                           << "UPDATE \"t\" SET \"Zeitnehmer\" = 'x'"
                                           << "Das Feld „Zeitnehmer“ fehlt in der Tabelle „t“.";
    QTest::newRow("field missing, insert") << ""
                                           << ""
                                           << "INSERT INTO \"t\" (\"Zeitnehmer\") VALUES ('x')"
                                           << "Das Feld „Zeitnehmer“ fehlt in der Tabelle „t“.";
    // SQLite answers with the words of a write protection; the code tells the true cause.
    QTest::newRow("file replaced since it was opened")
        << ""
        << "replace the file"
        << "UPDATE t SET b = 'z'"
        << "Die Datenbankdatei wurde entfernt oder durch eine andere ersetzt, seit sie geöffnet wurde; "
           "bitte öffnen Sie sie neu.";
    QTest::newRow("file removed since it was opened")
        << ""
        << "remove the file"
        << "UPDATE t SET b = 'z'"
        << "Die Datenbankdatei wurde entfernt oder durch eine andere ersetzt, seit sie geöffnet wurde; "
           "bitte öffnen Sie sie neu.";
    QTest::newRow("opened read-only") << "QSQLITE_OPEN_READONLY"
                                      << ""
                                      << "UPDATE t SET b = 'z'"
                                      << "Die Datenbankdatei ist schreibgeschützt; in sie kann nichts "
                                         "geschrieben werden.";
    QTest::newRow("field must not be empty") << ""
                                             << ""
                                             << "INSERT INTO n (a) VALUES (NULL)"
                                             << "Das Feld „a“ darf in der Datenbank nicht leer bleiben.";
    QTest::newRow("value already there")
        << ""
        << ""
        << "INSERT INTO n (a) VALUES ('x')"
        << "Der Wert des Feldes „a“ steht schon in einem anderen Datensatz; die Datenbank lässt ihn nur "
           "einmal zu.";
}

void TestExchange::databaseErrorCause()
{
    QFETCH(QString, options);
    QFETCH(QString, otherHolds);
    QFETCH(QString, statement);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("tarvo03.mdb");
    const auto cleanup = qScopeGuard([] {
        for (const char* name : {"other", "ours"})
            QSqlDatabase::removeDatabase(name);
    });
    QString cause;
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName(file);
        QVERIFY(other.open());
        for (const char* setup : {"CREATE TABLE t (a INTEGER, b TEXT)", "INSERT INTO t VALUES (1, 'x')",
                                  "CREATE TABLE n (a TEXT NOT NULL UNIQUE)", "INSERT INTO n VALUES ('x')"})
            QVERIFY(QSqlQuery(other).exec(setup));
        const bool holds = !otherHolds.isEmpty() && !otherHolds.endsWith("the file");
        QSqlQuery held(other);
        if (holds)
            QVERIFY(held.exec(otherHolds));
        QSqlDatabase ours = QSqlDatabase::addDatabase("QSQLITE", "ours");
        ours.setDatabaseName(file);
        ours.setConnectOptions(options);
        QVERIFY(ours.open());
        QSqlQuery q(ours);
        if (otherHolds.endsWith("the file")) {
            QVERIFY(q.exec("SELECT COUNT(*) FROM t")); // the connection has the file open now
            q.finish();
        }
        if (otherHolds == "remove the file")
            QVERIFY(QFile::rename(file, file + ".weg"));
        if (otherHolds == "replace the file") {
            QVERIFY(QFile::copy(file, file + ".neu"));
            QVERIFY(::rename(qPrintable(file + ".neu"), qPrintable(file)) == 0);
        }
        QVERIFY(!q.exec(statement));
        const QSqlError error = q.lastError();
        cause = AdoConnection::germanCause(error, AdoConnection::Engine::Sqlite, "t");
        QVERIFY2(!cause.contains(error.databaseText()), qPrintable(error.databaseText()));
        if (holds)
            QSqlQuery(other).exec("ROLLBACK");
    }
    QCOMPARE(cause, fetched<QString>("cause"));
}

void TestExchange::tarvoConnectionString()
{
    // The outside program's own string, piece by piece; the file is found in it again here.
    const QString folder = "/srv/Tarvo Verein";
    const QString expected =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "\\tarvo03.mdb;" +
        "Mode=ReadWrite;Persist Security Info=False;Jet OLEDB:System database=\"\";" +
        "Jet OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=4;" +
        "Jet OLEDB:Database Locking Mode=0;Jet OLEDB:Global Partial Bulk Ops=2;" +
        "Jet OLEDB:Global Bulk Transactions=1;Jet OLEDB:New Database Password=\"\";" +
        "Jet OLEDB:Create System Database=False;Jet OLEDB:Encrypt Database=False;" +
        "Jet OLEDB:Don't Copy Locale on Compact=False;Jet OLEDB:Compact Without Replica Repair=False;" +
        "Jet OLEDB:SFP=False";
    const QString text = TarvoExchange::connectionString(folder);
    QCOMPARE(text, expected);
    QCOMPARE(AdoConnection::dataSourcePath(text), folder + "/tarvo03.mdb");
    QCOMPARE(TarvoExchange::databaseFile(folder), folder + "/tarvo03.mdb");
    QCOMPARE(AdoConnection::connectionValue(text, "mode"), QString("ReadWrite"));
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
