#include "Settings.h"

#include "platform/ElementIndex.h"
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
    QFile file(m_path);
    QByteArray bytes;
    // One byte past the limit is enough to refuse the file; a huge one is never read whole.
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(XmlDocument::kMaxFileBytes + 1);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        // A file that is there but cannot be read is not damaged: it stays where it is, and
        // nothing may replace it with defaults.
        const QString cause = QFileInfo(m_path).isReadable() ? germanFileError(file.error())
                                                             : QStringLiteral("keine Leseberechtigung");
        m_saveBlocked = true;
        throw UserError(
            QStringLiteral("Die Einstellungsdatei „%1“ kann nicht gelesen werden (%2). Sie bleibt "
                           "unverändert; es gelten die Standardeinstellungen, und Änderungen an den "
                           "Einstellungen werden bis zum nächsten Programmstart nicht gespeichert.")
                .arg(name, cause));
    }
    file.close();
    try {
        m_doc.loadFromBytes(bytes, name);
    } catch (const UserError& e) {
        // Every save rewrites the whole file from the document, which is now empty: the old
        // file would be replaced by defaults without a trace. It is kept under a new name, and
        // from then on changes are saved into a new file.
        m_doc.close();
        QString aside = m_path + QStringLiteral(".defekt");
        for (int k = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++k)
            aside = m_path + QStringLiteral(".defekt-") + QString::number(k);
        if (QFile::rename(m_path, aside))
            throw UserError(QStringLiteral("Die Einstellungsdatei „%1“ ist beschädigt und wurde als „%2“ "
                                           "beiseitegelegt. Es gelten die Standardeinstellungen.\n%3")
                                .arg(name, QFileInfo(aside).fileName(), e.message()));
        m_saveBlocked = true;
        throw UserError(
            QStringLiteral(
                "Die Einstellungsdatei „%1“ ist beschädigt und konnte nicht beiseitegelegt werden. "
                "Es gelten die Standardeinstellungen; Änderungen werden bis zum nächsten "
                "Programmstart nicht gespeichert.\n%2")
                .arg(name, e.message()));
    }

    QDomElement root = m_doc.root(QStringLiteral("settings"));
    auto read = [&root](const QStringList& path) { return XmlDocument::text(element(root, path)); };
    // A value that is no number takes its default; reading goes on, and the message names the
    // element. The next save writes the default in its place.
    QStringList faults;
    const auto number = [&](const QString& path, const QString& text, auto fallback,
                            auto convert) -> decltype(fallback) {
        try {
            return convert(text);
        } catch (const UserError& e) {
            faults << QStringLiteral("„%1“: %2").arg(path, e.message());
            return fallback;
        }
    };

    if (const QString t = read({QStringLiteral("tarvodir")}); !t.isEmpty())
        setTarvodir(t);
    // Indexes outside a radio group would store a choice no item shows; the nearest item is taken.
    if (const QString t = read({QStringLiteral("protokoll")}); !t.isEmpty())
        setProtokoll(std::clamp(number(QStringLiteral("protokoll"), t, 0, strToInt), 0, 1));
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

    ElementIndex werbungen(element(root, {QStringLiteral("werbung"), QStringLiteral("werbungen")}));
    const int stored = werbungen.elementCount();
    QStringList adverts = m_werbung;
    for (int i = 0; i < stored; ++i) {
        const QString p = XmlDocument::text(
            XmlDocument::child(werbungen.get(indexed("werbung", i)), QStringLiteral("pfad")));
        if (!p.isEmpty())
            adverts << p;
    }
    setWerbung(adverts);

    const QString modus = read({QStringLiteral("werbung"), QStringLiteral("modus")});
    setModus(std::clamp(number(QStringLiteral("werbung/modus"), modus, -1, strToInt), -1, 2));
    setLaufschrift(read({QStringLiteral("anzeige"), QStringLiteral("laufschrift")}));
    if (const QString t = read({QStringLiteral("anzeige"), QStringLiteral("vorstellung")}); !t.isEmpty())
        setVorstellung(number(QStringLiteral("anzeige/vorstellung"), t, false, strToBool));

    if (!faults.isEmpty())
        throw UserError(
            QStringLiteral("In der Einstellungsdatei „%1“ ist nicht jeder Wert lesbar; für diese gilt "
                           "der Standardwert, den die nächste Änderung speichert:\n")
                .arg(name) +
            faults.join(QLatin1Char('\n')));
}

void Settings::saveset()
{
    if (!m_settingsReady || m_saveBlocked)
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
    ElementIndex werbungen(element(root, {QStringLiteral("werbung"), QStringLiteral("werbungen")}));
    const int stored = werbungen.elementCount();
    for (int i = 0; i < std::max(stored, int(m_werbung.size())); ++i)
        XmlDocument::setText(XmlDocument::child(werbungen.get(indexed("werbung", i)), QStringLiteral("pfad")),
                             i < m_werbung.size() ? m_werbung.at(i) : QString());

    write({QStringLiteral("werbung"), QStringLiteral("modus")}, QString::number(m_modus));
    write({QStringLiteral("werbung"), QStringLiteral("zeit")}, m_zeit);
    write({QStringLiteral("tarvodir")}, m_tarvodir);
    write({QStringLiteral("version")}, m_version);
    write({QStringLiteral("protokoll")}, QString::number(m_protokoll));

    m_doc.saveAsDeclared(m_path);
}
