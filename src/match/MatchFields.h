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

} // namespace MatchFields
