#include "support/SampleMatch.h"
#include "match/MatchFile.h"
#include "match/ui/ProtocolGrid.h"
#include "printing/ui/PrintPanel.h"
#include "settings/Settings.h"
#include "widgets/Dialogs.h"
#include "widgets/PrintDialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

// The print panel as the operator uses it: its options, and both buttons through the print
// dialog into a PDF file.
class TestPrintPanel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void editsAndBoutListChooseTheirOption();
    void recordShowsTheWindowsCaptions_data();
    void recordShowsTheWindowsCaptions();
    void cancelledDialogPrintsNothing();
    void chosenBoutPrintsItsSheet_data();
    void chosenBoutPrintsItsSheet();
    void badRangeIsReportedAndSendsNoJob();

private:
    template <typename T = QWidget> T* child(const char* name) const
    {
        return m_panel->findChild<T*>(QLatin1String(name));
    }
    QString pdf(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MatchRecord> m_record;
    std::unique_ptr<MatchFile> m_file;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<PrintPanel> m_panel;
};

void TestPrintPanel::initTestCase()
{
    MessageBox::setTestMode(true);
}

void TestPrintPanel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_record = std::make_unique<MatchRecord>();
    m_file = std::make_unique<MatchFile>(*m_record);
    m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("set.xml")));
    m_panel = std::make_unique<PrintPanel>(*m_record, *m_settings);
    fillSampleMatch(*m_record, 4);
    m_panel->setBoutChoices(
        {"55 F: Rnach1 - Bnach1", "60 G: Rnach2 - Bnach2", "65 F: Rnach3 - Bnach3", "70 G: Rnach4 - Bnach4"});
    m_panel->show();
    MessageBox::takeShownMessages();
}

void TestPrintPanel::cleanup()
{
    m_panel.reset();
    m_settings.reset();
    m_file.reset();
    m_record.reset();
    m_dir.reset();
}

void TestPrintPanel::editsAndBoutListChooseTheirOption()
{
    QCOMPARE(m_panel->optionenpunktzettel(), 0);
    QCOMPARE(m_panel->optionenprotokoll(), 0);
    QTest::keyClicks(child<QLineEdit>("Edit3"), QStringLiteral("4"));
    QCOMPARE(m_panel->optionenpunktzettel(), 1);
    child<QRadioButton>("optionenpunktzettel0")->click();
    QTest::keyClicks(child<QLineEdit>("Edit2"), QStringLiteral("2"));
    QCOMPARE(m_panel->optionenpunktzettel(), 1);

    auto* combo = child<QComboBox>("ComboBox1");
    QCOMPARE(combo->currentIndex(), -1);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(m_panel->optionenpunktzettel(), 2);
    // Reopening the panel refills the list with nothing chosen; the option stays the operator's.
    child<QRadioButton>("optionenpunktzettel0")->click();
    m_panel->setBoutChoices({"a", "b"});
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(m_panel->optionenpunktzettel(), 0);
    // The list takes no free text; typing picks the bout whose line begins with it.
    QVERIFY(!combo->isEditable());
    QTest::keyClick(combo, 'b');
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(m_panel->optionenpunktzettel(), 2);
}

void TestPrintPanel::recordShowsTheWindowsCaptions_data()
{
    QTest::addColumn<bool>("passNumbers");
    QTest::addColumn<QString>("altersklasse");
    QTest::addColumn<QString>("licence");
    QTest::addColumn<QString>("ageClass");
    QTest::addColumn<QString>("kind");
    QTest::newRow("licence numbers") << false << "0"
                                     << "Lizenz"
                                     << "Männer"
                                     << "Verbandskampf,";
    QTest::newRow("pass numbers") << true << "2"
                                  << "PassNr"
                                  << "C/D-Jugend"
                                  << "Verbandskampf,";
}

