#pragma once

#include "match/MatchRecord.h"
#include "support/PdfText.h"

#include <QPrinter>

#include <array>
#include <vector>

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

// Three evaluated bouts in which no two cells of a row read the same, and no cell reads as the
// same cell of the bout before or after: a value printed in the wrong column, for the wrong side
// or in the wrong row shows. Home total 6, guest total 4.
inline std::vector<BoutRow> distinctBoutRows()
{
    // Grid columns 0 to 20: class, style; red's weight, first and last name, licence, status,
    // year, team points; blue's the same; win type, technical points, time, red's scoring string.
    // clang-format off
    const std::array<std::array<const char*, 21>, 3> bouts = {{
        {"57", "F", "56,8", "Jonas", "Albrecht", "4211", "A", "1998", "2",
                    "56,1", "Milan", "Brandt",   "7388", "S", "2003", "0", "PS", "7", "3",  "6:00", "2 4V  1"},
        {"61", "G", "60,9", "Felix", "Carstens", "4577", "E", "1987", "0",
                    "61,0", "Luka",  "Dreher",   "7412", "T", "1995", "4", "TÜ", "2", "17", "4:37", "  2  "},
        {"66", "F", "65,2", "Emil",  "Fischer",  "4693", "L", "2001", "4",
                    "65,9", "Noah",  "Grimm",    "7506", "N", "1990", "0", "SS", "9", "3",  "2:05", "5 4 "},
    }};
    // clang-format on
    const char* blueStrings[] = {" 1  P2 ", "55 52", " 2 1"};
    std::vector<BoutRow> rows;
    for (std::size_t i = 0; i < bouts.size(); ++i) {
        BoutRow row;
        for (std::size_t c = 0; c < 21; ++c)
            row[c] = QString::fromUtf8(bouts[i][c]);
        row[21] = QString::fromLatin1(blueStrings[i]);
        row[23] = QString::number(i + 1);
        rows.push_back(row);
    }
    return rows;
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
