#include "bout/KeyMap.h"
#include "bout/KeyboardControl.h"
#include "bout/ui/BoutPanel.h"
#include "match/MatchFields.h"
#include "match/ui/EntryPanel.h"
#include "match/ui/ProtocolGrid.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "platform/DocumentOpener.h"
#include "platform/SignalSound.h"
#include "shell/Console.h"
#include "shell/OperatorShell.h"
#include "settings/Settings.h"
#include "widgets/Dialogs.h"
#include "shell/ui/MessageWindow.h"
#include "shell/ui/OperatorWindow.h"

#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "support/TestSupport.h"

// Cells of one bout row by column.
using Cells = QMap<int, QString>;

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
    void queuedKeysKeepTheirModifiers_data();
    void queuedKeysKeepTheirModifiers();
    void boutFollowsItsRow_data();
    void boutFollowsItsRow();
    void badCellInFollowedRow_data();
    void badCellInFollowedRow();
    void numberPadDigitsNeverSelectABout();
    void upwardDragOnPanelSurfaceOpensEntryPanel();
    void markerWidgetFollowsTheShell();
    void quitSavesFirstAndStaysOnFailedSave();
    void quitAsksOnlyForUnwrittenWork_data();
    void quitAsksOnlyForUnwrittenWork();
    void quitQuestionAnswers_data();
    void quitQuestionAnswers();
    void closingSavesAFieldNotYetLeft();
    void helpFailureIsReported();
    void refereeListFillsOfficials();
    void dragMayEndOverAnElement();
    void messageWindowClosesOnlyByItsPicture();
    void shiftedDigitRowStillSelectsABout();
    void brokenSettingsStillKeepChanges();
    void audienceFollowsTheOperatorSide();
    void anzeigeAlwaysShowsTheWindow_data();
    void anzeigeAlwaysShowsTheWindow();
    void boutPanelControlsDriveClockAndNavigation();
    void messageBoxCentring_data();
    void messageBoxCentring();
    void openingTheSetupPanelRedrawsThePreview();

private:
    void openMatch();
    // On the entry panel: "Shift+Del" or "Ctrl+Del" typed into the first cell of bout 1's row,
    // or the named buttons clicked one after another ("Button3 Button1").
    void changeLineUp(const QString& operation);
    // Keys as the operator types them into the operator window ("F2", "Ctrl+1", ...).
    void type(const QStringList& keys);
    // "Beenden" clicked, or the window closed by the window manager; true when the window ended.
    bool quit(bool byClose);
    QWidget* view(const char* name) const { return m_window->findChild<QWidget*>(QLatin1String(name)); }
    template <typename T = QWidget> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QLatin1String(name));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
    // The console's own.
    KeyboardControl* m_keyboard = nullptr;
    OperatorShell* m_shell = nullptr;
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
    m_keyboard = &m_console->keyboard();
    m_shell = &m_console->shell();
    m_window = std::make_unique<OperatorWindow>(*m_console);
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
    m_shell = nullptr;
    m_keyboard = nullptr;
    m_console.reset();
    m_dir.reset();
    setDocumentOpenerForTests({});
}

void TestOperatorWindow::openMatch()
{
    m_path = m_dir->filePath(QStringLiteral("m.ptlx"));
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV</heim></info><kaempfe>"
        "<kampf1><reihenfolge>1</reihenfolge><stil>F</stil><nachnrot>Huber</nachnrot><nachnblau>Nowak</"
        "nachnblau>"
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
    QCOMPARE(child<QLabel>("version")->text(), QStringLiteral(VANTOR_VERSION));
}

