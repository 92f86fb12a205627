#include "PrintCanvas.h"

#include "UserError.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRawFont>
#include <QtEndian>

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

void PrintCanvas::setFontFace(const QString& face)
{
    m_faces = QStringList{face};
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

void PrintCanvas::textOut(int x, int y, const QString& text)
{
    if (!isActive())
        return;
    const int f = font();
    const Metrics& m = m_fonts[size_t(f)];
    const QRectF cell(map(x, y), QSizeF(m.measure.horizontalAdvance(text), m.height));
    m_steps.push_back(Step{Step::Text, f, m_fontColor, cell, text});
}

void PrintCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    if (!isActive())
        return;
    m_steps.push_back(Step{Step::Box, -1, m_brushColor, QRectF(map(x1, y1), map(x2, y2)).normalized(), {}});
}
