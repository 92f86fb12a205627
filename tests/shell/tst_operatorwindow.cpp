#include "bout/KeyMap.h"
#include "bout/KeyboardControl.h"
#include "bout/ui/BoutPanel.h"
#include "match/ui/EntryPanel.h"
#include "match/ui/ProtocolGrid.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "platform/DocumentOpener.h"
#include "platform/SignalSound.h"
#include "shell/Console.h"
#include "shell/OperatorShell.h"
#include "shell/ui/Dialogs.h"
#include "shell/ui/MessageWindow.h"
#include "shell/ui/OperatorWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "support/TestSupport.h"

class TestOperatorWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstShowDrawsTipAndDateLine();
    void entryPanelGuardShowsMessage();
    void keysReachKeyboardControlAndFocusedControl();
    void keysActOnlyOnBoutPanel();
    void numberPadDigitsNeverSelectABout();
    void upwardDragOnPanelSurfaceOpensEntryPanel();
    void markerWidgetFollowsTheShell();
    void quitSavesFirstAndStaysOnFailedSave();
    void helpFailureIsReported();
    void refereeListFillsOfficials();
    void dragMayEndOverAnElement();
    void messageWindowClosesOnlyByItsPicture();
    void shiftedDigitRowStillSelectsABout();
    void brokenSettingsStillKeepChanges();
    void audienceFollowsTheOperatorSide();
    void boutPanelControlsDriveClockAndNavigation();
    void messageBoxCentring_data();
    void messageBoxCentring();

private:
    void openMatch();
    QWidget* view(const char* name) const { return m_window->findChild<QWidget*>(QLatin1String(name)); }
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        return m_window->findChild<T*>(QLatin1String(name));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
    std::unique_ptr<KeyboardControl> m_keyboard;
    std::unique_ptr<OperatorShell> m_shell;
    std::unique_ptr<OperatorWindow> m_window;
    std::unique_ptr<MessageWindow> m_messages;
    QString m_path;
};

void TestOperatorWindow::initTestCase()
{
    MessageBox::setTestMode(true);
}

void TestOperatorWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile ini(m_dir->filePath(QStringLiteral("lizenzdaten.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[allgemein]\r\ndatum=05.12.2026\r\n");
    ini.close();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_keyboard = std::make_unique<KeyboardControl>(m_console->bout(), m_console->clock(), m_console->navigator());
    m_shell = std::make_unique<OperatorShell>(*m_console, *m_keyboard);
    m_window = std::make_unique<OperatorWindow>(*m_console, *m_keyboard, *m_shell);
    m_messages = std::make_unique<MessageWindow>();
    m_window->setMessageWindow(m_messages.get());
    m_window->resize(1280, 800);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow();
    MessageBox::takeShownMessages();
}

void TestOperatorWindow::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_shell.reset();
    m_keyboard.reset();
    m_console.reset();
    m_dir.reset();
    setDocumentOpenerForTests({});
}

void TestOperatorWindow::openMatch()
{
    m_path = m_dir->filePath(QStringLiteral("m.ptlx"));
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV</heim></info><kaempfe>"
            "<kampf1><reihenfolge>1</reihenfolge><stil>F</stil><nachnrot>Huber</nachnrot><nachnblau>Nowak</nachnblau>"
            "</kampf1><kampf2><reihenfolge>2</reihenfolge><nachnrot>Demir</nachnrot><nachnblau>Berg</nachnblau>"
            "</kampf2></kaempfe></mk>");
    f.close();
    m_window->openMatchFile(m_path);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("VANTOR²: [m.ptlx]"));
}

void TestOperatorWindow::firstShowDrawsTipAndDateLine()
{
    QVERIFY(OperatorShell::startTips().contains(child<QPlainTextEdit>("Memo1")->toPlainText()));
    QCOMPARE(child<QLabel>("datumlizenzdatei")->text(), QStringLiteral("Lizenzendatenbank vom 05.12.2026"));
    QVERIFY(view("panel_start")->isVisible());
    QVERIFY(!view("panel_kampf")->isVisible());
    QCOMPARE(child<QLabel>("version")->text(), QStringLiteral("2.2.12.0"));
}

