#include "AudienceDesign.h"

#include <tuple>

namespace AudienceDesign {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kSkyBlue(166, 202, 240);
const QColor kSilver(192, 192, 192);

Element text(const char* name, int left, int top, const QString& family, int pt, bool bold,
             const QColor& colour, const QString& initial = {})
{
    Element e;
    e.name = QLatin1String(name);
    e.kind = Kind::Text;
    e.geometry = QRect(left, top, 0, 0);
    e.font = {family, pt, bold};
    e.colour = colour;
    e.text = initial;
    e.autoWidth = true;
    return e;
}

Element shape(const char* name, Kind kind, const QRect& geometry, const QColor& colour)
{
    Element e;
    e.name = QLatin1String(name);
    e.kind = kind;
    e.geometry = geometry;
    e.colour = colour;
    return e;
}

Element textBox(const char* name, const QRect& geometry, int pt, const QColor& colour,
                Qt::Alignment alignment, bool wrap, const QString& initial = {})
{
    Element e;
    e.name = QLatin1String(name);
    e.kind = Kind::Text;
    e.panel = 2;
    e.geometry = geometry;
    e.font = {kTahoma, pt, true};
    e.colour = colour;
    e.alignment = alignment;
    e.wrap = wrap;
    e.text = initial;
    return e;
}

void addScoreboardView(std::vector<Element>& all)
{
    const auto add = [&all](Element e) { all.push_back(std::move(e)); };
    using K = Kind;
    add(shape("aktionszeitlicht", K::Box, {304, 314, 377, 213}, kBlack));
    add(shape("Shape1", K::Box, {0, 0, 497, 129}, kRed));
    add(shape("Shape2", K::Box, {494, 0, 491, 129}, kBlue));
    add(text("heim", 180, 0, kArialBlack, 30, true, kWhite));
    add(text("gast", 726, 0, kArialBlack, 30, true, kWhite));
    add(text("punkteheim", 206, 44, kTahoma, 55, true, kWhite, QStringLiteral("0")));
    add(text("punktegast", 758, 44, kTahoma, 55, true, kWhite, QStringLiteral("0")));
    add(text("kampfnr", 5, 163, kArialBlack, 30, true, kWhite));
    add(text("gew", 440, 163, kArialBlack, 30, true, kWhite));
    add(text("stil", 810, 163, kArialBlack, 30, true, kWhite));
    add(shape("Shape3", K::Line, {-1, 166, 985, 2}, kWhite));
    add(text("rot", 5, 212, kArialBlack, 30, true, kYellow));
    add(text("blau", 888, 212, kArialBlack, 30, true, kYellow));
    add(shape("Shape15", K::Box, {0, 314, 274, 213}, kRed));
    add(shape("Shape16", K::Box, {712, 314, 273, 213}, kBlue));
    Element tpr = text("tpr", 85, 330, kArialBlack, 100, true, kWhite, QStringLiteral("0"));
    tpr.handCursor = true;
    add(tpr);
    Element tpb = text("tpb", 803, 330, kArialBlack, 100, true, kWhite, QStringLiteral("0"));
    tpb.handCursor = true;
    add(tpb);
    add(text("uhr", 341, 327, kArialBlack, 100, true, kWhite, QStringLiteral("0:00")));
    add(text("zeitinfo", 407, 328, kArialBlack, 20, true, kWhite, QStringLiteral(">>PAUSE<<")));
    add(text("wr", 0, 520, kTypewriter, 50, true, kRed));
    add(text("wb", 0, 520, kTypewriter, 50, true, kSkyBlue));
    add(shape("Image2", K::Picture, {7, 616, 977, 100}, kBlack));
    add(text("gewr", 8, 272, kTahoma, 18, false, kWhite));
    add(text("gewb", 910, 272, kTahoma, 18, false, kWhite));
    add(shape("Shape7", K::Line, {1, 306, 985, 2}, kWhite));
    const QString v = QStringLiteral("V");
    for (const auto& [name, top, colour, left] :
         {std::tuple{"vr1", 314, kRed, 276}, std::tuple{"vr2", 395, kRed, 276},
          std::tuple{"vr3", 471, kRed, 276}, std::tuple{"vb3", 471, kBlue, 679},
          std::tuple{"vb2", 392, kBlue, 679}, std::tuple{"vb1", 314, kBlue, 679}}) {
        Element mark = text(name, left, top, kArialBlack, 30, true, colour, v);
        mark.visible = false;
        add(mark);
    }
    add(text("mp", 7, 131, kTahoma, 20, false, kWhite));
    add(shape("Shape5", K::Line, {1, 594, 985, 2}, kWhite));
    add(text("siegart_rot", 15, 489, kArialBlack, 20, true, kWhite));
    add(text("siegart_blau", 731, 490, kArialBlack, 20, true, kWhite));
    Element vzrot = text("vzrot", 100, 323, kArialBlack, 20, true, kWhite, QStringLiteral("0:00"));
    vzrot.visible = false;
    add(vzrot);
    Element vzblau = text("vzblau", 818, 323, kArialBlack, 20, true, kWhite, QStringLiteral("0:00"));
    vzblau.visible = false;
    add(vzblau);
    add(text("kr", 407, 131, kTahoma, 20, false, kWhite));
    add(text("pr", 942, 131, kTahoma, 20, false, kWhite));
}

void addPresentationView(std::vector<Element>& all)
{
    const auto add = [&all](Element e) { all.push_back(std::move(e)); };
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment centredTop = Qt::AlignHCenter | Qt::AlignTop;
    Element background = shape("Image3", Kind::Picture, {0, 0, 1033, 732}, kBlack);
    background.panel = 2;
    add(background);
    add(textBox("Label1", {31, 395, 901, 74}, 40, kRed, centred, true));
    add(textBox("Label2", {23, 457, 918, 73}, 40, kBlue, centred, true));
    add(textBox("Label3", {206, 341, 572, 48}, 30, kWhite, centredTop, true));
    Element home = textBox("Label4", {13, 16, 971, 81}, 35, kWhite, centred, true);
    home.elide = true;
    add(home);
    add(textBox("Label5", {48, 141, 920, 79}, 35, kWhite, centredTop, true));
    add(textBox("Label6", {196, 99, 629, 36}, 20, kWhite, centredTop, false, QStringLiteral("gegen")));
    Element ticker = text("Label7", 13, 268, kTahoma, 25, true, kSilver, QStringLiteral("Lauftext"));
    ticker.panel = 2;
    add(ticker);
    add(textBox("Label8", {31, 22, 108, 138}, 60, kRed, Qt::AlignLeft | Qt::AlignTop, false,
                QStringLiteral("0")));
    add(textBox("Label9", {818, 22, 148, 138}, 60, kSkyBlue, Qt::AlignRight | Qt::AlignTop, false,
                QStringLiteral("0")));
    Element advert = shape("Image4", Kind::Picture, {7, 616, 977, 100}, kBlack);
    advert.panel = 2;
    add(advert);
}

} // namespace

std::vector<Element> elements()
{
    std::vector<Element> all;
    addScoreboardView(all);
    addPresentationView(all);
    return all;
}

} // namespace AudienceDesign