void TestOperatorWindow::entryPanelGuardShowsMessage()
{
    QTest::mouseClick(child("Image3"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(),
             QStringList{QStringLiteral(
                 "Achtung!: Bitte wählen Sie zuerst eine Datei oder legen Sie eine neue an.")});
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
    QCOMPARE(m_console->bout().wr(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>("tpr")->text(), QStringLiteral("2"));

    // With the keyboard control active, a key typed into a field acts and is typed as well.
    m_keyboard->setKeyboardActive(true);
    QWidget* heim = child("heim");
    view("panel_eingaben")->show();
    heim->setFocus();
    QTRY_VERIFY(heim->hasFocus());
    QTest::keyClick(m_window->windowHandle(), Qt::Key_P);
    QCOMPARE(m_console->bout().wr(), QStringLiteral("2P"));
    QCOMPARE(static_cast<QLineEdit*>(heim)->text(), QStringLiteral("KSVp"));
}

void TestOperatorWindow::keysActOnlyOnBoutPanel()
{
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QTest::mouseClick(child("Image2"), Qt::LeftButton);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_F2);
    QCOMPARE(m_console->bout().wr(), QString());
}

void TestOperatorWindow::queuedKeysKeepTheirModifiers_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("ctrlNow");
    QTest::addColumn<bool>("fromAudience");
    QTest::addColumn<QString>("wr");
    QTest::addColumn<QString>("wb");
    QTest::addColumn<QString>("kampfnr");

    QTest::newRow("Ctrl+P, Ctrl let go") << QStringList{"Ctrl+P"} << false << false << " "
                                         << "P"
                                         << "1";
    QTest::newRow("P, then Ctrl") << QStringList{"P"} << true << false << "P"
                                  << " "
                                  << "1";
    QTest::newRow("2, then Ctrl") << QStringList{"2"} << true << false << ""
                                  << ""
                                  << "1";
    QTest::newRow("Ctrl+2, Ctrl let go") << QStringList{"Ctrl+2"} << false << false << ""
                                         << ""
                                         << "2";
    QTest::newRow("mixed, Ctrl held") << QStringList{"Ctrl+P", "P", "Ctrl+V", "V"} << true << false << " P V"
                                      << "P V "
                                      << "1";
    QTest::newRow("mixed, Ctrl let go")
        << QStringList{"Ctrl+P", "P", "Ctrl+V", "V"} << false << false << " P V"
        << "P V "
        << "1";
    QTest::newRow("audience: Ctrl+P, Ctrl let go") << QStringList{"Ctrl+P"} << false << true << " "
                                                   << "P"
                                                   << "1";
    QTest::newRow("audience: P, then Ctrl") << QStringList{"P"} << true << true << "P"
                                            << " "
                                            << "1";
}

// Keys that wait in the queue while the window is busy (a save, a repaint) count with the
// modifiers held when they were typed, not with those held by the time they are handled.
void TestOperatorWindow::queuedKeysKeepTheirModifiers()
{
    QFETCH(QStringList, keys);
    QFETCH(bool, ctrlNow);
    QFETCH(bool, fromAudience);
    QFETCH(QString, wr);
    QFETCH(QString, wb);
    QFETCH(QString, kampfnr);

    AudienceWindow audience(m_console->audience());
    m_window->setAudienceWindow(&audience);
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    audience.show();
    QVERIFY(QTest::qWaitForWindowExposed(&audience));
    QWindow* target = fromAudience ? audience.windowHandle() : m_window->windowHandle();

    // The keyboard's state by the time the queue is handled: Ctrl pressed for the next key, or
    // let go already. (Set first: a simulated key press runs the queue itself.)
    if (ctrlNow)
        QTest::keyPress(m_window->windowHandle(), Qt::Key_Control, Qt::ControlModifier);
    else
        QTest::keyRelease(m_window->windowHandle(), Qt::Key_Control, Qt::NoModifier);
    // The keys typed before, waiting while the window was busy.
    for (const QString& key : keys) {
        const QKeyCombination k = QKeySequence(key)[0];
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, k.key(), k.keyboardModifiers(), key.right(1)));
    }
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    QTest::keyRelease(m_window->windowHandle(), Qt::Key_Control, Qt::NoModifier);

    QCOMPARE(m_console->bout().wr(), wr);
    QCOMPARE(m_console->bout().wb(), wb);
    QCOMPARE(m_console->navigator().kampfnr(), kampfnr);
    // Bout 1 was left only when a bout change was asked for.
    QCOMPARE(m_console->record().cell(MatchFields::ColZeit, 1).isEmpty(), kampfnr == QLatin1String("1"));
}

