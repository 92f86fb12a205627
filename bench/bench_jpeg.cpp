// Cost of decoding an advert picture with the project's own libjpeg decoder, set against Qt's
// JPEG reader decoding the same bytes in the same run. Both end in libjpeg, so the ratio says
// what our wrapper costs or saves around it (colour conversion, copies, set-up) on this machine.
// Then the largest picture an operator may choose, as an encoder writes it, and two files made
// to hold the decoder with thousands of scans, which it must give up on quickly.

#include "platform/JpegDecoder.h"
#include "platform/UserError.h"

#include "BenchSupport.h"
#include "support/JpegEncode.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 200;
constexpr int kQuality = 85;

constexpr double kRatioTarget = 1.2;

// The largest picture the decoder accepts: 8192 × 8192 in RGB32 is its 256 MB limit.
constexpr int kLargeSide = 8192;
// libjpeg's standard progressive script for a colour picture, and the crafted files' count.
constexpr int kStandardScans = 10;
constexpr int kCraftedScans = 3006;
constexpr double kCraftedLimitNs = 0.3e9;
// The dearest crafted file may cost what showing a real picture of its size does, not more.
constexpr double kRepeatedRatioTarget = 1.5;

struct Fixture
{
    QByteArray jpeg;
    QByteArray progressive;
    QByteArray emptyScans;
    QByteArray repeatedScans;
    QByteArray arithmeticRefinements;
};

// Made by prepare, gone by tearDown while the application still exists.
std::unique_ptr<Fixture> g_fixture;

void tearDown()
{
    g_fixture.reset();
}

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

// A large picture through libjpeg's encoder with its standard progressive script, as an image
// editor saves "progressive". Row by row from `fillRow`, so the bench never holds the picture
// uncompressed.
template <typename FillRow> QByteArray encodeLargeProgressive(FillRow fillRow)
{
    std::vector<uchar> row(std::size_t(kLargeSide) * 4);
    return encodeJpeg(
        kLargeSide, kLargeSide, 4, Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB,
        [](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, kQuality, TRUE);
            jpeg_simple_progression(&cinfo);
        },
        [&](int y) {
            fillRow(y, row);
            return row.data();
        });
}

// What a sponsor might send: the advert repeated over the whole picture.
QByteArray largeAdvert(const QImage& tile)
{
    const std::size_t tileBytes = std::size_t(tile.width()) * 4;
    return encodeLargeProgressive([&](int y, std::vector<uchar>& row) {
        const uchar* source = tile.constScanLine(y % tile.height());
        for (std::size_t x = 0; x < row.size(); x += tileBytes)
            std::memcpy(row.data() + x, source, std::min(tileBytes, row.size() - x));
    });
}

// What a file made to hold the decoder starts from: one grey, the smallest file of that size.
QByteArray largeGrey()
{
    return encodeLargeProgressive(
        [](int, std::vector<uchar>& row) { std::fill(row.begin(), row.end(), 0x80); });
}

int scanCount(const QByteArray& jpeg)
{
    // Entropy-coded data stuffs every 0xff byte, so each of these is a start-of-scan marker.
    return int(jpeg.count(QByteArray("\xff\xda", 2)));
}

// `scan` put in `count` times before the end marker. libjpeg's encoder refuses such a script
// (each bit of a coefficient is sent and refined once), so it is done by hand; the decoder only
// warns and walks every block of the scan's components each time.
QByteArray withScans(QByteArray jpeg, const QByteArray& scan, int count)
{
    jpeg.insert(jpeg.size() - 2, scan.repeated(count));
    return jpeg;
}

// A DC refinement of all three components that carries no data: the cheapest scan to walk, and
// the file the console was found to hang on (3,006 such scans).
const QByteArray kEmptyScan("\xff\xda\x00\x0c\x03\x01\x00\x02\x00\x03\x00\x00\x00\x10", 14);

// The standard script's last scan, the last bit of the luminance's 63 AC coefficients: over a
// grey picture a hundred bytes of end-of-band runs, and still every block's 63 coefficients
// walked, the dearest scan so few bytes buy.
QByteArray lastScan(const QByteArray& jpeg)
{
    const qsizetype start = jpeg.lastIndexOf(QByteArray("\xff\xda", 2));
    // SOS: marker, length (2), one component (1), its id and tables (2), Ss 1, Se 63, Ah 1 Al 0.
    if (start < 0 || jpeg.mid(start + 4, 1) != QByteArray("\x01", 1) ||
        jpeg.mid(start + 7, 3) != QByteArray("\x01\x3f\x10", 3))
        return {};
    return jpeg.mid(start, jpeg.size() - 2 - start);
}

