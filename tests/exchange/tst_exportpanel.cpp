#include "exchange/TarvoExchange.h"
#include "exchange/ui/ExportPanel.h"
#include "shell/ui/OperatorWindow.h"
#include "exchange/ui/DirectoryList.h"
#include "platform/UserError.h"
#include "shell/Console.h"
#include "support/FileModes.h"
#include "support/StallMonitor.h"
#include "widgets/Dialogs.h"
#include "widgets/FileDialogs.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <memory>

#include <sys/stat.h>

// The export panel of a real console, driven through its controls with the dialogs answered
// by their test hooks.
class TestExportPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void zelmoExport_data();
    void zelmoExport();
    void folderPicker();
    void seasonList_data();
    void seasonList();
    void transfer_data();
    void transfer();
    void refused_data();
    void refused();
    void databaseFailure_data();
    void databaseFailure();
    void lockedDatabase_data();
    void lockedDatabase();

private:
    // A Tarvo database in the temporary folder, as SQLite, with the four tables; `kopf` rows are
    // (Datum, ProtokollID, Saison, TAG, KLASSE, HeimManns, GastManns).
    void makeDatabase(const QList<QStringList>& kopf);
    QSqlQuery sql(const QString& statement);
    QList<QStringList> rows(const QString& select);
    // Every table of a database file with every record, read through a connection of its own.
    static QList<QStringList> dump(const QString& file);
    // A played 14-bout match: row k has names "Rk"/"Bk", team points k:0 (row 3 drawn 1:1).
    void fillMatch();
    void chooseSeason(const QString& season);
    template <class T> T* control(const char* name) const
    {
        return m_panel->findChild<T*>(QLatin1String(name));
    }

    NullSound m_sound;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Console> m_console;
    std::unique_ptr<ExportPanel> m_panel;
};

void TestExportPanel::init()
{
    MessageBox::setTestMode(true);
    MessageBox::takeShownMessages();
    FileDialogs::takeShownCount();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_panel = std::make_unique<ExportPanel>(m_console->settings(), m_console->record(),
                                            m_console->navigator(), m_console->tarvo());
    m_panel->resize(1200, 800);
    m_panel->show();
}

void TestExportPanel::cleanup()
{
    QSqlDatabase::removeDatabase("check");
    m_panel.reset();
    m_console.reset();
    m_dir.reset();
}

void TestExportPanel::zelmoExport_data()
{
    QTest::addColumn<QString>("zeiten");
    QTest::addColumn<QStringList>("names"); // league, home team, guest team, red's last name
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("mode"); // of the file already there under the chosen name
    const QStringList names = {"Bezirksliga", "Heim", "Gast", "Muster"};
    const QByteArray head = "zelmoi;2.0.0;MK;0;Bezirksliga;06.10.2012;Heim;Gast;3;0;;Peter Muster;Hans;\r\n";
    const QByteArray bout = "66;GR;4711;Muster;Hans;A;815;Beispiel;Karl;A;3;0;PS;5:1"
                            "(points 2r47,1b72,1r125,2r210)(duration 310)\r\n";
    const QByteArray empty = ";;;;;;;;;;;;;:(points )(duration )\r\n";
    QTest::newRow("example") << "0:47;1:12;2:05;3:30;" << names << false << head + bout + empty << "" << 0644;
    QTest::newRow("cancelled") << "0:47;1:12;2:05;3:30;" << names << true << QByteArray("vorher") << ""
                               << 0644;
    QTest::newRow("non-digit time") << "0:47;1:12;2:0x;3:30;" << names << false << QByteArray("vorher")
                                    << "'0x' ist kein gültiger Integerwert" << 0644;
    // Names pasted with their line breaks, or read so from another program's match file.
    QTest::newRow("line breaks in names")
        << "0:47;1:12;2:05;3:30;" << QStringList{"Bezirks\r\nliga", "KSV\rHeim", "AC\nGast", "Mus\r\nter"}
        << false
        << "zelmoi;2.0.0;MK;0;Bezirks liga;06.10.2012;KSV Heim;AC Gast;3;0;;Peter Muster;Hans;\r\n" +
               QByteArray(bout).replace("Muster", "Mus ter") + empty
        << "" << 0644;
    QTest::newRow("Greek question mark in a last name")
        << "0:47;1:12;2:05;3:30;"
        << QStringList{"Bezirksliga", "Heim", "Gast", QString("Muster") + QChar(0x037E)} << false
        << QByteArray("vorher")
        << QString("Das Zeichen „") + QChar(0x037E) +
               "“ (U+037E) in Zeile 1 des Protokolls kann in der ZELMO-Exportdatei nicht geschrieben "
               "werden. Es wurde keine Datei geschrieben."
        << 0644;
    QTest::newRow("C1 control in the guest team")
        << "0:47;1:12;2:05;3:30;"
        << QStringList{"Bezirksliga", "Heim", QString("Gast") + QChar(0x0085), "Muster"} << false
        << QByteArray("vorher")
        << QString("Das Zeichen „") + QChar(0x0085) +
               "“ (U+0085) in der Kopfzeile kann in der ZELMO-Exportdatei nicht geschrieben "
               "werden. Es wurde keine Datei geschrieben."
        << 0644;
    // A file its owner may not write is not replaced, even by root; the panel goes on.
    QTest::newRow("write-protected file")
        << "0:47;1:12;2:05;3:30;" << names << false << QByteArray("vorher")
        << "Die Datei „zelmo.txt“ kann nicht gespeichert werden: die Datei ist schreibgeschützt (ihre "
           "Dateirechte erlauben kein Schreiben). Die bisherige Fassung bleibt unverändert."
        << 0444;
}

