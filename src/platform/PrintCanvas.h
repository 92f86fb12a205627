#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

class QPrinter;

// One print job on a page laid out in 0.1 mm: x grows to the right, y grows upward, and the
// origin is the top-left corner of the printable area the printer reports (for a PDF file the
// paper's corner), so everything on the page has y <= 0. Fonts are sized by their cell, which
// is what the layouts are measured in, not by their em size: the face's Windows ascent plus
// descent where it has them, else its ascent plus descent.
// The pages are held until end() and only then handed to the printer: a job given up before
// that never reaches it. Qt cannot take back what it has begun on a system printer (its abort
// does nothing there, and ending the painter sends the job), so nothing is begun early.
class PrintCanvas
{
public:
    enum Style
    {
        Regular = 0,
        Bold = 1,
        Italic = 2,
        Underline = 4
    };

    // Draws on `printer`, set up beforehand by the print dialog (or a test); the printer must
    // outlive the canvas.
    explicit PrintCanvas(QPrinter& printer);
    // A job still open is given up, never half sent.
    ~PrintCanvas();

    PrintCanvas(const PrintCanvas&) = delete;
    PrintCanvas& operator=(const PrintCanvas&) = delete;

    // Before begin().
    void setLandscape(bool landscape);
    void setTitle(const QString& title);

    // Starts the job with its first page.
    void begin();
    void newPage();
    // Sends the job's pages to the printer, drawn from the corner of its printable area;
    // throws UserError when the printer cannot be opened, and the job is over either way.
    void end();
    // Gives a begun job up: nothing of it reaches the printer (a PDF file already there stays
    // as it was), and the printer is free for the next job. Does nothing while no job is open.
    void abort();
    bool isActive() const { return m_open; }
    // Pages begun in the current or last job.
    int pageCount() const { return m_pages; }

    // A face asked for by name with the faces that stand in where it is not installed, in
    // order of preference.
    void setFontFamilies(const QStringList& families);
    // Cell height in 0.1 mm.
    void setFontHeight(int height);
    void setFontStyle(int style);
    void setFontColor(const QColor& color);
    // The solid brush rectangles are filled with.
    void setBrushColor(const QColor& color);

    // Text with the top-left corner of its cell at (x, y), on an opaque white background.
    void textOut(int x, int y, const QString& text);
    // The same text kept left of `right` (0.1 mm): one that would run past it is drawn in a
    // smaller cell with its top-left corner in the same place, down to kLeastFit of its cell
    // height (a cell above kLeastCell on down to that), and only at that size cut after the last
    // whole character that still ends in time. A text that fits is drawn exactly as textOut
    // draws it.
    void textOut(int x, int y, const QString& text, int right);
    // The least size of a fitted text: 60 % of its cell, so the record's 4 mm bout rows still
    // print in a 2.4 mm cell (about 5.5 pt); a larger text may shrink on down to that cell.
    static constexpr qreal kLeastFit = 0.6;
    static constexpr int kLeastCell = 24;
    // The least cell height in 0.1 mm a text of cell `height` is fitted down to.
    static int leastCell(int height) { return std::min(int(std::ceil(height * kLeastFit)), kLeastCell); }

    // Width of the printable area in 0.1 mm, in the orientation set: where a text starting at
    // x = 0 leaves the paper.
    int printableWidth() const;
    // A rectangle between two corners, outlined with a black pen one unit wide and filled with
    // the brush.
    void rectangle(int x1, int y1, int x2, int y2);

private:
    struct Metrics
    {
        QFont font;
        QFontMetricsF measure;
        qreal ascent = 0;
        qreal height = 0;
    };
    // One drawing step of the job, in device pixels, as end() plays it onto the printer.
    struct Step
    {
        enum Kind : quint8
        {
            Text,
            Box,
            Page
        };
        Kind kind;
        int font = -1;
        QColor color; // of the text, or the box's fill
        QRectF rect;  // the text's cell, or the box
        QString text;
    };
    int font();
    // The font `base` at another em size in device pixels, measured once per job.
    int scaledFont(int base, int pixelSize);
    void pushText(int font, int x, int y, const QString& text);
    QPointF map(int x, int y) const { return {x * m_scale, -y * m_scale}; }

    QPrinter& m_printer;
    bool m_open = false;
    qreal m_scale = 1; // device pixels per 0.1 mm
    int m_pages = 0;
    std::vector<Step> m_steps;

    QStringList m_faces{QStringLiteral("Arial")};
    int m_height = 40;
    int m_style = Regular;
    QColor m_fontColor = Qt::black;
    QColor m_brushColor = Qt::white;
    // Sizing a font to its cell needs a measurement; a record sets the same few fonts again
    // and again, so each is measured once per job.
    std::vector<Metrics> m_fonts;
    QHash<QString, int> m_fontIndex;
};
