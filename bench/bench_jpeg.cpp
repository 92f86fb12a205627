// Cost of decoding an advert picture with the project's own libjpeg decoder, set against Qt's
// JPEG reader decoding the same bytes in the same run. Both end in libjpeg, so the ratio says
// what our wrapper costs or saves around it (colour conversion, copies, set-up) on this machine.

#include "platform/JpegDecoder.h"
#include "platform/UserError.h"

#include "BenchSupport.h"

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
#include <memory>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 200;
constexpr int kQuality = 85;

constexpr double kRatioTarget = 1.2;

struct Fixture
{
    QByteArray jpeg;
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

QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
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

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(s.out(),
                 "\nSummary (%d x %d advert, quality %d, %lld bytes; CPU time per decode, this run; the "
                 "target is informative)\n",
                 kWidth, kHeight, kQuality, static_cast<long long>(g_fixture->jpeg.size()));
    s.printRatio("decodeJpeg", "BM_decodeJpeg", "Qt's reader", "BM_qt_reader", {.maxRatio = kRatioTarget});
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
