// Cost of one licence lookup (what the operator waits for when leaving a licence cell) in a
// licence-data file of national size, set against grep searching the same section header in
// the same file in the same run: the ratio says what the INI rules add over a bare text search
// on this machine. Set TMPDIR to measure another file system.

#include "match/LicenceLookup.h"
#include "platform/IniFile.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <optional>
#include <random>

namespace {

constexpr int kLicences = 100000;
// Near the end, so the lookup reads past almost the whole file.
constexpr int kWantedIndex = kLicences - 10;

constexpr double kLookupTargetNs = 30e6;
constexpr double kGrepRatioTarget = 3.0;

const char* const kFirst[] = {"Jürgen",   "Björn",   "Sören",  "Jörg", "Lukas", "Max",    "Gökhan", "Ömer",
                              "Matthias", "Günther", "Tobias", "René", "André", "Niklas", "Jonas",  "Timo"};
const char* const kLast[] = {"Müller", "Schäfer", "Weiß",  "Köhler", "Hänsel", "Brückner",
                             "Große",  "Öztürk",  "Jäger", "Röder",  "Strauß", "Lämmle",
                             "Dürr",   "Hübner",  "Grün",  "Künzel"};
const char* const kStatus[] = {"A", "D", "E"};

QString licenceNumber(int index)
{
    return QString::number(100000 + index * 7);
}

struct Fixture
{
    QTemporaryDir dir;
    QString path;
    QString licence;
    LicenceLookup::Entry expected;
    qint64 bytes = 0;
};

// Made by prepare, gone by tearDown while the application still exists.
std::unique_ptr<Fixture> g_fixture;

void tearDown()
{
    g_fixture.reset();
}

// Seeded, so every run measures the same file.
QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder");
    f.path = f.dir.filePath(QStringLiteral("lizenzdaten.ini"));
    std::minstd_rand rng(4711);
    QByteArray data;
    data.reserve(8 << 20);
    for (int i = 0; i < kLicences; ++i) {
        const QString first = QString::fromUtf8(kFirst[rng() % std::size(kFirst)]);
        const QString last = QString::fromUtf8(kLast[rng() % std::size(kLast)]);
        const QString status = QString::fromLatin1(kStatus[rng() % std::size(kStatus)]);
        const QString year = QString::number(1960 + int(rng() % 55));
        if (i == kWantedIndex) {
            f.licence = licenceNumber(i);
            f.expected = {first, last, status, year};
        }
        const QString section = QLatin1Char('[') + licenceNumber(i) + QStringLiteral("]\r\nvorname=") +
                                first + QStringLiteral("\r\nnachname=") + last +
                                QStringLiteral("\r\nstatus=") + status + QStringLiteral("\r\njahrgang=") +
                                year + QStringLiteral("\r\n");
        // Every character here is in Latin-1, where Windows-1252 has the same bytes.
        data += section.toLatin1();
    }
    QFile out(f.path);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
        return QStringLiteral("cannot write ") + f.path;
    out.close();
    f.bytes = data.size();

    const std::optional<LicenceLookup::Entry> found = LicenceLookup::read(f.path, f.licence);
    if (!found || *found != f.expected)
        return QStringLiteral("the lookup did not find the generated wrestler");
    return {};
}

void BM_lookup(benchmark::State& state)
{
    for (auto _ : state) {
        std::optional<LicenceLookup::Entry> entry = LicenceLookup::read(g_fixture->path, g_fixture->licence);
        benchmark::DoNotOptimize(entry);
    }
}

// The lookup as four separate reads of one key each: every read loads and scans the file.
void BM_four_reads(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QString& key : LicenceLookup::keys()) {
            QString value = IniFile::read(g_fixture->path, g_fixture->licence, key);
            benchmark::DoNotOptimize(value);
        }
    }
}

void BM_grep(benchmark::State& state)
{
    const QStringList args = {QStringLiteral("-F"), QStringLiteral("-A4"),
                              QLatin1Char('[') + g_fixture->licence + QLatin1Char(']'), g_fixture->path};
    for (auto _ : state) {
        QProcess grep;
        grep.start(QStringLiteral("grep"), args);
        if (!grep.waitForFinished(10000) || grep.exitCode() != 0) {
            state.SkipWithError("grep failed or found nothing");
            break;
        }
        QByteArray found = grep.readAllStandardOutput();
        benchmark::DoNotOptimize(found);
    }
}

// Wall-clock time: the grep baseline runs in another process, whose CPU time is not ours.
BENCHMARK(BM_lookup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_four_reads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_grep)->Unit(benchmark::kMillisecond)->UseRealTime();

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(s.out(),
                 "\nSummary (%d licences, %lld bytes, licence %d of them; wall-clock per lookup, this run; "
                 "targets are informative)\n",
                 kLicences, static_cast<long long>(g_fixture->bytes), kWantedIndex + 1);
    s.printRatio("lookup", "BM_lookup", "grep -F -A4", "BM_grep",
                 {.maxRatio = kGrepRatioTarget, .limitNs = kLookupTargetNs});
    // One IniFile::read per key.
    s.printRatio("four reads", "BM_four_reads", "grep -F -A4", "BM_grep");
}

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::runMain<QCoreApplication>(
        argc, argv,
        {.name = "bench_lookup", .setUp = prepare, .printSummary = printSummary, .tearDown = tearDown});
}
