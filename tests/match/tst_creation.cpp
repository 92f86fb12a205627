#include "match/MatchCreation.h"
#include "match/MatchFields.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "match/ui/FileBrowser.h"
#include "platform/UserError.h"
#include "platform/XmlDocument.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"
#include "widgets/Dialogs.h"

#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace MatchFields;

namespace {

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>";
const QByteArray kThreeBouts =
    kDeclaration + "<mk><info><erstellt>01.02.20</erstellt><heim>TSV Alt</heim><liga>Oberliga</liga>"
                   "</info><kaempfe><kampf1><klasse>57</klasse><vornrot>Hans</vornrot></kampf1>"
                   "<kampf2/><kampf3/></kaempfe></mk>";

QDomElement rootOf(const QString& path)
{
    QDomDocument d;
    d.setContent(XmlDocument::decodeFile(readAll(path)));
    return d.documentElement();
}

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void doubleClick(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    const QPoint at = list->visualItemRect(found.last()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// What the browser works on, in a temporary folder, with a match of three bouts open.
struct Rig
{
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("set.xml"))};
    MatchRecord record;
    MatchFile file{record};
    MatchCreation creation{file, record, settings};
    FileBrowser browser{creation};
    QSignalSpy messages{&browser, &FileBrowser::message};

    Rig()
    {
        QVERIFY(writeAll(path("alt.ptlx"), kThreeBouts));
        file.open(path("alt.ptlx"));
        browser.resize(600, 400);
        browser.show();
        MessageBox::takeShownMessages();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString folder(const QString& name) const
    {
        QDir(dir.path()).mkpath(name);
        return path(name);
    }
    template <typename W> W* control(const char* name) { return browser.findChild<W*>(QLatin1String(name)); }
    QListWidget* files() { return control<QListWidget>("FileListBox1"); }
    QListWidget* folders() { return control<QListWidget>("DirectoryListBox1"); }
    QComboBox* drives() { return control<QComboBox>("DriveComboBox1"); }
    void anlegen(const QString& name)
    {
        control<QLineEdit>("neuedatei")->setText(name);
        QTest::mouseClick(control<QPushButton>("Button5"), Qt::LeftButton);
    }
    void chooseDrive(const QString& root)
    {
        const int i = drives()->findText(root);
        drives()->setCurrentIndex(i);
        emit drives()->activated(i);
    }
};

} // namespace

class TestCreation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void createInEmptyFolder();
    void pastedNameKeepsFirstLine();
    void takenNameIsRefused_data();
    void takenNameIsRefused();
    void takenNameWithoutOpenMatch();
    void unwritableCreationLeavesOpenMatch_data();
    void unwritableCreationLeavesOpenMatch();
    void listsAndFolderNavigation();
    void doubleClickOnFile_data();
    void doubleClickOnFile();
    void doubleClickBesideFilesSaysNoneChosen_data();
    void doubleClickBesideFilesSaysNoneChosen();
    void drivesKeepTheirFolders();
};

