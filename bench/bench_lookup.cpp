// Cost of one licence lookup (what the operator waits for when leaving a licence cell) in a
// licence-data file of national size, set against grep searching the same section header in
// the same file in the same run: the ratio says what the INI rules add over a bare text search
// on this machine. Set TMPDIR to measure another file system.

#include "match/LicenceLookup.h"
#include "platform/IniFile.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

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

Fixture* g_fixture = nullptr;

// Seeded, so every run measures the same file.
QString prepare(Fixture& f)
{
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

double toNanoseconds(double value, benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kNanosecond:
        return value;
    case benchmark::kMicrosecond:
        return value * 1e3;
    case benchmark::kMillisecond:
        return value * 1e6;
    case benchmark::kSecond:
        return value * 1e9;
    }
    return value;
}

// Passes every report on to the display reporter and keeps the times, so the summary is
// computed from exactly what was printed above it.
class CollectingReporter : public benchmark::BenchmarkReporter
{
public:
    explicit CollectingReporter(std::unique_ptr<benchmark::BenchmarkReporter> display)
        : m_display(std::move(display))
    {
    }

    bool ReportContext(const Context& context) override { return m_display->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            Times& t = m_times[run.run_name.function_name];
            const double ns = toNanoseconds(run.GetAdjustedRealTime(), run.time_unit);
            if (run.run_type == Run::RT_Iteration)
                t.iterations.push_back(ns);
            else if (run.aggregate_name == "median")
                t.median = ns;
        }
        m_display->ReportRuns(runs);
    }
    void Finalize() override { m_display->Finalize(); }

    // The median over repetitions when there were some, else the mean of the runs.
    std::optional<double> nanoseconds(const std::string& name) const
    {
        const auto it = m_times.find(name);
        if (it == m_times.end())
            return std::nullopt;
        if (it->second.median)
            return it->second.median;
        if (it->second.iterations.empty())
            return std::nullopt;
        double sum = 0;
        for (double v : it->second.iterations)
            sum += v;
        return sum / double(it->second.iterations.size());
    }

private:
    struct Times
    {
        std::vector<double> iterations;
        std::optional<double> median;
    };
    std::unique_ptr<benchmark::BenchmarkReporter> m_display;
    std::map<std::string, Times> m_times;
};

void printSummary(std::FILE* out, const CollectingReporter& r)
{
    const auto lookup = r.nanoseconds("BM_lookup");
    const auto fourReads = r.nanoseconds("BM_four_reads");
    const auto grep = r.nanoseconds("BM_grep");
    auto met = [](bool ok) { return ok ? "met" : "NOT met"; };

    std::fprintf(out,
                 "\nSummary (%d licences, %lld bytes, licence %d of them; wall-clock per lookup, this run; "
                 "targets are informative)\n",
                 kLicences, static_cast<long long>(g_fixture->bytes), kWantedIndex + 1);
    if (lookup && grep) {
        const double ratio = *lookup / *grep;
        std::fprintf(out,
                     "  lookup      %8.2f ms  vs grep -F -A4 %8.2f ms  ratio %5.2fx  target <= %.0fx and < "
                     "%.0f ms: %s\n",
                     *lookup / 1e6, *grep / 1e6, ratio, kGrepRatioTarget, kLookupTargetNs / 1e6,
                     met(ratio <= kGrepRatioTarget && *lookup < kLookupTargetNs));
    } else {
        std::fprintf(out, "  lookup: not measured together with its baseline in this run\n");
    }
    if (fourReads && grep)
        std::fprintf(
            out, "  four reads  %8.2f ms  (one IniFile::read per key)       ratio %5.2fx  for reference\n",
            *fourReads / 1e6, *fourReads / *grep);
}

bool hasArgument(int argc, char** argv, const char* arg)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], arg) == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Read before benchmark::Initialize consumes them: with our own reporter in front, the
    // library no longer picks the display format itself.
    const bool json = hasArgument(argc, argv, "--benchmark_format=json");
    if (hasArgument(argc, argv, "--benchmark_format=csv"))
        std::fprintf(stderr, "bench_lookup: csv output is not offered, printing the console format\n");
    const bool noColor = hasArgument(argc, argv, "--benchmark_color=false") || !isatty(STDOUT_FILENO);

    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    Fixture fixture;
    if (const QString problem = prepare(fixture); !problem.isEmpty()) {
        std::fprintf(stderr, "bench_lookup: setup failed: %s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    g_fixture = &fixture;

    std::unique_ptr<benchmark::BenchmarkReporter> display;
    if (json)
        display = std::make_unique<benchmark::JSONReporter>();
    else
        display = std::make_unique<benchmark::ConsoleReporter>(
            noColor ? benchmark::ConsoleReporter::OO_None : benchmark::ConsoleReporter::OO_Color);
    CollectingReporter reporter(std::move(display));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    // JSON output stays parseable when the summary goes elsewhere.
    printSummary(json ? stderr : stdout, reporter);

    benchmark::Shutdown();
    g_fixture = nullptr;
    return 0;
}
