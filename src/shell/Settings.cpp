#include "Settings.h"

#include "platform/IntConvert.h"
#include "platform/UserError.h"

Settings::Settings(QString path, QObject* parent) : QObject(parent), m_path(std::move(path))
{
    m_felder = {
        {QStringLiteral("pzDatum"), QStringLiteral("18"), QStringLiteral("40")},
        {QStringLiteral("pzKlasse"), QStringLiteral("63"), QStringLiteral("40")},
        {QStringLiteral("pzStil"), QStringLiteral("107"), QStringLiteral("40")},
        {QStringLiteral("pzKampfnr"), QStringLiteral("152"), QStringLiteral("40")},
        {QStringLiteral("pzNameRot"), QStringLiteral("18"), QStringLiteral("59")},
        {QStringLiteral("pzVereinRot"), QStringLiteral("18"), QStringLiteral("70")},
        {QStringLiteral("pzNameBlau"), QStringLiteral("110"), QStringLiteral("59")},
        {QStringLiteral("pzVereinBlau"), QStringLiteral("110"), QStringLiteral("70")},
    };
}

void Settings::setLaufschrift(const QString& v)
{
    if (m_laufschrift == v)
        return;
    m_laufschrift = v;
    emit changed();
}

void Settings::setVorstellung(bool v)
{
    if (m_vorstellung == v)
        return;
    m_vorstellung = v;
    emit vorstellungChanged(v);
    emit changed();
}

void Settings::setSkalierung(const QString& v)
{
    if (m_skalierung == v)
        return;
    m_skalierung = v;
    emit skalierungChanged();
    emit changed();
}

void Settings::setFeld(int i, const Field& f)
{
    if (i < 0 || i >= m_felder.size() || m_felder[i] == f)
        return;
    m_felder[i] = f;
    emit changed();
}

void Settings::setWerbung(const QStringList& v)
{
    if (m_werbung == v)
        return;
    m_werbung = v;
    emit changed();
}

void Settings::setModus(int v)
{
    if (m_modus == v)
        return;
    m_modus = v;
    emit modusChanged(v);
    emit changed();
}

void Settings::setZeit(const QString& v)
{
    if (m_zeit == v)
        return;
    m_zeit = v;
    emit changed();
}

void Settings::setTarvodir(const QString& v)
{
    if (m_tarvodir == v)
        return;
    m_tarvodir = v;
    emit changed();
}

void Settings::setProtokoll(int v)
{
    if (m_protokoll == v)
        return;
    m_protokoll = v;
    emit protokollChanged(v);
    emit changed();
}

void Settings::loadset()
{
    // Written with the settings file's reader.
}

void Settings::saveset()
{
    // Written with the settings file's writer.
}
