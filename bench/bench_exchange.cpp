// The data exchange as the operator waits for it: the Tarvo transfer into a season-sized
// database, and the ZELMO export file of a full match.

#include "BenchSupport.h"
#include "exchange/TarvoExchange.h"
#include "exchange/ZelmoExport.h"
#include "match/MatchRecord.h"
#include "support/StallMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

constexpr int kMatches = 2000;
constexpr int kBoutsPerMatch = 10;
constexpr int kRoundsPerBout = 2;
constexpr int kTargetMatch = 1000; // record number and ProtokollID of the match written
constexpr int kExportBouts = 14;
constexpr int kActions = 40;
constexpr double kTransferTargetNs = 1e9;
constexpr double kExportTargetNs = 2e6;
constexpr int kLockSeconds = 1;         // the command time-out of the locked transfer, shortened
constexpr double kStallTargetNs = 50e6; // the longest the window thread may be deaf

struct Fixture
{
    QTemporaryDir dir;
    // The export's folder: in memory where the system offers one, so the figures show the
    // export's own work and not the disk's flush, which raw writing pays alike.
    std::unique_ptr<QTemporaryDir> memoryDir;
    TarvoExchange tarvo;
    // A second exchange on the same file, waiting kLockSeconds for a lock instead of 100 s.
    TarvoExchange lockedTarvo;
    MatchRecord transferMatch;
    MatchRecord exportMatch;
    QByteArray exportBytes;
};

std::unique_ptr<Fixture> g_fixture;

QString fillMatch(MatchRecord& record, int bouts)
{
    record.setRowCount(bouts + 1);
    QString red, blue, times;
    for (int a = 0; a < kActions; ++a) {
        red += a % 2 ? QStringLiteral(" ") : QStringLiteral("2");
        blue += a % 2 ? QStringLiteral("1") : QStringLiteral(" ");
        times += QStringLiteral("%1:%2;").arg(a / 10).arg(a % 60, 2, 10, QLatin1Char('0'));
    }
    for (int k = 1; k <= bouts; ++k) {
        const QStringList cells = {QString::number(50 + k),
                                   k % 2 ? "F" : "G",
                                   "66,4",
                                   "Jörg",
                                   "Müller",
                                   QString::number(4000 + k),
                                   "A",
                                   "1990",
                                   "4",
                                   "65,9",
                                   "Karl",
                                   "Beispiel",
                                   QString::number(800 + k),
                                   "A",
                                   "1991",
                                   "0",
                                   "PS",
                                   "40",
                                   "20",
                                   "6:00",
                                   red,
                                   blue,
                                   times,
                                   QString::number(k)};
        for (int c = 0; c < cells.size(); ++c)
            record.setCell(c, k, cells[c]);
    }
    record.setHeader(QStringLiteral("ort"), QStringLiteral("Musterstadt"));
    record.setHeader(QStringLiteral("ml"), QStringLiteral("Hans Peter Muster"));
    record.setHeader(QStringLiteral("bemerkungen"), QStringLiteral("Halle kalt\r\nBeginn 20 Uhr"));
    return {};
}

