// What every benchmark program here shares: a reporter that shows the usual table and keeps the
// times, the summary lines that set a time against its baseline or a limit, and the main that
// makes the Qt application, sets up, runs and prints the summary.

#pragma once

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace BenchSupport {

// A time in nanoseconds, with the unit the table shows it in (the summary uses the same).
struct Time
{
    double ns = 0;
    benchmark::TimeUnit unit = benchmark::kNanosecond;
};

enum class Clock
{
    WallClock,
    Cpu,
};

// Passes every report on to the display reporter and keeps the times, so the summary is
// computed from exactly what was printed above it.
class CollectingReporter final : public benchmark::BenchmarkReporter
{
public:
    CollectingReporter(std::unique_ptr<benchmark::BenchmarkReporter> display, Clock clock);

    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // The median over repetitions when there were some, else the mean of the runs; nothing when
    // the benchmark did not run or failed.
    std::optional<Time> time(const std::string& name) const;

private:
    struct Times
    {
        std::vector<double> iterations;
        std::optional<double> median;
        benchmark::TimeUnit unit = benchmark::kNanosecond;
    };
    std::unique_ptr<benchmark::BenchmarkReporter> m_display;
    Clock m_clock;
    std::map<std::string, Times> m_times;
};

// What a line's verdict is made of; a line without either is printed "for reference".
struct Target
{
    std::optional<double> maxRatio = std::nullopt; // met when time / baseline <= maxRatio
    std::optional<double> limitNs = std::nullopt;  // met when time < limitNs
};

// The lines under "Summary"; benchmarks are named as in the table ("BM_saveall").
class Summary
{
public:
    Summary(std::FILE* out, const CollectingReporter& times);

    std::FILE* out() const { return m_out; }
    std::optional<Time> time(const std::string& name) const;

    // "label  <time>  vs baselineLabel  <time>  ratio <r>x  target <= <ratio>x and < <limit>: met"
    void printRatio(const char* label, const std::string& name, const char* baselineLabel,
                    const std::string& baselineName, Target target = {}) const;
    void printRatio(const char* label, std::optional<Time> time, const char* baselineLabel,
                    std::optional<Time> baseline, Target target = {}) const;
    // "label  <time>  target < <limit>: met"
    void printTarget(const char* label, const std::string& name, double limitNs) const;
    void printTarget(const char* label, std::optional<Time> time, double limitNs) const;

private:
    std::FILE* m_out;
    const CollectingReporter& m_times;
};

struct Program
{
    const char* name; // in messages: "bench_matchfile: setup failed: ..."
    // Runs once the application and the benchmark library are ready; returns what went wrong,
    // or an empty text.
    std::function<QString()> setUp;
    std::function<void(const Summary&)> printSummary;
    // Runs last, while the application still exists, also after a failed set-up.
    std::function<void()> tearDown = {};
    Clock clock = Clock::WallClock;
};

struct OutputFlags
{
    bool json = false;
    bool noColor = false;
};

// Read before benchmark::Initialize consumes them: with our own reporter in front, the library
// no longer picks the display format itself.
OutputFlags readOutputFlags(const char* program, int argc, char** argv);

// Initialises the library, sets up, runs the benchmarks and prints the summary (to stderr with
// JSON output, which so stays parseable). The exit code of the program.
int runBenchmarks(int& argc, char** argv, OutputFlags flags, const Program& program);

// The baseline of every file save: `bytes` written to `path` through the very temp-file-and-
// rename writer the match file uses, with none of the XML work. Counts the bytes per iteration.
void rawWrite(benchmark::State& state, const QByteArray& bytes, const QString& path);

// The whole main, with Application being QCoreApplication, QGuiApplication or QApplication.
template <typename Application> int runMain(int argc, char** argv, const Program& program)
{
    const OutputFlags flags = readOutputFlags(program.name, argc, argv);
    Application app(argc, argv);
    return runBenchmarks(argc, argv, flags, program);
}

} // namespace BenchSupport
