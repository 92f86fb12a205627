#pragma once

#include <QString>
#include <QStringList>

// Names of the stored fields of a team match. A header field is addressed only by its name,
// a bout field only by its column number.
namespace MatchFields {

constexpr int ColumnCount = 24;

// Columns with a meaning of their own elsewhere.
enum Column : int
{
    ColKlasse = 0,
    ColStil = 1,
    ColVornRot = 3,
    ColNachnRot = 4,
    ColLizenzRot = 5,
    ColPunkteRot = 8,
    ColVornBlau = 10,
    ColNachnBlau = 11,
    ColLizenzBlau = 12,
    ColPunkteBlau = 15,
    ColSieg = 16,
    ColTpRot = 17,
    ColTpBlau = 18,
    ColZeit = 19,
    ColWertungenRot = 20,
    ColWertungenBlau = 21,
    ColZeiten = 22,
    ColReihenfolge = 23,
};

// The 27 header fields in the order the match file writes them (`erstellt` first).
const QStringList& headerFields();
// The 26 fields that have a control on the entry panel (all but `erstellt`).
const QStringList& editableHeaderFields();
// Element names of the 24 bout columns, in column order.
const QStringList& boutColumns();

bool isRadio(const QString& field);
// Number of items of a radio field's group (2 or 3); 0 for other fields.
int radioItemCount(const QString& field);
// Texts of a radio field's items, in the order of the values 0, 1, 2; empty for other fields.
QStringList radioItems(const QString& field);
// The item a radio field's stored value chooses, as the entry panel checks it: a value that is
// no number (an empty field too) chooses the first item, a number out of range none ("").
QString chosenRadioItem(const QString& field, const QString& value);
// Caption of bout column `column`; the two licence columns read "PassNr" when pass numbers are
// entered instead of licence numbers.
QString columnCaption(int column, bool passNumbers);

} // namespace MatchFields
