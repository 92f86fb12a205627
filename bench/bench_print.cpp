// What the operator waits for after confirming the print dialog: the match record of a full
// 14-bout evening drawn into a PDF, set against the same number of texts and boxes drawn with
// plain QPainter calls into a PDF in the same run; and a run of ten score sheets.

#include "match/MatchRecord.h"
#include "platform/FontInstaller.h"
#include "platform/PrintCanvas.h"
#include "platform/UserError.h"
#include "printing/RecordPrintout.h"
#include "printing/ScoreSheetPrintout.h"
#include "settings/Settings.h"

#include "BenchSupport.h"
#include "support/SampleMatch.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int kBouts = 14;
constexpr double kRatioTarget = 1.5;
constexpr double kLimitNs = 50e6;

struct Fixture
{
    QTemporaryDir dir;
    MatchRecord record;
    QList<Settings::Field> felder;
    RecordPrintout::Faces faces{
        {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("Courier New"), QStringLiteral("MonospaceTypewriter"),
         QStringLiteral("Courier Prime")}};
    RecordPrintout::Captions captions{QStringLiteral("Männer"), QStringLiteral("Verbandskampf"),
                                      QStringLiteral("Rückrunde")};
    // What the record draws, for the baseline: its texts (with their lengths) and its box count.
    QStringList texts;
    int boxes = 0;
};

std::unique_ptr<Fixture> g_fixture;

void tearDown()
{
    g_fixture.reset();
}

void fillMatch(MatchRecord& record)
{
    // The tests' evening, with the heaviest texts a real one holds in every bout: long names
    // with umlauts, team points on both sides and full scoring strings.
    fillSampleMatch(record, kBouts);
    std::vector<BoutRow> rows;
    for (int i = 1; i <= kBouts; ++i) {
        BoutRow row = record.boutRow(i);
        const QString n = QString::number(i);
        row[3] = QStringLiteral("Maximilian");
        row[4] = QStringLiteral("Schönberger") + n;
        row[8] = QString::number(i % 4);
        row[10] = QStringLiteral("Konstantin");
        row[11] = QStringLiteral("Weißhaupt") + n;
        row[15] = QString::number(i % 3);
        row[20] = QStringLiteral("2212P4VV2212");
        row[21] = QStringLiteral("11P2V11P2");
        rows.push_back(row);
    }
    record.setBoutRows(std::move(rows));
}

// The texts of the record in drawing order, as RecordPrintout composes them.
QStringList recordTexts(const Fixture& f)
{
    const MatchRecord& r = f.record;
    auto h = [&r](const char* field) { return r.header(QLatin1String(field)); };
    QStringList t = {QStringLiteral("Protokoll für Mannschaftskämpfe"),
                     h("liga"),
                     f.captions.altersklasse,
                     h("datum"),
                     f.captions.punktfreund + QStringLiteral(", ") + f.captions.vorrueck,
                     QStringLiteral("Veranstaltungsstätte:"),
                     QStringLiteral("Ort:"),
                     h("halle"),
                     h("ort"),
                     QStringLiteral("Heim:"),
                     QStringLiteral("Gast:")};
    t << QStringLiteral("Stil") << QStringLiteral("Klasse") << QStringLiteral("Gew.")
      << QStringLiteral("Name des Sportlers") << QStringLiteral("Lizenz") << QStringLiteral("Status")
      << QStringLiteral("Jahrg.") << QStringLiteral("Pkt.") << QStringLiteral("Gew.")
      << QStringLiteral("Name des Sportlers") << QStringLiteral("Lizenz") << QStringLiteral("Status")
      << QStringLiteral("Jahrg.") << QStringLiteral("Pkt.") << QStringLiteral("tech. P")
      << QStringLiteral("Sieg") << QStringLiteral("Zeit") << QStringLiteral("Wertungen")
      << QStringLiteral("Rot") << QStringLiteral("Blau") << h("heim") << h("gast");
    for (int row = 1; row < r.rowCount(); ++row) {
        auto c = [&r, row](int col) { return r.cell(col, row); };
        t << c(1) << c(0) << c(2) << c(3) + QLatin1Char(' ') + c(4) << c(5) << c(6) << c(7) << c(8) << c(9)
          << c(10) + QLatin1Char(' ') + c(11) << c(12) << c(13) << c(14) << c(15)
          << c(17) + QLatin1Char(':') + c(18) << c(16) << c(19) << c(20) << c(21);
    }
    t << QStringLiteral("Sieger: ") + h("heim") << QStringLiteral("21") << QStringLiteral("14");
    t << QStringLiteral("Kampfgericht:") << QStringLiteral("Mattenpräsidant: ") + h("mp")
      << QStringLiteral("Mattenleiter: ") + h("ml") << QStringLiteral("Punktrichter: ") + h("pr")
      << QStringLiteral("Ablauf:") << QStringLiteral("Beginn: ") + h("beginn")
      << QStringLiteral("Ende: ") + h("ende")
      << QStringLiteral("Pause: ") + h("pause") + QStringLiteral(" Min") << QStringLiteral("Organisation:")
      << QStringLiteral("Zeitnehmer: ") + h("zeitnehmer")
      << QStringLiteral("Protokoll: ") + h("protokollfuehrer")
      << QStringLiteral("Punktzettel: ") + h("punktzettel")
      << QStringLiteral("Anzahl Zuschauer: ") + h("zuschauer")
      << QStringLiteral("Verhalten Ringer: ") + h("verhalten_ringer")
      << QStringLiteral("Verhalten Zuschauer: ") + h("verhalten_zuschauer")
      << QStringLiteral("Ordner: ") + h("ordner1") << QStringLiteral("Ordner: ") + h("ordner2")
      << QStringLiteral("Bemerkungen:") << QStringLiteral("Kampf 3 unterbrochen")
      << QStringLiteral("Matte neu geklebt") << h("ml") << h("mannschaftsfuehrer_heim")
      << h("mannschaftsfuehrer_gast") << QStringLiteral("Kampfrichter")
      << QStringLiteral("Mannschaftsführer Heim") << QStringLiteral("Mannschaftsführer Gast");
    return t;
}

