// Cost of what the hall sees change: the scoreboard feed after a bout is loaded (with the font
// fitting of two very long names) and after a scoring command, and one full repaint of the
// audience window at full-HD size. The feed is set against measuring one text once in the same
// run, the repaint against filling the same picture black, so the ratios say how much the
// layout and the drawing add on this machine. Runs under the offscreen platform with the real
// fonts of the set-up script.

#include "platform/FontInstaller.h"

#include "BenchSupport.h"
#include "platform/SignalSound.h"
#include "scoreboard/AudienceModel.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "shell/Console.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr double kUpdatekampfTargetNs = 2e6;
constexpr double kUpdatepunktTargetNs = 0.2e6;
constexpr double kRepaintTargetNs = 8e6;
const QSize kScreen(1920, 1080);

// Fictitious names, each far wider than its half of the header, so fitting runs down from
// 30 pt over most sizes on every call.
const char* const kRed = "Maximilian-Alexander Konstantin Schwarzenberger-Hohenlohe-Ingelfingen";
const char* const kBlue = "Gökhan Mehmet-Ali Öztürk-Wöhrle von und zu Bärenthal-Möhringen";
// The next bout, as long, so every call lays out new texts as a bout change does.
const char* const kRedNext = "Konstantin-Maximilian Alexander Hohenlohe-Ingelfingen-Schwarzenberger";
const char* const kBlueNext = "Mehmet-Ali Gökhan Wöhrle-Öztürk von und zu Möhringen-Bärenthal";

struct Fixture
{
    QTemporaryDir dir;
    NullSound sound;
    std::unique_ptr<Console> console;
    std::unique_ptr<AudienceWindow> window;
    int redSize = 0;
    // The bout's two states, swapped on every measured call, are grid rows 1 and 2, bouts 7
    // and 8 with different names.
};

// Made by prepare, gone by tearDown while the application still exists.
std::unique_ptr<Fixture> g_fixture;

void tearDown()
{
    g_fixture.reset();
}

// A bout in progress as the loader and the scoring commands leave it.
QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder: ") + f.dir.errorString();
    f.console = std::make_unique<Console>(f.dir.path(), &f.sound);
    // Two bouts with long names, loaded as a bout change does, then scored with the operator's
    // commands.
    MatchRecord& record = f.console->record();
    record.setHeader(QStringLiteral("heim"), QStringLiteral("KSV Grünwald-Möhringen 1921 e.V."));
    record.setHeader(QStringLiteral("gast"), QStringLiteral("AC Bärenthal 1904"));
    record.setHeader(QStringLiteral("mp"), QStringLiteral("Günter Süß"));
    record.setHeader(QStringLiteral("ml"), QStringLiteral("Hans-Jörg Bäcker"));
    record.setHeader(QStringLiteral("pr"), QStringLiteral("Jürgen Böhm"));
    record.setRowCount(3);
    const auto name = [&record](int firstColumn, int surnameColumn, int row, const char* text) {
        const QString whole = QString::fromUtf8(text);
        const qsizetype space = whole.indexOf(QLatin1Char(' '));
        record.setCell(firstColumn, row, whole.left(space));
        record.setCell(surnameColumn, row, whole.mid(space + 1));
    };
    for (int row : {1, 2}) {
        record.setCell(MatchFields::ColKlasse, row, QStringLiteral("75"));
        record.setCell(MatchFields::ColStil, row, QStringLiteral("G"));
        record.setCell(MatchFields::ColGewichtRot, row, QStringLiteral("74,6"));
        record.setCell(MatchFields::ColGewichtBlau, row, QStringLiteral("75,0"));
        name(MatchFields::ColVornRot, MatchFields::ColNachnRot, row, row == 1 ? kRed : kRedNext);
        name(MatchFields::ColVornBlau, MatchFields::ColNachnBlau, row, row == 1 ? kBlue : kBlueNext);
        record.setCell(MatchFields::ColReihenfolge, row, QString::number(6 + row));
    }
    record.setCell(MatchFields::ColPunkteRot, 1, QStringLiteral("12"));
    record.setCell(MatchFields::ColPunkteBlau, 1, QStringLiteral("9"));
    BoutNavigator& nav = f.console->navigator();
    nav.setKampfnr(QStringLiteral("7"));
    nav.ladedaten();
    Bout& bout = f.console->bout();
    for (int i = 0; i < 12; ++i) {
        bout.punkte(i % 3 == 0 ? QStringLiteral("b") : QStringLiteral("r"), 1 + i % 2);
        if (i % 4 == 3)
            bout.eingabe(i % 8 == 3 ? QStringLiteral("rv") : QStringLiteral("bv"));
    }

    const auto keep = [&](int row) {
        record.setCell(MatchFields::ColWertungenRot, row, bout.wr());
        record.setCell(MatchFields::ColWertungenBlau, row, bout.wb());
        record.setCell(MatchFields::ColZeiten, row, bout.zeitstempel());
    };
    keep(1);
    bout.punkte(QStringLiteral("r"), 2);
    keep(2);

    AudienceModel& model = f.console->audience();
    model.showLoadedBout();
    model.updatekampf();
    model.updatesek();
    f.redSize = model.element(QStringLiteral("rot")).font.pointSize;
    // The workload must make the fitting loop run, or the benchmark measures the wrong thing.
    if (f.redSize > 20)
        return QStringLiteral("the long names fit at %1 pt; nothing would be fitted").arg(f.redSize);

    f.window = std::make_unique<AudienceWindow>(model);
    f.window->resize(kScreen);
    if (f.window->size() != kScreen)
        return QStringLiteral("the window cannot take 1920 × 1080");
    return {};
}

