#pragma once

#include "settings/Settings.h"

#include <QList>
#include <QString>

class MatchRecord;
class PrintCanvas;

// Score sheets: one portrait page per bout onto a pre-printed form, eight short texts each at
// the position the field layout gives in millimetres from the top-left of the printable area.
// A text that would run into the next field on its line, or off the paper, is drawn smaller.
class ScoreSheetPrintout
{
public:
    // Items of the option group `optionenpunktzettel`.
    enum Choice
    {
        Alle = 0,
        Bereich = 1, // the bouts from Edit2 to Edit3
        Auswahl = 2, // the bout chosen in ComboBox1
    };
    struct Request
    {
        int choice = Alle;
        QString von, bis; // range edits, read only for Bereich
        int chosen = -1;  // item of the bout list, for Auswahl
    };

    ScoreSheetPrintout(const MatchRecord& record, QList<Settings::Field> felder);

    static QString jobTitle() { return QStringLiteral("Punktzettel_"); }

    // The grid rows that get a sheet, in print order: bout numbers 1 .. bouts in increasing
    // order, each matched exactly as text ("01" or "1 " never match), rows of the same number in
    // grid order. The range edits are read exactly when a row's number must be tested against
    // them, so a bad edit throws the conversion error only when it matters.
    QList<int> sheetRows(const Request& request) const;

    // The eight texts of one row's sheet, in field order.
    QStringList sheetTexts(int row) const;

    // One job on `canvas` with a page per sheet. The range and every layout value the sheets
    // need are read before the job begins: a bad one throws and sends no job at all. Where no
    // row gets a sheet (no bout chosen, a range no bout number falls in, no bout rows) no job is
    // sent either.
    void print(PrintCanvas& canvas, const Request& request) const;

private:
    const MatchRecord& m_record;
    QList<Settings::Field> m_felder;
};
