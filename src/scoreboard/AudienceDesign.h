#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <cstddef>
#include <optional>
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

// Every element by its design name, in drawing order: the scoreboard view's first. An Id
// always names an element; the design table holds a row for each.
enum class Id
{
    aktionszeitlicht,
    Shape1,
    Shape2,
    heim,
    gast,
    punkteheim,
    punktegast,
    kampfnr,
    gew,
    stil,
    Shape3,
    rot,
    blau,
    Shape15,
    Shape16,
    tpr,
    tpb,
    uhr,
    zeitinfo,
    wr,
    wb,
    Image2,
    gewr,
    gewb,
    Shape7,
    vr1,
    vr2,
    vr3,
    vb3,
    vb2,
    vb1,
    mp,
    Shape5,
    siegart_rot,
    siegart_blau,
    vzrot,
    vzblau,
    kr,
    pr,
    // The presentation view.
    Image3,
    Label1,
    Label2,
    Label3,
    Label4,
    Label5,
    Label6,
    Label7,
    Label8,
    Label9,
    Image4,
};
inline constexpr std::size_t kElementCount = std::size_t(Id::Image4) + 1;

// The element's design name ("Shape2", "tpr").
QString name(Id id);
// The element of that design name; nothing for a name the design does not have.
std::optional<Id> idNamed(const QString& name);

enum class Kind
{
    Box,
    Line,
    Text,
    Picture
};

struct FontStyle
{
    // One of the design's families above.
    QString family;
    int pointSize = 8;
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

struct Element
{
    Id id = Id::aktionszeitlicht;
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

// Every element of both views at the place of its Id. An auto-width text's size is left 0 × 0
// for the model to measure.
std::vector<Element> elements();

} // namespace AudienceDesign