void TestOperatorWindow::entryPanelGuardShowsMessage()
{
    QTest::mouseClick(child("Image3"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(),
             QStringList{QStringLiteral("Achtung!: Bitte wählen Sie zuerst eine Datei oder legen Sie eine neue an.")});
    QCOMPARE(m_messages->title(), QStringLiteral("Achtung!"));
    QVERIFY(view("panel_start")->isVisible());
    openMatch();
    QTest::mouseClick(child("Image3"), Qt::LeftButton);
    QVERIFY(view("panel_eingaben")->isVisible());
    QVERIFY(MessageBox::takeShownMessages().isEmpty());
}

void TestOperatorWindow::keysReachKeyboardControlAndFocusedControl()
{
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QVERIFY(view("panel_kampf")->isVisible());
    QTest::keyClick(m_window->windowHandle(), Qt::Key_F2);
    QCOMPARE(m_console->bout().wr, QStringLiteral("2"));
    QCOMPARE(child<QLabel>("tpr")->text(), QStringLiteral("2"));

    // With the keyboard control active, a key typed into a field acts and is typed as well.
    m_keyboard->keyboardActive = true;
    QWidget* heim = child("heim");
    view("panel_eingaben")->show();
    heim->setFocus();
    QTRY_VERIFY(heim->hasFocus());
    QTest::keyClick(m_window->windowHandle(), Qt::Key_P);
    QCOMPARE(m_console->bout().wr, QStringLiteral("2P"));
    QCOMPARE(static_cast<QLineEdit*>(heim)->text(), QStringLiteral("KSVp"));
}

void TestOperatorWindow::keysActOnlyOnBoutPanel()
{
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QTest::mouseClick(child("Image2"), Qt::LeftButton);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_F2);
    QCOMPARE(m_console->bout().wr, QString());
}

void TestOperatorWindow::numberPadDigitsNeverSelectABout()
{
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_2, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
}

void TestOperatorWindow::upwardDragOnPanelSurfaceOpensEntryPanel()
{
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QWidget* panel = m_window->boutPanel();
    // A point of the panel's own surface with room above it.
    QPoint start;
    for (int y = panel->height() - 20; y > 300 && start.isNull(); y -= 7)
        for (int x = 300; x < 900 && start.isNull(); x += 13)
            if (!panel->childAt(x, y) && !panel->childAt(x + 2, y - 150) && !panel->childAt(x + 2, y - 101))
                start = QPoint(x, y);
    QVERIFY(!start.isNull());
    QTest::mousePress(panel, Qt::LeftButton, {}, start);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, start + QPoint(3, -150));
    QVERIFY(view("panel_kampf")->isVisible()); // drifted 3 px: nothing
    QTest::mousePress(panel, Qt::LeftButton, {}, start);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, start + QPoint(2, -101));
    QVERIFY(view("panel_eingaben")->isVisible()); // no match file needed for the drag
    QVERIFY(!m_keyboard->keyboardActive);
}

void TestOperatorWindow::markerWidgetFollowsTheShell()
{
    QTest::mouseClick(child("Image4"), Qt::LeftButton);
    QVERIFY(view("panel_drucken")->isVisible());
    for (int i = 0; i < 4; ++i)
        m_shell->Timer1Timer();
    QCOMPARE(child("Shape1")->y(), m_shell->markerPos());
    QVERIFY(m_shell->markerPos() > 0);
}

