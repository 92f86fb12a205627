// What the operator feels when pressing a scoring key: F2 delivered to the operator window the
// way the platform delivers a real key, up to the moment the bout announces the new score. The
// same command called straight on the keyboard control, in the same run, shows what the event
// path adds on top of the scoring itself.

#include "bout/Bout.h"

#include "BenchSupport.h"
#include "bout/KeyboardControl.h"
#include "bout/ui/WinTypePicker.h"
#include "platform/FontInstaller.h"
#include "platform/SignalSound.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "shell/Console.h"
#include "shell/OperatorShell.h"
#include "shell/ui/MessageWindow.h"
#include "shell/ui/OperatorWindow.h"
#include "support/TestSupport.h"
#include "widgets/Dialogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kPresses = 10000;
// Untimed pairs before each measured run, so the first measured presses do not pay for
// first-use costs (glyph caches, lazily built label layouts) that a match pays once.
constexpr int kWarmupPresses = 200;
constexpr int kF2 = 113;
constexpr int kBackspace = 8;
constexpr double kMedianTargetUs = 50.0;

// Bout 1 is mid-bout (20 actions up to 3:06, one caution a side, one passivity for red,
// freestyle), so every F2 is accepted and the recount has the work a real press has. Bout 2
// only has its names.
struct Action
{
    bool red;
    char mark;
};
constexpr Action kActions[] = {
    {true, '2'},  {false, '2'}, {true, '1'},  {false, '1'}, {true, '4'},  {false, '2'}, {true, 'V'},
    {false, '1'}, {true, '2'},  {false, '4'}, {true, 'P'},  {true, '2'},  {false, '1'}, {true, '2'},
    {false, 'V'}, {true, '1'},  {false, '2'}, {true, '2'},  {false, '1'}, {true, '1'},
};
constexpr int kActionCount = int(sizeof kActions / sizeof kActions[0]);

