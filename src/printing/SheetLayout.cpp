#include "SheetLayout.h"

#include "platform/IntConvert.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace SheetLayout {

namespace {

constexpr double kSheetWidthMm = 210.0;
// Not 297: the preview has always been drawn on a 300 mm sheet.
constexpr double kSheetHeightMm = 300.0;
constexpr qint64 kUpDown2Zero = 1000;

int onPreview(int mm, double sheetMm, int pixels, int origin)
{
    // nearbyint rounds ties to even under the default rounding mode; a value from a hand-edited
    // file may lie far off the sheet, but never beyond what an int holds.
    const double at = std::nearbyint(mm / sheetMm * pixels) + origin;
    return int(
        std::clamp(at, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

} // namespace

const std::array<PreviewField, kFieldCount>& previewFields()
{
    static const std::array<PreviewField, kFieldCount> fields = {{
        {"pzdatum", "Datum", Ink::WindowText},
        {"pzklasse", "Klasse", Ink::WindowText},
        {"pzstil", "Stil", Ink::WindowText},
        {"pzkampfnr", "Kampf Nr.", Ink::WindowText},
        {"pznamerot", "Name", Ink::Red},
        {"pzvereinrot", "Verein", Ink::Red},
        {"pznameblau", "Name", Ink::Blue},
        {"pzvereinblau", "Verein", Ink::Blue},
    }};
    return fields;
}

int previewLeft(const QString& xwert, const QRect& sheet)
{
    return onPreview(strToInt(xwert), kSheetWidthMm, sheet.width(), sheet.left());
}

int previewTop(const QString& ywert, const QRect& sheet)
{
    return onPreview(strToInt(ywert), kSheetHeightMm, sheet.height(), sheet.top());
}

int upDown1Position(const QString& xwert)
{
    return std::clamp(strToInt(xwert), 0, kUpDown1Max);
}

int upDown2Position(const QString& ywert)
{
    // In 64 bits: 1000 − y overflows an int for the most negative y a file can hold.
    return int(std::clamp(kUpDown2Zero - strToInt(ywert), qint64(0), qint64(kUpDown2Max)));
}

QString xwertFor(int upDown1)
{
    return QString::number(upDown1);
}

QString ywertFor(int upDown2)
{
    return QString::number(kUpDown2Zero - upDown2);
}

} // namespace SheetLayout
