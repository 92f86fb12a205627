#pragma once

#include "platform/XmlDocument.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The operator's set-up kept between runs in "set.xml" beside the program. The values live
// here while the program runs; the file is their copy, rewritten whole on every change while
// settingsReady is true.
class Settings : public QObject
{
    Q_OBJECT
public:
    struct Field
    {
        QString bezeichnung, xwert, ywert;
        bool operator==(const Field&) const = default;
    };

    explicit Settings(QString path, QObject* parent = nullptr);

    QString path() const { return m_path; }

    // Values, with the defaults of a first start.
    QString laufschrift() const { return m_laufschrift; }
    bool vorstellung() const { return m_vorstellung; }
    QString skalierung() const { return m_skalierung; }
    const QList<Field>& felder() const { return m_felder; }
    const QStringList& werbung() const { return m_werbung; }
    int modus() const { return m_modus; } // -1: none chosen
    QString zeit() const { return m_zeit; }
    QString tarvodir() const { return m_tarvodir; }
    QString version() const { return m_version; }
    int protokoll() const { return m_protokoll; } // 0 licence numbers, 1 pass numbers

    // Setters change the value and emit changed(); they do not save (callers call saveset()
    // right after, as the operator's action requires).
    void setLaufschrift(const QString& v);
    void setVorstellung(bool v);
    void setSkalierung(const QString& v);
    void setFeld(int i, const Field& f);
    void setWerbung(const QStringList& v);
    void setModus(int v);
    void setZeit(const QString& v);
    void setTarvodir(const QString& v);
    void setProtokoll(int v);

    // The scale the audience window is drawn at: the field's per cent kept within 80..120, or
    // 100 while the field holds no integer (a damaged file; the buttons then report the
    // conversion error).
    int scalePercent() const;

    struct ScaleStep
    {
        int from, to;
    };
    // One press of "+" (up) or "-": 2 per cent while below 120 or above 80; at the limit the
    // scale stays (from == to). Throws the conversion error, changing nothing, while the
    // field holds no integer.
    ScaleStep stepSkalierung(bool up);

    // Saving is allowed once a match file has been opened or created, or the first reading of
    // set.xml is over; before that a save would write the defaults over the operator's file.
    bool settingsReady() const { return m_settingsReady; }
    void setSettingsReady(bool ready) { m_settingsReady = ready; }

    // Holds saving off while set.xml is read, so that values coming in are not written back
    // half-read, and allows it when the reading is over, whether or not it failed.
    class ReadingGuard
    {
    public:
        explicit ReadingGuard(Settings& settings) : m_settings(settings)
        {
            m_settings.setSettingsReady(false);
        }
        ~ReadingGuard() { m_settings.setSettingsReady(true); }
        ReadingGuard(const ReadingGuard&) = delete;
        ReadingGuard& operator=(const ReadingGuard&) = delete;

    private:
        Settings& m_settings;
    };

    // Reads set.xml once at the first show. Throws UserError to tell the operator about a fault;
    // saving works afterwards in every case but one:
    // - a file that cannot be parsed (or is far too large) is renamed to "set.xml.defekt" (or
    //   "-2", "-3", ...) and the defaults apply; changes go into a new set.xml;
    // - a value that is no number takes its default, reading goes on, the message names each such
    //   element, and the next save writes the default;
    // - a file that exists but cannot be read (permissions) is left as it is, and saving stays
    //   off for the run so that it is never replaced; the message says so.
    // Damaged values start sanely: radio indexes take the nearest item, an integer scale off
    // the even 80..120 grid is put back on it (toward 100), empty score-sheet entries keep
    // their defaults.
    void loadset();
    // Writes every value into the document and the document to set.xml, while settingsReady.
    void saveset();

signals:
    void changed();
    void vorstellungChanged(bool ticked);
    void protokollChanged(int choice);

private:
    QString m_path;
    XmlDocument m_doc;
    // Set when set.xml cannot be read, or is damaged and could not be moved aside: writing would
    // destroy it.
    bool m_saveBlocked = false;
    bool m_settingsReady = false;
    QString m_laufschrift = QStringLiteral("Herzlich Willkommen!");
    bool m_vorstellung = false;
    QString m_skalierung = QStringLiteral("100");
    QList<Field> m_felder;
    QStringList m_werbung;
    int m_modus = -1;
    QString m_zeit = QStringLiteral("120");
    QString m_tarvodir = QStringLiteral("Doppelklick und Pfad zu Tarvo wählen");
    QString m_version = QStringLiteral(VANTOR_VERSION);
    int m_protokoll = 0;
};