void BM_updatekampf_long_names(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    AudienceModel& model = f.console->audience();
    BoutNavigator& nav = f.console->navigator();
    int i = 0;
    for (auto _ : state) {
        i ^= 1;
        // The bout change itself stays out of the time: only the feed is measured.
        state.PauseTiming();
        nav.setKampfnr(QString::number(7 + i));
        nav.ladedaten();
        state.ResumeTiming();
        model.updatekampf();
    }
    if (model.element(QStringLiteral("rot")).font.pointSize > 20)
        state.SkipWithError("the names were not fitted");
    state.counters["fitted_pt"] = g_fixture->redSize;
}

void BM_updatepunkt(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    AudienceModel& model = f.console->audience();
    Bout& bout = f.console->bout();
    int i = 0;
    for (auto _ : state) {
        i ^= 1;
        // Loading the row and its recount stay out of the time: only the feed is measured.
        state.PauseTiming();
        bout.loadRow(1 + i);
        state.ResumeTiming();
        model.updatepunkt();
    }
}

// One measurement of one text in one font, through the same measuring function the feed uses.
void BM_measure_one_text(benchmark::State& state)
{
    AudienceModel& model = g_fixture->console->audience();
    const AudienceModel::FontStyle style = model.element(QStringLiteral("rot")).font;
    const QString text = QString::fromUtf8(kRed);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.measure(style, text));
}

void repaint(benchmark::State& state, bool presentation)
{
    Console& console = *g_fixture->console;
    console.view().setPanelsVisible(!presentation, presentation);
    QImage image(kScreen, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        g_fixture->window->paint(painter);
    }
    console.view().setPanelsVisible(true, false);
    benchmark::DoNotOptimize(image.bits());
}

void BM_repaint_scoreboard(benchmark::State& state)
{
    repaint(state, false);
}

void BM_repaint_presentation(benchmark::State& state)
{
    repaint(state, true);
}

// The least any repaint does: every pixel of the same picture written once.
void BM_fill_black(benchmark::State& state)
{
    QImage image(kScreen, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::black);
    }
    benchmark::DoNotOptimize(image.bits());
}

BENCHMARK(BM_updatekampf_long_names)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_updatepunkt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_measure_one_text)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_repaint_scoreboard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_repaint_presentation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_fill_black)->Unit(benchmark::kMicrosecond);

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(s.out(),
                 "\nSummary (wall-clock per operation, this run; targets are informative)\n"
                 "Feed with two names fitted from 30 down to %d pt; repaint at %d x %d\n",
                 g_fixture->redSize, kScreen.width(), kScreen.height());
    s.printRatio("updatekampf", "BM_updatekampf_long_names", "one text measured", "BM_measure_one_text",
                 {.limitNs = kUpdatekampfTargetNs});
    s.printRatio("updatepunkt", "BM_updatepunkt", "one text measured", "BM_measure_one_text",
                 {.limitNs = kUpdatepunktTargetNs});
    s.printRatio("repaint scoreboard", "BM_repaint_scoreboard", "black fill", "BM_fill_black",
                 {.limitNs = kRepaintTargetNs});
    s.printRatio("repaint presentation", "BM_repaint_presentation", "black fill", "BM_fill_black",
                 {.limitNs = kRepaintTargetNs});
}

QString setUp()
{
    // The program installs the typewriter font from its own folder at start, and Wine's Tahoma
    // where it is installed; so does this.
    QFontDatabase::addApplicationFont(QCoreApplication::applicationDirPath() +
                                      QStringLiteral("/../MonospaceTypewriter.ttf"));
    FontInstaller::addTahoma();
    return prepare();
}

} // namespace

int main(int argc, char** argv)
{
    // No display needed: fonts and painting work the same offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return BenchSupport::runMain<QApplication>(
        argc, argv,
        {.name = "bench_feed", .setUp = setUp, .printSummary = printSummary, .tearDown = tearDown});
}
