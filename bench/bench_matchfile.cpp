// Cost of saving and loading a full match file, each set against the bare file I/O of the
// same bytes measured in the same run, so the ratio says how much the XML layer adds on this
// machine and this disk. Set TMPDIR to measure another file system.
//
// The same operations on a file of 8,000 bouts show whether opening and saving stay linear:
// the time per bout must stay within 2x of the 14-bout file's.

#include "match/MatchFields.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "platform/UserError.h"

#include "BenchSupport.h"

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
#include <string>
#include <random>
#include <vector>

using namespace MatchFields;

namespace {

constexpr int kBouts = 14;
constexpr int kManyBouts = 8000;
constexpr int kActions = 40;
constexpr double kPerBoutRatioTarget = 2.0;

constexpr double kSaveRatioTarget = 3.0;
constexpr double kSaveTargetNs = 2e6;
constexpr double kLoadTargetNs = 2e6;

const char* const kMinimalDocument =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>"
    "<mk><info><erstellt>1.1.2026</erstellt></info><kaempfe><kampf1/></kaempfe></mk>";

struct Header
{
    const char* field;
    const char* value;
};

// Fictitious clubs and people; the names outside Latin-1 make the writer emit character
// references, as real rosters with Polish, Romanian or Turkish wrestlers do.
const Header kHeader[] = {
    {"erstellt", "02.03.2026"},
    {"heim", "KSV Grünwald-Möhringen 1921 e.V."},
    {"gast", "AC Bärenthal 1904"},
    {"ort", "Möhringen an der Würm"},
    {"halle", "Dreifachsporthalle am Mühlbach"},
    {"liga", "Oberliga Baden-Württemberg, Staffel Süd"},
    {"datum", "14.03.2026"},
    {"punktfreund", "1"},
    {"vorrueck", "0"},
    {"altersklasse", "2"},
    {"ml", "Hans-Jörg Bäcker"},
    {"mp", "Günter Süß"},
    {"pr", "Jürgen Böhm"},
    {"zeitnehmer", "Dörte Krämer"},
    {"protokollfuehrer", "Bärbel Schütz"},
    {"punktzettel", "Ömer Yıldız"},
    {"mannschaftsfuehrer_heim", "Uwe Brückner"},
    {"mannschaftsfuehrer_gast", "Matthias Größer"},
    {"verhalten_ringer", "gut, keine Beanstandungen"},
    {"verhalten_zuschauer", "sehr gut, faire Atmosphäre trotz Derby"},
    {"beginn", "19:30"},
    {"ende", "21:48"},
    {"pause", "15 Min. nach dem 7. Kampf"},
    {"zuschauer", "850"},
    {"ordner1", "Jörg Möller"},
    {"ordner2", "Sören Fähnrich"},
    {"bemerkungen", "Kampf 9: Verletzungsunterbrechung (2 Min.), Arzt an der Matte.\r\n"
                    "Mattenbezug nach dem 4. Kampf gewechselt, Beginn der Pause verschoben.\r\n"
                    "Einspruch der Gäste zu Kampf 12 zurückgezogen."},
};

struct Wrestler
{
    const char* first;
    const char* last;
};

const char* const kClasses[kBouts] = {"57 A", "57 B", "61 A", "61 B", "66 A", "66 B", "71 A",
                                      "71 B", "75 A", "75 B", "80 A", "86 A", "98 A", "130 A"};
const int kClassLimits[kBouts] = {57, 57, 61, 61, 66, 66, 71, 71, 75, 75, 80, 86, 98, 130};

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

QString clock(int seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') +
           QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}

QString weighIn(std::minstd_rand& rng, int limit)
{
    const double kg = limit - double(rng() % 25) / 10.0;
    return QString::number(kg, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

// Seeded per bout so every run measures the same content.
BoutRow makeBout(int i)
{
    std::minstd_rand rng(std::uint_fast32_t(1000 + i));
    static const char tokens[] = {'1', '2', '3', '4', '5', 'P', 'V'};

    QString red, blue, stamps;
    int tpRed = 0;
    int tpBlue = 0;
    for (int a = 0; a < kActions; ++a) {
        const char t = tokens[rng() % sizeof tokens];
        const bool redActs = rng() % 2 == 0;
        (redActs ? red : blue) += QLatin1Char(t);
        (redActs ? blue : red) += QLatin1Char(' ');
        if (t >= '1' && t <= '5')
            (redActs ? tpRed : tpBlue) += t - '0';
        if (a > 0)
            stamps += QLatin1Char(';');
        stamps += clock(5 + a * 8 + int(rng() % 6));
    }

    const bool redWins = i % 2 == 0;
    BoutRow row;
    row[ColKlasse] = QString::fromLatin1(kClasses[i]);
    row[ColStil] = i % 2 == 0 ? QStringLiteral("F") : QStringLiteral("G");
    row[2] = weighIn(rng, kClassLimits[i]);
    row[3] = QString::fromUtf8(kRed[i].first);
    row[4] = QString::fromUtf8(kRed[i].last);
    row[ColLizenzRot] = QString::number(104233 + i * 3571);
    row[6] = QStringLiteral("D");
    row[7] = QString::number(1990 + (i * 3) % 14);
    row[ColPunkteRot] = redWins ? QStringLiteral("4") : QStringLiteral("0");
    row[9] = weighIn(rng, kClassLimits[i]);
    row[10] = QString::fromUtf8(kBlue[i].first);
    row[11] = QString::fromUtf8(kBlue[i].last);
    row[ColLizenzBlau] = QString::number(207811 + i * 2749);
    row[13] = i % 3 == 0 ? QStringLiteral("A") : QStringLiteral("D");
    row[14] = QString::number(1989 + (i * 5) % 15);
    row[ColPunkteBlau] = redWins ? QStringLiteral("0") : QStringLiteral("4");
    row[ColSieg] = QStringLiteral("SS");
    row[ColTpRot] = QString::number(tpRed);
    row[ColTpBlau] = QString::number(tpBlue);
    row[ColZeit] = clock(325 + i);
    row[ColWertungenRot] = red;
    row[ColWertungenBlau] = blue;
    row[ColZeiten] = stamps;
    // 5 is coprime to 14, so this is a permutation: bout order differs from class order.
    row[ColReihenfolge] = QString::number((i * 5) % kBouts + 1);
    return row;
}

struct Fixture
{
    int bouts = kBouts;
    QTemporaryDir dir;
    QString matchPath;
    QString rawPath;
    MatchRecord record;
    MatchFile file{record};
    QByteArray savedBytes;
};

// Made by prepare, gone by tearDown while the application still exists: the real match and
// the one of 8,000 bouts.
std::unique_ptr<Fixture> g_fixture;
std::unique_ptr<Fixture> g_many;

void tearDown()
{
    g_fixture.reset();
    g_many.reset();
}

// The bouts of a long file repeat the 14 of a real match.
void fillRecord(MatchRecord& record, int bouts)
{
    for (const Header& h : kHeader)
        record.setHeader(QString::fromLatin1(h.field), QString::fromUtf8(h.value));
    std::vector<BoutRow> rows;
    for (int i = 0; i < bouts; ++i)
        rows.push_back(makeBout(i % kBouts));
    record.setBoutRows(std::move(rows));
}

// A workload that silently lost content would make the timings meaningless, so the saved file
// is read back once before anything is measured.
QString roundTripProblem(const Fixture& f)
{
    MatchRecord back;
    MatchFile file(back);
    try {
        file.open(f.matchPath);
    } catch (const UserError& e) {
        return e.message();
    }
    if (back.boutCount() != f.bouts)
        return QStringLiteral("%1 bouts read back instead of %2").arg(back.boutCount()).arg(f.bouts);
    for (int r = 1; r <= f.bouts; ++r)
        for (int c = 0; c < ColumnCount; ++c)
            if (back.cell(c, r) != f.record.cell(c, r))
                return QStringLiteral("bout %1 column %2 reads back as \"%3\"")
                    .arg(r)
                    .arg(c)
                    .arg(back.cell(c, r));
    for (const QString& field : editableHeaderFields())
        if (back.header(field) != f.record.header(field))
            return QStringLiteral("header field %1 reads back as \"%2\"").arg(field, back.header(field));
    return {};
}

QString prepareOne(std::unique_ptr<Fixture>& fixture, int bouts)
{
    fixture = std::make_unique<Fixture>();
    Fixture& f = *fixture;
    f.bouts = bouts;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder: ") + f.dir.errorString();
    f.matchPath = f.dir.filePath(QStringLiteral("match.ptlx"));
    f.rawPath = f.dir.filePath(QStringLiteral("raw.ptlx"));

    QFile seed(f.matchPath);
    if (!seed.open(QIODevice::WriteOnly) ||
        seed.write(kMinimalDocument) != qint64(std::strlen(kMinimalDocument)))
        return QStringLiteral("cannot write ") + f.matchPath;
    seed.close();

    try {
        f.file.open(f.matchPath);
        fillRecord(f.record, bouts);
        // The first save creates the elements; the measured saves are the steady state of an
        // open match, where every save rewrites the same elements.
        f.file.saveall();
    } catch (const UserError& e) {
        return e.message();
    }

    QFile saved(f.matchPath);
    if (!saved.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read back ") + f.matchPath;
    f.savedBytes = saved.readAll();
    return roundTripProblem(f);
}

QString prepare()
{
    const QString problem = prepareOne(g_fixture, kBouts);
    return problem.isEmpty() ? prepareOne(g_many, kManyBouts) : problem;
}

void addSizeCounters(benchmark::State& state, const Fixture& f = *g_fixture)
{
    const auto size = f.savedBytes.size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * size);
    state.counters["file_bytes"] = double(size);
    state.counters["bouts"] = double(f.bouts);
}

void saveall(benchmark::State& state, Fixture& f)
{
    MatchFile& file = f.file;
    for (auto _ : state) {
        try {
            file.saveall();
        } catch (const UserError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    addSizeCounters(state, f);
}

void BM_saveall(benchmark::State& state)
{
    saveall(state, *g_fixture);
}

void BM_saveall_8000(benchmark::State& state)
{
    saveall(state, *g_many);
}

// Same bytes through the match file's own writer, minus everything else.
void BM_raw_write(benchmark::State& state)
{
    BenchSupport::rawWrite(state, g_fixture->savedBytes, g_fixture->rawPath);
}

void loadfromfile(benchmark::State& state, const Fixture& f)
{
    MatchRecord record;
    MatchFile file(record);
    for (auto _ : state) {
        try {
            file.open(f.matchPath);
        } catch (const UserError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    benchmark::DoNotOptimize(record.boutCount());
    addSizeCounters(state, f);
}

void BM_loadfromfile(benchmark::State& state)
{
    loadfromfile(state, *g_fixture);
}

void BM_loadfromfile_8000(benchmark::State& state)
{
    loadfromfile(state, *g_many);
}

void BM_raw_read(benchmark::State& state)
{
    const QString& path = g_fixture->matchPath;
    for (auto _ : state) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            state.SkipWithError("raw QFile read failed");
            break;
        }
        QByteArray bytes = in.readAll();
        benchmark::DoNotOptimize(bytes);
    }
    addSizeCounters(state);
}

// Wall-clock time: the save syncs to disk, and that wait is not CPU time.
BENCHMARK(BM_saveall)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_raw_write)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_loadfromfile)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_raw_read)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_saveall_8000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_loadfromfile_8000)->Unit(benchmark::kMillisecond)->UseRealTime();

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(
        s.out(),
        "\nSummary (%d bouts x %d actions, %lld bytes; wall-clock per operation, this run; targets are "
        "informative)\n",
        kBouts, kActions, static_cast<long long>(g_fixture->savedBytes.size()));
    s.printRatio("saveall", "BM_saveall", "raw temp-file write", "BM_raw_write",
                 {.maxRatio = kSaveRatioTarget, .limitNs = kSaveTargetNs});
    s.printRatio("loadfromfile", "BM_loadfromfile", "raw QFile readAll", "BM_raw_read",
                 {.limitNs = kLoadTargetNs});

    // Per bout: the long file's time over its bout count against the real match's.
    std::fprintf(s.out(), "\nPer bout (%d bouts, %lld bytes, against %d bouts; target <= %.0fx):\n",
                 kManyBouts, static_cast<long long>(g_many->savedBytes.size()), kBouts, kPerBoutRatioTarget);
    const auto perBout = [&](const std::string& name, int bouts) -> std::optional<BenchSupport::Time> {
        auto t = s.time(name);
        if (t)
            t->ns /= bouts;
        return t;
    };
    s.printRatio("saveall per bout", perBout("BM_saveall_8000", kManyBouts), "14-bout saveall per bout",
                 perBout("BM_saveall", kBouts), {.maxRatio = kPerBoutRatioTarget});
    s.printRatio("loadfromfile per bout", perBout("BM_loadfromfile_8000", kManyBouts),
                 "14-bout loadfromfile per bout", perBout("BM_loadfromfile", kBouts),
                 {.maxRatio = kPerBoutRatioTarget});
}

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::runMain<QCoreApplication>(
        argc, argv,
        {.name = "bench_matchfile", .setUp = prepare, .printSummary = printSummary, .tearDown = tearDown});
}