// Four components at full resolution, arithmetic-coded, with the crafted DC refinements over all
// four: the arithmetic decoder costs several times a Huffman scan's work per block, so a budget
// counted in blocks alone let this 48 kB file hold a core for seconds.
QByteArray arithmeticRefinements()
{
    std::vector<uchar> row(std::size_t(kLargeSide) * 4, 0x80);
    QByteArray jpeg = encodeJpeg(
        kLargeSide, kLargeSide, 4, JCS_CMYK,
        [](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, kQuality, TRUE);
            cinfo.arith_code = TRUE;
            jpeg_simple_progression(&cinfo);
        },
        [&row](int) { return row.data(); });
    // SOS: length 14, four components (ids 0-3 as libjpeg numbers CMYK, tables 0), Ss 0, Se 0,
    // Ah 1, Al 0.
    const QByteArray scan("\xff\xda\x00\x0e\x04\x00\x00\x01\x00\x02\x00\x03\x00\x00\x00\x10", 16);
    return withScans(jpeg, scan, kCraftedScans - kStandardScans);
}

QString errorOf(const QByteArray& jpeg)
{
    try {
        decodeJpeg(jpeg);
    } catch (const UserError& e) {
        return e.message();
    }
    return {};
}

// Both decoders on the large picture, pixel for pixel, and the crafted ones refused as damage.
QString prepareLarge(Fixture& f, const QImage& advert)
{
    f.progressive = largeAdvert(advert);
    const QByteArray grey = largeGrey();
    const auto standard = [](const QByteArray& jpeg) {
        return scanCount(jpeg) == kStandardScans && jpeg.endsWith("\xff\xd9");
    };
    if (!standard(f.progressive) || !standard(grey))
        return QStringLiteral("a large picture is not libjpeg's standard progressive file");
    const QByteArray refinement = lastScan(grey);
    if (refinement.isEmpty())
        return QStringLiteral("the standard script does not end in the luminance's last refinement");
    f.emptyScans = withScans(grey, kEmptyScan, kCraftedScans - kStandardScans);
    f.repeatedScans = withScans(grey, refinement, kCraftedScans - kStandardScans);
    f.arithmeticRefinements = arithmeticRefinements();

    // Qt refuses pictures over 128 MB by default; ours allows 256 MB, so the baseline must too.
    QImageReader::setAllocationLimit(512);
    QImage ours;
    try {
        ours = decodeJpeg(f.progressive);
    } catch (const UserError& e) {
        return QStringLiteral("the large picture failed: ") + e.message();
    }
    const QImage qts = QImage::fromData(f.progressive, "JPG");
    if (qts.isNull())
        return QStringLiteral("Qt's reader could not decode the large picture");
    if (ours.size() != QSize(kLargeSide, kLargeSide) || ours != qts.convertToFormat(QImage::Format_RGB32))
        return QStringLiteral("the decoders disagree on the large picture");

    const QString refused = QStringLiteral("JPEG-Fehler #%1").arg(JERR_BAD_SCAN_SCRIPT);
    for (const QString& message : {errorOf(f.emptyScans), errorOf(f.repeatedScans)})
        if (message != refused)
            return QStringLiteral("a crafted picture gave \"%1\" instead of \"%2\"").arg(message, refused);
    if (errorOf(f.arithmeticRefinements).isEmpty())
        return QStringLiteral("the arithmetic-coded crafted picture decoded");
    return {};
}

QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    const QImage advert = makeAdvert();
    QBuffer buffer(&f.jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setQuality(kQuality);
    if (!writer.write(advert))
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
    return prepareLarge(f, advert);
}

void addSizeCounters(benchmark::State& state)
{
    const auto size = g_fixture->jpeg.size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * size);
    state.counters["file_bytes"] = double(size);
    state.counters["pixels"] = double(kWidth) * kHeight;
}

