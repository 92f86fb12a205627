#include "TarvoExchange.h"

#include "match/MatchRecord.h"
#include "platform/IntConvert.h"
#include "platform/UserError.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

using namespace MatchFields;

namespace {

const QStringList kTables = {QStringLiteral("MProtokollKopf"), QStringLiteral("MProtokollPositionen"),
                             QStringLiteral("MKKampfrunden"), QStringLiteral("MEKWertungen")};

// Header columns after SIEGERM, each with its header field, in the order they are written.
const QList<std::pair<QString, QString>> kHeaderColumns = {
    {QStringLiteral("ORT"), Header::ort},
    {QStringLiteral("KAMPFST"), Header::halle},
    {QStringLiteral("PUNKTEHEIM"), QString()}, // the home score label
    {QStringLiteral("PUNKTEGAST"), QString()}, // the guest score label
    {QStringLiteral("ZUSCHAUER"), Header::zuschauer},
    {QStringLiteral("Bemerkung"), Header::bemerkungen},
    {QStringLiteral("MFUEHRERG"), Header::mannschaftsfuehrer_gast},
    {QStringLiteral("MFUEHRERH"), Header::mannschaftsfuehrer_heim},
    {QStringLiteral("KAMPFRICHT"), Header::ml},
    {QStringLiteral("MATTENPRAESIDENT"), Header::mp},
    {QStringLiteral("PUNKTRICHTER"), Header::pr},
    {QStringLiteral("Beginn"), Header::beginn},
    {QStringLiteral("Ende"), Header::ende},
    {QStringLiteral("Protokollfuehrer"), Header::protokollfuehrer},
    {QStringLiteral("ProtokollfuehrerPZ"), Header::punktzettel},
    {QStringLiteral("Zeitnehmer"), Header::zeitnehmer},
    {QStringLiteral("Ordner1"), Header::ordner1},
    {QStringLiteral("Ordner2"), Header::ordner2},
    {QStringLiteral("VERHARING"), Header::verhalten_ringer},
    {QStringLiteral("VERHAZUSCH"), Header::verhalten_zuschauer},
};

// Position columns and the grid column each one is written from.
const QList<std::pair<QString, int>> kPositionColumns = {
    {QStringLiteral("HISTGEW"), ColGewichtRot},     {QStringLiteral("HVName"), ColVornRot},
    {QStringLiteral("HFName"), ColNachnRot},        {QStringLiteral("HLIZENZNR"), ColLizenzRot},
    {QStringLiteral("HSPEZI"), ColStatusRot},       {QStringLiteral("JahrgangH"), ColJahrgangRot},
    {QStringLiteral("HPUNKTE"), ColPunkteRot},      {QStringLiteral("GISTGEW"), ColGewichtBlau},
    {QStringLiteral("GVName"), ColVornBlau},        {QStringLiteral("GFName"), ColNachnBlau},
    {QStringLiteral("GLIZENZNR"), ColLizenzBlau},   {QStringLiteral("GSPEZI"), ColStatusBlau},
    {QStringLiteral("JahrgangG"), ColJahrgangBlau}, {QStringLiteral("GPUNKTE"), ColPunkteBlau},
};

// The round columns set to "0" in every transfer.
const QStringList kZeroColumns = {"R5er",          "R3er",          "R2er",         "R1er",
                                  "B5er",          "B3er",          "B2er",         "B1er",
                                  "RVerwarnungen", "BVerwarnungen", "RPassivitaet", "BPassivitaet"};

constexpr int kTransferRows = 10;

const QString kNothing = QStringLiteral(" Es wurde nichts übertragen.");

// Every field the transfer reads or writes in each of its tables, so that a missing one stops
// it before the first record is posted.
QStringList transferredHeaderFields()
{
    QStringList fields = {"ProtokollID", "HEIMMANNS", "GASTMANNS", "SIEGERM"};
    for (const auto& column : kHeaderColumns)
        fields << column.first;
    return fields;
}

QStringList positionFields()
{
    QStringList fields = {"ProtokollID", "Sortiernummer", "PPID"};
    for (const auto& column : kPositionColumns)
        fields << column.first;
    return fields << "PUNKTEVER"
                  << "KampfZeit";
}

QStringList roundFields()
{
    return QStringList{"KRundenID", "KRundenNr", "PPID", "TPR", "TPB", "Siegart", "Zeit"} + kZeroColumns +
           QStringList{"RWertungen", "BWertungen", "SiegerRB"};
}

// The scoring string as Tarvo keeps it: no blanks, a caution counted as "0".
QString tarvoScoring(QString s)
{
    s.remove(QLatin1Char(' '));
    s.replace(QLatin1Char('V'), QLatin1Char('0'));
    s.replace(QLatin1Char('v'), QLatin1Char('0'));
    return s;
}

bool isWhole(const QString& text)
{
    return strToIntDef(text, 0) == strToIntDef(text, 1);
}

} // namespace

