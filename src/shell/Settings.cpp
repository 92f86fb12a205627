#include "Settings.h"

#include "platform/FileErrors.h"
#include "platform/IntConvert.h"
#include "platform/UserError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

// Reading and writing both create what is missing, appended to its parent, so a file that
// lacks an element gains it at the end of that parent.
QDomElement element(QDomElement from, const QStringList& path)
{
    for (const QString& name : path)
        from = XmlDocument::child(from, name);
    return from;
}

int childElementCount(const QDomElement& parent)
{
    int n = 0;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        ++n;
    return n;
}

QString indexed(const char* stem, int i)
{
    return QLatin1String(stem) + QString::number(i);
}

std::optional<int> integerOf(const QString& text)
{
    try {
        return strToInt(text);
    } catch (const UserError&) {
        return std::nullopt;
    }
}

// saveset writes -1/0, but a file edited by hand may say True/False; any number other than
// zero counts as ticked.
bool strToBool(const QString& text)
{
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return strToInt(text) != 0;
}

constexpr int kScaleMin = 80;
constexpr int kScaleMax = 120;
constexpr int kScaleStep = 2;

// A stored scale off the buttons' grid (outside 80..120, or odd) would let "+" and "-" walk past
// the limits; it is put back on the grid, toward 100. A text that is no integer stays, so the
// buttons report it as the operator would expect from the field.
QString gridScale(const QString& text)
{
    const auto stored = integerOf(text);
    if (!stored)
        return text;
    int v = std::clamp(*stored, kScaleMin, kScaleMax);
    if (v % kScaleStep != 0)
        v += v < 100 ? 1 : -1;
    return v == *stored ? text : QString::number(v);
}

} // namespace

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

int Settings::scalePercent() const
{
    return std::clamp(strToIntDef(m_skalierung, 100), kScaleMin, kScaleMax);
}

Settings::ScaleStep Settings::stepSkalierung(bool up)
{
    const int c = strToInt(m_skalierung);
    int next = c;
    if (up && c < kScaleMax)
        next = c + kScaleStep;
    else if (!up && c > kScaleMin)
        next = c - kScaleStep;
    if (next != c)
        setSkalierung(QString::number(next));
    return {c, next};
}

void Settings::loadset()
{
    m_doc.close();
    m_saveBlocked = false;
    if (!QFileInfo::exists(m_path))
        return;

    const QString name = QFileInfo(m_path).fileName();
    QString fault;
    QString detail;
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        file.close();
        try {
            m_doc.loadFromBytes(bytes, name);
        } catch (const UserError& e) {
            fault = QStringLiteral("ist beschädigt");
            detail = e.message();
        }
    } else {
        fault = QStringLiteral("kann nicht gelesen werden");
        detail = germanFileError(file.error());
    }
    if (!fault.isEmpty()) {
        // Every save rewrites the whole file from the document, which is now empty: the old
        // file would be replaced by defaults without a trace. It is kept under a new name.
        m_doc.close();
        QString aside = m_path + QStringLiteral(".defekt");
        for (int k = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++k)
            aside = m_path + QStringLiteral(".defekt-") + QString::number(k);
        if (QFile::rename(m_path, aside))
            throw UserError(QStringLiteral("Die Einstellungsdatei „%1“ %2 und wurde als „%3“ beiseitegelegt. "
                                           "Es gelten die Standardeinstellungen.\n%4")
                                .arg(name, fault, QFileInfo(aside).fileName(), detail));
        m_saveBlocked = true;
        throw UserError(
            QStringLiteral("Die Einstellungsdatei „%1“ %2 und konnte nicht beiseitegelegt werden. "
                           "Es gelten die Standardeinstellungen; Änderungen werden bis zum nächsten "
                           "Programmstart nicht gespeichert.\n%3")
                .arg(name, fault, detail));
    }

    QDomElement root = m_doc.root(QStringLiteral("settings"));
    auto read = [&root](const QStringList& path) { return XmlDocument::text(element(root, path)); };

    if (const QString t = read({QStringLiteral("tarvodir")}); !t.isEmpty())
        setTarvodir(t);
    // Indexes outside a radio group would store a choice no item shows; the nearest item is taken.
    if (const QString t = read({QStringLiteral("protokoll")}); !t.isEmpty())
        setProtokoll(std::clamp(strToInt(t), 0, 1));
    for (int i = 0; i < m_felder.size(); ++i) {
        const QStringList at = {QStringLiteral("print"), QStringLiteral("punktzettel"), indexed("feld", i)};
        Field f = m_felder.at(i);
        // The score sheet reads these as numbers and names; an empty entry keeps the default
        // instead of breaking the sheet.
        const auto keep = [](QString& value, const QString& stored) {
            if (!stored.isEmpty())
                value = stored;
        };
        keep(f.bezeichnung, read(at + QStringList{QStringLiteral("bezeichnung")}));
        keep(f.xwert, read(at + QStringList{QStringLiteral("xwert")}));
        keep(f.ywert, read(at + QStringList{QStringLiteral("ywert")}));
        setFeld(i, f);
    }
    setZeit(read({QStringLiteral("werbung"), QStringLiteral("zeit")}));
    setSkalierung(gridScale(read({QStringLiteral("anzeige"), QStringLiteral("skalierung")})));

    QDomElement werbungen = element(root, {QStringLiteral("werbung"), QStringLiteral("werbungen")});
    const int stored = childElementCount(werbungen);
    QStringList adverts = m_werbung;
    for (int i = 0; i < stored; ++i) {
        const QString p =
            XmlDocument::text(element(werbungen, {indexed("werbung", i), QStringLiteral("pfad")}));
        if (!p.isEmpty())
            adverts << p;
    }
    setWerbung(adverts);

    setModus(std::clamp(strToInt(read({QStringLiteral("werbung"), QStringLiteral("modus")})), -1, 2));
    setLaufschrift(read({QStringLiteral("anzeige"), QStringLiteral("laufschrift")}));
    if (const QString t = read({QStringLiteral("anzeige"), QStringLiteral("vorstellung")}); !t.isEmpty())
        setVorstellung(strToBool(t));
}