QString buildDatabase(const QString& file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
    db.setDatabaseName(file);
    if (!db.open())
        return db.lastError().text();
    QSqlQuery q(db);
    const QStringList ddl = {
        "CREATE TABLE MProtokollKopf (Datum TEXT, ProtokollID INTEGER, Saison TEXT, TAG TEXT, KLASSE TEXT, "
        "HeimManns TEXT, GastManns TEXT, SIEGERM TEXT, ORT TEXT, KAMPFST TEXT, PUNKTEHEIM TEXT, PUNKTEGAST "
        "TEXT, "
        "ZUSCHAUER TEXT, Bemerkung TEXT, MFUEHRERG TEXT, MFUEHRERH TEXT, KAMPFRICHT TEXT, MATTENPRAESIDENT "
        "TEXT, "
        "PUNKTRICHTER TEXT, Beginn TEXT, Ende TEXT, Protokollfuehrer TEXT, ProtokollfuehrerPZ TEXT, "
        "Zeitnehmer TEXT, Ordner1 TEXT, Ordner2 TEXT, VERHARING TEXT, VERHAZUSCH TEXT)",
        "CREATE TABLE MProtokollPositionen (PPID INTEGER, ProtokollID INTEGER, Sortiernummer INTEGER, "
        "HISTGEW TEXT, HVName TEXT, HFName TEXT, HLIZENZNR TEXT, HSPEZI TEXT, JahrgangH TEXT, HPUNKTE TEXT, "
        "GISTGEW TEXT, GVName TEXT, GFName TEXT, GLIZENZNR TEXT, GSPEZI TEXT, JahrgangG TEXT, GPUNKTE TEXT, "
        "PUNKTEVER TEXT, KampfZeit TEXT)",
        "CREATE TABLE MKKampfrunden (KRundenID INTEGER, KRundenNr INTEGER, PPID INTEGER, TPR TEXT, TPB TEXT, "
        "Siegart TEXT, Zeit TEXT, R5er TEXT, R3er TEXT, R2er TEXT, R1er TEXT, B5er TEXT, B3er TEXT, B2er "
        "TEXT, "
        "B1er TEXT, RVerwarnungen TEXT, BVerwarnungen TEXT, RPassivitaet TEXT, BPassivitaet TEXT, "
        "RWertungen TEXT, BWertungen TEXT, SiegerRB TEXT)",
        "CREATE TABLE MEKWertungen (WertungID INTEGER, PPID INTEGER)",
    };
    for (const QString& s : ddl) {
        if (!q.exec(s))
            return q.lastError().text();
    }
    db.transaction();
    q.prepare(
        QStringLiteral("INSERT INTO MProtokollKopf (Datum, ProtokollID, Saison, TAG, KLASSE, HeimManns, "
                       "GastManns) VALUES (?, ?, '2012', 'Sa', 'Oberliga', 'Heim', 'Gast')"));
    for (int m = 1; m <= kMatches; ++m) {
        q.addBindValue(QStringLiteral("%1.10.2012").arg(m % 28 + 1));
        q.addBindValue(m);
        q.exec();
    }
    q.prepare(QStringLiteral("INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer, HVName) "
                             "VALUES (?, ?, ?, 'alt')"));
    for (int m = 1; m <= kMatches; ++m) {
        for (int k = 1; k <= kBoutsPerMatch; ++k) {
            q.addBindValue(m * 100 + k);
            q.addBindValue(m);
            q.addBindValue(k);
            q.exec();
        }
    }
    q.prepare(QStringLiteral("INSERT INTO MKKampfrunden (KRundenID, KRundenNr, PPID) VALUES (?, ?, ?)"));
    int id = 0;
    for (int m = 1; m <= kMatches; ++m) {
        for (int k = 1; k <= kBoutsPerMatch; ++k) {
            for (int r = 1; r <= kRoundsPerBout; ++r) {
                q.addBindValue(++id);
                q.addBindValue(r);
                q.addBindValue(m * 100 + k);
                q.exec();
            }
        }
    }
    if (!db.commit())
        return db.lastError().text();
    return {};
}

QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder");
    if (QString e = buildDatabase(f.dir.filePath(QStringLiteral("tarvo03.mdb"))); !e.isEmpty())
        return e;
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        f.memoryDir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/bench_exchange-XXXXXX"));
    if (f.memoryDir && !f.memoryDir->isValid())
        f.memoryDir.reset();
    fillMatch(f.transferMatch, kBoutsPerMatch);
    fillMatch(f.exportMatch, kExportBouts);
    try {
        const auto list = f.tarvo.readtarvo(f.dir.path(), QStringLiteral("2012"), QString());
        if (!list || list->recordCount != kMatches)
            return QStringLiteral("the season list did not read the database");
        f.lockedTarvo.connection().setCommandTimeout(kLockSeconds);
        if (!f.lockedTarvo.readtarvo(f.dir.path(), QStringLiteral("2012"), QString()))
            return QStringLiteral("the second connection did not read the database");
        // One unmeasured transfer appends nothing (the rounds exist), so each measured one edits.
        f.tarvo.transfer(kTargetMatch, f.transferMatch, QStringLiteral("40"), QStringLiteral("0"));
        f.exportBytes = ZelmoExport::encode(ZelmoExport::lines(f.exportMatch, "40", "0"));
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("build"));
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT COUNT(*) FROM MKKampfrunden WHERE TPR = '40'"));
    if (!q.next() || q.value(0).toInt() != kBoutsPerMatch)
        return QStringLiteral("the transfer did not write the ten rounds");
    return {};
}

void tearDown()
{
    g_fixture.reset();
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
}

void BM_transfer(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    for (auto _ : state)
        f.tarvo.transfer(kTargetMatch, f.transferMatch, QStringLiteral("40"), QStringLiteral("0"));
}