void TestExportPanel::zelmoExport()
{
    QFETCH(QString, zeiten);
    QFETCH(QStringList, names);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    QFETCH(QByteArray, file);
    MatchRecord& r = m_console->record();
    r.setHeader("liga", names[0]);
    r.setHeader("datum", "06.10.2012");
    r.setHeader("heim", names[1]);
    r.setHeader("gast", names[2]);
    r.setHeader("ml", "Hans Peter Muster");
    r.setRowCount(3);
    const QStringList cells = {"66", "G", "",     "Hans",     names[3], "4711", "A",    "",
                               "3",  "",  "Karl", "Beispiel", "815",    "A",    "",     "0",
                               "PS", "5", "1",    "5:10",     "2 12",   " 1  ", zeiten, "1"};
    for (int c = 0; c < cells.size(); ++c)
        r.setCell(c, 1, cells[c]);
    m_console->navigator().recountTeamScore();

    const QString path = m_dir->filePath("zelmo.txt");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("vorher") == 6);
    old.close();
    QFETCH(int, mode);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    if (cancel)
        FileDialogs::setNextCancel();
    else
        FileDialogs::setNextFileName(path);
    QTest::mouseClick(control<QPushButton>("Button13"), Qt::LeftButton);

    QCOMPARE(FileDialogs::takeShownCount(), 1);
    QCOMPARE(readAll(path), file);
    QCOMPARE(MessageBox::takeShownMessages(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(bool(QFileInfo(path).permissions() & QFileDevice::WriteOwner), bool(mode & 0200));
    if (mode & 0200)
        return;
    // With the protection lifted the same export goes through.
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode | 0200)), 0);
    FileDialogs::setNextFileName(path);
    QTest::mouseClick(control<QPushButton>("Button13"), Qt::LeftButton);
    QCOMPARE(FileDialogs::takeShownCount(), 1);
    QVERIFY(readAll(path).startsWith("zelmoi;2.0.0;MK;0;Bezirksliga;06.10.2012;Heim;Gast;"));
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

namespace {

const QStringList kPositionColumns = {
    "HISTGEW", "HVName", "HFName",    "HLIZENZNR", "HSPEZI",    "JahrgangH", "HPUNKTE",   "GISTGEW",
    "GVName",  "GFName", "GLIZENZNR", "GSPEZI",    "JahrgangG", "GPUNKTE",   "PUNKTEVER", "KampfZeit"};
const QStringList kHeaderColumns = {
    "SIEGERM",   "ORT",       "KAMPFST",          "PUNKTEHEIM",         "PUNKTEGAST",       "ZUSCHAUER",
    "Bemerkung", "MFUEHRERG", "MFUEHRERH",        "KAMPFRICHT",         "MATTENPRAESIDENT", "PUNKTRICHTER",
    "Beginn",    "Ende",      "Protokollfuehrer", "ProtokollfuehrerPZ", "Zeitnehmer",       "Ordner1",
    "Ordner2",   "VERHARING", "VERHAZUSCH"};
const QStringList kRoundColumns = {
    "TPR",          "TPB",          "Siegart",    "Zeit",       "R5er",    "R3er",          "R2er",
    "R1er",         "B5er",         "B3er",       "B2er",       "B1er",    "RVerwarnungen", "BVerwarnungen",
    "RPassivitaet", "BPassivitaet", "RWertungen", "BWertungen", "SiegerRB"};

// The header of the played match: each field with its own text, so that a column written from
// its neighbour's field shows. "ort" and "zuschauer" stay empty here, see transfer().
const QList<std::pair<QString, QString>> kHeaderValues = {
    {"halle", "Sporthalle Süd"},
    {"ml", "Hans Muster"},
    {"mp", "Mia Matte"},
    {"pr", "Paul Punkt"},
    {"zeitnehmer", "Zora Zeit"},
    {"protokollfuehrer", "Pia Protokoll"},
    {"punktzettel", "Zeno Zettel"},
    {"mannschaftsfuehrer_heim", "Hugo Heim"},
    {"mannschaftsfuehrer_gast", "Gerd Gast"},
    {"verhalten_ringer", "fair"},
    {"verhalten_zuschauer", "laut"},
    {"beginn", "19:30"},
    {"ende", "21:45"},
    {"ordner1", "Otto Eins"},
    {"ordner2", "Olga Zwei"},
    {"bemerkungen", "Halle kalt\r\nBeginn 20 Uhr"},
};

// Team points of grid row k: red wins by k, row 3 is drawn 1:1, row 10 won by blue 0:10.
QString redPoints(int k)
{
    return k == 3 ? "1" : k == 10 ? "0" : QString::number(k);
}

QString bluePoints(int k)
{
    return k == 3 ? "1" : k == 10 ? "10" : "0";
}

// The cells of grid row k that the position record takes, each with a text of its own side and
// row, in the order of kPositionColumns (without PUNKTEVER and KampfZeit).
QList<std::pair<int, QString>> boutCells(int k)
{
    const QString n = QString::number(k);
    return {{2, n + ",1"},
            {3, "R" + n},
            {4, "Rot" + n},
            {5, "10" + n},
            {6, k % 2 ? "A" : "S"},
            {7, QString::number(1980 + k)},
            {8, redPoints(k)},
            {9, n + ",2"},
            {10, "B" + n},
            {11, "Blau" + n},
            {12, "20" + n},
            {13, k % 2 ? "S" : "A"},
            {14, QString::number(1960 + k)},
            {15, bluePoints(k)}};
}

} // namespace

QSqlQuery TestExportPanel::sql(const QString& statement)
{
    QSqlDatabase db = QSqlDatabase::contains("check") ? QSqlDatabase::database("check")
                                                      : QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName(m_dir->filePath("tarvo03.mdb"));
    if (!db.isOpen())
        db.open();
    QSqlQuery q(db);
    if (!q.exec(statement))
        qWarning() << statement << q.lastError().text();
    return q;
}

QList<QStringList> TestExportPanel::rows(const QString& select)
{
    QSqlQuery q = sql(select);
    QList<QStringList> out;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        out << row;
    }
    return out;
}

