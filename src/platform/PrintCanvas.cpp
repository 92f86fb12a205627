#include "PrintCanvas.h"

#include "UserError.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {

// Ascent and descent of a face's cell in em, as Windows sizes a font given by its cell height.
struct WindowsCell
{
    qreal ascent, descent;
};

// From the face's OS/2 table (usWinAscent, usWinDescent) over its head table's unitsPerEm;
// nothing when the face lacks either or they make no cell.
std::optional<WindowsCell> windowsCell(const QRawFont& face)
{
    if (!face.isValid())
        return std::nullopt;
    const QByteArray os2 = face.fontTable("OS/2");
    const QByteArray head = face.fontTable("head");
    if (os2.size() < 78 || head.size() < 20)
        return std::nullopt;
    const auto word = [](const QByteArray& table, int at) {
        return qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(table.constData()) + at);
    };
    const quint16 unitsPerEm = word(head, 18);
    const quint16 winAscent = word(os2, 74), winDescent = word(os2, 76);
    if (unitsPerEm == 0 || winAscent + winDescent == 0)
        return std::nullopt;
    return WindowsCell{qreal(winAscent) / unitsPerEm, qreal(winDescent) / unitsPerEm};
}

} // namespace

PrintCanvas::PrintCanvas(QPrinter& printer) : m_printer(printer) {}

PrintCanvas::~PrintCanvas() = default;

void PrintCanvas::setLandscape(bool landscape)
{
    m_printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void PrintCanvas::setTitle(const QString& title)
{
    m_printer.setDocName(title);
}

void PrintCanvas::begin()
{
    abort();
    m_fonts.clear();
    m_fontIndex.clear();
    m_open = true;
    m_pages = 1;
    m_scale = m_printer.logicalDpiX() / 254.0;
}

void PrintCanvas::newPage()
{
    if (!isActive())
        return;
    m_steps.push_back(Step{Step::Page, -1, {}, {}, {}});
    ++m_pages;
}

void PrintCanvas::end()
{
    if (!isActive())
        return;
    const std::vector<Step> steps = std::exchange(m_steps, {});
    m_open = false;
    // The painter's origin is the corner of the page's margins; Qt's default margins (10 pt)
    // would put every text 3.5 mm off its box on a pre-printed form. Margins as small as the
    // printer allows make that corner the printable area's.
    const QPageLayout layout = m_printer.pageLayout();
    m_printer.setFullPage(false);
    m_printer.setPageMargins(layout.minimumMargins(), layout.units());
    QPainter painter;
    if (!painter.begin(&m_printer))
        throw UserError(QStringLiteral("Der Drucker kann nicht angesprochen werden."));
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPen outline(Qt::black, m_scale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    int font = -1;
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::Page:
            m_printer.newPage();
            break;
        case Step::Text: {
            const Metrics& m = m_fonts[size_t(step.font)];
            if (step.font != font)
                painter.setFont(m.font);
            font = step.font;
            painter.fillRect(step.rect, Qt::white);
            painter.setPen(step.color);
            painter.drawText(QPointF(step.rect.left(), step.rect.top() + m.ascent), step.text);
            break;
        }
        case Step::Box:
            painter.setPen(outline);
            painter.setBrush(step.color);
            painter.drawRect(step.rect);
            break;
        }
    }
    painter.end();
}

void PrintCanvas::abort()
{
    // Nothing has reached the printer yet: dropping the steps is all there is to give up.
    m_steps.clear();
    m_open = false;
}

void PrintCanvas::setFontFamilies(const QStringList& families)
{
    m_faces = families.isEmpty() ? QStringList{QStringLiteral("Arial")} : families;
}

void PrintCanvas::setFontHeight(int height)
{
    m_height = height;
}

void PrintCanvas::setFontStyle(int style)
{
    m_style = style;
}

void PrintCanvas::setFontColor(const QColor& color)
{
    m_fontColor = color;
}

void PrintCanvas::setBrushColor(const QColor& color)
{
    m_brushColor = color;
}

