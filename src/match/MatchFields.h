#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

// Names of the stored fields of a team match. A header field is addressed only by its name,
// a bout field only by its column number.
namespace MatchFields {

constexpr int ColumnCount = 24;

// The 24 bout columns in grid order; the match file stores column c under boutColumns()[c].
enum Column : int
{
    ColKlasse = 0,
    ColStil = 1,
    ColGewichtRot = 2,
    ColVornRot = 3,
    ColNachnRot = 4,
    ColLizenzRot = 5,
    ColStatusRot = 6,
    ColJahrgangRot = 7,
    ColPunkteRot = 8,
    ColGewichtBlau = 9,
    ColVornBlau = 10,
    ColNachnBlau = 11,
    ColLizenzBlau = 12,
    ColStatusBlau = 13,
    ColJahrgangBlau = 14,
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
static_assert(ColReihenfolge + 1 == ColumnCount);

// The header fields' stored names. Code names a field through these, so that a misspelt field
// fails to build instead of reading as an empty text.
namespace Header {
inline constexpr QLatin1String erstellt("erstellt");
inline constexpr QLatin1String heim("heim");
inline constexpr QLatin1String gast("gast");
inline constexpr QLatin1String ort("ort");
inline constexpr QLatin1String halle("halle");
inline constexpr QLatin1String liga("liga");
inline constexpr QLatin1String datum("datum");
inline constexpr QLatin1String punktfreund("punktfreund");
inline constexpr QLatin1String vorrueck("vorrueck");
inline constexpr QLatin1String altersklasse("altersklasse");
inline constexpr QLatin1String ml("ml");
inline constexpr QLatin1String mp("mp");
inline constexpr QLatin1String pr("pr");
inline constexpr QLatin1String zeitnehmer("zeitnehmer");
inline constexpr QLatin1String protokollfuehrer("protokollfuehrer");
inline constexpr QLatin1String punktzettel("punktzettel");
inline constexpr QLatin1String mannschaftsfuehrer_heim("mannschaftsfuehrer_heim");
inline constexpr QLatin1String mannschaftsfuehrer_gast("mannschaftsfuehrer_gast");
inline constexpr QLatin1String verhalten_ringer("verhalten_ringer");
inline constexpr QLatin1String verhalten_zuschauer("verhalten_zuschauer");
inline constexpr QLatin1String beginn("beginn");
inline constexpr QLatin1String ende("ende");
inline constexpr QLatin1String pause("pause");
inline constexpr QLatin1String zuschauer("zuschauer");
inline constexpr QLatin1String ordner1("ordner1");
inline constexpr QLatin1String ordner2("ordner2");
inline constexpr QLatin1String bemerkungen("bemerkungen");
} // namespace Header

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
