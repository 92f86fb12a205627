#include "MatchFields.h"

namespace MatchFields {

const QStringList& headerFields()
{
    static const QStringList fields = {
        Header::erstellt,
        Header::heim,
        Header::gast,
        Header::ort,
        Header::halle,
        Header::liga,
        Header::datum,
        Header::punktfreund,
        Header::vorrueck,
        Header::altersklasse,
        Header::ml,
        Header::mp,
        Header::pr,
        Header::zeitnehmer,
        Header::protokollfuehrer,
        Header::punktzettel,
        Header::mannschaftsfuehrer_heim,
        Header::mannschaftsfuehrer_gast,
        Header::verhalten_ringer,
        Header::verhalten_zuschauer,
        Header::beginn,
        Header::ende,
        Header::pause,
        Header::zuschauer,
        Header::ordner1,
        Header::ordner2,
        Header::bemerkungen,
    };
    return fields;
}

const QStringList& editableHeaderFields()
{
    static const QStringList fields = headerFields().mid(1);
    return fields;
}

const QStringList& boutColumns()
{
    static const QStringList cols = {
        QStringLiteral("klasse"),        QStringLiteral("stil"),        QStringLiteral("gewichtrot"),
        QStringLiteral("vornrot"),       QStringLiteral("nachnrot"),    QStringLiteral("lizenzrot"),
        QStringLiteral("statusrot"),     QStringLiteral("jahrgangrot"), QStringLiteral("punkterot"),
        QStringLiteral("gewichtblau"),   QStringLiteral("vornblau"),    QStringLiteral("nachnblau"),
        QStringLiteral("lizenzblau"),    QStringLiteral("statusblau"),  QStringLiteral("jahrgangblau"),
        QStringLiteral("punkteblau"),    QStringLiteral("sieg"),        QStringLiteral("tprot"),
        QStringLiteral("tpblau"),        QStringLiteral("zeit"),        QStringLiteral("wertungenrot"),
        QStringLiteral("wertungenblau"), QStringLiteral("zeiten"),      QStringLiteral("reihenfolge"),
    };
    return cols;
}

bool isRadio(const QString& field)
{
    return radioItemCount(field) > 0;
}

int radioItemCount(const QString& field)
{
    return int(radioItems(field).size());
}

QStringList radioItems(const QString& field)
{
    if (field == Header::punktfreund)
        return {QStringLiteral("Verbandskampf"), QStringLiteral("Freundschaftskampf")};
    if (field == Header::vorrueck)
        return {QStringLiteral("Vorrunde"), QStringLiteral("Rückrunde")};
    if (field == Header::altersklasse)
        return {QStringLiteral("Männer"), QStringLiteral("A/B-Jugend"), QStringLiteral("C/D-Jugend")};
    return {};
}

QString chosenRadioItem(const QString& field, const QString& value)
{
    return radioItems(field).value(value.toInt());
}

QString columnCaption(int column, bool passNumbers)
{
    static const char* const captions[ColumnCount] = {
        "Klasse",  "Stil",     "Gew.",          "Vorname Heim",   "Nachname Heim", "Lizenz",
        "Status",  "Jahrgang", "Punkte",        "Gew.",           "Vorname Gast",  "Nachname Gast",
        "Lizenz",  "Status",   "Jahrgang",      "Punkte",         "Sieg",          "TP Rot",
        "TP Blau", "Zeit",     "Wertungen Rot", "Wertungen Blau", "Zeiten",        "Reihenfolge",
    };
    if (column < 0 || column >= ColumnCount)
        return {};
    if (passNumbers && (column == ColLizenzRot || column == ColLizenzBlau))
        return QStringLiteral("PassNr");
    return QString::fromUtf8(captions[column]);
}

} // namespace MatchFields