int PrintCanvas::font()
{
    const QString key = m_faces.join(QLatin1Char(',')) + QLatin1Char('|') + QString::number(m_height) +
                        QLatin1Char('|') + QString::number(m_style);
    if (auto it = m_fontIndex.constFind(key); it != m_fontIndex.constEnd())
        return *it;

    QFont font(m_faces.first());
    font.setFamilies(m_faces);
    font.setBold(m_style & Bold);
    font.setItalic(m_style & Italic);
    font.setUnderline(m_style & Underline);
    const qreal wanted = m_height * m_scale;
    qreal ascent = 0, height = 0;
    if (const std::optional<WindowsCell> windows = windowsCell(QRawFont::fromFont(font))) {
        // The cell as Windows measures it. Qt's ascent and descent follow the typographic
        // metrics of a face that asks for them (Wine's Tahoma file: 0.971 em against 1.207 em),
        // which would print such a face a quarter too large.
        const int em = std::max(1, int(std::lround(wanted / (windows->ascent + windows->descent))));
        font.setPixelSize(em);
        ascent = em * windows->ascent;
        height = em * (windows->ascent + windows->descent);
    } else {
        // No OS/2 table: size once, measure the cell, and correct by the ratio.
        font.setPixelSize(std::max(1, int(std::lround(wanted))));
        const QFontMetricsF first(font, &m_printer);
        const qreal cell = first.ascent() + first.descent();
        if (cell > 0)
            font.setPixelSize(std::max(1, int(std::lround(wanted * wanted / cell))));
        const QFontMetricsF fm(font, &m_printer);
        ascent = fm.ascent();
        height = fm.ascent() + fm.descent();
    }
    m_fonts.push_back(Metrics{font, QFontMetricsF(font, &m_printer), ascent, height});
    const int index = int(m_fonts.size()) - 1;
    m_fontIndex.insert(key, index);
    return index;
}

int PrintCanvas::scaledFont(int base, int pixelSize)
{
    const QString key = QString::number(base) + QLatin1Char('@') + QString::number(pixelSize);
    if (auto it = m_fontIndex.constFind(key); it != m_fontIndex.constEnd())
        return *it;
    const Metrics& from = m_fonts[size_t(base)];
    // The cell keeps its proportions to the em, whichever way the base cell was measured.
    const qreal ratio = qreal(pixelSize) / from.font.pixelSize();
    QFont font = from.font;
    font.setPixelSize(pixelSize);
    const qreal ascent = from.ascent * ratio, height = from.height * ratio;
    m_fonts.push_back(Metrics{font, QFontMetricsF(font, &m_printer), ascent, height});
    const int index = int(m_fonts.size()) - 1;
    m_fontIndex.insert(key, index);
    return index;
}

void PrintCanvas::pushText(int f, int x, int y, const QString& text)
{
    const Metrics& m = m_fonts[size_t(f)];
    const QRectF cell(map(x, y), QSizeF(m.measure.horizontalAdvance(text), m.height));
    m_steps.push_back(Step{Step::Text, f, m_fontColor, cell, text});
}

void PrintCanvas::textOut(int x, int y, const QString& text)
{
    if (!isActive())
        return;
    pushText(font(), x, y, text);
}

void PrintCanvas::textOut(int x, int y, const QString& text, int right)
{
    if (!isActive())
        return;
    const int base = font();
    const qreal room = (right - x) * m_scale;
    const qreal width = m_fonts[size_t(base)].measure.horizontalAdvance(text);
    if (width <= room) {
        pushText(base, x, y, text);
        return;
    }
    // Advances grow almost in step with the em, so the first guess is nearly right; hinting
    // and rounding may leave it a pixel or two too wide.
    const int basePixels = m_fonts[size_t(base)].font.pixelSize();
    const int least =
        std::max(1, int(std::ceil(basePixels * qreal(leastCell(m_height)) / std::max(1, m_height))));
    int pixels =
        std::clamp(int(std::floor(basePixels * std::max<qreal>(room, 0) / width)), least, basePixels);
    int f = scaledFont(base, pixels);
    while (pixels > least && m_fonts[size_t(f)].measure.horizontalAdvance(text) > room)
        f = scaledFont(base, --pixels);
    const QFontMetricsF& measure = m_fonts[size_t(f)].measure;
    if (measure.horizontalAdvance(text) <= room) {
        pushText(f, x, y, text);
        return;
    }
    // Still too wide at the least size: the characters that end in time, never part of one
    // (a glyph cut in half reads as another letter).
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    for (qsizetype at = graphemes.toNextBoundary(); at > 0; at = graphemes.toNextBoundary()) {
        if (measure.horizontalAdvance(text.left(at)) > room)
            break;
        fits = at;
    }
    if (fits > 0)
        pushText(f, x, y, text.left(fits));
}

int PrintCanvas::printableWidth() const
{
    // end() draws from the corner of the least margins the printer allows.
    QPageLayout layout = m_printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    return int(std::floor(layout.paintRect(QPageLayout::Millimeter).width() * 10));
}

void PrintCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    if (!isActive())
        return;
    m_steps.push_back(Step{Step::Box, -1, m_brushColor, QRectF(map(x1, y1), map(x2, y2)).normalized(), {}});
}