void TestCreation::initTestCase()
{
    MessageBox::setTestMode(true);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestCreation::createInEmptyFolder()
{
    Rig rig;
    const QByteArray oldBytes = readAll(rig.path("alt.ptlx"));
    rig.record.setHeader(QStringLiteral("heim"), QStringLiteral("TSV Neu"));
    rig.browser.setCurrentFolder(rig.folder("leer"));
    QCOMPARE(rig.control<QLineEdit>("neuedatei")->text(), QStringLiteral("Heim-Gast"));
    QCOMPARE(rig.control<QPushButton>("Button5")->text(), QStringLiteral("Anlegen"));

    const QDate before = QDate::currentDate();
    rig.anlegen(QStringLiteral("Heim-Gast"));
    const QDate after = QDate::currentDate();

    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    QCOMPARE(rig.messages.count(), 0);
    const QString created = rig.path("leer/Heim-Gast.ptlx");
    QVERIFY(readAll(created).startsWith(kDeclaration));
    const QDomElement mk = rootOf(created);
    QCOMPARE(mk.tagName(), QStringLiteral("mk"));
    QCOMPARE(childNames(mk), (QStringList{"info", "kaempfe"}));
    QCOMPARE(childNames(mk.firstChildElement("info")), QStringList{"erstellt"});
    QCOMPARE(childNames(mk.firstChildElement("kaempfe")), QStringList{"kampf1"});
    QVERIFY(!mk.firstChildElement("kaempfe").firstChildElement("kampf1").hasChildNodes());
    const QString erstellt = mk.firstChildElement("info").text();
    const QDate stamped = QLocale().toDate(erstellt, QLocale::ShortFormat);
    // Two year digits: the century is not the stamp's business.
    const auto sameDay = [&](const QDate& d) {
        return stamped.day() == d.day() && stamped.month() == d.month() &&
               stamped.year() % 100 == d.year() % 100;
    };
    QVERIFY2(sameDay(before) || sameDay(after), qPrintable(erstellt));

    QCOMPARE(rig.file.matchFileName(), created);
    QCOMPARE(rig.file.windowCaption(), QStringLiteral("VANTOR²: [Heim-Gast.ptlx]"));
    QCOMPARE(rig.file.pfad(), rig.folder("leer") + QDir::separator());
    QCOMPARE(rig.record.rowCount(), 2);
    QCOMPARE(rig.file.label51(), QStringLiteral("TSV Alt")); // the summary stays with the match before
    QVERIFY(rig.settings.settingsReady());
    QCOMPARE(texts(rig.files()), QStringList{"Heim-Gast.ptlx"});
    QCOMPARE(readAll(rig.path("alt.ptlx")), oldBytes);

    // Header and row 1 kept what they held; the next save writes them into the new file.
    rig.file.saveall();
    const QDomElement saved = rootOf(created);
    QCOMPARE(childNames(saved.firstChildElement("info")), headerFields());
    QCOMPARE(saved.firstChildElement("info").firstChildElement("erstellt").text(), erstellt);
    QCOMPARE(saved.firstChildElement("info").firstChildElement("heim").text(), QStringLiteral("TSV Neu"));
    QCOMPARE(saved.firstChildElement("info").firstChildElement("liga").text(), QStringLiteral("Oberliga"));
    QCOMPARE(childNames(saved.firstChildElement("kaempfe")), QStringList{"kampf1"});
    QCOMPARE(
        saved.firstChildElement("kaempfe").firstChildElement("kampf1").firstChildElement("vornrot").text(),
        QStringLiteral("Hans"));
}

void TestCreation::pastedNameKeepsFirstLine()
{
    Rig rig;
    rig.browser.setCurrentFolder(rig.folder("leer"));
    auto* name = rig.control<QLineEdit>("neuedatei");
    name->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("Nord-Sued\r\nalt.ptlx"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("Nord-Sued"));

    QTest::mouseClick(rig.control<QPushButton>("Button5"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    QCOMPARE(QDir(rig.folder("leer")).entryList(QDir::Files), QStringList{"Nord-Sued.ptlx"});
    QCOMPARE(rig.file.matchFileName(), rig.path("leer/Nord-Sued.ptlx"));
}

void TestCreation::takenNameIsRefused_data()
{
    QTest::addColumn<bool>("createdFirst");
    QTest::newRow("second creation with the same name") << true;
    QTest::newRow("foreign file of that name") << false;
}

void TestCreation::takenNameIsRefused()
{
    QFETCH(bool, createdFirst);
    Rig rig;
    rig.browser.setCurrentFolder(rig.folder("ziel"));
    const QString taken = rig.path("ziel/TSV-SC.ptlx");
    if (createdFirst)
        rig.anlegen(QStringLiteral("TSV-SC"));
    else
        QVERIFY(writeAll(taken, "nicht anfassen"));
    const QString openBefore = rig.file.matchFileName();
    const QByteArray docBefore = rig.file.document().toBytes();
    const QByteArray takenBefore = readAll(taken);
    const int rowsOfFile = rig.record.rowCount();
    rig.record.setRowCount(rowsOfFile + 1); // a bout row added with "+", not saved yet
    rig.settings.setSettingsReady(false);

    rig.anlegen(QStringLiteral("TSV-SC"));

    QCOMPARE(rig.messages.count(), 1);
    QCOMPARE(rig.messages.at(0),
             (QVariantList{QStringLiteral("Fehler"), QStringLiteral("Die Datei existiert bereits")}));
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    QCOMPARE(readAll(taken), takenBefore);
    QCOMPARE(rig.file.matchFileName(), openBefore);
    QCOMPARE(rig.file.document().toBytes(), docBefore);
    QCOMPARE(rig.record.rowCount(), rowsOfFile);
    QVERIFY(rig.settings.settingsReady());
}

void TestCreation::takenNameWithoutOpenMatch()
{
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("set.xml")));
    MatchRecord record;
    MatchFile file(record);
    MatchCreation creation(file, record, settings);
    QSignalSpy messages(&creation, &MatchCreation::message);
    QVERIFY(writeAll(dir.filePath(QStringLiteral("Heim-Gast.ptlx")), "vorhanden"));
    record.setRowCount(5);

    QVERIFY_THROWS_EXCEPTION(UserError, creation.anlegen(dir.path(), QStringLiteral("Heim-Gast")));
    QCOMPARE(messages.count(), 1);
    QVERIFY(!file.isOpen());
    QCOMPARE(file.matchFileName(), QString());
    QCOMPARE(record.rowCount(), 5);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("Heim-Gast.ptlx"))), QByteArray("vorhanden"));
}