void TestOperatorWindow::quitSavesFirstAndStaysOnFailedSave()
{
    QTest::mouseClick(child("Label1"), Qt::LeftButton); // no match open: nothing written
    QVERIFY(QDir(m_dir->path()).entryList({QStringLiteral("*.ptlx")}).isEmpty());
    QVERIFY(MessageBox::takeShownMessages().isEmpty());
    // Edits with no match open: quitting would lose them, so the operator is asked.
    m_console->record().setHeader(QStringLiteral("gast"), QStringLiteral("TSV"));
    MessageBox::setNextAnswer(MessageBox::No);
    QTest::mouseClick(child("Label1"), Qt::LeftButton);
    const QStringList asked = MessageBox::takeShownMessages();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().startsWith(QStringLiteral("Es ist keine Kampfdatei geöffnet")));
    QVERIFY(QDir(m_dir->path()).entryList({QStringLiteral("*.ptlx")}).isEmpty());

    // A broken file leaves the open match on screen and in charge, under its own name.
    openMatch();
    const QString broken = m_dir->filePath(QStringLiteral("kaputt.ptlx"));
    QFile b(broken);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write("<mk><info><punktfreund>x</punktfreund></info><kaempfe/></mk>");
    b.close();
    m_window->openMatchFile(broken);
    QCOMPARE(MessageBox::takeShownMessages().size(), 1);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("VANTOR²: [m.ptlx]"));
    QCOMPARE(child<QLabel>("pfaddateiname")->text(), m_path);
    QCOMPARE(m_console->record().header(QStringLiteral("heim")), QStringLiteral("KSV"));
    m_console->record().setHeader(QStringLiteral("gast"), QStringLiteral("ASV"));
    QTest::mouseClick(child("Label1"), Qt::LeftButton);
    QVERIFY(readAll(m_path).contains("<gast>ASV</gast>"));
    QVERIFY(MessageBox::takeShownMessages().isEmpty());

    QVERIFY(QFile::remove(m_path));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("m.ptlx"))); // the file's place is taken
    m_window->Label1Click();
    const QStringList shown = MessageBox::takeShownMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().contains(QStringLiteral("kann nicht gespeichert werden")));
}

void TestOperatorWindow::helpFailureIsReported()
{
    QList<QUrl> opened;
    setDocumentOpenerForTests([&](const QUrl& url) {
        opened << url;
        return true;
    });
    QTest::mouseClick(child("Label58"), Qt::LeftButton); // no hilfe.pdf beside the program
    QCOMPARE(MessageBox::takeShownMessages(), QStringList{QStringLiteral("Es ist ein Fehler aufgetreten.")});
    QVERIFY(opened.isEmpty());
    QFile pdf(m_dir->filePath(QStringLiteral("hilfe.pdf")));
    QVERIFY(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    QTest::mouseClick(child("Label58"), Qt::LeftButton);
    QVERIFY(MessageBox::takeShownMessages().isEmpty());
    QCOMPARE(opened.size(), 1);
    setDocumentOpenerForTests([](const QUrl&) { return false; });
    QTest::mouseClick(child("Label58"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList{QStringLiteral("Es ist ein Fehler aufgetreten.")});
}

void TestOperatorWindow::refereeListFillsOfficials()
{
    // Without the referee list the officials are typed into plain fields.
    auto* ml = child<QComboBox>("ml");
    QCOMPARE(ml->count(), 0);
    QVERIFY(ml->styleSheet().contains(QStringLiteral("drop-down")));

    QFile list(m_dir->filePath(QStringLiteral("ExportZELMOKampfrichter.txt")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("Nr;Name;Vorname\r\n1;Maier;Hans\r\n2;M\xfcller;J\xfcrgen\n");
    list.close();
    OperatorWindow second(*m_console, *m_keyboard, *m_shell);
    for (const char* name : {"mp", "pr", "ml"}) {
        auto* combo = second.findChild<QComboBox*>(QLatin1String(name));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(1), QStringLiteral("Jürgen Müller"));
        QVERIFY(combo->styleSheet().isEmpty());
    }
}

void TestOperatorWindow::dragMayEndOverAnElement()
{
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QWidget* panel = m_window->boutPanel();
    QWidget* clock = child("uhr");
    const QPoint over = clock->geometry().center();
    QPoint start;
    for (int y = over.y() + 101; y < panel->height() && start.isNull(); ++y)
        if (!panel->childAt(over.x(), y))
            start = QPoint(over.x(), y);
    QVERIFY(!start.isNull());
    // A press on an element is not a drag, wherever it is released.
    QTest::mousePress(panel, Qt::LeftButton, {}, over + QPoint(0, 150));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, over);
    QTest::mousePress(panel, Qt::LeftButton, {}, start);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(start.x(), start.y() - 101 - (start.y() - over.y() - 101)));
    QVERIFY(view("panel_eingaben")->isVisible());
}

void TestOperatorWindow::messageWindowClosesOnlyByItsPicture()
{
    m_messages->resize(500, 400);
    m_messages->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_messages.get()));
    QTest::keyClick(m_messages.get(), Qt::Key_Escape);
    QTest::keyClick(m_messages.get(), Qt::Key_Return);
    QVERIFY(m_messages->isVisible());
    auto* close = m_messages->findChild<QWidget*>(QStringLiteral("Image1"));
    // On a screen narrower than the box the close picture stays reachable.
    QVERIFY(close->geometry().right() < m_messages->width());
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!m_messages->isVisible());
}

