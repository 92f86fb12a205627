#include "AudienceDesign.h"

#include <array>
#include <string_view>
#include <tuple>
#include <utility>

namespace AudienceDesign {

namespace {

// The design's names, which tests and messages use; the model reaches an element by its Id.
constexpr std::array<std::pair<Id, std::string_view>, kElementCount> kNames{{
    {Id::aktionszeitlicht, "aktionszeitlicht"},
    {Id::Shape1, "Shape1"},
    {Id::Shape2, "Shape2"},
    {Id::heim, "heim"},
    {Id::gast, "gast"},
    {Id::punkteheim, "punkteheim"},
    {Id::punktegast, "punktegast"},
    {Id::kampfnr, "kampfnr"},
    {Id::gew, "gew"},
    {Id::stil, "stil"},
    {Id::Shape3, "Shape3"},
    {Id::rot, "rot"},
    {Id::blau, "blau"},
    {Id::Shape15, "Shape15"},
    {Id::Shape16, "Shape16"},
    {Id::tpr, "tpr"},
    {Id::tpb, "tpb"},
    {Id::uhr, "uhr"},
    {Id::zeitinfo, "zeitinfo"},
    {Id::wr, "wr"},
    {Id::wb, "wb"},
    {Id::Image2, "Image2"},
    {Id::gewr, "gewr"},
    {Id::gewb, "gewb"},
    {Id::Shape7, "Shape7"},
    {Id::vr1, "vr1"},
    {Id::vr2, "vr2"},
    {Id::vr3, "vr3"},
    {Id::vb3, "vb3"},
    {Id::vb2, "vb2"},
    {Id::vb1, "vb1"},
    {Id::mp, "mp"},
    {Id::Shape5, "Shape5"},
    {Id::siegart_rot, "siegart_rot"},
    {Id::siegart_blau, "siegart_blau"},
    {Id::vzrot, "vzrot"},
    {Id::vzblau, "vzblau"},
    {Id::kr, "kr"},
    {Id::pr, "pr"},
    {Id::Image3, "Image3"},
    {Id::Label1, "Label1"},
    {Id::Label2, "Label2"},
    {Id::Label3, "Label3"},
    {Id::Label4, "Label4"},
    {Id::Label5, "Label5"},
    {Id::Label6, "Label6"},
    {Id::Label7, "Label7"},
    {Id::Label8, "Label8"},
    {Id::Label9, "Label9"},
    {Id::Image4, "Image4"},
}};

constexpr bool namedOnceInOrder()
{
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i].first != Id(i) || kNames[i].second.empty())
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (kNames[j].second == kNames[i].second)
                return false;
    }
    return true;
}
static_assert(namedOnceInOrder(), "every element named once, in the order of Id");

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kSkyBlue(166, 202, 240);
const QColor kSilver(192, 192, 192);

Element text(Id id, int left, int top, const QString& family, int pt, bool bold, const QColor& colour,
             const QString& initial = {})
{
    Element e;
    e.id = id;
    e.kind = Kind::Text;
    e.geometry = QRect(left, top, 0, 0);
    e.font = {family, pt, bold};
    e.colour = colour;
    e.text = initial;
    e.autoWidth = true;
    return e;
}

Element shape(Id id, Kind kind, const QRect& geometry, const QColor& colour)
{
    Element e;
    e.id = id;
    e.kind = kind;
    e.geometry = geometry;
    e.colour = colour;
    return e;
}