QList<QStringList> TestExportPanel::dump(const QString& file)
{
    QList<QStringList> out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "dump");
        db.setDatabaseName(file);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!db.open())
            out << QStringList{"cannot open", db.lastError().text()};
        QSqlQuery names(db);
        names.exec("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
        QStringList tables;
        while (names.next())
            tables << names.value(0).toString();
        for (const QString& table : tables) {
            out << QStringList{table};
            QSqlQuery q(db);
            if (!q.exec("SELECT * FROM " + table + " ORDER BY rowid"))
                out << QStringList{"cannot read", q.lastError().text()};
            while (q.next()) {
                QStringList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
                out << row;
            }
        }
    }
    QSqlDatabase::removeDatabase("dump");
    return out;
}

void TestExportPanel::makeDatabase(const QList<QStringList>& kopf)
{
    sql("CREATE TABLE MProtokollKopf (Datum TEXT, ProtokollID INTEGER, Saison TEXT, TAG TEXT, KLASSE TEXT, "
        "HeimManns TEXT, GastManns TEXT, " +
        kHeaderColumns.join(" TEXT, ") + " TEXT)");
    sql("CREATE TABLE MProtokollPositionen (PPID INTEGER, ProtokollID INTEGER, Sortiernummer INTEGER, " +
        kPositionColumns.join(" TEXT, ") + " TEXT)");
    sql("CREATE TABLE MKKampfrunden (KRundenID INTEGER, KRundenNr INTEGER, PPID INTEGER, " +
        kRoundColumns.join(" TEXT, ") + " TEXT)");
    sql("CREATE TABLE MEKWertungen (WertungID INTEGER, PPID INTEGER)");
    for (const QStringList& k : kopf) {
        QStringList values;
        for (const QString& v : k)
            values << (v == "<null>" ? "NULL" : "'" + v + "'");
        sql("INSERT INTO MProtokollKopf (Datum, ProtokollID, Saison, TAG, KLASSE, HeimManns, GastManns, ORT) "
            "VALUES (" +
            values.join(',') + ", 'Altort')");
    }
}

void TestExportPanel::fillMatch()
{
    MatchRecord& r = m_console->record();
    r.setHeader("datum", "06.10.2012");
    for (const auto& [field, value] : kHeaderValues)
        r.setHeader(field, value);
    r.setRowCount(15);
    for (int k = 1; k <= 14; ++k) {
        for (const auto& [column, value] : boutCells(k))
            r.setCell(column, k, value);
        r.setCell(MatchFields::ColSieg, k, "PS");
        r.setCell(MatchFields::ColTpRot, k, "5");
        r.setCell(MatchFields::ColTpBlau, k, "1");
        r.setCell(MatchFields::ColZeit, k, "4:1" + QString::number(k % 10));
        r.setCell(MatchFields::ColWertungenRot, k, "2 1V");
        r.setCell(MatchFields::ColWertungenBlau, k, " 4  ");
        r.setCell(MatchFields::ColReihenfolge, k,
                  QString::number(15 - k)); // wrestled in another order than the grid's
    }
    m_console->navigator().recountTeamScore();
}

void TestExportPanel::chooseSeason(const QString& season)
{
    auto* saison = control<QComboBox>("saison");
    saison->setEditText(QString());
    saison->setEditText(season);
}

void TestExportPanel::folderPicker()
{
    auto* label = control<QLabel>("tarvomdb");
    QCOMPARE(label->text(), QStringLiteral("Doppelklick und Pfad zu Tarvo wählen"));
    QVERIFY(QDir(m_dir->path()).mkdir("Tarvo"));
    QDir::setCurrent(m_dir->path());
    QTest::mouseDClick(label, Qt::LeftButton);
    auto* picker = control<QWidget>("Panel4");
    QVERIFY(picker->isVisible());
    QCOMPARE(label->palette().color(QPalette::Window), QColor(0, 0, 128));
    auto* list = control<DirectoryList>("DirectoryListBox2");
    QCOMPARE(QDir(list->directory()), QDir(m_dir->path()));
    const auto tarvo = list->findItems("Tarvo", Qt::MatchExactly);
    QCOMPARE(tarvo.size(), 1);
    emit list->itemDoubleClicked(tarvo.first());

    m_console->settings().setSettingsReady(true);
    QTest::mouseClick(control<QPushButton>("Button14"), Qt::LeftButton);
    QVERIFY(!picker->isVisible());
    QCOMPARE(label->text(), m_dir->filePath("Tarvo"));
    QCOMPARE(label->palette().color(QPalette::Window), QColor(2, 164, 22));
    QVERIFY(readAll(m_dir->filePath("set.xml")).contains("<tarvodir>" + m_dir->filePath("Tarvo").toUtf8()));

    // "X" closes the picker and changes nothing.
    QTest::mouseDClick(label, Qt::LeftButton);
    emit list->itemDoubleClicked(list->item(1)); // ".."
    QTest::mouseClick(control<QLabel>("Label76"), Qt::LeftButton);
    QVERIFY(!picker->isVisible());
    QCOMPARE(label->text(), m_dir->filePath("Tarvo"));
}

