#include "PrintCanvas.h"

#include "UserError.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>

#include <cmath>

PrintCanvas::PrintCanvas(QPrinter& printer) : m_printer(printer) {}

PrintCanvas::~PrintCanvas()
{
    abort();
}

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
    m_pages = 0;
    if (!m_painter.begin(&m_printer))
        throw UserError(QStringLiteral("Der Drucker kann nicht angesprochen werden."));
    m_pages = 1;
    m_scale = m_printer.logicalDpiX() / 254.0;
    m_painter.setRenderHint(QPainter::TextAntialiasing);
}

void PrintCanvas::newPage()
{
    if (!isActive())
        return;
    m_printer.newPage();
    ++m_pages;
}

void PrintCanvas::end()
{
    if (isActive())
        m_painter.end();
}

void PrintCanvas::abort()
{
    if (!isActive())
        return;
    m_printer.abort();
    m_painter.end();
    // The PDF writer finishes its file even after an abort; a half-drawn record must not stay
    // where a finished one is expected.
    if (m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty())
        QFile::remove(m_printer.outputFileName());
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

const PrintCanvas::Metrics& PrintCanvas::metrics()
{
    const QString key = m_faces.join(QLatin1Char(',')) + QLatin1Char('|') + QString::number(m_height) +
                        QLatin1Char('|') + QString::number(m_style);
    auto it = m_fonts.constFind(key);
    if (it != m_fonts.constEnd())
        return *it;

    QFont font(m_faces.first());
    font.setFamilies(m_faces);
    font.setBold(m_style & Bold);
    font.setItalic(m_style & Italic);
    font.setUnderline(m_style & Underline);
    const qreal wanted = m_height * m_scale;
    // A face's cell is taller than its em size by a face-dependent amount: size once, measure,
    // and correct by the ratio.
    font.setPixelSize(std::max(1, int(std::lround(wanted))));
    QFontMetricsF first(font, &m_printer);
    const qreal cell = first.ascent() + first.descent();
    if (cell > 0)
        font.setPixelSize(std::max(1, int(std::lround(wanted * wanted / cell))));
    QFontMetricsF fm(font, &m_printer);
    return *m_fonts.insert(key, Metrics{font, fm.ascent(), fm.ascent() + fm.descent()});
}

void PrintCanvas::textOut(int x, int y, const QString& text)
{
    if (!isActive())
        return;
    const Metrics& m = metrics();
    const QPointF topLeft = map(x, y);
    m_painter.setFont(m.font);
    const qreal width = QFontMetricsF(m.font, &m_printer).horizontalAdvance(text);
    m_painter.fillRect(QRectF(topLeft, QSizeF(width, m.height)), Qt::white);
    m_painter.setPen(m_fontColor);
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + m.ascent), text);
}

void PrintCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    if (!isActive())
        return;
    m_painter.setPen(QPen(Qt::black, m_scale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter.setBrush(m_brushColor);
    m_painter.drawRect(QRectF(map(x1, y1), map(x2, y2)).normalized());
}
