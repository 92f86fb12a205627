#pragma once

#include "platform/AdoConnection.h"
#include "platform/AdoTable.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class MatchRecord;

// The Tarvo administration database "tarvo03.mdb": the season's team matches, and the transfer
// of the open match into one of them (header, and the first round of grid rows 1 to 10).
// The connection and its four tables stay open from one season change to the next.
class TarvoExchange : public QObject
{
    Q_OBJECT
public:
    explicit TarvoExchange(QObject* parent = nullptr);

    static QString connectionString(const QString& folder);
    // The database file in the Tarvo folder as shown ("<folder>\tarvo03.mdb").
    static QString databaseFile(const QString& folder);

    struct SeasonList
    {
        int recordCount = 0;   // all match records, of every season
        QStringList items;     // the season's matches, in table order
        QList<int> transform;  // record number of each item
        QList<int> selections; // items selected one after another by the date, last one stays
    };
    // Connects anew and reads the matches of `season`; nothing when the database file does not
    // exist. Throws UserError for every database error.
    std::optional<SeasonList> readtarvo(const QString& folder, const QString& season, const QString& datum);

    // The transfer button's caption for a match record (TAG KLASSE / home : guest / action).
    QString matchCaption(int recordNumber);
    // The text of the confirmation question for a list item.
    static QString confirmationText(const QString& item);

    // Throws UserError, before anything is written, when the transfer cannot be done as a whole:
    // the database only reads here, or a bout of grid rows 1 to 10 has team points that are
    // not whole numbers. Call it before asking the operator.
    void checkTransfer(const MatchRecord& record, const QString& punkteheim, const QString& punktegast) const;
    // Writes the match into the match record `recordNumber` (checkTransfer first), reporting
    // 0 .. 12 through progressChanged.
    void transfer(int recordNumber, const MatchRecord& record, const QString& punkteheim,
                  const QString& punktegast);

    AdoConnection& connection() { return m_connection; }

signals:
    void progressChanged(int value);

private:
    void transferAll(int recordNumber, const MatchRecord& record, const QString& punkteheim,
                     const QString& punktegast, bool& posted);
    void transferBout(int row, const QString& protokollId, const MatchRecord& record);
    void requireOpen() const;

    AdoConnection m_connection;
    AdoTable m_kopf{m_connection};
    AdoTable m_positionen{m_connection};
    AdoTable m_runden{m_connection};
    AdoTable m_wertungen{m_connection};
    int m_progress = 0;
};