void TestOperatorWindow::boutFollowsItsRow_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("bout");
    QTest::addColumn<int>("row");
    QTest::addColumn<Cells>("expected");

    using namespace MatchFields;
    // Bout 1 was won 4 : 0 "SS" by Huber (red) with two points. Bout 2 got two points for blue:
    // written 0 : 1 "PS" when bout 1 is taken back onto the panel, still on the panel otherwise.
    QTest::newRow("Shift+Del") << "Shift+Del" << 1 << 1
                               << Cells{{4, "Huber"},  {ColPunkteRot, ""}, {ColPunkteBlau, ""},
                                        {ColSieg, ""}, {ColTpRot, "0"},    {ColWertungenRot, ""}};
    // No wrestlers left: both sides "KL", 0 : 0.
    QTest::newRow("Ctrl+Del")
        << "Ctrl+Del" << 1 << 1
        << Cells{{4, ""}, {ColPunkteRot, "0"}, {ColPunkteBlau, "0"}, {ColSieg, "KL"}, {ColWertungenRot, ""}};
    // Another bout's row: the bout on the panel goes on as it was.
    QTest::newRow("Shift+Del, other row")
        << "Shift+Del" << 2 << 2 << Cells{{ColPunkteBlau, "1"}, {ColSieg, "PS"}, {ColWertungenBlau, "2"}};
    QTest::newRow("Leeren")
        << "Button15" << 1 << 1
        << Cells{{4, ""}, {ColPunkteRot, ""}, {ColSieg, ""}, {ColZeit, ""}, {ColReihenfolge, ""}};
    QTest::newRow("Rot <-> Blau") << "Button18" << 1 << 1
                                  << Cells{{4, "Nowak"},         {11, "Huber"},   {ColPunkteRot, "0"},
                                           {ColPunkteBlau, "4"}, {ColSieg, "SS"}, {ColTpRot, "0"},
                                           {ColTpBlau, "2"}};
    QTest::newRow("8 Kämpfe") << "Button7" << 1 << 1
                              << Cells{{4, "Huber"},
                                       {ColPunkteRot, "4"},
                                       {ColSieg, "SS"},
                                       {ColWertungenRot, "2"}};
    // Bout 2's row goes; the first stays as it was.
    QTest::newRow("-") << "Button3" << 2 << 1
                       << Cells{{ColPunkteRot, "4"}, {ColSieg, "SS"}, {ColWertungenRot, "2"}};
    // A row appended in the place of the removed one is a new, empty bout.
    QTest::newRow("-, +")
        << "Button3 Button1" << 2 << 2
        << Cells{{11, ""}, {ColPunkteBlau, ""}, {ColSieg, ""}, {ColZeit, ""}, {ColWertungenBlau, ""}};
}

// A change on the entry panel to the row of the bout on the bout panel is what the next bout
// change writes back, not the panel's copy from before the change.
void TestOperatorWindow::boutFollowsItsRow()
{
    QFETCH(QString, operation);
    QFETCH(int, bout);
    QFETCH(int, row);
    QFETCH(Cells, expected);

    openMatch();
    QWindow* window = m_window->windowHandle();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QTest::keyClick(window, Qt::Key_F2);
    QTest::keyClick(window, Qt::Key_S);
    QTest::keyClick(window, Qt::Key_F9);
    QTest::keyClick(window, Qt::Key_F6);
    if (bout == 1)
        QTest::keyClick(window, Qt::Key_1, Qt::ControlModifier);
    const MatchRecord& record = m_console->record();
    QCOMPARE(record.cell(MatchFields::ColSieg, 1), QStringLiteral("SS"));
    QCOMPARE(m_console->navigator().kampfnr(), QString::number(bout));

    QTest::mouseClick(child("Image3"), Qt::LeftButton);
    changeLineUp(operation);
    QVERIFY(MessageBox::takeShownMessages().isEmpty());
    // A laid-out template leaves no bout current; every other change keeps the bout on the panel.
    const bool laidOut = operation == QLatin1String("Button7");
    QCOMPARE(m_console->navigator().kampfnr(), laidOut ? QStringLiteral("0") : QString::number(bout));
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QTest::keyClick(window, Qt::Key_F9);

    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(
            record.cell(it.key(), row) == it.value(),
            qPrintable(QStringLiteral("column %1: \"%2\"").arg(it.key()).arg(record.cell(it.key(), row))));
}