void TestOperatorWindow::shiftedDigitRowStillSelectsABout()
{
    // X11 key codes 10-19 are the digit row: Ctrl+Shift+5 arrives as "%" but means bout 5.
    QCOMPARE(virtualKeyFor(Qt::Key_Percent, Qt::ControlModifier | Qt::ShiftModifier, 14), 53);
    QCOMPARE(virtualKeyFor(Qt::Key_Equal, Qt::ControlModifier | Qt::ShiftModifier, 19), 48);
    QCOMPARE(virtualKeyFor(Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier, 14), 0);
    QCOMPARE(virtualKeyFor(Qt::Key_Percent, Qt::ShiftModifier, 0), 0);
}

void TestOperatorWindow::brokenSettingsStillKeepChanges()
{
    const QString path = m_dir->filePath(QStringLiteral("set.xml"));
    QFile settings(path);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("<settings><werbung><modus>x</modus></werbung></settings>");
    settings.close();
    Console console(m_dir->path(), &m_sound);
    KeyboardControl keyboard(console.bout(), console.clock(), console.navigator());
    OperatorShell shell(console, keyboard);
    OperatorWindow second(console, keyboard, shell);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    const QStringList shown = MessageBox::takeShownMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("„werbung/modus“: 'x' ist kein gültiger Integerwert")),
             qPrintable(shown.first()));
    // The faulty value took its default, the start went on, and the next change is saved.
    QVERIFY(console.settings().settingsReady);
    QVERIFY(second.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText() != QStringLiteral("Tipp\n"));
    console.settings().setZeit(QStringLiteral("60"));
    console.settings().saveset();
    const QByteArray stored = readAll(path);
    QVERIFY(stored.contains("<modus>-1</modus>"));
    QVERIFY(stored.contains("<zeit>60</zeit>"));
}

void TestOperatorWindow::audienceFollowsTheOperatorSide()
{
    AudienceWindow audience(m_console->audience());
    m_window->setAudienceWindow(&audience);
    openMatch();
    QImage advert(977, 100, QImage::Format_RGB32);
    advert.fill(QColor(200, 20, 20));
    const QString jpeg = m_dir->filePath(QStringLiteral("werbung.jpg"));
    QVERIFY(advert.save(jpeg, "JPG"));
    m_console->settings().setWerbung({jpeg});
    m_console->settings().setModus(0);

    // "Anzeige": the advert of mode 0, the window, then the bout panel with bout 1.
    QTest::mouseClick(child("c"), Qt::LeftButton);
    QVERIFY(audience.isVisible());
    QVERIFY(view("panel_kampf")->isVisible());
    QCOMPARE(audience.advert().size(), QSize(977, 100));
    QCOMPARE(QColor(audience.advert().pixel(488, 50)).red() > 150, true);
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));

    // "Ringer vorstellen" zooms to the introduction; the lamp turns red at the swap.
    QTest::mouseClick(child("Label82"), Qt::LeftButton);
    for (int i = 0; i < 30 && m_console->audience().overlayVisible(); ++i)
        m_console->audience().Timer1Timer();
    QVERIFY(m_console->view().lampRed());
    QVERIFY(m_console->view().panel2Visible());

    // The scale buttons scale the audience window.
    QTest::mouseClick(child("Image6"), Qt::LeftButton);
    QTest::mouseClick(child("Button8"), Qt::LeftButton);
    QCOMPARE(m_console->settings().skalierung(), QStringLiteral("102"));
    QCOMPARE(m_console->audience().clientSize(), QSize(1030, 747));

    // The licence-or-pass choice renames the grid's licence columns.
    QTest::mouseClick(child("RadioGroup3_1"), Qt::LeftButton);
    auto* model = m_window->entryPanel()->grid()->model();
    QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("PassNr"));
    QCOMPARE(model->headerData(12, Qt::Horizontal).toString(), QStringLiteral("PassNr"));
}

