#include "MatchFields.h"

namespace MatchFields {

const QStringList& headerFields()
{
    static const QStringList fields = {
        QStringLiteral("erstellt"),
        QStringLiteral("heim"),
        QStringLiteral("gast"),
        QStringLiteral("ort"),
        QStringLiteral("halle"),
        QStringLiteral("liga"),
        QStringLiteral("datum"),
        QStringLiteral("punktfreund"),
        QStringLiteral("vorrueck"),
        QStringLiteral("altersklasse"),
        QStringLiteral("ml"),
        QStringLiteral("mp"),
        QStringLiteral("pr"),
        QStringLiteral("zeitnehmer"),
        QStringLiteral("protokollfuehrer"),
        QStringLiteral("punktzettel"),
        QStringLiteral("mannschaftsfuehrer_heim"),
        QStringLiteral("mannschaftsfuehrer_gast"),
        QStringLiteral("verhalten_ringer"),
        QStringLiteral("verhalten_zuschauer"),
        QStringLiteral("beginn"),
        QStringLiteral("ende"),
        QStringLiteral("pause"),
        QStringLiteral("zuschauer"),
        QStringLiteral("ordner1"),
        QStringLiteral("ordner2"),
        QStringLiteral("bemerkungen"),
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
    if (field == QLatin1String("punktfreund") || field == QLatin1String("vorrueck"))
        return 2;
    if (field == QLatin1String("altersklasse"))
        return 3;
    return 0;
}

} // namespace MatchFields
