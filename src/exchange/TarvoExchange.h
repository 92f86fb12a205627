#pragma once

#include "match/MatchRecord.h"
#include "platform/AdoConnection.h"
#include "platform/AdoTable.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

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
    // the database file was removed or replaced since the season was read, it only reads here,
    // a field that the transfer reads or writes is missing from one of its three tables, or a
    // bout of grid rows 1 to 10 has team points that are not whole numbers. Call it before
    // asking the operator.
    void checkTransfer(const MatchRecord& record, const QString& punkteheim, const QString& punktegast) const;
    // Writes the match into the match record `recordNumber` (checkTransfer first), reporting
    // 0 .. 12 through progressChanged. The match is taken as it is at the call. Where the
    // database offers a transaction the transfer is whole: a failure leaves the old match.
    // While another program holds the database locked it waits up to the command time-out
    // with the thread's events handled; busy() is true from the call to its return.
    void transfer(int recordNumber, const MatchRecord& record, const QString& punkteheim,
                  const QString& punktegast);
    // True while a season is read or a transfer runs (both may wait for a lock with the
    // events handled); every other call into the database is then refused.
    bool busy() const { return m_busy; }

    AdoConnection& connection() { return m_connection; }

signals:
    void progressChanged(int value);

private:
    // What the transfer sends, copied at its start: the operator may go on working while it
    // waits for a lock.
    struct Sent
    {
        QHash<QString, QString> header;
        QString punkteheim;
        QString punktegast;
        std::vector<BoutRow> rows; // grid rows 1 .. 10 as far as the grid has them
    };
    void transferAll(int recordNumber, const Sent& sent, bool& posted);
    void transferBout(int row, const QString& protokollId, const BoutRow& bout);
    void requireOpen() const;
    void requireIdle() const;
    QString movedText() const;

    bool m_busy = false;

    AdoConnection m_connection;
    AdoTable m_kopf{m_connection};
    AdoTable m_positionen{m_connection};
    AdoTable m_runden{m_connection};
    AdoTable m_wertungen{m_connection};
    int m_progress = 0;
};