void TestOperatorWindow::changeLineUp(const QString& operation)
{
    ProtocolGrid* grid = m_window->entryPanel()->grid();
    if (operation.endsWith(QLatin1String("+Del"))) {
        grid->setFocus(Qt::OtherFocusReason);
        grid->setCurrentIndex(grid->model()->index(0, 3));
        const Qt::KeyboardModifier held =
            operation.startsWith(QLatin1String("Shift")) ? Qt::ShiftModifier : Qt::ControlModifier;
        // The cell's editor has the keyboard, as after a click into the row.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, held);
    } else {
        for (const QString& button : operation.split(QLatin1Char(' ')))
            QTest::mouseClick(m_window->findChild<QWidget*>(button), Qt::LeftButton);
    }
}

void TestOperatorWindow::badCellInFollowedRow_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("badRow");
    QTest::addColumn<QString>("nachnrot"); // of bout 1 in the file afterwards
    QTest::newRow("Rot <-> Blau") << "Button18" << 1 << "Nowak";
    QTest::newRow("8 Kämpfe") << "Button7" << 1 << "Huber";
    // The keys clear the bad cell of their own row; the loaded bout reads every row's points.
    // They save nothing: the file keeps the wrestler.
    QTest::newRow("Shift+Del") << "Shift+Del" << 2 << "Huber";
    QTest::newRow("Ctrl+Del") << "Ctrl+Del" << 2 << "Huber";
}

// A row holds team points that are no number: following the changed rows fails. The operator
// sees that failure of the button's or the key's action, what the action saves is saved all the
// same, and the panel belongs to no row, so the next bout change writes nothing into it.
void TestOperatorWindow::badCellInFollowedRow()
{
    QFETCH(QString, operation);
    QFETCH(int, badRow);
    QFETCH(QString, nachnrot);
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QCOMPARE(m_console->navigator().kampfid(), QStringLiteral("1"));
    MatchRecord& record = m_console->record();
    record.setCell(MatchFields::ColPunkteRot, badRow, QStringLiteral("x"));

    QTest::mouseClick(child("Image3"), Qt::LeftButton);
    changeLineUp(operation);
    const QStringList failure{QStringLiteral("'x' ist kein gültiger Integerwert")};
    QCOMPARE(MessageBox::takeShownMessages(), failure);
    QCOMPARE(stored(m_path, QStringLiteral("kaempfe/kampf1/nachnrot")), nachnrot);
    QCOMPARE(m_console->navigator().kampfid(), QStringLiteral("0"));

    QStringList row;
    for (int c = 0; c < MatchFields::ColumnCount; ++c)
        row << record.cell(c, 1);
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_F9);
    // Showing the bout panel and the bout change each meet the bad cell again, and say so.
    const QStringList later = MessageBox::takeShownMessages();
    QVERIFY(!later.isEmpty());
    for (const QString& message : later)
        QCOMPARE(message, failure.first());
    for (int c = 0; c < MatchFields::ColumnCount; ++c)
        QCOMPARE(record.cell(c, 1), row.at(c));
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
    QVERIFY(!m_keyboard->keyboardActive());
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

void TestOperatorWindow::type(const QStringList& keys)
{
    for (const QString& key : keys) {
        const QKeyCombination k = QKeySequence(key)[0];
        QTest::keyClick(m_window->windowHandle(), k.key(), k.keyboardModifiers());
    }
}

bool TestOperatorWindow::quit(bool byClose)
{
    if (byClose)
        return m_window->close(); // a real close event, as Alt+F4 or the desktop send it
    QTest::mouseClick(child("Label1"), Qt::LeftButton);
    return !m_window->isVisible();
}