QByteArray matchFileBytes()
{
    QString red, blue, stamps;
    int tpRed = 0;
    int tpBlue = 0;
    for (int i = 0; i < kActionCount; ++i) {
        const Action& a = kActions[i];
        (a.red ? red : blue) += QLatin1Char(a.mark);
        (a.red ? blue : red) += QLatin1Char(' ');
        if (a.mark >= '1' && a.mark <= '5')
            (a.red ? tpRed : tpBlue) += a.mark - '0';
        const int second = 8 + i * 9;
        stamps += QStringLiteral("%1:%2;").arg(second / 60).arg(second % 60, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV Hohenlimburg</heim>"
               "<gast>AC "
               "Bergheim</gast><ml>Maier</ml><mp>Kuhn</mp><pr>Huber</pr><altersklasse>2</altersklasse>"
               "</info><kaempfe>"
               "<kampf1><klasse>66</klasse><stil>F</stil><vornrot>Jan</vornrot><nachnrot>Becker</nachnrot>"
               "<vornblau>Ole</vornblau><nachnblau>Wagner</nachnblau><reihenfolge>1</reihenfolge>"
               "<zeit>3:10</zeit><tprot>%1</tprot><tpblau>%2</tpblau><wertungenrot>%3</wertungenrot>"
               "<wertungenblau>%4</wertungenblau><zeiten>%5</zeiten></kampf1>"
               "<kampf2><klasse>71</klasse><stil>G</stil><vornrot>Tim</vornrot><nachnrot>Hartmann</nachnrot>"
               "<vornblau>Lars</vornblau><nachnblau>Fuchs</nachnblau><reihenfolge>2</reihenfolge></kampf2>"
               "</kaempfe></mk>")
        .arg(tpRed)
        .arg(tpBlue)
        .arg(red, blue, stamps)
        .toLatin1();
}

// The objects in the order the program builds them, with a silent horn (no press here sounds
// it) and a temporary program folder.
struct Rig
{
    QTemporaryDir dir;
    NullSound sound;
    std::unique_ptr<Console> console;
    std::unique_ptr<OperatorWindow> window;
    std::unique_ptr<AudienceWindow> audience;
    std::unique_ptr<MessageWindow> messages;
    std::unique_ptr<WinTypePicker> picker;
    int addedFont = -1;

    // Filled by two slots on `updatepunkt`: one connected as soon as the Console exists, so it
    // runs after the listeners the Console wires up itself (the audience feed) and before any
    // window's; the other connected last, after every listener the windows add.
    SteadyClock::time_point firstSlot;
    SteadyClock::time_point lastSlot;
    long long emissions = 0;

    qsizetype startLength = 0;
};

// Made by prepare, gone by tearDown while the application still exists.
std::unique_ptr<Rig> g_rig;

QString prepare()
{
    g_rig = std::make_unique<Rig>();
    Rig& rig = *g_rig;
    if (!rig.dir.isValid())
        return QStringLiteral("no temporary folder: ") + rig.dir.errorString();
    const QString path = rig.dir.filePath(QStringLiteral("KSV Hohenlimburg-AC Bergheim.ptlx"));
    const QByteArray bytes = matchFileBytes();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QStringLiteral("cannot write ") + path;
    f.close();

    rig.console = std::make_unique<Console>(rig.dir.path(), &rig.sound);
    QObject::connect(&rig.console->bout(), &Bout::updatepunkt, [&rig] {
        rig.firstSlot = SteadyClock::now();
        ++rig.emissions;
    });
    // Wine's Tahoma, where installed, before the first window, as the program adds it.
    FontInstaller::addTahoma();
    rig.window = std::make_unique<OperatorWindow>(*rig.console);
    rig.window->openMatchFile(path);
    if (rig.console->matchFile().matchFileName().isEmpty())
        return QStringLiteral("the match file did not open: ") +
               MessageBox::takeShownMessages().join(QLatin1Char(' '));
    // The scoring strings are drawn in the typewriter font; without it, the labels would lay out
    // text in a fallback font and the panel's cost would not be the program's.
    if (!FontInstaller::isInstalled(QStringLiteral("MonospaceTypewriter"))) {
        rig.addedFont = FontInstaller::add(QStringLiteral(VANTOR_TYPEWRITER_FONT));
        if (rig.addedFont < 0)
            return QStringLiteral("cannot add the typewriter font " VANTOR_TYPEWRITER_FONT);
    }
    rig.audience = std::make_unique<AudienceWindow>();
    rig.window->setAudienceWindow(rig.audience.get());
    rig.messages = std::make_unique<MessageWindow>();
    rig.window->setMessageWindow(rig.messages.get());
    rig.picker = std::make_unique<WinTypePicker>(rig.console->bout());
    rig.window->setWinTypePicker(rig.picker.get());
    QObject::connect(&rig.console->bout(), &Bout::updatepunkt, [&rig] { rig.lastSlot = SteadyClock::now(); });

    if (QScreen* screen = QGuiApplication::primaryScreen())
        rig.window->setGeometry(screen->availableGeometry());
    rig.window->showMaximized();
    for (int i = 0; i < 100 && !(rig.window->windowHandle() && rig.window->windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!rig.window->windowHandle() || !rig.window->windowHandle()->isExposed())
        return QStringLiteral("the operator window was never exposed");

    rig.console->shell().steuerungsansicht();
    QCoreApplication::processEvents();
    if (rig.console->shell().currentView() != OperatorShell::Kampf ||
        !rig.console->keyboard().keyboardActive())
        return QStringLiteral("the bout panel is not shown");
    const Bout& bout = rig.console->bout();
    if (bout.wr().size() != kActionCount || bout.wb().size() != kActionCount || !bout.isOpen())
        return QStringLiteral("bout 1 did not load as an open bout with %1 actions (\"%2\" / \"%3\")")
            .arg(kActionCount)
            .arg(bout.wr(), bout.wb());
    rig.startLength = bout.wr().size();
    if (!MessageBox::takeShownMessages().isEmpty())
        return QStringLiteral("a message was shown while setting up");
    return {};
}

// A press as the platform plugin hands it to the window: the application-wide filter sees it
// first, then the window passes it to the focused control.
void sendKey(Qt::Key key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(g_rig->window->windowHandle(), &event);
}

// The percentile by the nearest-rank rule, so every figure printed is a measured press.
double percentile(std::vector<double> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty())
        return 0;
    const auto rank = std::size_t(std::ceil(p / 100.0 * double(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

struct Samples
{
    std::vector<double> toEmission; // µs, send to the console's listeners on updatepunkt done
    std::vector<double> toLastSlot; // µs, send to the last slot on updatepunkt
    std::vector<double> toReturn;   // µs, send to the return of the call
};

Samples g_eventSamples;
Samples g_directSamples;

double micros(SteadyClock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// One measured F2 and one untimed undo, `press` and `undo` being the two ways in. Between
// presses the event loop runs, as it does between an operator's key strokes, so pending
// repaints are done outside the measurement and not piled up for a later press.
void measurePresses(benchmark::State& state, Samples& all, const std::function<void()>& press,
                    const std::function<void()>& undo)
{
    Rig& rig = *g_rig;
    const Bout& bout = rig.console->bout();
    QString problem;
    const auto pair = [&](Samples* keep) {
        const long long before = rig.emissions;
        const SteadyClock::time_point sent = SteadyClock::now();
        press();
        const SteadyClock::time_point returned = SteadyClock::now();
        if (rig.emissions != before + 1 || bout.wr().size() != rig.startLength + 1) {
            problem = QStringLiteral("F2 did not score exactly once");
            return 0.0;
        }
        // Read before the undo, which announces its own score change.
        const double emitted = micros(rig.firstSlot - sent);
        const double lastDone = micros(rig.lastSlot - sent);
        undo();
        if (bout.wr().size() != rig.startLength) {
            problem = QStringLiteral("Backspace did not take the point back");
            return 0.0;
        }
        QCoreApplication::processEvents();
        if (keep) {
            keep->toEmission.push_back(emitted);
            keep->toLastSlot.push_back(lastDone);
            keep->toReturn.push_back(micros(returned - sent));
        }
        return emitted;
    };

    for (int i = 0; i < kWarmupPresses && problem.isEmpty(); ++i)
        pair(nullptr);
    if (!problem.isEmpty()) {
        state.SkipWithError(problem.toStdString().c_str());
        return;
    }

    Samples run;
    run.toEmission.reserve(std::size_t(state.max_iterations));
    for (auto _ : state) {
        const double us = pair(&run);
        if (!problem.isEmpty()) {
            state.SkipWithError(problem.toStdString().c_str());
            break;
        }
        state.SetIterationTime(us / 1e6);
    }
    if (!problem.isEmpty() || run.toEmission.empty())
        return;
    state.counters["p50_us"] = percentile(run.toEmission, 50);
    state.counters["p99_us"] = percentile(run.toEmission, 99);
    state.counters["max_us"] = percentile(run.toEmission, 100);
    all.toEmission.insert(all.toEmission.end(), run.toEmission.begin(), run.toEmission.end());
    all.toLastSlot.insert(all.toLastSlot.end(), run.toLastSlot.begin(), run.toLastSlot.end());
    all.toReturn.insert(all.toReturn.end(), run.toReturn.begin(), run.toReturn.end());
}

void BM_key_event_F2(benchmark::State& state)
{
    measurePresses(
        state, g_eventSamples, [] { sendKey(Qt::Key_F2); }, [] { sendKey(Qt::Key_Backspace); });
}

void BM_tastendruck_direct(benchmark::State& state)
{
    KeyboardControl& keyboard = g_rig->console->keyboard();
    measurePresses(
        state, g_directSamples, [&keyboard] { keyboard.tastendruck(kF2, Qt::NoModifier); },
        [&keyboard] { keyboard.tastendruck(kBackspace, Qt::NoModifier); });
}

// Manual time: only the press is on the clock, not the undo and the repaint after it.
BENCHMARK(BM_key_event_F2)->Iterations(kPresses)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_tastendruck_direct)->Iterations(kPresses)->UseManualTime()->Unit(benchmark::kMicrosecond);

void printRow(std::FILE* out, const char* what, const std::vector<double>& us)
{
    std::fprintf(out, "  %-36s median %7.2f us   p99 %7.2f us   max %8.2f us\n", what, percentile(us, 50),
                 percentile(us, 99), percentile(us, 100));
}

void printSummary(const BenchSupport::Summary& s)
{
    const Samples& e = g_eventSamples;
    const Samples& d = g_directSamples;
    std::FILE* out = s.out();
    std::fprintf(
        out,
        "\nSummary (per F2 press, wall-clock from the call until updatepunkt has reached the console's own "
        "listeners; each press followed by an untimed Backspace; this run; targets are informative)\n");
    if (e.toEmission.empty() || d.toEmission.empty()) {
        std::fprintf(out, "  the key event and its baseline were not both measured in this run\n");
    } else {
        std::fprintf(out, "  %zu presses by key event, %zu by direct call\n", e.toEmission.size(),
                     d.toEmission.size());
        printRow(out, "F2 key event -> updatepunkt", e.toEmission);
        printRow(out, "tastendruck(113) -> updatepunkt", d.toEmission);
        printRow(out, "F2 key event -> last listener done", e.toLastSlot);
        printRow(out, "F2 key event -> sendEvent returned", e.toReturn);
        const BenchSupport::Time eventMedian{percentile(e.toEmission, 50) * 1e3, benchmark::kMicrosecond};
        const BenchSupport::Time directMedian{percentile(d.toEmission, 50) * 1e3, benchmark::kMicrosecond};
        s.printRatio("key event median", eventMedian, "direct call median", directMedian);
        s.printTarget("key event median", eventMedian, kMedianTargetUs * 1e3);
    }
    if (const QStringList shown = MessageBox::takeShownMessages(); !shown.isEmpty())
        std::fprintf(stderr, "bench_keys: messages shown during the run: %s\n",
                     shown.join(QStringLiteral(" | ")).toLocal8Bit().constData());
}

QString setUp()
{
    QApplication::setApplicationName(QStringLiteral("vantor2"));
    QApplication::setApplicationDisplayName(QStringLiteral("VANTOR²"));
    // A failure during the presses must not wait for someone to close a message box.
    MessageBox::setTestMode(true);
    return prepare();
}

void tearDown()
{
    if (g_rig && g_rig->addedFont >= 0)
        FontInstaller::remove(g_rig->addedFont);
    g_rig.reset();
}

} // namespace

int main(int argc, char** argv)
{
    // Delivering a key event needs no display; a platform chosen by the caller (xcb on a real
    // display) is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return BenchSupport::runMain<QApplication>(
        argc, argv,
        {.name = "bench_keys", .setUp = setUp, .printSummary = printSummary, .tearDown = tearDown});
}