void TestCreation::unwritableCreationLeavesOpenMatch_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("said");

    // A new file has no previous version to keep: the message says that nothing was written.
    QTest::newRow("folder vanished")
        << "weg"
        << "Heim-Gast"
        << "kann nicht gespeichert werden: der Ordner existiert nicht (mehr) (beim "
           "Öffnen des Ordners). Es wurde nichts geschrieben.";
    QTest::newRow("folder below a plain file")
        << "alt.ptlx/unter"
        << "Heim-Gast"
        << "kann nicht gespeichert werden: ein Teil des Pfades ist kein "
           "Ordner (beim Öffnen des Ordners). Es wurde nichts geschrieben.";
    QTest::newRow("name with a slash") << "ziel"
                                       << "a/b"
                                       << "kein gültiger Dateiname";
}

void TestCreation::unwritableCreationLeavesOpenMatch()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, said);
    Rig rig;
    rig.folder("ziel/a");
    rig.folder("weg");
    rig.browser.setCurrentFolder(rig.path(folder));
    QVERIFY(QDir(rig.path("weg")).removeRecursively());
    const QByteArray docBefore = rig.file.document().toBytes();
    const QByteArray fileBefore = readAll(rig.path("alt.ptlx"));
    rig.record.setRowCount(6);
    QSignalSpy opened(&rig.file, &MatchFile::openFileChanged);

    rig.anlegen(name);

    const QStringList shown = MessageBox::takeShownMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(said), qPrintable(shown.first()));
    QCOMPARE(opened.count(), 0);
    QCOMPARE(rig.file.matchFileName(), rig.path("alt.ptlx"));
    QCOMPARE(rig.file.document().toBytes(), docBefore);
    QCOMPARE(readAll(rig.path("alt.ptlx")), fileBefore);
    QCOMPARE(rig.record.rowCount(), 6);
    QVERIFY(!QFileInfo::exists(MatchCreation::newFilePath(rig.path(folder), name)));
}

void TestCreation::listsAndFolderNavigation()
{
    Rig rig;
    for (const char* f : {"b.ptlx", "A.PTLX", "c.txt", "d.ptlx.bak", ".e.ptlx", "Alpha/x.ptlx"}) {
        QDir(rig.dir.path()).mkpath(QFileInfo(rig.path(f)).path());
        QVERIFY(writeAll(rig.path(f), kThreeBouts));
    }
    rig.folder("ordner.ptlx");
    rig.folder("Alpha/tief");
    rig.browser.setCurrentFolder(rig.dir.path());

    QCOMPARE(texts(rig.files()), (QStringList{".e.ptlx", "A.PTLX", "alt.ptlx", "b.ptlx"}));
    QVERIFY(!rig.files()->item(0)->icon().isNull());
    // From the drive's root down to the folder, then its subfolders.
    const QStringList folders = texts(rig.folders());
    const QString own = QFileInfo(rig.dir.path()).fileName();
    QCOMPARE(folders.first(), rig.browser.currentDrive());
    QCOMPARE(folders.mid(folders.indexOf(own)), (QStringList{own, "Alpha", "ordner.ptlx"}));
    QCOMPARE(rig.folders()->currentItem()->text(), own);

    doubleClick(rig.folders(), QStringLiteral("Alpha"));
    QCOMPARE(rig.browser.currentFolder(), rig.path("Alpha"));
    QCOMPARE(texts(rig.files()), QStringList{"x.ptlx"});
    QCOMPARE(texts(rig.folders()).mid(folders.indexOf(own)), (QStringList{own, "Alpha", "tief"}));
    doubleClick(rig.folders(), own);
    QCOMPARE(rig.browser.currentFolder(), rig.dir.path());
}

void TestCreation::doubleClickOnFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loads");
    QTest::newRow("match file") << kThreeBouts << true;
    QTest::newRow("not well-formed") << QByteArray("<mk><info>") << false;
}