Element textBox(Id id, const QRect& geometry, int pt, const QColor& colour, Qt::Alignment alignment,
                bool wrap, const QString& initial = {})
{
    Element e;
    e.id = id;
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
    add(shape(Id::aktionszeitlicht, K::Box, {304, 314, 377, 213}, kBlack));
    add(shape(Id::Shape1, K::Box, {0, 0, 497, 129}, kRed));
    add(shape(Id::Shape2, K::Box, {494, 0, 491, 129}, kBlue));
    add(text(Id::heim, 180, 0, kArialBlack, 30, true, kWhite));
    add(text(Id::gast, 726, 0, kArialBlack, 30, true, kWhite));
    add(text(Id::punkteheim, 206, 44, kTahoma, 55, true, kWhite, QStringLiteral("0")));
    add(text(Id::punktegast, 758, 44, kTahoma, 55, true, kWhite, QStringLiteral("0")));
    add(text(Id::kampfnr, 5, 163, kArialBlack, 30, true, kWhite));
    add(text(Id::gew, 440, 163, kArialBlack, 30, true, kWhite));
    add(text(Id::stil, 810, 163, kArialBlack, 30, true, kWhite));
    add(shape(Id::Shape3, K::Line, {-1, 166, 985, 2}, kWhite));
    add(text(Id::rot, 5, 212, kArialBlack, 30, true, kYellow));
    add(text(Id::blau, 888, 212, kArialBlack, 30, true, kYellow));
    add(shape(Id::Shape15, K::Box, {0, 314, 274, 213}, kRed));
    add(shape(Id::Shape16, K::Box, {712, 314, 273, 213}, kBlue));
    Element tpr = text(Id::tpr, 85, 330, kArialBlack, 100, true, kWhite, QStringLiteral("0"));
    tpr.handCursor = true;
    add(tpr);
    Element tpb = text(Id::tpb, 803, 330, kArialBlack, 100, true, kWhite, QStringLiteral("0"));
    tpb.handCursor = true;
    add(tpb);
    add(text(Id::uhr, 341, 327, kArialBlack, 100, true, kWhite, QStringLiteral("0:00")));
    add(text(Id::zeitinfo, 407, 328, kArialBlack, 20, true, kWhite, QStringLiteral(">>PAUSE<<")));
    add(text(Id::wr, 0, 520, kTypewriter, 50, true, kRed));
    add(text(Id::wb, 0, 520, kTypewriter, 50, true, kSkyBlue));
    add(shape(Id::Image2, K::Picture, {7, 616, 977, 100}, kBlack));
    add(text(Id::gewr, 8, 272, kTahoma, 18, false, kWhite));
    add(text(Id::gewb, 910, 272, kTahoma, 18, false, kWhite));
    add(shape(Id::Shape7, K::Line, {1, 306, 985, 2}, kWhite));
    const QString v = QStringLiteral("V");
    for (const auto& [id, top, colour, left] :
         {std::tuple{Id::vr1, 314, kRed, 276}, std::tuple{Id::vr2, 395, kRed, 276},
          std::tuple{Id::vr3, 471, kRed, 276}, std::tuple{Id::vb3, 471, kBlue, 679},
          std::tuple{Id::vb2, 392, kBlue, 679}, std::tuple{Id::vb1, 314, kBlue, 679}}) {
        Element mark = text(id, left, top, kArialBlack, 30, true, colour, v);
        mark.visible = false;
        add(mark);
    }
    add(text(Id::mp, 7, 131, kTahoma, 20, false, kWhite));
    add(shape(Id::Shape5, K::Line, {1, 594, 985, 2}, kWhite));
    add(text(Id::siegart_rot, 15, 489, kArialBlack, 20, true, kWhite));
    add(text(Id::siegart_blau, 731, 490, kArialBlack, 20, true, kWhite));
    Element vzrot = text(Id::vzrot, 100, 323, kArialBlack, 20, true, kWhite, QStringLiteral("0:00"));
    vzrot.visible = false;
    add(vzrot);
    Element vzblau = text(Id::vzblau, 818, 323, kArialBlack, 20, true, kWhite, QStringLiteral("0:00"));
    vzblau.visible = false;
    add(vzblau);
    add(text(Id::kr, 407, 131, kTahoma, 20, false, kWhite));
    add(text(Id::pr, 942, 131, kTahoma, 20, false, kWhite));
}

void addPresentationView(std::vector<Element>& all)
{
    const auto add = [&all](Element e) { all.push_back(std::move(e)); };
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment centredTop = Qt::AlignHCenter | Qt::AlignTop;
    Element background = shape(Id::Image3, Kind::Picture, {0, 0, 1033, 732}, kBlack);
    background.panel = 2;
    add(background);
    add(textBox(Id::Label1, {31, 395, 901, 74}, 40, kRed, centred, true));
    add(textBox(Id::Label2, {23, 457, 918, 73}, 40, kBlue, centred, true));
    add(textBox(Id::Label3, {206, 341, 572, 48}, 30, kWhite, centredTop, true));
    Element home = textBox(Id::Label4, {13, 16, 971, 81}, 35, kWhite, centred, true);
    home.elide = true;
    add(home);
    add(textBox(Id::Label5, {48, 141, 920, 79}, 35, kWhite, centredTop, true));
    add(textBox(Id::Label6, {196, 99, 629, 36}, 20, kWhite, centredTop, false, QStringLiteral("gegen")));
    Element ticker = text(Id::Label7, 13, 268, kTahoma, 25, true, kSilver, QStringLiteral("Lauftext"));
    ticker.panel = 2;
    add(ticker);
    add(textBox(Id::Label8, {31, 22, 108, 138}, 60, kRed, Qt::AlignLeft | Qt::AlignTop, false,
                QStringLiteral("0")));
    add(textBox(Id::Label9, {818, 22, 148, 138}, 60, kSkyBlue, Qt::AlignRight | Qt::AlignTop, false,
                QStringLiteral("0")));
    Element advert = shape(Id::Image4, Kind::Picture, {7, 616, 977, 100}, kBlack);
    advert.panel = 2;
    add(advert);
}

} // namespace

QString name(Id id)
{
    const std::string_view named = kNames[std::size_t(id)].second;
    return QString::fromLatin1(named.data(), qsizetype(named.size()));
}

std::optional<Id> idNamed(const QString& name)
{
    for (const auto& [id, named] : kNames)
        if (name == QLatin1String(named.data(), qsizetype(named.size())))
            return id;
    return std::nullopt;
}

std::vector<Element> elements()
{
    std::vector<Element> all;
    all.reserve(kElementCount);
    addScoreboardView(all);
    addPresentationView(all);
    // The model finds an element at the place its Id gives; a row out of order would show one
    // element's text in another's place.
    if (all.size() != kElementCount)
        qFatal("AudienceDesign: %zu rows for %zu elements", all.size(), kElementCount);
    for (std::size_t i = 0; i < kElementCount; ++i)
        if (all[i].id != Id(i))
            qFatal("AudienceDesign: the element %s is out of order", kNames[i].second.data());
    return all;
}

} // namespace AudienceDesign
