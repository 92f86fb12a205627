#include "RecordPrintout.h"

#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/PrintCanvas.h"

#include <QRegularExpression>

#include <utility>

using namespace MatchFields;

namespace {

// The layout is fixed in 0.1 mm on the page, whatever the paper.
constexpr int X0 = 120;
constexpr int Y0 = -100;
constexpr int YT = Y0 - 250;
constexpr int W = 90;

enum Col : int
{
    Klasse = ColKlasse,
    Stil = ColStil,
    GewichtRot = 2,
    VornRot = 3,
    NachnRot = 4,
    LizenzRot = ColLizenzRot,
    StatusRot = 6,
    JahrgangRot = 7,
    PunkteRot = ColPunkteRot,
    GewichtBlau = 9,
    VornBlau = 10,
    NachnBlau = 11,
    LizenzBlau = ColLizenzBlau,
    StatusBlau = 13,
    JahrgangBlau = 14,
    PunkteBlau = ColPunkteBlau,
};

// The lines of a memo field as the entry panel shows them: a final line break opens no line.
QStringList memoLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

RecordPrintout::RecordPrintout(const MatchRecord& record, Captions captions, Faces faces)
    : m_record(record), m_captions(std::move(captions)), m_faces(std::move(faces))
{
}

QString RecordPrintout::jobTitle() const
{
    return QStringLiteral("Protokoll_") + m_record.header(QStringLiteral("heim")) + QLatin1Char('-') +
           m_record.header(QStringLiteral("gast"));
}

int RecordPrintout::bandHeight(int boutRows)
{
    return boutRows > 10 ? 70 : 90;
}

RecordPrintout::Totals RecordPrintout::totals() const
{
    Totals t;
    for (int r = 1; r < m_record.rowCount(); ++r) {
        const QString heim = m_record.cell(PunkteRot, r);
        if (!heim.isEmpty())
            t.heim += strToInt(heim);
        const QString gast = m_record.cell(PunkteBlau, r);
        if (!gast.isEmpty())
            t.gast += strToInt(gast);
    }
    return t;
}

void RecordPrintout::print(PrintCanvas& canvas, bool official) const
{
    // The line-up draws nothing, and a job with nothing on it would still feed a sheet (a
    // printer cannot take a job of no page).
    if (!official)
        return;
    // A printer must never get half a record: the only number the page needs is checked
    // before anything is sent.
    const Totals sums = totals();
    canvas.setLandscape(true);
    canvas.setTitle(jobTitle());
    canvas.begin();
    draw(canvas, sums);
    canvas.end();
}

void RecordPrintout::draw(PrintCanvas& canvas, const Totals& totals) const
{
    const int n = m_record.rowCount();
    const int R = bandHeight(n - 1);
    const int H = R / 2;
    const int YB = YT - (n + 1) * R;
    const int YS = YT - (n + 2) * R - 9 * H;
    auto header = [this](const char* field) { return m_record.header(QLatin1String(field)); };
    auto text = [&canvas](int x, int y, int height, int style, const QString& s) {
        canvas.setFontHeight(height);
        canvas.setFontStyle(style);
        canvas.textOut(x, y, s);
    };
    auto box = [&canvas](int x1, int x2, int top, int bottom) {
        canvas.rectangle(X0 + x1, top, X0 + x2, bottom);
    };
    constexpr int Regular = PrintCanvas::Regular;
    constexpr int Bold = PrintCanvas::Bold;

    canvas.setFontFamilies(m_faces.text);
    canvas.setFontColor(Qt::black);
    canvas.setBrushColor(Qt::white);

    text(X0, Y0, 80, Bold | PrintCanvas::Underline, QStringLiteral("Protokoll für Mannschaftskämpfe"));
    text(X0, Y0 - 100, 60, Regular, header("liga"));
    text(X0 + 1100, Y0 - 100, 60, Regular, m_captions.altersklasse);
    text(X0 + 2300, Y0 - 100, 60, Regular, header("datum"));
    text(X0, Y0 - 180, 40, Regular, m_captions.punktfreund + QStringLiteral(", ") + m_captions.vorrueck);
    text(X0 + 1100, Y0 - 180, 40, Regular, QStringLiteral("Veranstaltungsstätte:"));
    text(X0 + 2300, Y0 - 180, 40, Regular, QStringLiteral("Ort:"));
    text(X0 + 1420, Y0 - 180, 40, Bold, header("halle"));
    text(X0 + 2360, Y0 - 180, 40, Bold, header("ort"));

    // Band 0: the last box covers the right end of the guest's name box.
    for (const auto& [x1, x2] : {std::pair{0, 2 * W - 3},
                                 {2 * W, 3 * W},
                                 {3 * W, 13 * W - 3},
                                 {13 * W, 14 * W},
                                 {14 * W, 26 * W},
                                 {24 * W, 30 * W + 20}})
        box(x1, x2, YT, YT - R);
    static constexpr std::pair<int, int> columns[] = {
        {0, W},
        {W, 2 * W - 3},
        {2 * W, 3 * W},
        {3 * W, 9 * W},
        {9 * W, 10 * W},
        {10 * W, 11 * W},
        {11 * W, 12 * W},
        {12 * W, 13 * W - 3},
        {13 * W, 14 * W},
        {14 * W, 20 * W},
        {20 * W, 21 * W},
        {21 * W, 22 * W},
        {22 * W, 23 * W},
        {23 * W, 24 * W},
        {24 * W, 25 * W + 20},
        {25 * W + 20, 26 * W + 20},
        {26 * W + 20, 27 * W + 20},
        {27 * W + 20, 30 * W + 20},
    };
    for (int b = 1; b <= n; ++b)
        for (const auto& [x1, x2] : columns)
            box(x1, x2, YT - b * R, YT - (b + 1) * R);
    box(12 * W, 13 * W - 3, YB, YB - R);
    box(23 * W, 24 * W, YB, YB - R);

    const int yc = YT - R - 25;
    text(X0 + 2 * W + 8, YT - 25, 35, Regular, QStringLiteral("Heim:"));
    text(X0 + 13 * W + 8, YT - 25, 35, Regular, QStringLiteral("Gast:"));
    const std::pair<int, QString> captions[] = {
        {20, QStringLiteral("Stil")},
        {W + 3, QStringLiteral("Klasse")},
        {2 * W + 10, QStringLiteral("Gew.")},
        {3 * W + 3, QStringLiteral("Name des Sportlers")},
        {9 * W + 3, m_captions.lizenzRot},
        {10 * W + 3, QStringLiteral("Status")},
        {11 * W + 3, QStringLiteral("Jahrg.")},
        {12 * W + 15, QStringLiteral("Pkt.")},
        {13 * W + 10, QStringLiteral("Gew.")},
        {14 * W + 3, QStringLiteral("Name des Sportlers")},
        {20 * W + 3, m_captions.lizenzBlau},
        {21 * W + 3, QStringLiteral("Status")},
        {22 * W + 3, QStringLiteral("Jahrg.")},
        {23 * W + 15, QStringLiteral("Pkt.")},
        {24 * W + 15, QStringLiteral("tech. P")},
        {25 * W + 45, QStringLiteral("Sieg")},
        {26 * W + 50, QStringLiteral("Zeit")},
        {27 * W + 40, QStringLiteral("Wertungen")},
    };
    for (const auto& [dx, caption] : captions)
        text(X0 + dx, yc, 35, Regular, caption);
    text(X0 + 27 * W + 220, YT - R - 8, 35, Regular, QStringLiteral("Rot"));
    text(X0 + 27 * W + 220, YT - R - 43, 35, Regular, QStringLiteral("Blau"));
    text(X0 + 3 * W + 8, YT - 20, 40, Bold, header("heim"));
    text(X0 + 14 * W + 8, YT - 20, 40, Bold, header("gast"));

    for (int r = 1; r < n; ++r) {
        const int y = YT - (r + 1) * R - 25;
        auto cell = [this, r](int column) { return m_record.cell(column, r); };
        auto name = [&cell](int first, int last) { return cell(first) + QLatin1Char(' ') + cell(last); };
        text(X0 + 35, y, 40, Regular, cell(Stil));
        text(X0 + W + 6, y, 40, Regular, cell(Klasse));
        text(X0 + 2 * W + 4, y, 40, Regular, cell(GewichtRot));
        text(X0 + 3 * W + 5, y, 40, Regular, name(VornRot, NachnRot));
        text(X0 + 9 * W + 3, y, 40, Regular, cell(LizenzRot));
        text(X0 + 10 * W + 10, y, 40, Regular, cell(StatusRot));
        text(X0 + 11 * W + 5, y, 40, Regular, cell(JahrgangRot));
        text(X0 + 12 * W + 35, y, 40, Bold, cell(PunkteRot));
        text(X0 + 13 * W + 4, y, 40, Regular, cell(GewichtBlau));
        text(X0 + 14 * W + 10, y, 40, Regular, name(VornBlau, NachnBlau));
        text(X0 + 20 * W + 3, y, 40, Regular, cell(LizenzBlau));
        text(X0 + 21 * W + 10, y, 40, Regular, cell(StatusBlau));
        text(X0 + 22 * W + 5, y, 40, Regular, cell(JahrgangBlau));
        text(X0 + 23 * W + 35, y, 40, Bold, cell(PunkteBlau));
        text(X0 + 24 * W + 15, y, 40, Regular, cell(ColTpRot) + QLatin1Char(':') + cell(ColTpBlau));
        text(X0 + 25 * W + 45, y, 40, Regular, cell(ColSieg));
        text(X0 + 26 * W + 25, y, 40, Regular, cell(ColZeit));
        canvas.setFontFamilies(m_faces.typewriter);
        canvas.setFontColor(QColor(255, 0, 0));
        text(X0 + 27 * W + 25, y + 20, 30, Regular, cell(ColWertungenRot));
        canvas.setFontColor(QColor(0, 0, 255));
        text(X0 + 27 * W + 25, y - 5, 30, Regular, cell(ColWertungenBlau));
        canvas.setFontFamilies(m_faces.text);
        canvas.setFontColor(Qt::black);
    }

    QString winner;
    if (totals.heim > totals.gast)
        winner = header("heim");
    else if (totals.gast > totals.heim)
        winner = header("gast");
    else
        winner = QStringLiteral("unentschieden");
    text(X0 + 20, YB - 25, 40, Bold, QStringLiteral("Sieger: ") + winner);
    text(X0 + 12 * W + 25, YB - 25, 40, Bold, QString::number(totals.heim));
    text(X0 + 23 * W + 25, YB - 25, 40, Bold, QString::number(totals.gast));

    const int lowerTop = YB - 3 * H + 2;
    box(0, 7 * W - 10, lowerTop, YB - 8 * H - 10);
    box(7 * W - 10, 10 * W - 10, lowerTop, YB - 8 * H - 10);
    box(10 * W - 10, 20 * W - 10, lowerTop, YB - 8 * H - 10);
    box(20 * W - 10, 30 * W + 20, lowerTop, YT - (n + 2) * R - 11 * H);

    struct Column
    {
        int x;
        QString head;
        QStringList lines;
    };
    const Column lower[] = {
        {10,
         QStringLiteral("Kampfgericht:"),
         {QStringLiteral("Mattenpräsidant: ") + header("mp"), QStringLiteral("Mattenleiter: ") + header("ml"),
          QStringLiteral("Punktrichter: ") + header("pr")}},
        {7 * W,
         QStringLiteral("Ablauf:"),
         {QStringLiteral("Beginn: ") + header("beginn"), QStringLiteral("Ende: ") + header("ende"),
          QStringLiteral("Pause: ") + header("pause") + QStringLiteral(" Min")}},
        {10 * W,
         QStringLiteral("Organisation:"),
         {QStringLiteral("Zeitnehmer: ") + header("zeitnehmer"),
          QStringLiteral("Protokoll: ") + header("protokollfuehrer"),
          QStringLiteral("Punktzettel: ") + header("punktzettel"),
          QStringLiteral("Anzahl Zuschauer: ") + header("zuschauer")}},
        {15 * W,
         QString(),
         {QStringLiteral("Verhalten Ringer: ") + header("verhalten_ringer"),
          QStringLiteral("Verhalten Zuschauer: ") + header("verhalten_zuschauer"),
          QStringLiteral("Ordner: ") + header("ordner1"), QStringLiteral("Ordner: ") + header("ordner2")}},
        // Remarks run on downward at the same pitch, past the box if there are many.
        {20 * W, QStringLiteral("Bemerkungen:"), memoLines(header("bemerkungen"))},
    };
    for (const Column& c : lower) {
        if (!c.head.isEmpty())
            text(X0 + c.x, YB - 3 * H, 35, PrintCanvas::Underline, c.head);
        for (int k = 0; k < c.lines.size(); ++k)
            text(X0 + c.x, YB - (k + 4) * H, 35, Regular, c.lines[k]);
    }

    text(X0, YS, 35, Regular, header("ml"));
    text(X0 + 6 * W, YS, 35, Regular, header("mannschaftsfuehrer_heim"));
    text(X0 + 12 * W, YS, 35, Regular, header("mannschaftsfuehrer_gast"));
    text(X0, YS - H, 35, PrintCanvas::Italic, QStringLiteral("Kampfrichter"));
    text(X0 + 6 * W, YS - H, 35, PrintCanvas::Italic, QStringLiteral("Mannschaftsführer Heim"));
    text(X0 + 12 * W, YS - H, 35, PrintCanvas::Italic, QStringLiteral("Mannschaftsführer Gast"));
    for (int x : {0, 6 * W, 12 * W})
        box(x, x + 5 * W, YS, YS - 1);
}