void TestPrintPanel::recordShowsTheWindowsCaptions()
{
    QFETCH(bool, passNumbers);
    QFETCH(QString, altersklasse);
    QFETCH(QString, licence);
    QFETCH(QString, ageClass);
    QFETCH(QString, kind);
    m_settings->setProtokoll(passNumbers ? 1 : 0);
    m_record->setHeader(QStringLiteral("altersklasse"), altersklasse);
    PrintDialogs::setNextPdfFile(pdf("record.pdf"));
    QTest::mouseClick(child("Button2"), Qt::LeftButton);
    QCOMPARE(PrintDialogs::takeShownCount(), 1);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());

    const auto words = pdfWords(pdf("record.pdf"));
    constexpr int X0 = 120, W = 90, Y0 = -100, YT = -350, R = 90;
    // Each caption within its narrow cell, a word of its own.
    QCOMPARE(wordAt(words, X0 + 9 * W + 3, YT - R - 25).text, licence);
    QCOMPARE(wordAt(words, X0 + 20 * W + 3, YT - R - 25).text, licence);
    QCOMPARE(wordAt(words, X0 + 1100, Y0 - 100).text, ageClass);
    QCOMPARE(wordAt(words, X0, Y0 - 180).text, kind);
    QCOMPARE(findWord(words, QStringLiteral("Vorrunde")).box.top(), wordAt(words, X0, Y0 - 180).box.top());
}

void TestPrintPanel::cancelledDialogPrintsNothing()
{
    PrintDialogs::setNextCancel();
    QTest::mouseClick(child("Button2"), Qt::LeftButton);
    PrintDialogs::setNextCancel();
    QTest::mouseClick(child("Button11"), Qt::LeftButton);
    QCOMPARE(PrintDialogs::takeShownCount(), 2);
    QVERIFY(QDir(m_dir->path()).entryList({QStringLiteral("*.pdf")}).isEmpty());
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestPrintPanel::chosenBoutPrintsItsSheet_data()
{
    QTest::addColumn<int>("downPresses"); // in the bout list; 0: nothing chosen
    QTest::addColumn<QString>("red");
    QTest::newRow("third bout") << 3 << "Rvor3";
    QTest::newRow("nothing chosen") << 0 << "";
}

void TestPrintPanel::chosenBoutPrintsItsSheet()
{
    QFETCH(int, downPresses);
    QFETCH(QString, red);
    auto* combo = child<QComboBox>("ComboBox1");
    combo->setFocus();
    for (int i = 0; i < downPresses; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    child<QRadioButton>("optionenpunktzettel2")->click();
    PrintDialogs::setNextPdfFile(pdf("sheet.pdf"));
    QTest::mouseClick(child("Button11"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    // No bout chosen: no job at all, not even a blank form.
    QCOMPARE(QFile::exists(pdf("sheet.pdf")), !red.isEmpty());
    if (red.isEmpty())
        return;
    QCOMPARE(pdfInfoField(pdf("sheet.pdf"), QStringLiteral("Title")), QStringLiteral("Punktzettel_"));
    const auto words = pdfWords(pdf("sheet.pdf"));
    QCOMPARE(pdfPageCount(pdf("sheet.pdf")), 1);
    QCOMPARE(wordAt(words, 180, -590).text, red);
}

void TestPrintPanel::badRangeIsReportedAndSendsNoJob()
{
    QTest::keyClicks(child<QLineEdit>("Edit2"), QStringLiteral("1"));
    QTest::keyClicks(child<QLineEdit>("Edit3"), QStringLiteral("zwei"));
    PrintDialogs::setNextPdfFile(pdf("range.pdf"));
    QTest::mouseClick(child("Button11"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(),
             QStringList{QStringLiteral("'zwei' ist kein gültiger Integerwert")});
    QVERIFY(!QFile::exists(pdf("range.pdf")));
    // Put right, the same printer takes the job.
    child<QLineEdit>("Edit3")->setText(QStringLiteral("2"));
    PrintDialogs::setNextPdfFile(pdf("range.pdf"));
    QTest::mouseClick(child("Button11"), Qt::LeftButton);
    QCOMPARE(pdfPageCount(pdf("range.pdf")), 2);
}

QTEST_MAIN(TestPrintPanel)
#include "tst_printpanel.moc"
