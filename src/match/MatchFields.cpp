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
    if (field == Header::punktfreund || field == Header::vorrueck)
        return 2;
    if (field == Header::altersklasse)
        return 3;
    return 0;
}

} // namespace MatchFields