// Decodes `jpeg` with the project's decoder, or with Qt's reader as the baseline.
void decodeEach(benchmark::State& state, const QByteArray& jpeg, bool qtReader)
{
    for (auto _ : state) {
        QImage image;
        if (qtReader) {
            image = QImage::fromData(jpeg, "JPG");
            if (image.isNull()) {
                state.SkipWithError("Qt's reader failed");
                break;
            }
        } else {
            try {
                image = decodeJpeg(jpeg);
            } catch (const UserError& e) {
                state.SkipWithError(e.what());
                break;
            }
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_decodeJpeg(benchmark::State& state)
{
    decodeEach(state, g_fixture->jpeg, false);
    addSizeCounters(state);
}

// The same bytes through QImageReader and Qt's JPEG plugin, as QImage::fromData does it.
void BM_qt_reader(benchmark::State& state)
{
    decodeEach(state, g_fixture->jpeg, true);
    addSizeCounters(state);
}

void BM_progressive_8192(benchmark::State& state)
{
    decodeEach(state, g_fixture->progressive, false);
    state.counters["file_bytes"] = double(g_fixture->progressive.size());
}

void BM_qt_reader_progressive_8192(benchmark::State& state)
{
    decodeEach(state, g_fixture->progressive, true);
    state.counters["file_bytes"] = double(g_fixture->progressive.size());
}

// From the bytes to the message the operator sees. Qt's reader is not run on these: it has no
// limit and would take many seconds.
void refuse(benchmark::State& state, const QByteArray& jpeg)
{
    for (auto _ : state) {
        if (errorOf(jpeg).isEmpty()) {
            state.SkipWithError("the crafted picture decoded");
            break;
        }
    }
    state.counters["file_bytes"] = double(jpeg.size());
    state.counters["scans"] = double(kCraftedScans);
}

void BM_crafted_empty_scans(benchmark::State& state)
{
    refuse(state, g_fixture->emptyScans);
}

void BM_crafted_repeated_scans(benchmark::State& state)
{
    refuse(state, g_fixture->repeatedScans);
}

void BM_crafted_arithmetic_refinements(benchmark::State& state)
{
    refuse(state, g_fixture->arithmeticRefinements);
    state.counters["file_bytes"] = double(g_fixture->arithmeticRefinements.size());
}

BENCHMARK(BM_decodeJpeg)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_qt_reader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_progressive_8192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_qt_reader_progressive_8192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_crafted_empty_scans)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_crafted_repeated_scans)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_crafted_arithmetic_refinements)->Unit(benchmark::kMillisecond);

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(s.out(),
                 "\nSummary (%d x %d advert, quality %d, %lld bytes; CPU time per decode, this run; the "
                 "target is informative)\n",
                 kWidth, kHeight, kQuality, static_cast<long long>(g_fixture->jpeg.size()));
    s.printRatio("decodeJpeg", "BM_decodeJpeg", "Qt's reader", "BM_qt_reader", {.maxRatio = kRatioTarget});
    std::fprintf(s.out(),
                 "  %d x %d, libjpeg's progressive script, %lld bytes; crafted: %d scans, %lld bytes (empty) "
                 "and %lld bytes (repeated):\n",
                 kLargeSide, kLargeSide, static_cast<long long>(g_fixture->progressive.size()), kCraftedScans,
                 static_cast<long long>(g_fixture->emptyScans.size()),
                 static_cast<long long>(g_fixture->repeatedScans.size()));
    s.printRatio("progressive", "BM_progressive_8192", "Qt's reader", "BM_qt_reader_progressive_8192",
                 {.maxRatio = kRatioTarget});
    s.printTarget("empty scans", "BM_crafted_empty_scans", kCraftedLimitNs);
    s.printRatio("repeated scans", "BM_crafted_repeated_scans", "progressive", "BM_progressive_8192",
                 {.maxRatio = kRepeatedRatioTarget});
    s.printRatio("arithmetic refinements", "BM_crafted_arithmetic_refinements", "progressive",
                 "BM_progressive_8192", {.maxRatio = kRepeatedRatioTarget});
}

} // namespace

int main(int argc, char** argv)
{
    // Drawing the advert's text needs the font machinery of a GUI application, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return BenchSupport::runMain<QGuiApplication>(argc, argv,
                                                  {.name = "bench_jpeg",
                                                   .setUp = prepare,
                                                   .printSummary = printSummary,
                                                   .tearDown = tearDown,
                                                   .clock = BenchSupport::Clock::Cpu});
}
