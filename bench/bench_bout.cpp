// Cost of what the operator feels during a bout: one scoring command (the whole bout is
// recounted after each one) and one bout change (evaluation, row, full save, next bout loaded).
// Each is set against a baseline measured in the same run, so the ratio says how much the
// console adds on this machine: a bare character scan for the commands, a bare temp-file write
// of the same match file for the bout change. Set TMPDIR to measure another file system.

#include "bout/Bout.h"

#include "BenchSupport.h"
#include "bout/BoutClock.h"
#include "bout/BoutNavigator.h"
#include "match/MatchFields.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "shell/Console.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace MatchFields;

namespace {

constexpr int kScoringActions = 60;
constexpr int kBouts = 14;
constexpr int kMatchActions = 40;

constexpr double kCommandTargetNs = 20e3;
constexpr double kBoutChangeTargetNs = 5e6;

const char* const kMinimalDocument =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>"
    "<mk><info><erstellt>1.1.2026</erstellt></info><kaempfe><kampf1/></kaempfe></mk>";

struct Actions
{
    QString red;
    QString blue;
    QString stamps;
    QString endTime;
};

// Seeded, so every run measures the same content. Cautions stay at two and passivities at three
// per side: one more would make the evaluation award DV or DS, and a bout reloaded with such a
// code is closed, which is not the common path of a bout change.
Actions makeActions(int count, std::uint_fast32_t seed)
{
    std::minstd_rand rng(seed);
    static const char tokens[] = {'1', '1', '2', '2', '2', '4', '5', 'P', 'V'};
    int cautions[2] = {0, 0};
    int passivities[2] = {0, 0};

    Actions a;
    int second = 0;
    for (int i = 0; i < count; ++i) {
        const int side = int(rng() % 2);
        char t = tokens[rng() % sizeof tokens];
        if (t == 'V' && cautions[side]++ >= 2)
            t = '2';
        if (t == 'P' && passivities[side]++ >= 3)
            t = '1';
        (side == 0 ? a.red : a.blue) += QLatin1Char(t);
        (side == 0 ? a.blue : a.red) += QLatin1Char(' ');
        second += 3 + int(rng() % 4);
        // The bout writes every stamp with its separator, so the stored text ends in ";" too.
        a.stamps += BoutClock::clockText(second / 60, second % 60) + QLatin1Char(';');
    }
    a.endTime = BoutClock::clockText(second / 60, second % 60);
    return a;
}

struct Wrestler
{
    const char* first;
    const char* last;
};

const char* const kClasses[kBouts] = {"57 A", "57 B", "61 A", "61 B", "66 A", "66 B", "71 A",
                                      "71 B", "75 A", "75 B", "80 A", "86 A", "98 A", "130 A"};

const Wrestler kRed[kBouts] = {
    {"Jürgen", "Müller"}, {"Björn", "Schäfer"},  {"Lukas", "Weiß"},    {"Sören", "Köhler"},
    {"Jörg", "Hänsel"},   {"Max", "Brückner"},   {"Timo", "Große"},    {"Łukasz", "Wójcik"},
    {"Ömer", "Şahin"},    {"Dominik", "Fößel"},  {"André", "Bäumler"}, {"Fabian", "Kröger"},
    {"Gökhan", "Öztürk"}, {"Niklas", "Süßmuth"},
};
const Wrestler kBlue[kBouts] = {
    {"Matthias", "Jäger"}, {"Günther", "Röder"}, {"Kevin", "Strauß"},     {"Florian", "Lämmle"},
    {"Tobias", "Dürr"},    {"Raphaël", "Müßig"}, {"Andreas", "Hübner"},   {"Dragoş", "Popescu"},
    {"Mirko", "Pfäffle"},  {"Jonas", "Grün"},    {"Yannick", "Schüßler"}, {"René", "Wöhrle"},
    {"Marek", "Dvořák"},   {"Stefan", "Künzel"},
};

BoutRow makeBout(int i, int actions, const QString& style)
{
    const Actions a = makeActions(actions, std::uint_fast32_t(2000 + i));
    BoutRow row;
    row[ColKlasse] = QString::fromLatin1(kClasses[i]);
    row[ColStil] = style;
    row[2] = QStringLiteral("56,4");
    row[3] = QString::fromUtf8(kRed[i].first);
    row[4] = QString::fromUtf8(kRed[i].last);
    row[ColLizenzRot] = QString::number(104233 + i * 3571);
    row[9] = QStringLiteral("56,9");
    row[10] = QString::fromUtf8(kBlue[i].first);
    row[11] = QString::fromUtf8(kBlue[i].last);
    row[ColLizenzBlau] = QString::number(207811 + i * 2749);
    row[ColZeit] = a.endTime;
    row[ColWertungenRot] = a.red;
    row[ColWertungenBlau] = a.blue;
    row[ColZeiten] = a.stamps;
    // 5 is coprime to 14, so this is a permutation: the navigator has to search for each row.
    row[ColReihenfolge] = QString::number((i * 5) % kBouts + 1);
    return row;
}

void fillHeader(MatchRecord& record)
{
    record.setHeader(QStringLiteral("heim"), QStringLiteral("KSV Grünwald-Möhringen 1921 e.V."));
    record.setHeader(QStringLiteral("gast"), QStringLiteral("AC Bärenthal 1904"));
    record.setHeader(QStringLiteral("liga"), QStringLiteral("Oberliga Baden-Württemberg"));
    record.setHeader(QStringLiteral("datum"), QStringLiteral("14.03.2026"));
    record.setHeader(QStringLiteral("ml"), QStringLiteral("Hans-Jörg Bäcker"));
    record.setHeader(QStringLiteral("mp"), QStringLiteral("Günter Süß"));
    record.setHeader(QStringLiteral("pr"), QStringLiteral("Jürgen Böhm"));
}

struct Fixture
{
    QTemporaryDir dir;
    NullSound sound;
    // Two consoles, so the bout changes never disturb the bout the commands are measured on.
    std::unique_ptr<Console> scoring;
    std::unique_ptr<Console> match;
    QString matchPath;
    QString rawPath;
    QString scanRed;
    QString scanBlue;
    QString scoringStamps;
    QByteArray savedBytes;
};

// Made by prepare, gone by tearDown while the application still exists.
std::unique_ptr<Fixture> g_fixture;

void tearDown()
{
    g_fixture.reset();
}

QString prepareScoring(Fixture& f)
{
    f.scoring = std::make_unique<Console>(f.dir.path(), &f.sound);
    Console& c = *f.scoring;
    fillHeader(c.record());
    c.record().setBoutRows({makeBout(0, kScoringActions, QStringLiteral("F"))});
    c.record().setCell(ColReihenfolge, 1, QStringLiteral("1"));
    c.navigator().setKampfnr(QStringLiteral("1"));
    c.navigator().ladedaten();

    Bout& bout = c.bout();
    if (!bout.isOpen())
        return QStringLiteral("the scoring bout was loaded closed");
    if (bout.stil() != QLatin1String("F"))
        return QStringLiteral("the scoring bout was loaded with style \"%1\"").arg(bout.stil());
    if (bout.wr().size() != kScoringActions || bout.wb().size() != kScoringActions)
        return QStringLiteral("the scoring bout holds %1 actions instead of %2")
            .arg(bout.wr().size())
            .arg(kScoringActions);

    // Every measured pair has to leave the bout exactly as it found it, or the later iterations
    // would measure a different bout.
    const QString red = bout.wr();
    const QString blue = bout.wb();
    const QString stamps = bout.zeitstempel();
    bout.punkte(QStringLiteral("r"), 2);
    if (bout.wr().size() != kScoringActions + 1)
        return QStringLiteral("a point was not recorded");
    bout.eingabe(QStringLiteral("wertungrueck"));
    bout.eingabe(QStringLiteral("rv"));
    if (bout.wr().size() != kScoringActions + 1)
        return QStringLiteral("a caution was not recorded");
    bout.eingabe(QStringLiteral("wertungrueck"));
    if (bout.wr() != red || bout.wb() != blue || bout.zeitstempel() != stamps)
        return QStringLiteral("taking an action back does not restore the bout");

    f.scanRed = red;
    f.scanBlue = blue;
    f.scoringStamps = stamps;
    return {};
}

// A workload that silently lost content would make the timings meaningless.
QString roundTripProblem(const QString& path, const MatchRecord& expected)
{
    MatchRecord back;
    MatchFile file(back);
    try {
        file.open(path);
    } catch (const UserError& e) {
        return e.message();
    }
    if (back.boutCount() != kBouts)
        return QStringLiteral("%1 bouts read back instead of %2").arg(back.boutCount()).arg(kBouts);
    for (int r = 1; r <= kBouts; ++r)
        for (int c = 0; c < ColumnCount; ++c)
            if (back.cell(c, r) != expected.cell(c, r))
                return QStringLiteral("bout %1 column %2 reads back as \"%3\"")
                    .arg(r)
                    .arg(c)
                    .arg(back.cell(c, r));
    return {};
}

QString prepareMatch(Fixture& f)
{
    f.matchPath = f.dir.filePath(QStringLiteral("match.ptlx"));
    f.rawPath = f.dir.filePath(QStringLiteral("raw.ptlx"));

    QFile seed(f.matchPath);
    if (!seed.open(QIODevice::WriteOnly) ||
        seed.write(kMinimalDocument) != qint64(std::strlen(kMinimalDocument)))
        return QStringLiteral("cannot write ") + f.matchPath;
    seed.close();

    f.match = std::make_unique<Console>(f.dir.path(), &f.sound);
    Console& c = *f.match;
    try {
        c.matchFile().open(f.matchPath);
        fillHeader(c.record());
        std::vector<BoutRow> rows;
        for (int i = 0; i < kBouts; ++i)
            rows.push_back(
                makeBout(i, kMatchActions, i % 2 == 0 ? QStringLiteral("F") : QStringLiteral("G")));
        c.record().setBoutRows(std::move(rows));
        c.matchFile().saveall();

        c.navigator().setKampfnr(QStringLiteral("1"));
        c.navigator().ladedaten();
        // One unmeasured round: afterwards every row holds its evaluated result, so each
        // measured change rewrites a finished row, as during a real match.
        for (int i = 0; i < kBouts; ++i)
            c.navigator().naechsterkampf(999);
    } catch (const UserError& e) {
        return e.message();
    }

    if (c.navigator().kampfnr() != QLatin1String("1"))
        return QStringLiteral("after %1 changes bout %2 is loaded instead of bout 1")
            .arg(kBouts)
            .arg(c.navigator().kampfnr());
    if (!c.bout().isOpen())
        return QStringLiteral("bout 1 was reloaded closed");
    for (int r = 1; r <= kBouts; ++r) {
        if (c.record().cell(ColSieg, r).isEmpty())
            return QStringLiteral("bout row %1 was not evaluated").arg(r);
        if (c.record().cell(ColWertungenRot, r).size() != kMatchActions)
            return QStringLiteral("bout row %1 lost its actions").arg(r);
    }
    if (const QString problem = roundTripProblem(f.matchPath, c.record()); !problem.isEmpty())
        return problem;

    QFile saved(f.matchPath);
    if (!saved.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read back ") + f.matchPath;
    f.savedBytes = saved.readAll();
    return {};
}

QString prepare()
{
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder: ") + f.dir.errorString();
    if (const QString problem = prepareScoring(f); !problem.isEmpty())
        return problem;
    return prepareMatch(f);
}

void checkScoringBoutUnchanged(benchmark::State& state)
{
    const Bout& bout = g_fixture->scoring->bout();
    if (bout.wr() != g_fixture->scanRed || bout.wb() != g_fixture->scanBlue ||
        bout.zeitstempel() != g_fixture->scoringStamps)
        state.SkipWithError("the bout did not return to its 60 actions");
}

// Timed as a pair so the bout stays at 60 actions; items_per_second counts single commands.
void BM_points_and_undo(benchmark::State& state)
{
    Bout& bout = g_fixture->scoring->bout();
    const QString red = QStringLiteral("r");
    const QString undo = QStringLiteral("wertungrueck");
    for (auto _ : state) {
        bout.punkte(red, 2);
        bout.eingabe(undo);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * 2);
    checkScoringBoutUnchanged(state);
}

void BM_caution_and_undo(benchmark::State& state)
{
    Bout& bout = g_fixture->scoring->bout();
    const QString caution = QStringLiteral("rv");
    const QString undo = QStringLiteral("wertungrueck");
    for (auto _ : state) {
        bout.eingabe(caution);
        bout.eingabe(undo);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * 2);
    checkScoringBoutUnchanged(state);
}

// The least any recount has to do: look at each character of both strings once.
void BM_scan_two_strings(benchmark::State& state)
{
    const QString& red = g_fixture->scanRed;
    const QString& blue = g_fixture->scanBlue;
    const qsizetype n = red.size();
    for (auto _ : state) {
        const QChar* r = red.constData();
        const QChar* b = blue.constData();
        // Forces the characters to be read again in every iteration.
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(b);
        int points = 0;
        int cautions = 0;
        int passivities = 0;
        int other = 0;
        const auto tally = [&](char16_t c) {
            if (c >= u'1' && c <= u'5')
                points += c - u'0';
            else if (c == u'V')
                ++cautions;
            else if (c == u'P')
                ++passivities;
            else
                ++other;
        };
        for (qsizetype i = 0; i < n; ++i) {
            tally(r[i].unicode());
            tally(b[i].unicode());
        }
        benchmark::DoNotOptimize(points);
        benchmark::DoNotOptimize(cautions);
        benchmark::DoNotOptimize(passivities);
        benchmark::DoNotOptimize(other);
    }
}

void addSizeCounters(benchmark::State& state)
{
    const auto size = g_fixture->savedBytes.size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * size);
    state.counters["file_bytes"] = double(size);
}

void BM_bout_change(benchmark::State& state)
{
    BoutNavigator& navigator = g_fixture->match->navigator();
    for (auto _ : state) {
        try {
            navigator.naechsterkampf(999);
        } catch (const UserError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    addSizeCounters(state);
}

// Same bytes through the match file's own writer, minus everything else.
void BM_raw_write(benchmark::State& state)
{
    BenchSupport::rawWrite(state, g_fixture->savedBytes, g_fixture->rawPath);
}

// Wall-clock time throughout, so the CPU-bound commands and the disk-bound bout change are
// reported on the same clock; QSaveFile::commit waits for the disk, which is not CPU time.
BENCHMARK(BM_points_and_undo)->Unit(benchmark::kNanosecond)->UseRealTime();
BENCHMARK(BM_caution_and_undo)->Unit(benchmark::kNanosecond)->UseRealTime();
BENCHMARK(BM_scan_two_strings)->Unit(benchmark::kNanosecond)->UseRealTime();
BENCHMARK(BM_bout_change)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_raw_write)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Each pair is halved: command and take-back cost about the same.
void printCommand(const BenchSupport::Summary& s, const char* label, const std::string& pairName)
{
    std::optional<BenchSupport::Time> command = s.time(pairName);
    if (command)
        command->ns /= 2;
    s.printRatio(label, command, "scan", s.time("BM_scan_two_strings"), {.limitNs = kCommandTargetNs});
}

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(
        s.out(),
        "\nSummary (wall-clock, this run; targets are informative)\n"
        "Scoring commands on a bout of %d actions, per command: each pair (command + take-back, both\n"
        "recount) timed and halved; baseline: one scan of the two %d-character strings\n",
        kScoringActions, kScoringActions);
    printCommand(s, "punkte r 2 / undo", "BM_points_and_undo");
    printCommand(s, "rv / undo", "BM_caution_and_undo");

    std::fprintf(s.out(), "Bout change on %d bouts x %d actions (%lld bytes saved each time)\n", kBouts,
                 kMatchActions, static_cast<long long>(g_fixture->savedBytes.size()));
    s.printRatio("naechsterkampf(999)", "BM_bout_change", "raw temp-file write", "BM_raw_write",
                 {.limitNs = kBoutChangeTargetNs});
}

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::runMain<QCoreApplication>(
        argc, argv,
        {.name = "bench_bout", .setUp = prepare, .printSummary = printSummary, .tearDown = tearDown});
}
