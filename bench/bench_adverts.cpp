// How long the console freezes while the advert rotation runs. The real rotation of a real
// Console ticks every second over one small advert and one troublesome file; a precise 10 ms
// timer in the same (window) thread records every gap between two of its ticks. The longest gap
// is how long nothing was repainted, no key taken and the clock display stood still. Each
// benchmark reports that gap as its time (manual time), so the table shows the freeze directly.

#include "BenchSupport.h"
#include "support/JpegEncode.h"
#include "support/StallMonitor.h"
#include "support/TestSupport.h"

#include "shell/Console.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kSide = 8192;
// Four ticks of the shortest interval the operator can set.
constexpr int kRunMs = 4500;
constexpr double kFreezeLimitNs = 50e6;
constexpr int kCraftedRefinements = 3000;
constexpr qint64 kSparseBytes = qint64(3) * 1024 * 1024 * 1024;

struct Fixture
{
    QTemporaryDir dir;
    QString small;
    QString progressive;
    QString truncated;
    QString arithmetic;
    QString missing;
    QString fifo;
    QString sparse;
    QString zero;
    NullSound sound;
    std::unique_ptr<Console> console;
};

std::unique_ptr<Fixture> g_fixture;

void tearDown()
{
    g_fixture.reset();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A gradient from red to blue over the whole picture, libjpeg's standard progressive script.
QByteArray progressiveGradient()
{
    std::vector<uchar> row(std::size_t(kSide) * 3);
    return encodeJpeg(
        kSide, kSide, 3, JCS_RGB,
        [](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, 90, TRUE);
            jpeg_simple_progression(&cinfo);
        },
        [&row](int y) {
            const uchar red = uchar(255 - y * 255 / (kSide - 1));
            for (int x = 0; x < kSide; ++x) {
                row[std::size_t(x) * 3] = red;
                row[std::size_t(x) * 3 + 1] = 0;
                row[std::size_t(x) * 3 + 2] = uchar(255 - red);
            }
            return row.data();
        });
}

// Four components at full resolution, arithmetic-coded and progressive, then thousands of DC
// refinement scans over all four that carry no data: each walks every block of the picture with
// the arithmetic decoder, which costs far more per block than a Huffman scan.
QByteArray arithmeticRefinements()
{
    std::vector<uchar> row(std::size_t(kSide) * 4, 0x80);
    QByteArray jpeg = encodeJpeg(
        kSide, kSide, 4, JCS_CMYK,
        [](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, 90, TRUE);
            cinfo.arith_code = TRUE;
            jpeg_simple_progression(&cinfo);
        },
        [&row](int) { return row.data(); });
    // SOS: length 14, four components (ids 0-3 as libjpeg numbers CMYK, tables 0), Ss 0, Se 0,
    // Ah 1, Al 0.
    const QByteArray scan("\xff\xda\x00\x0e\x04\x00\x00\x01\x00\x02\x00\x03\x00\x00\x00\x10", 16);
    jpeg.insert(jpeg.size() - 2, scan.repeated(kCraftedRefinements));
    return jpeg;
}

QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder");
    const auto path = [&f](const char* name) { return f.dir.filePath(QLatin1String(name)); };
    f.small = path("klein.jpg");
    f.progressive = path("gross.jpg");
    f.truncated = path("abgeschnitten.jpg");
    f.arithmetic = path("arithmetisch.jpg");
    f.missing = path("fehlt.jpg");
    f.fifo = path("fifo.jpg");
    f.sparse = path("riesig.jpg");
    f.zero = path("null.jpg");

    std::vector<uchar> strip(977 * 3, 0x40);
    const QByteArray small = encodeJpeg(
        977, 100, 3, JCS_RGB, [](jpeg_compress_struct& cinfo) { jpeg_set_quality(&cinfo, 90, TRUE); },
        [&strip](int) { return strip.data(); });
    const QByteArray progressive = progressiveGradient();
    if (!writeFile(f.small, small) || !writeFile(f.progressive, progressive) ||
        !writeFile(f.truncated, progressive.left(progressive.size() / 2)) ||
        !writeFile(f.arithmetic, arithmeticRefinements()))
        return QStringLiteral("the pictures were not written");
    if (mkfifo(QFile::encodeName(f.fifo).constData(), 0600) != 0)
        return QStringLiteral("no FIFO");
    QFile sparse(f.sparse);
    if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(kSparseBytes))
        return QStringLiteral("no sparse file");
    sparse.close();
    if (!QFile::link(QStringLiteral("/dev/zero"), f.zero))
        return QStringLiteral("no link to /dev/zero");

    f.console = std::make_unique<Console>(f.dir.path(), &f.sound);
    return {};
}