void TestOperatorWindow::quitAsksOnlyForUnwrittenWork_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("asked");
    QTest::newRow("bout loaded, nothing done") << QStringList{} << false;
    QTest::newRow("an action") << QStringList{"F2"} << true;
    QTest::newRow("a passivity") << QStringList{"P"} << true;
    QTest::newRow("a win code") << QStringList{"S"} << true;
    QTest::newRow("a win code of blue") << QStringList{"Ctrl+D"} << true;
    QTest::newRow("the clock moved") << QStringList{"Up"} << true;
    QTest::newRow("the clock running") << QStringList{"Space"} << true;
    QTest::newRow("action taken back") << QStringList{"F5", "Backspace"} << false;
    QTest::newRow("win code taken back") << QStringList{"S", "Backspace"} << false;
    QTest::newRow("clock moved and back") << QStringList{"Up", "Down"} << false;
    QTest::newRow("clock started and stopped") << QStringList{"Space", "Space"} << false;
    // Leaving a bout writes it; loaded again, it holds only what its row holds.
    QTest::newRow("written, then back") << QStringList{"F2", "S", "Up", "F9", "Ctrl+1"} << false;
    QTest::newRow("written, back, one more") << QStringList{"F2", "F9", "Ctrl+1", "F6"} << true;
    QTest::newRow("written, on the next bout") << QStringList{"F2", "F9", "F7"} << true;
}

// "Beenden" asks before the bout on the panel is lost, and only then; "Nein" keeps the program.
void TestOperatorWindow::quitAsksOnlyForUnwrittenWork()
{
    QFETCH(QStringList, keys);
    QFETCH(bool, asked);
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    type(keys);
    MessageBox::takeShownMessages();
    MessageBox::setNextAnswer(MessageBox::No);
    QCOMPARE(quit(false), !asked);
    const QStringList shown = MessageBox::takeShownMessages();
    QCOMPARE(shown.size(), asked ? 1 : 0);
    if (asked)
        QVERIFY2(
            shown.first().startsWith(QStringLiteral("Kampf Nr. %1 ist noch nicht ins Protokoll übernommen")
                                         .arg(m_console->navigator().kampfnr())),
            qPrintable(shown.first()));
}

void TestOperatorWindow::quitQuestionAnswers_data()
{
    QTest::addColumn<bool>("byClose");
    QTest::addColumn<MessageBox::Answer>("answer");
    QTest::newRow("Beenden, Nein") << false << MessageBox::No;
    QTest::newRow("Beenden, Ja") << false << MessageBox::Yes;
    QTest::newRow("closed, Nein") << true << MessageBox::No;
    QTest::newRow("closed, Ja") << true << MessageBox::Yes;
}

// The question takes nothing over: whatever the answer, neither the match file nor the grid
// row nor the bout changes, and a bout half-way through gets no result.
void TestOperatorWindow::quitQuestionAnswers()
{
    QFETCH(bool, byClose);
    QFETCH(MessageBox::Answer, answer);
    openMatch();
    QTest::mouseClick(child("Image1"), Qt::LeftButton);
    type({"F2", "F7", "V", "Up", "Up"});
    m_console->record().setHeader(QStringLiteral("gast"), QStringLiteral("TSV"));
    const MatchRecord& record = m_console->record();
    QStringList row;
    for (int c = 0; c < MatchFields::ColumnCount; ++c)
        row << record.cell(c, 1);

    // The save before the question writes the header edit, as the bytes saved by hand show.
    m_console->matchFile().saveall();
    const QByteArray saved = readAll(m_path);
    QVERIFY(saved.contains("<gast>TSV</gast>"));
    m_console->record().setHeader(QStringLiteral("gast"), QStringLiteral("TSV"));
    MessageBox::takeShownMessages();
    MessageBox::setNextAnswer(answer);
    QCOMPARE(quit(byClose), answer == MessageBox::Yes);
    QCOMPARE(MessageBox::takeShownMessages().size(), 1);
    QCOMPARE(m_window->isVisible(), answer == MessageBox::No);

    QCOMPARE(readAll(m_path), saved);
    QStringList after;
    for (int c = 0; c < MatchFields::ColumnCount; ++c)
        after << record.cell(c, 1);
    QCOMPARE(after, row);
    QCOMPARE(m_console->bout().wr(), QStringLiteral("2 V"));
    QCOMPARE(m_console->bout().wb(), QStringLiteral(" 4 "));
    QCOMPARE(m_console->clock().uhr(), QStringLiteral("0:02"));
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
    QVERIFY(m_console->boutUnwritten());

    if (answer == MessageBox::No) {
        // Still running, the operator takes the bout over as usual and then quits unasked.
        type({"F9"});
        QVERIFY(readAll(m_path).contains("<wertungenrot>2#V</wertungenrot>")); // a blank is stored as '#'

        QVERIFY(quit(byClose));
        QVERIFY(MessageBox::takeShownMessages().isEmpty());
    }
}