TarvoExchange::TarvoExchange(QObject* parent) : QObject(parent)
{
    m_connection.setCommandTimeout(100);
}

QString TarvoExchange::connectionString(const QString& folder)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + folder +
           QStringLiteral(
               "\\tarvo03.mdb;"
               "Mode=ReadWrite;Persist Security Info=False;Jet OLEDB:System database=\"\";"
               "Jet OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=4;"
               "Jet OLEDB:Database Locking Mode=0;Jet OLEDB:Global Partial Bulk Ops=2;"
               "Jet OLEDB:Global Bulk Transactions=1;Jet OLEDB:New Database Password=\"\";"
               "Jet OLEDB:Create System Database=False;Jet OLEDB:Encrypt Database=False;"
               "Jet OLEDB:Don't Copy Locale on Compact=False;Jet OLEDB:Compact Without Replica "
               "Repair=False;Jet OLEDB:SFP=False");
}

QString TarvoExchange::databaseFile(const QString& folder)
{
    return AdoConnection::dataSourcePath(QStringLiteral("Data Source=") + folder +
                                         QStringLiteral("\\tarvo03.mdb"));
}

std::optional<TarvoExchange::SeasonList> TarvoExchange::readtarvo(const QString& folder,
                                                                  const QString& season, const QString& datum)
{
    requireIdle();
    if (!QFileInfo(databaseFile(folder)).isFile())
        return std::nullopt;
    m_busy = true;
    const auto idle = qScopeGuard([this] { m_busy = false; });
    m_connection.disconnect();
    for (AdoTable* t : {&m_kopf, &m_positionen, &m_runden, &m_wertungen})
        t->close();
    m_connection.setConnectionString(connectionString(folder));
    m_connection.connect();
    AdoTable* tables[] = {&m_kopf, &m_positionen, &m_runden, &m_wertungen};
    for (int i = 0; i < 4; ++i)
        tables[i]->open(kTables[i]);

    SeasonList list;
    list.recordCount = m_kopf.recordCount();
    for (int r = 1; r <= list.recordCount; ++r) {
        m_kopf.moveTo(r);
        if (m_kopf.field(QStringLiteral("Saison")) != season)
            continue;
        list.transform << r;
        // A database null reads as empty text, so the item keeps its blanks and colon.
        list.items << m_kopf.field(QStringLiteral("TAG")) + QStringLiteral("     ") +
                          m_kopf.field(QStringLiteral("KLASSE")) + QStringLiteral("     ") +
                          m_kopf.field(QStringLiteral("HeimManns")) + QStringLiteral("  :  ") +
                          m_kopf.field(QStringLiteral("GastManns"));
        if (m_kopf.field(0) == datum)
            list.selections << int(list.items.size()) - 1;
    }
    return list;
}

void TarvoExchange::requireIdle() const
{
    if (m_busy)
        throw UserError(QStringLiteral("Die Tarvo-Datenbank ist gerade in Arbeit. Bitte warten Sie, bis "
                                       "sie fertig ist."));
}

