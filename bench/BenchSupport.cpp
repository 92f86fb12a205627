#include "BenchSupport.h"

#include "platform/UserError.h"
#include "platform/XmlDocument.h"

#include <cstring>
#include <string>

#include <unistd.h>

namespace BenchSupport {

namespace {

double nanosecondsPer(benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kNanosecond:
        return 1;
    case benchmark::kMicrosecond:
        return 1e3;
    case benchmark::kMillisecond:
        return 1e6;
    case benchmark::kSecond:
        return 1e9;
    }
    return 1;
}

// Fixed width, so the lines of one summary line up; two decimals below 100.
std::string timeText(const Time& t)
{
    const double value = t.ns / nanosecondsPer(t.unit);
    char text[64];
    std::snprintf(text, sizeof text, "%9.*f %s", value < 100 ? 2 : 1, value,
                  benchmark::GetTimeUnitString(t.unit));
    return text;
}

// A limit in the largest unit that keeps it at 1 or more: 2e6 -> "2 ms", 0.2e6 -> "200 us".
std::string limitText(double ns)
{
    benchmark::TimeUnit unit = benchmark::kNanosecond;
    for (benchmark::TimeUnit u : {benchmark::kMicrosecond, benchmark::kMillisecond, benchmark::kSecond})
        if (ns >= nanosecondsPer(u))
            unit = u;
    char text[64];
    std::snprintf(text, sizeof text, "%g %s", ns / nanosecondsPer(unit), benchmark::GetTimeUnitString(unit));
    return text;
}

const char* met(bool ok)
{
    return ok ? "met" : "NOT met";
}

bool hasArgument(int argc, char** argv, const char* arg)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], arg) == 0)
            return true;
    return false;
}

} // namespace

CollectingReporter::CollectingReporter(std::unique_ptr<benchmark::BenchmarkReporter> display, Clock clock)
    : m_display(std::move(display)), m_clock(clock)
{
}

bool CollectingReporter::ReportContext(const Context& context)
{
    return m_display->ReportContext(context);
}

void CollectingReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        Times& t = m_times[run.run_name.function_name];
        const double adjusted = m_clock == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
        const double ns = adjusted * nanosecondsPer(run.time_unit);
        t.unit = run.time_unit;
        if (run.run_type == Run::RT_Iteration)
            t.iterations.push_back(ns);
        else if (run.aggregate_name == "median")
            t.median = ns;
    }
    m_display->ReportRuns(runs);
}

void CollectingReporter::Finalize()
{
    m_display->Finalize();
}

std::optional<Time> CollectingReporter::time(const std::string& name) const
{
    const auto it = m_times.find(name);
    if (it == m_times.end())
        return std::nullopt;
    const Times& t = it->second;
    if (t.median)
        return Time{*t.median, t.unit};
    if (t.iterations.empty())
        return std::nullopt;
    double sum = 0;
    for (double v : t.iterations)
        sum += v;
    return Time{sum / double(t.iterations.size()), t.unit};
}

Summary::Summary(std::FILE* out, const CollectingReporter& times) : m_out(out), m_times(times) {}

std::optional<Time> Summary::time(const std::string& name) const
{
    return m_times.time(name);
}

void Summary::printRatio(const char* label, const std::string& name, const char* baselineLabel,
                         const std::string& baselineName, Target target) const
{
    printRatio(label, time(name), baselineLabel, time(baselineName), target);
}

void Summary::printRatio(const char* label, std::optional<Time> t, const char* baselineLabel,
                         std::optional<Time> baseline, Target target) const
{
    if (!t || !baseline) {
        std::fprintf(m_out, "  %s: not measured together with its baseline in this run\n", label);
        return;
    }
    const double ratio = t->ns / baseline->ns;
    std::string verdict;
    if (target.maxRatio || target.limitNs) {
        bool ok = true;
        verdict = "target";
        char part[64];
        if (target.maxRatio) {
            std::snprintf(part, sizeof part, " <= %gx", *target.maxRatio);
            verdict += part;
            ok = ok && ratio <= *target.maxRatio;
        }
        if (target.limitNs) {
            verdict += target.maxRatio ? " and < " : " < ";
            verdict += limitText(*target.limitNs);
            ok = ok && t->ns < *target.limitNs;
        }
        verdict += ": ";
        verdict += met(ok);
    } else {
        verdict = "for reference";
    }
    std::fprintf(m_out, "  %-20s %s  vs %-19s %s  ratio %7.2fx  %s\n", label, timeText(*t).c_str(),
                 baselineLabel, timeText(*baseline).c_str(), ratio, verdict.c_str());
}

void Summary::printTarget(const char* label, const std::string& name, double limitNs) const
{
    printTarget(label, time(name), limitNs);
}

void Summary::printTarget(const char* label, std::optional<Time> t, double limitNs) const
{
    if (!t) {
        std::fprintf(m_out, "  %s: not measured in this run\n", label);
        return;
    }
    std::fprintf(m_out, "  %-20s %s  target < %s: %s\n", label, timeText(*t).c_str(),
                 limitText(limitNs).c_str(), met(t->ns < limitNs));
}

OutputFlags readOutputFlags(const char* program, int argc, char** argv)
{
    OutputFlags flags;
    flags.json = hasArgument(argc, argv, "--benchmark_format=json");
    if (hasArgument(argc, argv, "--benchmark_format=csv"))
        std::fprintf(stderr, "%s: csv output is not offered, printing the console format\n", program);
    flags.noColor = hasArgument(argc, argv, "--benchmark_color=false") || !isatty(STDOUT_FILENO);
    return flags;
}

int runBenchmarks(int& argc, char** argv, OutputFlags flags, const Program& program)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    if (const QString problem = program.setUp(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s: setup failed: %s\n", program.name, problem.toLocal8Bit().constData());
        if (program.tearDown)
            program.tearDown();
        return 1;
    }

    std::unique_ptr<benchmark::BenchmarkReporter> display;
    if (flags.json)
        display = std::make_unique<benchmark::JSONReporter>();
    else
        display = std::make_unique<benchmark::ConsoleReporter>(
            flags.noColor ? benchmark::ConsoleReporter::OO_None : benchmark::ConsoleReporter::OO_Color);
    CollectingReporter reporter(std::move(display), program.clock);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    program.printSummary(Summary(flags.json ? stderr : stdout, reporter));

    benchmark::Shutdown();
    if (program.tearDown)
        program.tearDown();
    return 0;
}

void rawWrite(benchmark::State& state, const QByteArray& bytes, const QString& path)
{
    for (auto _ : state) {
        try {
            XmlDocument::writeFile(path, bytes);
        } catch (const UserError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes.size());
    state.counters["file_bytes"] = double(bytes.size());
}

} // namespace BenchSupport
