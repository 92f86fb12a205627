#pragma once

#include "match/MatchRecord.h"
#include "support/PdfText.h"

#include <QPrinter>

// A team match as an operator would have it by the end of the evening: every header field,
// names, points and scoring strings in every bout.
inline void fillSampleMatch(MatchRecord& record, int bouts)
{
    const std::pair<const char*, const char*> header[] = {
        {"heim", "KSV Rotenfels"},
        {"gast", "TSV Weilimdorf"},
        {"liga", "Oberliga Württemberg"},
        {"datum", "14.03.2026"},
        {"halle", "Stadthalle"},
        {"ort", "Gaggenau"},
        {"ml", "Peter Brenner"},
        {"mp", "Ulrike Sauter"},
        {"pr", "Jörg Maier"},
        {"zeitnehmer", "Anna Roth"},
        {"protokollfuehrer", "Timo Keller"},
        {"punktzettel", "Lea Graf"},
        {"zuschauer", "230"},
        {"verhalten_ringer", "gut"},
        {"verhalten_zuschauer", "fair"},
        {"ordner1", "Max Weber"},
        {"ordner2", "Ole Fink"},
        {"beginn", "19:30"},
        {"ende", "21:45"},
        {"pause", "15"},
        {"mannschaftsfuehrer_heim", "Kai Vogt"},
        {"mannschaftsfuehrer_gast", "Nils Bauer"},
    };
    for (const auto& [field, value] : header)
        record.setHeader(QLatin1String(field), QString::fromUtf8(value));
    record.setHeader(QStringLiteral("bemerkungen"),
                     QStringLiteral("Kampf 3 unterbrochen\r\nMatte neu geklebt"));

    std::vector<BoutRow> rows;
    for (int i = 1; i <= bouts; ++i) {
        BoutRow row;
        const QString n = QString::number(i);
        row[0] = QString::number(50 + 5 * i);
        row[1] = i % 2 ? QStringLiteral("F") : QStringLiteral("G");
        row[2] = QString::number(49 + 5 * i);
        row[3] = QStringLiteral("Rvor") + n;
        row[4] = QStringLiteral("Rnach") + n;
        row[5] = QString::number(10000 + i);
        row[6] = QStringLiteral("A");
        row[7] = QString::number(1990 + i);
        row[8] = i % 3 ? QString::number(i % 4) : QString();
        row[9] = QString::number(48 + 5 * i);
        row[10] = QStringLiteral("Bvor") + n;
        row[11] = QStringLiteral("Bnach") + n;
        row[12] = QString::number(20000 + i);
        row[13] = QStringLiteral("B");
        row[14] = QString::number(1995 + i);
        row[15] = i % 3 ? QString() : QStringLiteral("2");
        row[16] = QStringLiteral("PS");
        row[17] = QString::number(i + 3);
        row[18] = QString::number(i % 5);
        row[19] = QStringLiteral("6:00");
        row[20] = QStringLiteral("2212P4VV").left(3 + i % 6);
        row[21] = QStringLiteral("11P2V").left(1 + i % 5);
        row[23] = n;
        rows.push_back(row);
    }
    record.setBoutRows(std::move(rows));
}

inline void usePdf(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    // Qt's default margins stay: the canvas itself places everything from the printable corner.
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// The first word that reads `text` (on `page`), or an empty one.
inline PdfWord findWord(const QList<PdfWord>& words, const QString& text, int page = 1)
{
    for (const PdfWord& w : words)
        if (w.page == page && w.text == text)
            return w;
    return {};
}

// The word whose cell starts at (x, y) in 0.1 mm, y upward, within 0.3 mm.
inline PdfWord wordAt(const QList<PdfWord>& words, int x, int y, int page = 1)
{
    for (const PdfWord& w : words)
        if (w.page == page && qAbs(w.box.left() - x / 10.0) < 0.3 && qAbs(w.box.top() + y / 10.0) < 0.3)
            return w;
    return {};
}