void Settings::saveset()
{
    if (!settingsReady || m_saveBlocked)
        return;

    QDomDocument& dom = m_doc.dom();
    if (dom.firstChild().isNull()) {
        // A new file declares no encoding, so readers take it as UTF-8, which is how it is written.
        dom.appendChild(
            dom.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\"")));
    }
    QDomElement root = m_doc.root(QStringLiteral("settings"));
    auto write = [&root](const QStringList& path, const QString& value) {
        XmlDocument::setText(element(root, path), value);
    };

    write({QStringLiteral("anzeige"), QStringLiteral("laufschrift")}, m_laufschrift);
    write({QStringLiteral("anzeige"), QStringLiteral("vorstellung")},
          m_vorstellung ? QStringLiteral("-1") : QStringLiteral("0"));
    for (int i = 0; i < m_felder.size(); ++i) {
        const QStringList at = {QStringLiteral("print"), QStringLiteral("punktzettel"), indexed("feld", i)};
        write(at + QStringList{QStringLiteral("bezeichnung")}, m_felder.at(i).bezeichnung);
        write(at + QStringList{QStringLiteral("xwert")}, m_felder.at(i).xwert);
        write(at + QStringList{QStringLiteral("ywert")}, m_felder.at(i).ywert);
    }
    write({QStringLiteral("anzeige"), QStringLiteral("skalierung")}, m_skalierung);

    // Entries beyond the current list are blanked, not removed: the stored list never shrinks
    // and the reader skips blank entries.
    QDomElement werbungen = element(root, {QStringLiteral("werbung"), QStringLiteral("werbungen")});
    const int stored = childElementCount(werbungen);
    for (int i = 0; i < stored; ++i)
        XmlDocument::setText(element(werbungen, {indexed("werbung", i), QStringLiteral("pfad")}), QString());
    for (int i = 0; i < m_werbung.size(); ++i)
        XmlDocument::setText(element(werbungen, {indexed("werbung", i), QStringLiteral("pfad")}),
                             m_werbung.at(i));

    write({QStringLiteral("werbung"), QStringLiteral("modus")}, QString::number(m_modus));
    write({QStringLiteral("werbung"), QStringLiteral("zeit")}, m_zeit);
    write({QStringLiteral("tarvodir")}, m_tarvodir);
    write({QStringLiteral("version")}, m_version);
    write({QStringLiteral("protokoll")}, QString::number(m_protokoll));

    m_doc.saveAsDeclared(m_path);
}
