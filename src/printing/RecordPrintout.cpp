#include "RecordPrintout.h"

#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/PrintCanvas.h"

#include <QRegularExpression>

#include <tuple>
#include <utility>

using namespace MatchFields;

namespace {

// The layout is fixed in 0.1 mm on the page, whatever the paper.
constexpr int X0 = 120;
constexpr int Y0 = -100;
constexpr int YT = Y0 - 250;
constexpr int W = 90;
// A text's room ends this far inside the box line on its right, so that its white ground never
// blanks the line, and this far before the next text on its line, so that the two stay apart.
constexpr int kInset = 3;
constexpr int kGap = 10;
// The right end of the table, which the header's last texts keep to as well.
constexpr int kTableRight = X0 + 30 * W + 20;

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
    return QStringLiteral("Protokoll_") + m_record.header(Header::heim) + QLatin1Char('-') +
           m_record.header(Header::gast);
}

int RecordPrintout::bandHeight(int boutRows)
{
    return boutRows > 10 ? 70 : 90;
}

RecordPrintout::Totals RecordPrintout::totals() const
{
    Totals t;
    for (int r = 1; r < m_record.rowCount(); ++r) {
        const QString heim = m_record.cell(ColPunkteRot, r);
        if (!heim.isEmpty())
            t.heim += strToInt(heim);
        const QString gast = m_record.cell(ColPunkteBlau, r);
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
    auto header = [this](QLatin1String field) { return m_record.header(field); };
    auto text = [&canvas](int x, int y, int height, int style, const QString& s) {
        canvas.setFontHeight(height);
        canvas.setFontStyle(style);
        canvas.textOut(x, y, s);
    };
    // A text that stays left of `right`, where its box line or the next text on its line is.
    auto fitted = [&canvas](int x, int y, int right, int height, int style, const QString& s) {
        canvas.setFontHeight(height);
        canvas.setFontStyle(style);
        canvas.textOut(x, y, s, right);
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
    fitted(X0, Y0 - 100, X0 + 1100 - kGap, 60, Regular, header(Header::liga));
    fitted(X0 + 1100, Y0 - 100, X0 + 2300 - kGap, 60, Regular, m_captions.altersklasse);
    fitted(X0 + 2300, Y0 - 100, kTableRight, 60, Regular, header(Header::datum));
    fitted(X0, Y0 - 180, X0 + 1100 - kGap, 40, Regular,
           m_captions.punktfreund + QStringLiteral(", ") + m_captions.vorrueck);
    // The labels end where their values begin (the values are drawn over them).
    fitted(X0 + 1100, Y0 - 180, X0 + 1420, 40, Regular, QStringLiteral("Veranstaltungsstätte:"));
    fitted(X0 + 2300, Y0 - 180, X0 + 2360, 40, Regular, QStringLiteral("Ort:"));
    fitted(X0 + 1420, Y0 - 180, X0 + 2300 - kGap, 40, Bold, header(Header::halle));
    fitted(X0 + 2360, Y0 - 180, kTableRight, 40, Bold, header(Header::ort));

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
    // Each caption with the right edge of its column's box; "Wertungen" ends before "Rot".
    const std::tuple<int, int, QString> captions[] = {
        {20, W, QStringLiteral("Stil")},
        {W + 3, 2 * W - 3, QStringLiteral("Klasse")},
        {2 * W + 10, 3 * W, QStringLiteral("Gew.")},
        {3 * W + 3, 9 * W, QStringLiteral("Name des Sportlers")},
        {9 * W + 3, 10 * W, m_captions.lizenzRot},
        {10 * W + 3, 11 * W, QStringLiteral("Status")},
        {11 * W + 3, 12 * W, QStringLiteral("Jahrg.")},
        {12 * W + 15, 13 * W - 3, QStringLiteral("Pkt.")},
        {13 * W + 10, 14 * W, QStringLiteral("Gew.")},
        {14 * W + 3, 20 * W, QStringLiteral("Name des Sportlers")},
        {20 * W + 3, 21 * W, m_captions.lizenzBlau},
        {21 * W + 3, 22 * W, QStringLiteral("Status")},
        {22 * W + 3, 23 * W, QStringLiteral("Jahrg.")},
        {23 * W + 15, 24 * W, QStringLiteral("Pkt.")},
        {24 * W + 15, 25 * W + 20, QStringLiteral("tech. P")},
        {25 * W + 45, 26 * W + 20, QStringLiteral("Sieg")},
        {26 * W + 50, 27 * W + 20, QStringLiteral("Zeit")},
        {27 * W + 40, 27 * W + 220 - kGap + kInset, QStringLiteral("Wertungen")},
    };
    for (const auto& [dx, right, caption] : captions)
        fitted(X0 + dx, yc, X0 + right - kInset, 35, Regular, caption);
    text(X0 + 27 * W + 220, YT - R - 8, 35, Regular, QStringLiteral("Rot"));
    text(X0 + 27 * W + 220, YT - R - 43, 35, Regular, QStringLiteral("Blau"));
    // Band 0's visible boxes: the home team's ends where "Gast:" begins, the guest's where the
    // last box covers it.
    fitted(X0 + 3 * W + 8, YT - 20, X0 + 13 * W - 3 - kInset, 40, Bold, header(Header::heim));
    fitted(X0 + 14 * W + 8, YT - 20, X0 + 24 * W - kInset, 40, Bold, header(Header::gast));

    for (int r = 1; r < n; ++r) {
        const int y = YT - (r + 1) * R - 25;
        auto cell = [this, r](int column) { return m_record.cell(column, r); };
        auto name = [&cell](int first, int last) { return cell(first) + QLatin1Char(' ') + cell(last); };
        // Each cell within its column's box (the right edges as the boxes above draw them).
        auto put = [&](int dx, int right, int style, const QString& s) {
            fitted(X0 + dx, y, X0 + right - kInset, 40, style, s);
        };
        put(35, W, Regular, cell(ColStil));
        put(W + 6, 2 * W - 3, Regular, cell(ColKlasse));
        put(2 * W + 4, 3 * W, Regular, cell(ColGewichtRot));
        put(3 * W + 5, 9 * W, Regular, name(ColVornRot, ColNachnRot));
        put(9 * W + 3, 10 * W, Regular, cell(ColLizenzRot));
        put(10 * W + 10, 11 * W, Regular, cell(ColStatusRot));
        put(11 * W + 5, 12 * W, Regular, cell(ColJahrgangRot));
        put(12 * W + 35, 13 * W - 3, Bold, cell(ColPunkteRot));
        put(13 * W + 4, 14 * W, Regular, cell(ColGewichtBlau));
        put(14 * W + 10, 20 * W, Regular, name(ColVornBlau, ColNachnBlau));
        put(20 * W + 3, 21 * W, Regular, cell(ColLizenzBlau));
        put(21 * W + 10, 22 * W, Regular, cell(ColStatusBlau));
        put(22 * W + 5, 23 * W, Regular, cell(ColJahrgangBlau));
        put(23 * W + 35, 24 * W, Bold, cell(ColPunkteBlau));
        put(24 * W + 15, 25 * W + 20, Regular, cell(ColTpRot) + QLatin1Char(':') + cell(ColTpBlau));
        put(25 * W + 45, 26 * W + 20, Regular, cell(ColSieg));
        put(26 * W + 25, 27 * W + 20, Regular, cell(ColZeit));
        canvas.setFontFamilies(m_faces.typewriter);
        canvas.setFontColor(QColor(255, 0, 0));
        fitted(X0 + 27 * W + 25, y + 20, kTableRight - kInset, 30, Regular, cell(ColWertungenRot));
        canvas.setFontColor(QColor(0, 0, 255));
        fitted(X0 + 27 * W + 25, y - 5, kTableRight - kInset, 30, Regular, cell(ColWertungenBlau));
        canvas.setFontFamilies(m_faces.text);
        canvas.setFontColor(Qt::black);
    }

    QString winner;
    if (totals.heim > totals.gast)
        winner = header(Header::heim);
    else if (totals.gast > totals.heim)
        winner = header(Header::gast);
    else
        winner = QStringLiteral("unentschieden");
    // The winner line ends where the home total's box begins.
    fitted(X0 + 20, YB - 25, X0 + 12 * W - kInset, 40, Bold, QStringLiteral("Sieger: ") + winner);
    fitted(X0 + 12 * W + 25, YB - 25, X0 + 13 * W - 3 - kInset, 40, Bold, QString::number(totals.heim));
    fitted(X0 + 23 * W + 25, YB - 25, X0 + 24 * W - kInset, 40, Bold, QString::number(totals.gast));

    const int lowerTop = YB - 3 * H + 2;
    box(0, 7 * W - 10, lowerTop, YB - 8 * H - 10);
    box(7 * W - 10, 10 * W - 10, lowerTop, YB - 8 * H - 10);
    box(10 * W - 10, 20 * W - 10, lowerTop, YB - 8 * H - 10);
    box(20 * W - 10, 30 * W + 20, lowerTop, YT - (n + 2) * R - 11 * H);

    // Each column of the lower block with the right end of its room: its box's line, or the
    // conduct column that shares the organisation's box.
    struct Column
    {
        int x, right;
        QString head;
        QStringList lines;
    };
    const Column lower[] = {
        {10,
         7 * W - 10 - kInset,
         QStringLiteral("Kampfgericht:"),
         {QStringLiteral("Mattenpräsidant: ") + header(Header::mp),
          QStringLiteral("Mattenleiter: ") + header(Header::ml),
          QStringLiteral("Punktrichter: ") + header(Header::pr)}},
        {7 * W,
         10 * W - 10 - kInset,
         QStringLiteral("Ablauf:"),
         {QStringLiteral("Beginn: ") + header(Header::beginn),
          QStringLiteral("Ende: ") + header(Header::ende),
          QStringLiteral("Pause: ") + header(Header::pause) + QStringLiteral(" Min")}},
        {10 * W,
         15 * W - kGap,
         QStringLiteral("Organisation:"),
         {QStringLiteral("Zeitnehmer: ") + header(Header::zeitnehmer),
          QStringLiteral("Protokoll: ") + header(Header::protokollfuehrer),
          QStringLiteral("Punktzettel: ") + header(Header::punktzettel),
          QStringLiteral("Anzahl Zuschauer: ") + header(Header::zuschauer)}},
        {15 * W,
         20 * W - 10 - kInset,
         QString(),
         {QStringLiteral("Verhalten Ringer: ") + header(Header::verhalten_ringer),
          QStringLiteral("Verhalten Zuschauer: ") + header(Header::verhalten_zuschauer),
          QStringLiteral("Ordner: ") + header(Header::ordner1),
          QStringLiteral("Ordner: ") + header(Header::ordner2)}},
        // Remarks run on downward at the same pitch, past the box if there are many.
        {20 * W, 30 * W + 20 - kInset, QStringLiteral("Bemerkungen:"),
         memoLines(header(Header::bemerkungen))},
    };
    for (const Column& c : lower) {
        if (!c.head.isEmpty())
            fitted(X0 + c.x, YB - 3 * H, X0 + c.right, 35, PrintCanvas::Underline, c.head);
        for (int k = 0; k < c.lines.size(); ++k)
            fitted(X0 + c.x, YB - (k + 4) * H, X0 + c.right, 35, Regular, c.lines[k]);
    }

    // A name above its signature line keeps to the line's length.
    fitted(X0, YS, X0 + 5 * W, 35, Regular, header(Header::ml));
    fitted(X0 + 6 * W, YS, X0 + 11 * W, 35, Regular, header(Header::mannschaftsfuehrer_heim));
    fitted(X0 + 12 * W, YS, X0 + 17 * W, 35, Regular, header(Header::mannschaftsfuehrer_gast));
    text(X0, YS - H, 35, PrintCanvas::Italic, QStringLiteral("Kampfrichter"));
    text(X0 + 6 * W, YS - H, 35, PrintCanvas::Italic, QStringLiteral("Mannschaftsführer Heim"));
    text(X0 + 12 * W, YS - H, 35, PrintCanvas::Italic, QStringLiteral("Mannschaftsführer Gast"));
    for (int x : {0, 6 * W, 12 * W})
        box(x, x + 5 * W, YS, YS - 1);
}
