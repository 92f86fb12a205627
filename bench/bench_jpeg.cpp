// Cost of decoding an advert picture with the project's own libjpeg decoder, set against Qt's
// JPEG reader decoding the same bytes in the same run. Both end in libjpeg, so the ratio says
// what our wrapper costs or saves around it (colour conversion, copies, set-up) on this machine.

#include "platform/JpegDecoder.h"
#include "platform/UserError.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 200;
constexpr int kQuality = 85;

constexpr double kRatioTarget = 1.2;

struct Fixture
{
    QByteArray jpeg;
};

Fixture* g_fixture = nullptr;

// A full-HD-wide advert strip: a colour gradient (smooth areas) under large text (sharp edges),
// which is what a sponsor's picture mostly holds.
QImage makeAdvert()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, kWidth, kHeight);
    ground.setColorAt(0, QColor(0x0d, 0x2b, 0x6b));
    ground.setColorAt(0.5, QColor(0xc8, 0x10, 0x2e));
    ground.setColorAt(1, QColor(0xf2, 0xb7, 0x05));
    p.fillRect(image.rect(), ground);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(96);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(image.rect().adjusted(40, 0, -40, -60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Autohaus Müller & Söhne"));
    font.setBold(false);
    font.setPixelSize(40);
    p.setFont(font);
    p.drawText(image.rect().adjusted(44, 110, -40, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Ihr Partner für Mobilität – seit 1965 in Grünwald"));
    p.end();
    return image;
}

QString prepare(Fixture& f)
{
    QBuffer buffer(&f.jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setQuality(kQuality);
    if (!writer.write(makeAdvert()))
        return QStringLiteral("the advert was not encoded: ") + writer.errorString();

    // Timing two decoders is only fair when both deliver the same picture.
    QImage ours;
    try {
        ours = decodeJpeg(f.jpeg);
    } catch (const UserError& e) {
        return e.message();
    }
    const QImage qts = QImage::fromData(f.jpeg, "JPG");
    if (qts.isNull())
        return QStringLiteral("Qt's reader could not decode the advert (JPEG plugin missing?)");
    if (ours.size() != qts.size() || ours.format() != qts.format())
        return QStringLiteral("the decoders disagree on size or format");
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x)
            if (ours.pixel(x, y) != qts.pixel(x, y))
                return QStringLiteral("the decoders disagree at pixel %1,%2").arg(x).arg(y);
    return {};
}

void addSizeCounters(benchmark::State& state)
{
    const auto size = g_fixture->jpeg.size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * size);
    state.counters["file_bytes"] = double(size);
    state.counters["pixels"] = double(kWidth) * kHeight;
}

void BM_decodeJpeg(benchmark::State& state)
{
    const QByteArray& jpeg = g_fixture->jpeg;
    for (auto _ : state) {
        try {
            QImage image = decodeJpeg(jpeg);
            benchmark::DoNotOptimize(image.constBits());
        } catch (const UserError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    addSizeCounters(state);
}

// The same bytes through QImageReader and Qt's JPEG plugin, as QImage::fromData does it.
void BM_qt_reader(benchmark::State& state)
{
    const QByteArray& jpeg = g_fixture->jpeg;
    for (auto _ : state) {
        QImage image = QImage::fromData(jpeg, "JPG");
        if (image.isNull()) {
            state.SkipWithError("Qt's reader failed");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    addSizeCounters(state);
}

BENCHMARK(BM_decodeJpeg)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_qt_reader)->Unit(benchmark::kMicrosecond);

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
            const double ns = toNanoseconds(run.GetAdjustedCPUTime(), run.time_unit);
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
    const auto ours = r.nanoseconds("BM_decodeJpeg");
    const auto qts = r.nanoseconds("BM_qt_reader");
    std::fprintf(out,
                 "\nSummary (%d x %d advert, quality %d, %lld bytes; CPU time per decode, this run; the "
                 "target is informative)\n",
                 kWidth, kHeight, kQuality, static_cast<long long>(g_fixture->jpeg.size()));
    if (ours && qts) {
        const double ratio = *ours / *qts;
        std::fprintf(out,
                     "  decodeJpeg  %9.1f us  vs Qt's reader %9.1f us  ratio %5.2fx  target <= %.1fx: %s\n",
                     *ours / 1e3, *qts / 1e3, ratio, kRatioTarget, ratio <= kRatioTarget ? "met" : "NOT met");
    } else {
        std::fprintf(out, "  decodeJpeg: not measured together with its baseline in this run\n");
    }
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
        std::fprintf(stderr, "bench_jpeg: csv output is not offered, printing the console format\n");
    const bool noColor = hasArgument(argc, argv, "--benchmark_color=false") || !isatty(STDOUT_FILENO);

    // Drawing the advert's text needs the font machinery of a GUI application, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    Fixture fixture;
    if (const QString problem = prepare(fixture); !problem.isEmpty()) {
        std::fprintf(stderr, "bench_jpeg: setup failed: %s\n", problem.toLocal8Bit().constData());
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