void TestOperatorWindow::boutPanelControlsDriveClockAndNavigation()
{
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    BoutClock& clock = m_console->clock();
    QTest::mouseClick(child("uhr"), Qt::LeftButton);
    QVERIFY(clock.running());
    QTest::mouseClick(child("uhr"), Qt::LeftButton);
    QVERIFY(!clock.running());
    QTest::mouseClick(child("Label6"), Qt::LeftButton);
    QTest::mouseClick(child("Label6"), Qt::LeftButton);
    QCOMPARE(child<QLabel>("uhr")->text(), QStringLiteral("0:02"));
    QTest::mouseClick(child("Label7"), Qt::LeftButton);
    QCOMPARE(clock.uhr(), QStringLiteral("0:01"));
    QTest::mouseClick(child("Label77"), Qt::LeftButton);
    QCOMPARE(clock.uhr(), QStringLiteral("0:00"));
    QCOMPARE(child<QLabel>("Label77")->text(), QStringLiteral("R\nE\nS\nE\nT"));

    clock.activityCountdown = 12;
    QTest::mouseClick(child("Label23"), Qt::LeftButton);
    QCOMPARE(clock.activityCountdown, 0);

    for (const char* name : {"vzrot", "tpr"}) {
        QTest::mouseDClick(child(name), Qt::LeftButton);
        QVERIFY(clock.injuryRedRunning());
        QTest::mouseDClick(child(name), Qt::LeftButton);
        QVERIFY(!clock.injuryRedRunning());
    }
    for (const char* name : {"vzblau", "tpb"}) {
        QTest::mouseDClick(child(name), Qt::LeftButton);
        QVERIFY(clock.injuryBlueRunning());
        QTest::mouseDClick(child(name), Qt::LeftButton);
        QVERIFY(!clock.injuryBlueRunning());
    }

    QTest::mouseClick(child("Label36"), Qt::LeftButton); // "nächster Kampf >"
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>("kampfnr")->text(), QStringLiteral("2"));
    QTest::mouseClick(child("Label39"), Qt::LeftButton); // "<"
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
    QTest::mouseClick(child("Label36"), Qt::LeftButton);
    QTest::mouseClick(child("Label22"), Qt::LeftButton); // "Kampf Nr. 1"
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
    QVERIFY(readAll(m_path).contains("<zeit>0:00</zeit>"));
}

void TestOperatorWindow::messageBoxCentring_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("left");
    QTest::newRow("1010: 192.5 to even") << 1010 << 192;
    QTest::newRow("1280: 327.5 to even") << 1280 << 328;
    QTest::newRow("1920") << 1920 << 648;
    QTest::newRow("narrower than the box") << 500 << 1;
}

void TestOperatorWindow::messageBoxCentring()
{
    QFETCH(int, width);
    QFETCH(int, left);
    QCOMPARE(MessageWindow::boxLeft(width), left);
}

QTEST_MAIN(TestOperatorWindow)
#include "tst_operatorwindow.moc"