void TestExportPanel::seasonList_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("season");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("transform");
    QTest::addColumn<int>("otherSeasons"); // further records of season 1990
    QTest::addColumn<int>("height");
    QTest::newRow("third record alone matches the date")
        << true << "2012" << QStringList{"Sa 6.10.     Oberliga     KSV Heim  :  AC Gast"} << 0
        << "Sa 6.10. Oberliga\nKSV Heim  :  AC Gast\nÜBERTRAGEN..." << QStringList{"3"} << 0 << 25 * 5 + 20;
    QTest::newRow("later match of the date is selected")
        << true << "2011" << QStringList{"Sa 1.9.     Landesliga     A  :  B", "     Landesliga       :  C"}
        << 1 << " Landesliga\n  :  C\nÜBERTRAGEN..." << QStringList{"1", "2"} << 0 << 25 * 5 + 20;
    QTest::newRow("ampersand in a team name")
        << true << "2014" << QStringList{"Sa 3.11.     Oberliga     KSV & TuS  :  Z"} << 0
        << "Sa 3.11. Oberliga\nKSV & TuS  :  Z\nÜBERTRAGEN..." << QStringList{"5"} << 0 << 25 * 5 + 20;
    QTest::newRow("no match of the season")
        << true << "1999" << QStringList{} << -1 << "kein Kampf gewählt" << QStringList{} << 0 << 25 * 5 + 20;
    // Counted over every record of the table, of all seasons: 670 is the most at 25 a record.
    QTest::newRow("26 records, 25 pixels each")
        << true << "2013" << QStringList{"Sa 13.10.     Oberliga     X  :  Y"} << -1 << "kein Kampf gewählt"
        << QStringList{"4"} << 21 << 670;
    QTest::newRow("27 records, 15 pixels each")
        << true << "2013" << QStringList{"Sa 13.10.     Oberliga     X  :  Y"} << -1 << "kein Kampf gewählt"
        << QStringList{"4"} << 22 << 15 * 27 + 20;
    QTest::newRow("no database file")
        << false << "2012" << QStringList{} << -1 << "kein Kampf gewählt" << QStringList{} << 0 << 0;
}

