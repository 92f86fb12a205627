#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <vector>

// The audience window's design at display scale 100: what an element is, and every element of
// the scoreboard view `Panel1` and the presentation view `Panel2` with its place, font and
// colour. AudienceModel scales and fills them; nothing here changes at run time.
namespace AudienceDesign {

// The window's client area and the zoom overlay `Panel3` at scale 100.
inline constexpr int kWidth = 1010;
inline constexpr int kHeight = 732;
inline constexpr QRect kOverlay{456, 330, 73, 55};
// The officials' lines `mp`, `kr`, `pr`, where their fitting starts.
inline constexpr int kOfficialsPointSize = 20;

// The design's families; AudienceModel::font adds the free faces that stand in where they are
// not installed.
inline const QString kArialBlack = QStringLiteral("Arial Black");
inline const QString kTahoma = QStringLiteral("Tahoma");
inline const QString kTypewriter = QStringLiteral("MonospaceTypewriter");

enum class Kind
{
    Box,
    Line,
    Text,
    Picture
};

struct FontStyle
{
    // The design's family ("Arial Black", "Tahoma", "MonospaceTypewriter"); font() adds
    // the free faces that stand in where it is not installed.
    QString family;
    int pointSize = 8;
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

struct Element
{
    QString name;
    Kind kind = Kind::Text;
    int panel = 1;
    // At the current display scale. An auto-width text's width and height are those of its
    // text in its font.
    QRect geometry;
    QString text;
    FontStyle font;
    // Text colour, or the brush of a box and a line.
    QColor colour;
    // Fixed text boxes of the presentation view only: alignment inside the box, word wrap,
    // and a last line cut at a word with an ellipsis.
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wrap = false;
    bool elide = false;
    bool autoWidth = false;
    bool visible = true;
    bool handCursor = false;
};

// Every element of both views in drawing order, the scoreboard view's first. An auto-width
// text's size is left 0 × 0 for the model to measure.
std::vector<Element> elements();

} // namespace AudienceDesign