void TestCreation::doubleClickOnFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    Rig rig;
    rig.folder("wahl");
    QVERIFY(writeAll(rig.path("wahl/w.ptlx"), content));
    rig.browser.setCurrentFolder(rig.path("wahl"));
    rig.record.setHeader(QStringLiteral("heim"), QStringLiteral("vorher"));
    rig.record.setRowCount(8);

    doubleClick(rig.files(), QStringLiteral("w.ptlx"));

    QCOMPARE(MessageBox::takeShownMessages().size(), loads ? 0 : 1);
    // A file was chosen: the "none chosen" complaint must not come as well.
    QCOMPARE(rig.messages.count(), 0);
    // A file that fails to load leaves the match open before open, under its own name.
    QCOMPARE(rig.file.matchFileName(), rig.path(loads ? "wahl/w.ptlx" : "alt.ptlx"));
    QVERIFY(rig.file.isOpen());
    QCOMPARE(rig.record.header(QStringLiteral("heim")),
             loads ? QStringLiteral("TSV Alt") : QStringLiteral("vorher"));
    QCOMPARE(rig.record.rowCount(), loads ? 4 : 8);
    QCOMPARE(rig.settings.settingsReady(), loads);
}

void TestCreation::doubleClickBesideFilesSaysNoneChosen_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::newRow("empty list") << QStringList();
    QTest::newRow("below the entries") << QStringList{"a.ptlx", "b.ptlx"};
}

void TestCreation::doubleClickBesideFilesSaysNoneChosen()
{
    QFETCH(QStringList, present);
    Rig rig;
    const QString folder = rig.folder("wahl");
    for (const QString& name : present)
        QVERIFY(writeAll(rig.path("wahl/" + name), kThreeBouts));
    rig.browser.setCurrentFolder(folder);
    QCOMPARE(texts(rig.files()), present);
    rig.record.setRowCount(8);
    const QByteArray docBefore = rig.file.document().toBytes();
    QSignalSpy opened(&rig.file, &MatchFile::openFileChanged);

    const QPoint empty(10, rig.files()->viewport()->height() - 5);
    QVERIFY(!rig.files()->itemAt(empty));
    QTest::mouseClick(rig.files()->viewport(), Qt::LeftButton, {}, empty);
    QTest::mouseDClick(rig.files()->viewport(), Qt::LeftButton, {}, empty);

    QCOMPARE(rig.messages.count(), 1);
    QCOMPARE(rig.messages.at(0),
             (QVariantList{QStringLiteral("Fehler"), QStringLiteral("Keine Datei ausgewählt.")}));
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    QCOMPARE(opened.count(), 0);
    QCOMPARE(rig.file.matchFileName(), rig.path("alt.ptlx"));
    QCOMPARE(rig.file.document().toBytes(), docBefore);
    QCOMPARE(rig.record.rowCount(), 8);
    QVERIFY(!rig.settings.settingsReady());
}

void TestCreation::drivesKeepTheirFolders()
{
    // The browser starts at the process's current folder.
    const QString previous = QDir::currentPath();
    QTemporaryDir start;
    QVERIFY(QDir::setCurrent(start.path()));
    Rig rig;
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(rig.browser.currentFolder(), QDir(start.path()).canonicalPath());

    // A second volume mounted inside the temporary folder, as a stick would be.
    const QString stick = rig.folder("stick");
    rig.folder("stick/ordner");
    QVERIFY(writeAll(rig.path("stick/s.ptlx"), kThreeBouts));
    rig.browser.setDrives({QStringLiteral("/"), stick});
    rig.browser.setCurrentFolder(rig.dir.path());
    QCOMPARE(rig.drives()->currentText(), QStringLiteral("/"));

    rig.chooseDrive(stick);
    QCOMPARE(rig.browser.currentFolder(), stick);
    QCOMPARE(texts(rig.folders()), (QStringList{stick, "ordner"})); // from its root, not above
    QCOMPARE(texts(rig.files()), QStringList{"s.ptlx"});
    doubleClick(rig.folders(), QStringLiteral("ordner"));

    rig.chooseDrive(QStringLiteral("/"));
    QCOMPARE(rig.browser.currentFolder(), rig.dir.path());
    QCOMPARE(texts(rig.files()), QStringList{"alt.ptlx"});
    rig.chooseDrive(stick);
    QCOMPARE(rig.browser.currentFolder(), rig.path("stick/ordner"));
    rig.chooseDrive(QStringLiteral("/"));
    QVERIFY(QDir(rig.path("stick/ordner")).removeRecursively());
    rig.chooseDrive(stick);
    QCOMPARE(rig.browser.currentFolder(), stick);

    // Entering the stick through the folder list of "/" switches the drive list as well.
    rig.browser.setCurrentFolder(rig.dir.path());
    doubleClick(rig.folders(), QStringLiteral("stick"));
    QCOMPARE(rig.drives()->currentText(), stick);
}

QTEST_MAIN(TestCreation)
#include "tst_creation.moc"
