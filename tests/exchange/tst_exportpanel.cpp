#include "exchange/ui/ExportPanel.h"
#include "shell/Console.h"
#include "shell/ui/Dialogs.h"
#include "shell/ui/FileDialogs.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

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

private:
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
    m_panel = std::make_unique<ExportPanel>(*m_console);
    m_panel->resize(1200, 800);
    m_panel->show();
}

void TestExportPanel::cleanup()
{
    m_panel.reset();
    m_console.reset();
    m_dir.reset();
}

void TestExportPanel::zelmoExport_data()
{
    QTest::addColumn<QString>("zeiten");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QByteArray head = "zelmoi;2.0.0;MK;0;Bezirksliga;06.10.2012;Heim;Gast;3;0;;Peter Muster;Hans;\r\n";
    QTest::newRow("example")
        << "0:47;1:12;2:05;3:30;" << false
        << head + "66;GR;4711;Muster;Hans;A;815;Beispiel;Karl;A;3;0;PS;5:1"
                  "(points 2r47,1b72,1r125,2r210)(duration 310)\r\n;;;;;;;;;;;;;:(points )(duration )\r\n"
        << "";
    QTest::newRow("cancelled") << "0:47;1:12;2:05;3:30;" << true << QByteArray("vorher") << "";
    QTest::newRow("non-digit time") << "0:47;1:12;2:0x;3:30;" << false << QByteArray("vorher")
                                    << "'0x' ist kein gültiger Integerwert";
}

void TestExportPanel::zelmoExport()
{
    QFETCH(QString, zeiten);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    QFETCH(QByteArray, file);
    MatchRecord& r = m_console->record();
    r.setHeader("liga", "Bezirksliga");
    r.setHeader("datum", "06.10.2012");
    r.setHeader("heim", "Heim");
    r.setHeader("gast", "Gast");
    r.setHeader("ml", "Hans Peter Muster");
    r.setRowCount(3);
    const QStringList cells = {"66", "G", "",     "Hans",     "Muster", "4711", "A",    "",
                               "3",  "",  "Karl", "Beispiel", "815",    "A",    "",     "0",
                               "PS", "5", "1",    "5:10",     "2 12",   " 1  ", zeiten, "1"};
    for (int c = 0; c < cells.size(); ++c)
        r.setCell(c, 1, cells[c]);
    m_console->navigator().recountTeamScore();

    const QString path = m_dir->filePath("zelmo.txt");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("vorher") == 6);
    old.close();
    if (cancel)
        FileDialogs::setNextCancel();
    else
        FileDialogs::setNextFileName(path);
    QTest::mouseClick(control<QPushButton>("Button13"), Qt::LeftButton);

    QCOMPARE(FileDialogs::takeShownCount(), 1);
    QCOMPARE(readAll(path), file);
    QCOMPARE(MessageBox::takeShownMessages(), message.isEmpty() ? QStringList() : QStringList{message});
}

QTEST_MAIN(TestExportPanel)
#include "tst_exportpanel.moc"