QString TarvoExchange::movedText() const
{
    return (m_connection.fileChange() == AdoConnection::FileChange::Removed
                ? QStringLiteral("Die Tarvo-Datenbank „%1“ wurde gelöscht oder verschoben, seit die Saison "
                                 "gelesen wurde.")
                : QStringLiteral("Die Tarvo-Datenbank „%1“ wurde durch eine andere Datei ersetzt, seit die "
                                 "Saison gelesen wurde."))
               .arg(QDir::toNativeSeparators(m_connection.databaseFile())) +
           QStringLiteral(" Bitte wählen Sie die Saison neu, damit die Datenbank neu gelesen wird.");
}

void TarvoExchange::requireOpen() const
{
    requireIdle();
    if (!m_connection.connected() || !m_kopf.isOpen())
        throw UserError(
            QStringLiteral("Die Tarvo-Datenbank ist nicht geöffnet. Bitte wählen Sie die Saison neu."));
}

QString TarvoExchange::matchCaption(int recordNumber)
{
    requireOpen();
    m_kopf.moveTo(recordNumber);
    return m_kopf.field(QStringLiteral("TAG")) + QLatin1Char(' ') + m_kopf.field(QStringLiteral("KLASSE")) +
           QLatin1Char('\n') + m_kopf.field(QStringLiteral("HeimManns")) + QStringLiteral("  :  ") +
           m_kopf.field(QStringLiteral("GastManns")) + QStringLiteral("\nÜBERTRAGEN...");
}

QString TarvoExchange::confirmationText(const QString& item)
{
    return QStringLiteral("Sollen die Daten in den Kampf\n") + item + QStringLiteral("\neingelesen werden?");
}

void TarvoExchange::checkTransfer(const MatchRecord& record, const QString& punkteheim,
                                  const QString& punktegast) const
{
    requireOpen();
    // Written now, the changes would go to a file that nobody reads any more (or be refused
    // with the words of a write protection).
    if (m_connection.fileChange() != AdoConnection::FileChange::Unchanged)
        throw UserError(movedText() + kNothing);
    if (m_connection.readOnly())
        throw UserError(
            QStringLiteral("In die Tarvo-Datenbank „%1“ kann nicht geschrieben werden: %2. Es "
                           "wurde nichts übertragen.")
                .arg(QDir::toNativeSeparators(m_connection.databaseFile()), m_connection.readOnlyCause()));
    const std::pair<const AdoTable*, QStringList> tables[] = {
        {&m_kopf, transferredHeaderFields()}, {&m_positionen, positionFields()}, {&m_runden, roundFields()}};
    QStringList missing;
    int missingCount = 0;
    for (const auto& [table, fields] : tables) {
        QStringList names;
        for (const QString& field : fields) {
            if (table->fieldIndex(field) < 0 && !names.contains(QStringLiteral("„%1“").arg(field)))
                names << QStringLiteral("„%1“").arg(field);
        }
        if (!names.isEmpty())
            missing << QStringLiteral("%1 in der Tabelle „%2“")
                           .arg(names.join(QStringLiteral(", ")), table->name());
        missingCount += int(names.size());
    }
    if (!missing.isEmpty())
        throw UserError((missingCount == 1 ? QStringLiteral("In der Tarvo-Datenbank fehlt das Feld %1.")
                                           : QStringLiteral("In der Tarvo-Datenbank fehlen die Felder %1."))
                            .arg(missing.join(QStringLiteral("; "))) +
                        kNothing);
    strToInt(punkteheim);
    strToInt(punktegast);
    QStringList rows;
    for (int k = 1; k <= kTransferRows && k < record.rowCount(); ++k) {
        if (!isWhole(record.cell(ColPunkteRot, k)) || !isWhole(record.cell(ColPunkteBlau, k)))
            rows << QString::number(k);
    }
    if (!rows.isEmpty())
        throw UserError(
            QStringLiteral("Es wurde nichts übertragen: Die Mannschaftspunkte in Zeile %1 des "
                           "Protokolls sind keine ganzen Zahlen. Bitte werten Sie erst alle Kämpfe aus.")
                .arg(rows.join(QStringLiteral(", "))));
}