void pdfPrinter(QPrinter& printer, const QString& path, bool landscape)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

QString prepare()
{
    // The program prints in Wine's Tahoma where it is installed; so does this.
    FontInstaller::addTahoma();
    g_fixture = std::make_unique<Fixture>();
    Fixture& f = *g_fixture;
    if (!f.dir.isValid())
        return QStringLiteral("no temporary folder");
    fillMatch(f.record);
    f.felder = Settings(f.dir.filePath(QStringLiteral("set.xml"))).felder();
    f.texts = recordTexts(f);
    const int n = f.record.rowCount();
    f.boxes = 6 + 18 * n + 2 + 4 + 3;
    // One unmeasured record: it must come out whole before its time means anything.
    const QString pdf = f.dir.filePath(QStringLiteral("check.pdf"));
    try {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf, true);
        PrintCanvas canvas(printer);
        RecordPrintout(f.record, f.captions, f.faces).print(canvas, true);
    } catch (const UserError& e) {
        return e.message();
    }
    if (QFile(pdf).size() < 10000)
        return QStringLiteral("the record came out empty");
    return {};
}

void BM_record_14_bouts(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    const QString pdf = f.dir.filePath(QStringLiteral("record.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf, true);
        PrintCanvas canvas(printer);
        RecordPrintout(f.record, f.captions, f.faces).print(canvas, true);
    }
    state.counters["texts"] = double(f.texts.size());
    state.counters["boxes"] = double(f.boxes);
}

// The same page volume with nothing of the canvas: one font per kind of text, no cell sizing,
// no white ground under the texts.
void BM_plain_qpainter_page(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    const QString pdf = f.dir.filePath(QStringLiteral("plain.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf, true);
        QPainter p(&printer);
        const qreal s = printer.logicalDpiX() / 254.0;
        QFont regular;
        regular.setFamilies(f.faces.text);
        regular.setPixelSize(int(40 * s));
        QFont bold = regular;
        bold.setBold(true);
        QFont typewriter;
        typewriter.setFamilies(f.faces.typewriter);
        typewriter.setPixelSize(int(30 * s));
        const QFont* fonts[] = {&regular, &bold, &typewriter};
        p.setPen(QPen(Qt::black, s));
        p.setBrush(Qt::white);
        for (int i = 0; i < f.boxes; ++i)
            p.drawRect(QRectF((120 + (i % 18) * 90) * s, (350 + (i / 18) * 70) * s, 90 * s, 70 * s));
        for (int i = 0; i < f.texts.size(); ++i) {
            p.setFont(*fonts[i % 3]);
            p.drawText(QPointF((120 + (i % 18) * 90) * s, (400 + (i / 18) * 70) * s), f.texts[i]);
        }
        p.end();
    }
}

void BM_ten_score_sheets(benchmark::State& state)
{
    Fixture& f = *g_fixture;
    const QString pdf = f.dir.filePath(QStringLiteral("sheets.pdf"));
    const ScoreSheetPrintout sheets(f.record, f.felder);
    ScoreSheetPrintout::Request request{ScoreSheetPrintout::Bereich, QStringLiteral("1"),
                                        QStringLiteral("10"), -1};
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf, false);
        PrintCanvas canvas(printer);
        sheets.print(canvas, request);
        if (canvas.pageCount() != 10) {
            state.SkipWithError("not ten sheets");
            break;
        }
    }
}

BENCHMARK(BM_record_14_bouts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_plain_qpainter_page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ten_score_sheets)->Unit(benchmark::kMillisecond);

void printSummary(const BenchSupport::Summary& s)
{
    std::fprintf(s.out(),
                 "\nSummary (%d bouts: %lld texts, %d boxes on one landscape page; wall-clock time per job "
                 "into a PDF file, this run; targets are informative)\n",
                 kBouts, static_cast<long long>(g_fixture->texts.size()), g_fixture->boxes);
    s.printRatio("record", "BM_record_14_bouts", "plain QPainter", "BM_plain_qpainter_page",
                 {.maxRatio = kRatioTarget, .limitNs = kLimitNs});
    s.printTarget("ten score sheets", "BM_ten_score_sheets", kLimitNs);
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return BenchSupport::runMain<QGuiApplication>(
        argc, argv,
        {.name = "bench_print", .setUp = prepare, .printSummary = printSummary, .tearDown = tearDown});
}