void TestExportPanel::seasonList()
{
    QFETCH(bool, database);
    QFETCH(QStringList, items);
    QFETCH(int, selected);
    QFETCH(int, otherSeasons);
    QList<QStringList> kopf = {{"06.10.2012", "7", "2011", "Sa 1.9.", "Landesliga", "A", "B"},
                               {"06.10.2012", "8", "2011", "<null>", "Landesliga", "<null>", "C"},
                               {"06.10.2012", "9", "2012", "Sa 6.10.", "Oberliga", "KSV Heim", "AC Gast"},
                               {"13.10.2012", "10", "2013", "Sa 13.10.", "Oberliga", "X", "Y"},
                               {"06.10.2012", "11", "2014", "Sa 3.11.", "Oberliga", "KSV & TuS", "Z"}};
    for (int i = 0; i < otherSeasons; ++i)
        kopf << QStringList{"01.01.1990", QString::number(100 + i), "1990", "T", "K", "H", "G"};
    if (database)
        makeDatabase(kopf);
    m_console->record().setHeader("datum", "06.10.2012");
    m_console->settings().setTarvodir(m_dir->path());
    QFETCH(QString, season);
    chooseSeason(season);

    auto* group = control<QGroupBox>("RadioGroup2");
    const QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
    QStringList texts;
    int checked = -1;
    for (int i = 0; i < buttons.size(); ++i) {
        // Shown as read, and no letter of it taken for a shortcut.
        QVERIFY(QKeySequence::mnemonic(buttons[i]->text()).isEmpty());
        texts << buttons[i]->text().replace("&&", "&");
        if (buttons[i]->isChecked())
            checked = i;
    }
    QCOMPARE(texts, items);
    QCOMPARE(checked, selected);
    auto* button4 = control<QPushButton>("Button4");
    QFETCH(QString, caption);
    QVERIFY(QKeySequence::mnemonic(button4->text()).isEmpty());
    QCOMPARE(button4->text().replace("&&", "&"), caption);
    QCOMPARE(button4->isEnabled(), selected >= 0);
    QStringList transformed;
    for (int i = 0; i < control<QListWidget>("transform")->count(); ++i)
        transformed << control<QListWidget>("transform")->item(i)->text();
    QFETCH(QStringList, transform);
    QCOMPARE(transformed, transform);
    QFETCH(int, height);
    if (database)
        QCOMPARE(group->height(), height);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestExportPanel::transfer_data()
{
    QTest::addColumn<QStringList>("roundIds"); // KRundenID of round records of other bouts
    QTest::addColumn<int>("firstNewId");
    QTest::newRow("empty round table") << QStringList{} << 1;
    QTest::newRow("keys not whole numbers are passed over") << QStringList{"5", "", "x", "3"} << 6;
    QTest::newRow("no key a whole number") << QStringList{"", "x"} << 1;
}

void TestExportPanel::transfer()
{
    QFETCH(QStringList, roundIds);
    QFETCH(int, firstNewId);
    makeDatabase({{"01.09.2012", "6", "2012", "Sa 1.9.", "Oberliga", "KSV", "TuS"},
                  {"06.10.2012", "7", "2012", "Sa 6.10.", "Oberliga", "KSV Heim", "AC Gast"}});
    // Positions of match 7 for Sortiernummer 1..11 but 4, listed out of order, and one of match 6.
    for (int k : {2, 1, 3, 5, 6, 7, 8, 9, 10, 11})
        sql(QString("INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer, HVName) "
                    "VALUES (%1, 7, %2, 'alt')")
                .arg(700 + k)
                .arg(k));
    sql("INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer, HVName) VALUES (601, 6, 1, "
        "'alt')");
    for (const QString& id : roundIds)
        sql("INSERT INTO MKKampfrunden (KRundenID, KRundenNr, PPID) VALUES (" +
            (id.isEmpty() ? "NULL" : "'" + id + "'") + ", 1, 601)");
    // Bout 2 already has its first round, with counts that the transfer sets back to "0".
    QStringList counts = kRoundColumns.mid(4, 12);
    sql("INSERT INTO MKKampfrunden (KRundenID, KRundenNr, PPID, TPR) VALUES (NULL, 2, 702, 'x')");
    sql("INSERT INTO MKKampfrunden (KRundenID, KRundenNr, PPID, TPR, " + counts.join(", ") +
        ") VALUES (NULL, 1, 702, 'alt'" + QString(", 'x'").repeated(counts.size()) + ")");
    fillMatch();
    m_console->settings().setTarvodir(m_dir->path());
    chooseSeason("2012");
    auto* button4 = control<QPushButton>("Button4");
    QVERIFY(button4->isEnabled());

    // Every header column the transfer writes, read back in the order of kHeaderColumns.
    const auto header = [](const QString& siegerm, const QString& ort, const QString& heim,
                           const QString& gast, const QString& zuschauer) {
        QMap<QString, QString> byField;
        for (const auto& [field, value] : kHeaderValues)
            byField.insert(field, value);
        return QStringList{siegerm,
                           ort,
                           byField["halle"],
                           heim,
                           gast,
                           zuschauer,
                           byField["bemerkungen"],
                           byField["mannschaftsfuehrer_gast"],
                           byField["mannschaftsfuehrer_heim"],
                           byField["ml"],
                           byField["mp"],
                           byField["pr"],
                           byField["beginn"],
                           byField["ende"],
                           byField["protokollfuehrer"],
                           byField["punktzettel"],
                           byField["zeitnehmer"],
                           byField["ordner1"],
                           byField["ordner2"],
                           byField["verhalten_ringer"],
                           byField["verhalten_zuschauer"]};
    };
    const QString headerSelect = "SELECT " + kHeaderColumns.join(", ") + " FROM MProtokollKopf ";
    QStringList untouched(kHeaderColumns.size(), "<null>");
    untouched[1] = "Altort";

    for (int pass = 0; pass < 2; ++pass) {
        MessageBox::setNextAnswer(MessageBox::Yes);
        QTest::mouseClick(button4, Qt::LeftButton);
        QCOMPARE(MessageBox::takeShownMessages(),
                 QStringList{"Sollen die Daten in den Kampf\nSa 6.10.     Oberliga     KSV Heim  :  AC Gast\n"
                             "eingelesen werden?"});
        QCOMPARE(control<QProgressBar>("ProgressBar1")->value(), 12);

        // Header: home won 93:11 (rows 1..14), the empty place and audience left as they were.
        QCOMPARE(rows(headerSelect + "ORDER BY rowid"),
                 (QList<QStringList>{untouched, header("KSV Heim", "Altort", "93", "11", "<null>")}));
        // Positions by grid row, not by bout order; no record made for row 4, row 11 not sent.
        QList<QStringList> expected;
        for (int k : {2, 1, 3, 5, 6, 7, 8, 9, 10}) {
            QStringList row{QString::number(k)};
            for (const auto& cell : boutCells(k))
                row << cell.second;
            expected << row + QStringList{"PS 5:1", "00:4:1" + QString::number(k % 10)};
        }
        QStringList old(kPositionColumns.size(), "<null>");
        old[1] = "alt";
        expected << QStringList{"11"} + old;
        QCOMPARE(rows("SELECT Sortiernummer, " + kPositionColumns.join(", ") +
                      " FROM MProtokollPositionen WHERE ProtokollID = 7 ORDER BY rowid"),
                 expected);
        QCOMPARE(rows("SELECT HVName FROM MProtokollPositionen WHERE ProtokollID = 6"),
                 QList<QStringList>{{"alt"}});

        // Rounds: bout 2's edited in place, one new record each for the others, numbered on.
        expected.clear();
        for (const QString& id : roundIds)
            expected << QStringList{id.isEmpty() ? "<null>" : id, "601", "<null>", "<null>"};
        expected << QStringList{"<null>", "702", "x", "<null>"};
        expected << QStringList{"<null>", "702", "5", "R"};
        int id = firstNewId;
        for (int k : {1, 3, 5, 6, 7, 8, 9, 10})
            expected << QStringList{QString::number(id++), QString::number(700 + k), "5",
                                    k == 3    ? " "
                                    : k == 10 ? "B"
                                              : "R"};
        QCOMPARE(rows("SELECT KRundenID, PPID, TPR, SiegerRB FROM MKKampfrunden ORDER BY rowid"), expected);
        QCOMPARE(rows("SELECT KRundenNr, TPB, Siegart, Zeit, R5er, RVerwarnungen, BPassivitaet, RWertungen, "
                      "BWertungen FROM MKKampfrunden WHERE PPID = 701"),
                 (QList<QStringList>{{"1", "1", "PS", "4:11", "0", "0", "0", "210", "4"}}));
        // Every round column of every bout sent.
        expected.clear();
        for (int k : {1, 2, 3, 5, 6, 7, 8, 9, 10})
            expected << QStringList{QString::number(700 + k),       "1", "5", "1", "PS",
                                    "4:1" + QString::number(k % 10)} +
                            QStringList(12, "0") +
                            QStringList{"210", "4",
                                        k == 3    ? " "
                                        : k == 10 ? "B"
                                                  : "R"};
        QCOMPARE(rows("SELECT PPID, KRundenNr, " + kRoundColumns.join(", ") +
                      " FROM MKKampfrunden WHERE KRundenNr = 1 AND PPID > 700 ORDER BY PPID"),
                 expected);
    }
    // A draw names no team; a guest win names the record's own guest text. The place and the
    // audience, now known, are written too.
    m_console->record().setHeader("ort", "Neustadt");
    m_console->record().setHeader("zuschauer", "350");
    for (const auto& [home, guest, winner] :
         {std::tuple{"12", "12", "unentschieden"}, {"3", "30", "AC Gast"}}) {
        // The whole team score in the first bout, as the grid's points give it.
        for (int k = 1; k <= 14; ++k) {
            m_console->record().setCell(MatchFields::ColPunkteRot, k, k == 1 ? home : "0");
            m_console->record().setCell(MatchFields::ColPunkteBlau, k, k == 1 ? guest : "0");
        }
        m_console->navigator().recountTeamScore();
        MessageBox::setNextAnswer(MessageBox::Yes);
        QTest::mouseClick(button4, Qt::LeftButton);
        QCOMPARE(rows(headerSelect + "ORDER BY rowid"),
                 (QList<QStringList>{untouched, header(winner, "Neustadt", home, guest, "350")}));
    }
    QCOMPARE(rows("SELECT COUNT(*) FROM MKKampfrunden"),
             QList<QStringList>{{QString::number(roundIds.size() + 10)}});
}

void TestExportPanel::refused_data()
{
    QTest::addColumn<QString>("season");
    QTest::addColumn<QList<int>>("emptied"); // cells of grid row 5 left without team points
    QTest::addColumn<QStringList>("setup");  // run on the database before the season is read
    QTest::addColumn<QString>("after");      // done to the file after the season was read
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no match chosen") << "2013" << QList<int>{} << QStringList{} << "" << int(MessageBox::Yes)
                                     << QStringList{"Es ist kein Kampf ausgewählt."};
    QTest::newRow("operator says no") << "2012" << QList<int>{} << QStringList{} << "" << int(MessageBox::No)
                                      << QStringList{"Sollen die Daten in den Kampf\nSa 6.10.     Oberliga   "
                                                     "  KSV & Heim  :  AC Gast\neingelesen werden?"};
    const QString unevaluated =
        "Es wurde nichts übertragen: Die Mannschaftspunkte in Zeile 5 des Protokolls sind "
        "keine ganzen Zahlen. Bitte werten Sie erst alle Kämpfe aus.";
    QTest::newRow("bout not yet fought")
        << "2012" << QList<int>{MatchFields::ColPunkteRot, MatchFields::ColPunkteBlau} << QStringList{} << ""
        << int(MessageBox::Yes) << QStringList{unevaluated};
    QTest::newRow("red's team points missing")
        << "2012" << QList<int>{MatchFields::ColPunkteRot} << QStringList{} << "" << int(MessageBox::Yes)
        << QStringList{unevaluated};
    QTest::newRow("blue's team points missing")
        << "2012" << QList<int>{MatchFields::ColPunkteBlau} << QStringList{} << "" << int(MessageBox::Yes)
        << QStringList{unevaluated};
    // Found before the header is written, not after bout 1.
    QTest::newRow("round field missing")
        << "2012" << QList<int>{} << QStringList{"ALTER TABLE MKKampfrunden DROP COLUMN SiegerRB"} << ""
        << int(MessageBox::Yes)
        << QStringList{"In der Tarvo-Datenbank fehlt das Feld „SiegerRB“ in der Tabelle „MKKampfrunden“. Es "
                       "wurde nichts übertragen."};
    QTest::newRow("keys and a rarely written field missing in all three tables")
        << "2012" << QList<int>{}
        << QStringList{"ALTER TABLE MProtokollKopf DROP COLUMN Ordner2",
                       "ALTER TABLE MProtokollPositionen DROP COLUMN PPID",
                       "ALTER TABLE MKKampfrunden DROP COLUMN KRundenID",
                       "ALTER TABLE MKKampfrunden DROP COLUMN KRundenNr",
                       "ALTER TABLE MKKampfrunden DROP COLUMN PPID"}
        << "" << int(MessageBox::Yes)
        << QStringList{
               "In der Tarvo-Datenbank fehlen die Felder „Ordner2“ in der Tabelle „MProtokollKopf“; "
               "„PPID“ in der Tabelle „MProtokollPositionen“; „KRundenID“, „KRundenNr“, „PPID“ in der "
               "Tabelle „MKKampfrunden“. Es wurde nichts übertragen."};
    QTest::newRow("database moved away since the season was read")
        << "2012" << QList<int>{} << QStringList{} << "remove" << int(MessageBox::Yes)
        << QStringList{
               "Die Tarvo-Datenbank „%1“ wurde gelöscht oder verschoben, seit die Saison gelesen "
               "wurde. Bitte wählen Sie die Saison neu, damit die Datenbank neu gelesen wird. Es wurde "
               "nichts übertragen."};
    QTest::newRow("database replaced since the season was read")
        << "2012" << QList<int>{} << QStringList{} << "replace" << int(MessageBox::Yes)
        << QStringList{
               "Die Tarvo-Datenbank „%1“ wurde durch eine andere Datei ersetzt, seit die Saison "
               "gelesen wurde. Bitte wählen Sie die Saison neu, damit die Datenbank neu gelesen wird. "
               "Es wurde nichts übertragen."};
}

void TestExportPanel::refused()
{
    QFETCH(QString, season);
    QFETCH(QList<int>, emptied);
    QFETCH(QStringList, setup);
    QFETCH(QString, after);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    const QString file = m_dir->filePath("tarvo03.mdb");
    makeDatabase({{"06.10.2012", "7", "2012", "Sa 6.10.", "Oberliga", "KSV & Heim", "AC Gast"}});
    sql("INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer) VALUES (701, 7, 1)");
    for (const QString& statement : setup)
        sql(statement);
    fillMatch();
    for (int column : emptied)
        m_console->record().setCell(column, 5, QString());
    m_console->settings().setTarvodir(m_dir->path());
    chooseSeason(season);
    const QList<QStringList> before = dump(file);
    QString now = file; // where the database read for the season is afterwards
    if (after == "remove") {
        now = file + ".alt";
        QVERIFY(QFile::rename(file, now));
    }
    if (after == "replace") {
        QVERIFY(QFile::copy(file, file + ".neu"));
        QVERIFY(::rename(qPrintable(file + ".neu"), qPrintable(file)) == 0);
    }
    MessageBox::setNextAnswer(MessageBox::Answer(answer));
    control<QPushButton>("Button4")->setEnabled(true); // a disabled button cannot be clicked
    QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
    for (QString& m : messages)
        m.replace("%1", QDir::toNativeSeparators(file));
    QCOMPARE(MessageBox::takeShownMessages(), messages);
    QCOMPARE(rows("SELECT SIEGERM, HVName FROM MProtokollKopf, MProtokollPositionen"),
             (QList<QStringList>{{"<null>", "<null>"}}));
    QCOMPARE(rows("SELECT COUNT(*) FROM MKKampfrunden"), QList<QStringList>{{"0"}});
    QCOMPARE(dump(now), before);
}

// What goes wrong in the database names its cause in German, and says what the database holds
// afterwards.
void TestExportPanel::databaseFailure_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("asked"); // the confirmation question came before the failure
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("kept"); // SIEGERM (if any) and the first bout's HVName afterwards
    const QString locked = "Die Datenbank wird gerade von einem anderen Programm benutzt und ist von ihm "
                           "gesperrt. Bitte schließen Sie das andere Programm oder warten Sie, bis es fertig "
                           "ist, und versuchen Sie es dann erneut.";
    QTest::newRow("locked by another program")
        << "lock" << true
        << "Fehler in der Datenbank beim Speichern (Tabelle „MProtokollKopf“): " + locked +
               " Es wurde nichts übertragen."
        << QStringList{"<null>", "<null>"};
    QTest::newRow("round table dropped after the season was read")
        << "drop table" << true
        << "Fehler in der Datenbank beim Anfügen (Tabelle „MKKampfrunden“): Die Tabelle „MKKampfrunden“ "
           "fehlt in der Datenbank. Es wurde nichts übertragen."
        << QStringList{"<null>", "<null>"};
    // Header, bouts 1 to 4 and their rounds are written when the database refuses bout 5: one
    // transaction, so the old match stays whole.
    QTest::newRow("database refuses bout 5")
        << "refuse bout 5" << true
        << "Fehler in der Datenbank beim Speichern (Tabelle „MProtokollPositionen“): Ein Wert verstößt "
           "gegen eine Regel der Datenbank. Es wurde nichts übertragen."
        << QStringList{"<null>", "<null>"};
    QTest::newRow("header field dropped after the season was read")
        << "drop field" << true
        << "Fehler in der Datenbank beim Speichern (Tabelle „MProtokollKopf“): Das Feld „Zeitnehmer“ fehlt "
           "in "
           "der Tabelle „MProtokollKopf“. Es wurde nichts übertragen."
        << QStringList{"<null>", "<null>"};
    // Without a word the transfer would go on and fill the positions of a match that is gone.
    QTest::newRow("match record deleted after the season was read")
        << "delete match" << true
        << "Fehler in der Datenbank beim Speichern (Tabelle „MProtokollKopf“): Der Datensatz wurde "
           "inzwischen "
           "von einem anderen Programm geändert oder gelöscht; es wurde nichts gespeichert. Es wurde nichts "
           "übertragen."
        << QStringList{"<null>", "<null>"};
    QTest::newRow("round table missing when the season is chosen")
        << "no table" << false
        << "Fehler in der Datenbank beim Öffnen (Tabelle „MKKampfrunden“): Die Tabelle „MKKampfrunden“ fehlt "
           "in "
           "der Datenbank."
        << QStringList{"<null>", "<null>"};
    // An SQLite file is written by the program itself: no driver is missing, the file is the cause.
    QTest::newRow("write-protected file") << "write-protected" << false
                                          << "In die Tarvo-Datenbank „%1“ kann nicht geschrieben werden: die "
                                             "Datei ist schreibgeschützt. Es wurde nichts übertragen."
                                          << QStringList{"<null>", "<null>"};
}

