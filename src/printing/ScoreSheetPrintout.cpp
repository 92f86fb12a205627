#include "ScoreSheetPrintout.h"

#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/PrintCanvas.h"

#include <QPoint>

#include <algorithm>
#include <utility>

using namespace MatchFields;

namespace {

// Millimetres to 0.1 mm. A value from a hand-edited settings file may be far off the page;
// it stays off the page rather than wrapping around onto it.
int toUnits(int mm)
{
    return int(std::clamp<qint64>(qint64(mm) * 10, -100'000'000, 100'000'000));
}

// The sheet's texts are printed in a 6 mm cell.
constexpr int kCell = 60;
// A text ends this far before the next field on its line, so that the two stay apart.
constexpr int kGap = 10;

// Where the text of each field must end: before the nearest field to its right whose cell
// shares some height with its own, and at the latest where the paper ends.
QList<int> rightEdges(const QList<QPoint>& places, int paperRight)
{
    QList<int> rights;
    for (const QPoint& p : places) {
        int right = paperRight;
        for (const QPoint& q : places)
            if (q.x() > p.x() && qAbs(qint64(q.y()) - p.y()) < kCell)
                right = std::min(right, q.x() - kGap);
        rights.append(right);
    }
    return rights;
}

} // namespace

ScoreSheetPrintout::ScoreSheetPrintout(const MatchRecord& record, QList<Settings::Field> felder)
    : m_record(record), m_felder(std::move(felder))
{
}

QList<int> ScoreSheetPrintout::sheetRows(const Request& request) const
{
    if (request.choice == Auswahl) {
        // No bout chosen gives no sheet: a sheet of column captions would only spoil a form.
        const int row = request.chosen + 1;
        if (request.chosen < 0 || row >= m_record.rowCount())
            return {};
        return {row};
    }
    if (request.choice != Alle && request.choice != Bereich)
        return {};
    QList<int> rows;
    const int bouts = m_record.rowCount() - 1;
    for (int k = 1; k <= bouts; ++k) {
        const QString number = QString::number(k);
        for (int r = 1; r <= bouts; ++r) {
            if (m_record.cell(ColReihenfolge, r) != number)
                continue;
            if (request.choice == Bereich && !(strToInt(request.von) <= k && strToInt(request.bis) >= k))
                continue;
            rows.append(r);
        }
    }
    return rows;
}

QStringList ScoreSheetPrintout::sheetTexts(int row) const
{
    auto cell = [this, row](int column) { return m_record.cell(column, row); };
    return {
        m_record.header(Header::datum),
        cell(ColKlasse),
        cell(ColStil),
        cell(ColReihenfolge),
        cell(ColVornRot) + QLatin1Char(' ') + cell(ColNachnRot),
        m_record.header(Header::heim),
        cell(ColVornBlau) + QLatin1Char(' ') + cell(ColNachnBlau),
        m_record.header(Header::gast),
    };
}

void ScoreSheetPrintout::print(PrintCanvas& canvas, const Request& request) const
{
    const QList<int> rows = sheetRows(request);
    // No sheet, no job: a printer cannot take a job of no page, so an empty one would still
    // feed a form.
    if (rows.isEmpty())
        return;
    // Layout values come from the settings file and are read only when a sheet needs them.
    QList<QPoint> places;
    for (const Settings::Field& f : m_felder)
        places.append(QPoint(toUnits(strToInt(f.xwert)), -toUnits(strToInt(f.ywert))));

    canvas.setLandscape(false);
    canvas.setTitle(jobTitle());
    const QList<int> rights = rightEdges(places, canvas.printableWidth());
    canvas.begin();
    canvas.setFontHeight(kCell);
    bool first = true;
    for (int row : rows) {
        if (!std::exchange(first, false))
            canvas.newPage();
        const QStringList texts = sheetTexts(row);
        for (int i = 0; i < places.size() && i < texts.size(); ++i)
            canvas.textOut(places[i].x(), places[i].y(), texts[i], rights[i]);
    }
    canvas.end();
}