// The rotation over the small advert and `troubles`, every second, for kRunMs; the longest gap
// between two ticks of a 10 ms precise timer in the window thread.
qint64 longestGapNs(const QStringList& troubles)
{
    Console& console = *g_fixture->console;
    Settings& settings = console.settings();
    AdvertRotation& adverts = console.adverts();
    settings.setWerbung(QStringList{g_fixture->small} + troubles);
    settings.setModus(1);
    settings.setZeit(QStringLiteral("1"));
    adverts.switchTimerForMode();
    adverts.applyInterval();

    QEventLoop loop;
    StallMonitor monitor;
    // "Beenden" reaches the console through the same event loop: a freeze delays it as much.
    QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
    monitor.start();
    loop.exec();
    monitor.stop();

    settings.setModus(0);
    adverts.switchTimerForMode();
    return monitor.longestNs();
}

void stallOver(benchmark::State& state, const QStringList& troubles)
{
    for (auto _ : state) {
        const qint64 gap = longestGapNs(troubles);
        state.SetIterationTime(double(gap) / 1e9);
    }
}

void stall(benchmark::State& state, QString Fixture::*trouble)
{
    stallOver(state, {g_fixture.get()->*trouble});
}

// The baseline: the small advert alone, so the gap is the timer's own period and the machine's
// noise.
void BM_stall_small_only(benchmark::State& state)
{
    stallOver(state, {});
}

void BM_stall_progressive_8192(benchmark::State& state)
{
    stall(state, &Fixture::progressive);
}
void BM_stall_truncated(benchmark::State& state)
{
    stall(state, &Fixture::truncated);
}
void BM_stall_arithmetic_refinements(benchmark::State& state)
{
    stall(state, &Fixture::arithmetic);
}
void BM_stall_missing(benchmark::State& state)
{
    stall(state, &Fixture::missing);
}
void BM_stall_fifo(benchmark::State& state)
{
    stall(state, &Fixture::fifo);
}
void BM_stall_sparse_3gb(benchmark::State& state)
{
    stall(state, &Fixture::sparse);
}
void BM_stall_dev_zero(benchmark::State& state)
{
    stall(state, &Fixture::zero);
}
// Everything at once, as a club's list might hold it.
void BM_stall_all(benchmark::State& state)
{
    const Fixture& f = *g_fixture;
    stallOver(state, {f.progressive, f.truncated, f.arithmetic, f.missing, f.fifo, f.sparse, f.zero});
}

// One run of several seconds each is the measurement; repeating it only makes it longer.
#define STALL(name) BENCHMARK(name)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond)
STALL(BM_stall_small_only);
STALL(BM_stall_progressive_8192);
STALL(BM_stall_truncated);
STALL(BM_stall_arithmetic_refinements);
STALL(BM_stall_missing);
STALL(BM_stall_fifo);
STALL(BM_stall_sparse_3gb);
STALL(BM_stall_dev_zero);
STALL(BM_stall_all);

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(s.out(),
                 "\nSummary (longest gap of a 10 ms timer in the window thread while the rotation ticks "
                 "every second for %d ms; the target is informative)\n",
                 kRunMs);
    s.printTarget("small advert only (baseline)", "BM_stall_small_only", kFreezeLimitNs);
    s.printTarget("8192 x 8192 progressive", "BM_stall_progressive_8192", kFreezeLimitNs);
    s.printTarget("truncated copy", "BM_stall_truncated", kFreezeLimitNs);
    s.printTarget("arithmetic refinements", "BM_stall_arithmetic_refinements", kFreezeLimitNs);
    s.printTarget("missing file", "BM_stall_missing", kFreezeLimitNs);
    s.printTarget("FIFO", "BM_stall_fifo", kFreezeLimitNs);
    s.printTarget("sparse 3 GB", "BM_stall_sparse_3gb", kFreezeLimitNs);
    s.printTarget("link to /dev/zero", "BM_stall_dev_zero", kFreezeLimitNs);
    s.printTarget("all of them in one list", "BM_stall_all", kFreezeLimitNs);
}

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::runMain<QCoreApplication>(
        argc, argv,
        {.name = "bench_adverts", .setUp = prepare, .printSummary = printSummary, .tearDown = tearDown});
}
