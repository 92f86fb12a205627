#pragma once

#include <algorithm>

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>

// Words of a PDF as poppler's pdftotext reads them back, with their boxes in millimetres from
// the page's top-left corner: positions are checked in the document a printer would get.
struct PdfWord
{
    int page = 0;
    QString text;
    QRectF box; // mm, y downward
};

inline QList<PdfWord> pdfWords(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QList<PdfWord> words;
    int page = 0;
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" "
                       "yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    constexpr double mmPerPt = 25.4 / 72.0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const double x0 = m.captured(1).toDouble() * mmPerPt, y0 = m.captured(2).toDouble() * mmPerPt;
        const double x1 = m.captured(3).toDouble() * mmPerPt, y1 = m.captured(4).toDouble() * mmPerPt;
        QString text = m.captured(5);
        text.replace(QLatin1String("&amp;"), QLatin1String("&"))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""));
        words.append({page, text, QRectF(QPointF(x0, y0), QPointF(x1, y1))});
    }
    return words;
}

// The number of pages pdfinfo reports, or -1.
inline int pdfPageCount(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = pages.match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString pdfInfoField(const QString& pdf, const QString& field)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    const QRegularExpression line(QStringLiteral("^") + QRegularExpression::escape(field) +
                                      QStringLiteral(":\\s*(.*)$"),
                                  QRegularExpression::MultilineOption);
    const auto m = line.match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// The words of one line that start between `left` and `right` (mm), left to right: those whose
// top lies within `topTolerance` mm of `top`.
inline QList<PdfWord> wordsBetween(const QList<PdfWord>& words, double left, double right, double top,
                                   double topTolerance, int page = 1)
{
    QList<PdfWord> line;
    for (const PdfWord& w : words)
        if (w.page == page && w.box.left() >= left && w.box.left() < right &&
            qAbs(w.box.top() - top) < topTolerance)
            line.append(w);
    std::sort(line.begin(), line.end(),
              [](const PdfWord& a, const PdfWord& b) { return a.box.left() < b.box.left(); });
    return line;
}

// A text in a monospaced face that starts at `left` (mm), rebuilt from its words with each word
// at its offset in characters, so that runs of blanks come back; blanks at its end are lost. A
// word more than `tolerance` mm off its character's place makes it a text of its own.
inline QString monospacedText(const QList<PdfWord>& line, double left, double tolerance = 0.3)
{
    double width = 0;
    qsizetype characters = 0;
    for (const PdfWord& w : line) {
        width += w.box.width();
        characters += w.text.size();
    }
    if (characters == 0)
        return {};
    const double advance = width / double(characters);
    QString text;
    for (const PdfWord& w : line) {
        const qsizetype at = qRound((w.box.left() - left) / advance);
        if (at < text.size() || qAbs(w.box.left() - left - double(at) * advance) >= tolerance)
            return QStringLiteral("<%1 off the place of character %2>").arg(w.text).arg(at);
        text += QString(at - text.size(), QLatin1Char(' ')) + w.text;
    }
    return text;
}