// A value typed into a field is saved by the close of the window as by "Beenden", also while
// the field still has the keyboard.
void TestOperatorWindow::closingSavesAFieldNotYetLeft()
{
    openMatch();
    QTest::mouseClick(child("Image3"), Qt::LeftButton);
    auto* gast = child<QLineEdit>("gast");
    gast->setFocus();
    QTRY_VERIFY(gast->hasFocus());
    QTest::keyClicks(gast, QStringLiteral("ASV"));
    QVERIFY(gast->hasFocus());
    QVERIFY(m_window->close());
    QVERIFY(readAll(m_path).contains("<gast>ASV</gast>"));
    QVERIFY(MessageBox::takeShownMessages().isEmpty());
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
    OperatorWindow second(*m_console);
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
    QTest::mouseRelease(panel, Qt::LeftButton, {},
                        QPoint(start.x(), start.y() - 101 - (start.y() - over.y() - 101)));
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
    // Its text in the console's face, not the system's fallback.
    const QString face = QFontInfo(m_window->font()).family();
    QCOMPARE(QFontInfo(m_messages->findChild<QWidget*>(QStringLiteral("Memo1"))->font()).family(), face);
    QCOMPARE(QFontInfo(m_messages->findChild<QWidget*>(QStringLiteral("Label1"))->font()).family(), face);
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
    settings.write(
        "<settings><anzeige><skalierung>110</skalierung></anzeige><werbung><modus>x</modus></werbung>"
        "</settings>");
    settings.close();
    Console console(m_dir->path(), &m_sound);
    OperatorWindow second(console);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    const QStringList shown = MessageBox::takeShownMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("„werbung/modus“: 'x' ist kein gültiger Integerwert")),
             qPrintable(shown.first()));
    // The faulty value took its default, the start went on, and the next change is saved.
    QVERIFY(console.settings().settingsReady());
    QVERIFY(second.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText() !=
            QStringLiteral("Tipp\n"));
    console.settings().setZeit(QStringLiteral("60"));
    console.settings().saveset();
    const QByteArray stored = readAll(path);
    QVERIFY(stored.contains("<modus>-1</modus>"));
    QVERIFY(stored.contains("<zeit>60</zeit>"));
    // The scale read from the file is the scale the hall sees.
    QCOMPARE(second.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("110"));
    QCOMPARE(console.audience().clientSize(), QSize(1111, 805));
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
    // The advert is read off the window thread and comes a moment later.
    QTRY_COMPARE(QColor(audience.advert().pixel(488, 50)).red() > 150, true);
    QCOMPARE(audience.advert().size(), QSize(977, 100));
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));

    // "Ringer vorstellen" zooms to the introduction; the lamp turns red at the swap.
    QTest::mouseClick(child("Label82"), Qt::LeftButton);
    for (int i = 0; i < 30 && m_console->audience().overlayVisible(); ++i)
        m_console->audience().Timer1Timer();
    QVERIFY(m_console->view().lampRed());
    QVERIFY(m_console->view().panel2Visible());
    // The lamp is a rounded box: red inside, the panel's own colour in its corners.
    QWidget* lamp = child("Shape43");
    const QImage panel = view("panel_kampf")->grab(lamp->geometry()).toImage();
    QCOMPARE(panel.pixelColor(panel.width() / 2, 3), QColor(255, 0, 0));
    QCOMPARE(panel.pixelColor(1, 1), view("panel_kampf")->palette().color(QPalette::Window));

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

void TestOperatorWindow::anzeigeAlwaysShowsTheWindow_data()
{
    QTest::addColumn<int>("modus");
    QTest::addColumn<QString>("zeit");
    QTest::addColumn<bool>("brokenAdvert");
    QTest::addColumn<QString>("message"); // a part of it; empty: no message

    QTest::newRow("0: no seconds") << 0 << "" << false << "";
    QTest::newRow("2: letters") << 2 << "abc" << false << "";
    QTest::newRow("1: no seconds") << 1 << "" << false << "„Wechsel alle … Sekunden“";
    QTest::newRow("1: letters") << 1 << "abc" << false << "'abc' ist kein gültiger Integerwert";
    QTest::newRow("0: broken advert") << 0 << "120" << true << "JPEG-Fehler #53";
}