void TarvoExchange::transfer(int recordNumber, const MatchRecord& record, const QString& punkteheim,
                             const QString& punktegast)
{
    checkTransfer(record, punkteheim, punktegast);
    Sent sent;
    for (const auto& column : kHeaderColumns) {
        if (!column.second.isEmpty())
            sent.header.insert(column.second, record.header(column.second));
    }
    sent.punkteheim = punkteheim;
    sent.punktegast = punktegast;
    // A row the grid does not have (a match of fewer bouts) has nothing to send.
    for (int k = 1; k <= kTransferRows && k < record.rowCount(); ++k)
        sent.rows.push_back(record.boutRow(k));

    m_busy = true;
    const auto idle = qScopeGuard([this] { m_busy = false; });
    m_progress = 0;
    emit progressChanged(m_progress);
    // One transaction where the database offers it; else every record is posted on its own, and
    // after a failure the operator must know whether the database now holds part of the match.
    const bool whole = m_connection.beginTransaction();
    AdoTable* tables[] = {&m_kopf, &m_positionen, &m_runden};
    for (AdoTable* t : tables)
        t->keepRecords();
    bool posted = false;
    try {
        transferAll(recordNumber, sent, posted);
        if (whole)
            m_connection.commitTransaction();
    } catch (const UserError& e) {
        if (whole) {
            m_connection.rollbackTransaction();
            for (AdoTable* t : tables)
                t->restoreRecords();
        }
        const QString cause =
            m_connection.fileChange() != AdoConnection::FileChange::Unchanged ? movedText() : e.message();
        throw UserError(cause +
                        (posted && !whole
                             ? QStringLiteral(" Die Übertragung wurde dort abgebrochen; was bis dahin "
                                              "übertragen war, bleibt in der Datenbank. Übertragen Sie den "
                                              "Kampf erneut, sobald die Ursache behoben ist.")
                             : kNothing));
    }
}

void TarvoExchange::transferAll(int recordNumber, const Sent& sent, bool& posted)
{
    m_kopf.moveTo(recordNumber);
    m_kopf.edit();
    emit progressChanged(++m_progress);
    const QString protokollId = m_kopf.field(QStringLiteral("ProtokollID"));
    const int home = strToInt(sent.punkteheim);
    const int guest = strToInt(sent.punktegast);
    m_kopf.setField(QStringLiteral("SIEGERM"), home > guest   ? m_kopf.field(QStringLiteral("HEIMMANNS"))
                                               : home < guest ? m_kopf.field(QStringLiteral("GASTMANNS"))
                                                              : QStringLiteral("unentschieden"));
    for (const auto& [column, source] : kHeaderColumns) {
        const QString value = !source.isEmpty()                       ? sent.header.value(source)
                              : column == QLatin1String("PUNKTEHEIM") ? sent.punkteheim
                                                                      : sent.punktegast;
        if (!value.isEmpty())
            m_kopf.setField(column, value);
    }
    m_kopf.post();
    posted = true;
    emit progressChanged(++m_progress);

    for (int k = 1; k <= kTransferRows; ++k) {
        emit progressChanged(++m_progress);
        if (k <= int(sent.rows.size()))
            transferBout(k, protokollId, sent.rows[std::size_t(k - 1)]);
    }
}

