#pragma once

#include <QRect>
#include <QString>

#include <array>

// The score sheet's field layout as the set-up panel edits it: the eight fields' preview labels
// and the arithmetic between a field's millimetres, the preview sheet and the two up-downs.
// Every value is read with the platform's integer conversion and throws its UserError.
namespace SheetLayout {

enum class Ink
{
    WindowText,
    Red,
    Blue
};

struct PreviewField
{
    const char* label; // objectName of the preview label
    const char* caption;
    Ink ink;
};

inline constexpr int kFieldCount = 8;

// In the fields' fixed order (date, class, style, bout number, red name and team, blue name
// and team).
const std::array<PreviewField, kFieldCount>& previewFields();

// The preview stands for a sheet of 210 × 300 mm drawn in `sheet`: the label's left and top for a
// field at xwert/ywert millimetres, rounded to the nearest pixel (ties to even).
int previewLeft(const QString& xwert, const QRect& sheet);
int previewTop(const QString& ywert, const QRect& sheet);

// `UpDown1` holds x directly, `UpDown2` holds 1000 − y, so its up arrow moves the field up.
inline constexpr int kUpDown1Max = 300;
inline constexpr int kUpDown2Max = 10000;
// The positions a chosen field sets, kept within the up-downs' ranges as the controls keep them.
int upDown1Position(const QString& xwert);
int upDown2Position(const QString& ywert);
// The stored texts for an up-down's position.
QString xwertFor(int upDown1);
QString ywertFor(int upDown2);

} // namespace SheetLayout