// What the transfer amounts to when the database finds each record itself: one SELECT and one
// UPDATE for the header, each position and each first round (21 of each).
void BM_plain_sql(benchmark::State& state)
{
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("build"));
    QSqlQuery select(db), update(db);
    for (auto _ : state) {
        select.exec(QStringLiteral("SELECT * FROM MProtokollKopf WHERE ProtokollID = %1").arg(kTargetMatch));
        select.next();
        update.exec(QStringLiteral("UPDATE MProtokollKopf SET SIEGERM = 'Heim' WHERE ProtokollID = %1")
                        .arg(kTargetMatch));
        for (int k = 1; k <= kBoutsPerMatch; ++k) {
            const int ppid = kTargetMatch * 100 + k;
            select.exec(QStringLiteral("SELECT * FROM MProtokollPositionen WHERE PPID = %1").arg(ppid));
            select.next();
            update.exec(
                QStringLiteral("UPDATE MProtokollPositionen SET HPUNKTE = '4' WHERE PPID = %1").arg(ppid));
            select.exec(
                QStringLiteral("SELECT * FROM MKKampfrunden WHERE PPID = %1 AND KRundenNr = 1").arg(ppid));
            select.next();
            update.exec(
                QStringLiteral("UPDATE MKKampfrunden SET TPR = '40' WHERE PPID = %1 AND KRundenNr = 1")
                    .arg(ppid));
        }
    }
}

// The longest the window thread goes without handling its events while the transfer waits
// kLockSeconds for a database that another program holds locked, then gives up: a precise
// 10 ms timer in this thread records every gap between its ticks (the time reported).
void BM_locked_transfer_stall(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("build"));
    for (auto _ : state) {
        QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
        StallMonitor monitor;
        monitor.start();
        bool refused = false;
        try {
            f.lockedTarvo.transfer(kTargetMatch, f.transferMatch, QStringLiteral("40"), QStringLiteral("0"));
        } catch (const std::exception&) {
            refused = true;
        }
        monitor.stop();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        if (!refused) {
            state.SkipWithError("the transfer did not wait for the lock");
            break;
        }
        state.SetIterationTime(double(monitor.longestNs()) / 1e9);
    }
}

QString exportFolder(bool disk)
{
    Fixture& f = *g_fixture;
    return !disk && f.memoryDir ? f.memoryDir->path() : f.dir.path();
}

// The lines and their bytes, everything the export does before it touches the file.
void BM_zelmo_build(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    for (auto _ : state) {
        QByteArray bytes = ZelmoExport::encode(ZelmoExport::lines(f.exportMatch, "40", "0"));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * f.exportBytes.size());
}

void zelmoExport(benchmark::State& state, bool disk)
{
    Fixture& f = *g_fixture;
    const QString path = QDir(exportFolder(disk)).filePath(QStringLiteral("zelmo.txt"));
    for (auto _ : state)
        ZelmoExport::write(path, f.exportMatch, QStringLiteral("40"), QStringLiteral("0"));
    state.SetBytesProcessed(state.iterations() * f.exportBytes.size());
}

void rawWrite(benchmark::State& state, bool disk)
{
    BenchSupport::rawWrite(state, g_fixture->exportBytes,
                           QDir(exportFolder(disk)).filePath(QStringLiteral("raw.txt")));
}

void BM_zelmo_export(benchmark::State& state)
{
    zelmoExport(state, false);
}

void BM_raw_write(benchmark::State& state)
{
    rawWrite(state, false);
}

void BM_zelmo_export_disk(benchmark::State& state)
{
    zelmoExport(state, true);
}

void BM_raw_write_disk(benchmark::State& state)
{
    rawWrite(state, true);
}

BENCHMARK(BM_transfer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_plain_sql)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_locked_transfer_stall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_zelmo_build)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_zelmo_export)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_raw_write)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_zelmo_export_disk)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_raw_write_disk)->Unit(benchmark::kMicrosecond)->UseRealTime();

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(
        s.out(),
        "\nSummary (%d matches, %d positions, %d rounds; export of %d bouts x %d actions, %lld bytes; "
        "wall-clock, this run; targets are informative)\n",
        kMatches, kMatches * kBoutsPerMatch, kMatches * kBoutsPerMatch * kRoundsPerBout, kExportBouts,
        kActions, static_cast<long long>(g_fixture->exportBytes.size()));
    s.printRatio("Tarvo transfer", "BM_transfer", "21 SELECT + 21 UPDATE", "BM_plain_sql",
                 {.limitNs = kTransferTargetNs});
    s.printTarget("Window thread's longest stall, database locked", "BM_locked_transfer_stall",
                  kStallTargetNs);
    const bool memory = g_fixture->memoryDir != nullptr;
    std::fprintf(s.out(), "  (export folder: %s; the disk pair is for reference, its flush dominates)\n",
                 memory ? "tmpfs /dev/shm" : "temporary folder, no tmpfs here");
    s.printTarget("ZELMO export built", "BM_zelmo_build", kExportTargetNs);
    s.printRatio("ZELMO export written", "BM_zelmo_export", "raw temp-file write", "BM_raw_write",
                 {.limitNs = kExportTargetNs});
    s.printRatio("ZELMO export on disk", "BM_zelmo_export_disk", "raw write on disk", "BM_raw_write_disk");
}

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::runMain<QCoreApplication>(
        argc, argv,
        {.name = "bench_exchange", .setUp = prepare, .printSummary = printSummary, .tearDown = tearDown});
}