void TarvoExchange::transferBout(int row, const QString& protokollId, const BoutRow& bout)
{
    const QString sortiernummer = QString::number(row);
    const int protokoll = m_positionen.fieldIndex(QStringLiteral("ProtokollID"));
    const int sortierung = m_positionen.fieldIndex(QStringLiteral("Sortiernummer"));
    if (protokoll < 0 || sortierung < 0)
        m_positionen.field(protokoll < 0 ? QStringLiteral("ProtokollID") : QStringLiteral("Sortiernummer"));
    const int count = m_positionen.recordCount();
    for (int r = 1; r <= count; ++r) {
        m_positionen.moveTo(r);
        if (m_positionen.field(protokoll) != protokollId || m_positionen.field(sortierung) != sortiernummer)
            continue;
        m_positionen.edit();
        const QString ppid = m_positionen.field(QStringLiteral("PPID"));
        for (const auto& [column, source] : kPositionColumns) {
            if (!bout[std::size_t(source)].isEmpty())
                m_positionen.setField(column, bout[std::size_t(source)]);
        }
        if (!bout[ColSieg].isEmpty())
            m_positionen.setField(QStringLiteral("PUNKTEVER"), bout[ColSieg] + QLatin1Char(' ') +
                                                                   bout[ColTpRot] + QLatin1Char(':') +
                                                                   bout[ColTpBlau]);
        if (!bout[ColZeit].isEmpty())
            m_positionen.setField(QStringLiteral("KampfZeit"), QStringLiteral("00:") + bout[ColZeit]);
        m_positionen.post();

        // The first round of this bout, and the largest round key for a new one. A key that is
        // not a whole number (empty, text) takes no part in the largest.
        const int idColumn = m_runden.fieldIndex(QStringLiteral("KRundenID"));
        const int nrColumn = m_runden.fieldIndex(QStringLiteral("KRundenNr"));
        const int ppidColumn = m_runden.fieldIndex(QStringLiteral("PPID"));
        if (idColumn < 0 || nrColumn < 0 || ppidColumn < 0)
            m_runden.field(idColumn < 0   ? QStringLiteral("KRundenID")
                           : nrColumn < 0 ? QStringLiteral("KRundenNr")
                                          : QStringLiteral("PPID"));
        std::optional<int> largest;
        int found = 0;
        for (int rr = 1; rr <= m_runden.recordCount(); ++rr) {
            m_runden.moveTo(rr);
            const QString id = m_runden.field(idColumn);
            if (isWhole(id)) {
                const int v = strToInt(id);
                largest = largest ? std::max(*largest, v) : v;
            }
            if (m_runden.field(ppidColumn) == ppid && m_runden.field(nrColumn) == QLatin1String("1"))
                found = rr;
        }
        if (found > 0) {
            m_runden.moveTo(found);
            m_runden.edit();
        } else {
            m_runden.append();
            m_runden.setField(QStringLiteral("KRundenID"), QString::number(largest ? *largest + 1 : 1));
            m_runden.setField(QStringLiteral("KRundenNr"), QStringLiteral("1"));
            m_runden.setField(QStringLiteral("PPID"), ppid);
        }
        const auto setIfAny = [this](const char* column, const QString& value) {
            if (!value.isEmpty())
                m_runden.setField(QLatin1String(column), value);
        };
        setIfAny("TPR", bout[ColTpRot]);
        setIfAny("TPB", bout[ColTpBlau]);
        setIfAny("Siegart", bout[ColSieg]);
        // The clock text as it stands: the later of the two forms the old sequence wrote.
        setIfAny("Zeit", bout[ColZeit]);
        for (const QString& zero : kZeroColumns)
            m_runden.setField(zero, QStringLiteral("0"));
        setIfAny("RWertungen", tarvoScoring(bout[ColWertungenRot]));
        setIfAny("BWertungen", tarvoScoring(bout[ColWertungenBlau]));
        const int red = strToInt(bout[ColPunkteRot]);
        const int blue = strToInt(bout[ColPunkteBlau]);
        m_runden.setField(QStringLiteral("SiegerRB"), red > blue   ? QStringLiteral("R")
                                                      : red < blue ? QStringLiteral("B")
                                                                   : QStringLiteral(" "));
        m_runden.post();
    }
}