void TestExportPanel::databaseFailure()
{
    QFETCH(QString, fault);
    QFETCH(bool, asked);
    QFETCH(QString, message);
    const QString file = m_dir->filePath("tarvo03.mdb");
    makeDatabase({{"06.10.2012", "7", "2012", "Sa 6.10.", "Oberliga", "KSV Heim", "AC Gast"}});
    sql("INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer) VALUES (701, 7, 1)");
    fillMatch();
    m_console->record().setHeader("zeitnehmer", "Zeit Nehmer");
    m_console->settings().setTarvodir(m_dir->path());
    // The other program's lock is waited for a second here, not the 100 s of the match evening.
    m_console->tarvo().connection().setCommandTimeout(1);
    std::optional<ModeBitsBind> modeBits;
    if (fault == "no table")
        sql("DROP TABLE MKKampfrunden");
    if (fault == "write-protected") {
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
        modeBits.emplace();
        if (!ModeBitsBind::refusesWriting(file))
            QSKIP("this process writes to write-protected files and cannot give that right up");
    }
    if (fault == "refuse bout 5") {
        for (int k = 2; k <= 10; ++k)
            sql(QString(
                    "INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer) VALUES (%1, 7, %2)")
                    .arg(700 + k)
                    .arg(k));
        sql("CREATE TRIGGER refuse BEFORE UPDATE ON MProtokollPositionen WHEN NEW.Sortiernummer = 5 "
            "BEGIN SELECT RAISE(ABORT, 'nein'); END");
    }
    chooseSeason("2012");
    if (fault == "drop table")
        sql("DROP TABLE MKKampfrunden");
    if (fault == "drop field")
        sql("ALTER TABLE MProtokollKopf DROP COLUMN Zeitnehmer");
    if (fault == "delete match")
        sql("DELETE FROM MProtokollKopf");

    // Every fault but the other program's lock is in the file now; the lock changes nothing.
    const QList<QStringList> before = dump(file);
    if (fault == "lock")
        sql("BEGIN EXCLUSIVE");
    const QString shown = QString(message).replace("%1", QDir::toNativeSeparators(file));
    QStringList messages;
    if (fault == "no table") {
        // Every change of the season text reads the database anew: "" and then "2012".
        messages << shown << shown;
        QVERIFY(!control<QPushButton>("Button4")->isEnabled());
    } else {
        QVERIFY(control<QPushButton>("Button4")->isEnabled());
        // The operator tries again: the database now knows its changed layout before the
        // statement runs, and the cause must still be named.
        for (int attempt = 0; attempt < (asked ? 2 : 1); ++attempt) {
            MessageBox::setNextAnswer(MessageBox::Yes);
            QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
            if (asked)
                messages << "Sollen die Daten in den Kampf\nSa 6.10.     Oberliga     KSV Heim  :  AC Gast\n"
                            "eingelesen werden?";
            messages << shown;
        }
    }
    QCOMPARE(MessageBox::takeShownMessages(), messages);
    if (fault == "lock")
        sql("ROLLBACK");
    modeBits.reset();
    QFETCH(QStringList, kept);
    QCOMPARE(rows("SELECT (SELECT SIEGERM FROM MProtokollKopf), HVName FROM MProtokollPositionen "
                  "ORDER BY rowid LIMIT 1"),
             QList<QStringList>{kept});
    // Whole or not at all: the database is as it was before the click.
    QCOMPARE(dump(file), before);
}