// Neither the adverts nor their seconds keep the hall from its scoreboard.
void TestOperatorWindow::anzeigeAlwaysShowsTheWindow()
{
    QFETCH(int, modus);
    QFETCH(QString, zeit);
    QFETCH(bool, brokenAdvert);
    QFETCH(QString, message);

    AudienceWindow audience(m_console->audience());
    m_window->setAudienceWindow(&audience);
    openMatch();
    const QString advert = m_dir->filePath(QStringLiteral("werbung.jpg"));
    QFile file(advert);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(brokenAdvert ? QByteArray("\x89PNG\r\n") : QByteArray());
    file.close();
    if (!brokenAdvert) {
        QImage picture(977, 100, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QVERIFY(picture.save(advert, "JPG"));
    }
    Settings& settings = m_console->settings();
    settings.setWerbung({advert});
    settings.setModus(modus);
    settings.setZeit(zeit);
    MessageBox::takeShownMessages();

    QTest::mouseClick(child("c"), Qt::LeftButton);

    QVERIFY(audience.isVisible());
    QVERIFY(view("panel_kampf")->isVisible());
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
    // A broken advert is found by the worker that reads it, after the window is up.
    QTRY_VERIFY(!m_console->adverts().loading());
    // Meanwhile the audience window has come up and taken the activation; the operator's
    // window gets it back, as the operator's next click would give it.
    m_window->activateWindow();
    QTRY_VERIFY(m_window->isActiveWindow());
    const QStringList shown = MessageBox::takeShownMessages();
    if (message.isEmpty()) {
        QCOMPARE(shown, QStringList());
    } else {
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(message), qPrintable(shown.first()));
    }
    // Seconds that are no number leave no rotation running.
    QVERIFY(!m_console->adverts().rotationActive());

    // Leaving the seconds field is where a typing error is told, in every mode, and it is
    // never stored.
    QTest::mouseClick(child("Image6"), Qt::LeftButton);
    auto* edit4 = child<QLineEdit>("Edit4");
    edit4->setFocus();
    QTRY_VERIFY(edit4->hasFocus());
    edit4->selectAll();
    QTest::keyClick(edit4, Qt::Key_Delete);
    QTest::keyClicks(edit4, zeit);
    child("laufschrift")->setFocus();
    QTRY_VERIFY(!edit4->hasFocus());
    bool number = false;
    zeit.toInt(&number);
    QCOMPARE(MessageBox::takeShownMessages(),
             number ? QStringList()
                    : QStringList{QStringLiteral("'%1' ist kein gültiger Integerwert").arg(zeit)});
    QFile stored(m_dir->filePath(QStringLiteral("set.xml")));
    if (!number && stored.open(QIODevice::ReadOnly)) {
        const QByteArray xml = stored.readAll();
        QVERIFY2(!xml.contains("<zeit>" + zeit.toLatin1() + "</zeit>") && !xml.contains("<zeit/>"),
                 xml.constData());
    }
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

    clock.startActivityTime(BoutClock::lightBlue());
    QTest::mouseClick(child("Label23"), Qt::LeftButton);
    QCOMPARE(clock.activityCountdown(), 0);

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

void TestOperatorWindow::openingTheSetupPanelRedrawsThePreview()
{
    Settings& settings = m_console->settings();
    settings.setFeld(0, {QStringLiteral("pzDatum"), QStringLiteral("40"), QStringLiteral("100")});
    QTest::mouseClick(child("Image6"), Qt::LeftButton);
    QVERIFY(view("panel_einrichten")->isVisible());
    QCOMPARE(child("pzdatum")->pos(), QPoint(496, 215));

    // Every opening, not only the first; a damaged value is reported and the panel stays open.
    settings.setFeld(2, {QStringLiteral("pzStil"), QStringLiteral("107"), QStringLiteral("4O")});
    QTest::mouseClick(child("Image2"), Qt::LeftButton);
    QTest::mouseClick(child("Image6"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(),
             QStringList{QStringLiteral("'4O' ist kein gültiger Integerwert")});
    QVERIFY(view("panel_einrichten")->isVisible());
}

QTEST_MAIN(TestOperatorWindow)
#include "tst_operatorwindow.moc"