// Another program holds the database locked: the transfer waits for it with the console alive
// (a precise 10 ms timer goes on ticking, other events are handled), the panel's database
// controls are off meanwhile, and no second transfer or season change gets in.
void TestExportPanel::lockedDatabase_data()
{
    QTest::addColumn<bool>("released"); // the other program lets go while the transfer waits
    QTest::addColumn<int>("timeout");   // seconds, shortened through the command time-out
    QTest::newRow("held past the time-out") << false << 1;
    QTest::newRow("released while waiting") << true << 100;
}

void TestExportPanel::lockedDatabase()
{
    QFETCH(bool, released);
    QFETCH(int, timeout);
    const QString file = m_dir->filePath("tarvo03.mdb");
    makeDatabase({{"06.10.2012", "7", "2012", "Sa 6.10.", "Oberliga", "KSV Heim", "AC Gast"}});
    sql("INSERT INTO MProtokollPositionen (PPID, ProtokollID, Sortiernummer) VALUES (701, 7, 1)");
    fillMatch();
    m_console->settings().setTarvodir(m_dir->path());
    m_console->tarvo().connection().setCommandTimeout(timeout);
    chooseSeason("2012");
    const QList<QStringList> before = dump(file);
    sql("BEGIN EXCLUSIVE");

    // Every tick and the longest gap between two (reported, not asserted).
    StallMonitor monitor;
    // What the operator meets while the transfer waits.
    bool clicked = false, probed = false;
    int ticksWhileWaiting = 0;
    QStringList seen;
    // The operator window over the same console, for its "Beenden".
    OperatorWindow window(*m_console);
    window.show();
    QTimer::singleShot(200, this, [&] {
        probed = !clicked;
        ticksWhileWaiting = monitor.ticks();
        auto* button4 = control<QPushButton>("Button4");
        seen << button4->text() << QString::number(button4->isEnabled())
             << QString::number(control<QComboBox>("saison")->isEnabled())
             << QString::number(control<QGroupBox>("RadioGroup2")->isEnabled())
             << QString::number(control<QProgressBar>("ProgressBar1")->value());
        // Neither a second click nor a season change starts anything now.
        MessageBox::setNextAnswer(MessageBox::Yes);
        QTest::mouseClick(button4, Qt::LeftButton);
        control<QComboBox>("saison")->setEditText("2013");
        try {
            m_console->tarvo().transfer(1, m_console->record(), "93", "11");
            seen << "second transfer ran";
        } catch (const UserError& e) {
            seen << e.message();
        }
        // Quitting would end the wait and the transfer unseen: asked first, "Nein" keeps both.
        MessageBox::setNextAnswer(MessageBox::No);
        QTest::mouseClick(window.findChild<QWidget*>("Label1"), Qt::LeftButton);
        seen << QString::number(window.isVisible()) << QString::number(m_console->tarvo().busy());
        if (released)
            sql("ROLLBACK");
    });
    monitor.start();
    MessageBox::setNextAnswer(MessageBox::Yes);
    QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
    clicked = true;
    monitor.stop();
    qInfo("window thread during the wait: %d ticks, longest gap %lld ms", monitor.ticks(),
          monitor.longestMs());

    QVERIFY(probed);
    QVERIFY2(ticksWhileWaiting > 1, "the window thread handled no timer while waiting");
    QCOMPARE(seen,
             (QStringList{"Übertragung läuft ...", "0", "0", "0", "1",
                          "Die Tarvo-Datenbank ist gerade in Arbeit. Bitte warten Sie, bis sie fertig ist.",
                          "1", "1"}));
    const QString question = "Sollen die Daten in den Kampf\nSa 6.10.     Oberliga     KSV Heim  :  AC Gast\n"
                             "eingelesen werden?";
    const QString locked = "Fehler in der Datenbank beim Speichern (Tabelle „MProtokollKopf“): Die Datenbank "
                           "wird gerade von einem anderen Programm benutzt und ist von ihm gesperrt. Bitte "
                           "schließen Sie das andere Programm oder warten Sie, bis es fertig ist, und "
                           "versuchen Sie es dann erneut. Es wurde nichts übertragen.";
    // The season typed meanwhile is read after the transfer; a lock still held stops that too.
    const QString lockedOpening =
        "Fehler in der Datenbank beim Öffnen (Tabelle „MProtokollKopf“): " +
        locked.section("): ", 1).chopped(QString(" Es wurde nichts übertragen.").size());
    const QString quitting = "Die Übertragung an Tarvo wartet noch auf die gesperrte Datenbank. Beim Beenden "
                             "wird sie abgebrochen, und es wird nichts übertragen. Trotzdem beenden?";
    QCOMPARE(MessageBox::takeShownMessages(),
             (released ? QStringList{question, quitting}
                       : QStringList{question, quitting, locked, lockedOpening}));
    if (!released)
        sql("ROLLBACK");
    QCOMPARE(control<QComboBox>("saison")->currentText(), QString("2013"));
    QVERIFY(control<QComboBox>("saison")->isEnabled());
    QCOMPARE(control<QGroupBox>("RadioGroup2")->findChildren<QRadioButton*>().size(), 0);
    if (released) {
        QCOMPARE(control<QProgressBar>("ProgressBar1")->value(), 12);
        QCOMPARE(rows("SELECT SIEGERM, PUNKTEHEIM FROM MProtokollKopf"),
                 (QList<QStringList>{{"KSV Heim", "93"}}));
        QCOMPARE(rows("SELECT HVName FROM MProtokollPositionen"), QList<QStringList>{{"R1"}});
    } else {
        QCOMPARE(dump(file), before);
    }
}

QTEST_MAIN(TestExportPanel)
#include "tst_exportpanel.moc"
