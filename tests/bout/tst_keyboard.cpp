#include "bout/KeyMap.h"
#include "bout/KeyboardControl.h"
#include "match/MatchFields.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "shell/Console.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// What a key can change, by name; a test compares the whole of it before and after a key.
using State = QMap<QString, QString>;

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void keys_data();
    void keys();
    void inactiveKeysDoNothing_data();
    void inactiveKeysDoNothing();
    void heldKeyRepeats();
    void failedBoutChangeReachesCaller_data();
    void failedBoutChangeReachesCaller();

    void keyMap_data();
    void keyMap();

private:
    // Ten bouts, bout 1 loaded, the clock at 1:10 and one blue point scored, so undo, the clock
    // keys and every bout change show in the state.
    void startBout();
    State state() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingSound m_sound;
    std::unique_ptr<Console> m_console;
    KeyboardControl* m_keyboard = nullptr; // the console's own
    std::unique_ptr<QSignalSpy> m_pickerSpy;
};

void TestKeyboard::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sound.played.clear();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_keyboard = &m_console->keyboard();
    m_keyboard->setKeyboardActive(true);
    m_pickerSpy = std::make_unique<QSignalSpy>(m_keyboard, &KeyboardControl::pickerRequested);
}

void TestKeyboard::cleanup()
{
    m_pickerSpy.reset();
    m_keyboard = nullptr;
    m_console.reset();
    m_dir.reset();
}

void TestKeyboard::startBout()
{
    const QString path = m_dir->filePath(QStringLiteral("Heim-Gast.ptlx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV</heim><gast>ASV</gast></info>"
        "<kaempfe>");
    for (int i = 1; i <= 10; ++i) {
        f.write(QStringLiteral(
                    "<kampf%1><klasse>%2</klasse><stil>F</stil><vornrot>R</vornrot><nachnrot>Rot%1</nachnrot>"
                    "<vornblau>B</vornblau><nachnblau>Blau%1</nachnblau><reihenfolge>%1</reihenfolge>"
                    "</kampf%1>")
                    .arg(i)
                    .arg(50 + i)
                    .toLatin1());
    }
    f.write("</kaempfe></mk>");
    f.close();
    m_console->matchFile().open(path);
    m_console->navigator().setKampfnr(QStringLiteral("1"));
    m_console->navigator().ladedaten();
    m_console->clock().loadClock(1, 10, QStringLiteral("1:10"));
    m_console->bout().punkte(QStringLiteral("b"), 1);
}

State TestKeyboard::state() const
{
    const Bout& b = m_console->bout();
    const BoutClock& c = m_console->clock();
    return {
        {"wr", b.wr()},
        {"wb", b.wb()},
        {"sieg_rot", b.sieg_rot()},
        {"sieg_blau", b.sieg_blau()},
        {"uhr", c.uhr()},
        {"running", c.running() ? "1" : "0"},
        {"signals", QString::number(m_sound.plays())},
        {"kampfnr", m_console->navigator().kampfnr()},
        {"picker", QString::number(m_pickerSpy->count())},
        // Bout 1's row gets its scoring string only when the bout is left through naechsterkampf.
        {"written", m_console->record().cell(MatchFields::ColWertungenBlau, 1)},
    };
}

void TestKeyboard::keys_data()
{
    QTest::addColumn<int>("vk");
    QTest::addColumn<Qt::KeyboardModifiers>("held");
    QTest::addColumn<State>("changes");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    const State nothing;
    // Leaving bout 1 writes its row and loads the other bout, which is empty and at 0:00.
    const auto boutLoaded = [](int n) {
        return State{
            {"kampfnr", QString::number(n)}, {"written", "1"}, {"wr", ""}, {"wb", ""}, {"uhr", "0:00"}};
    };

    struct Row
    {
        const char* name;
        int vk;
        Qt::KeyboardModifiers held;
        State changes;
    };
    const QList<Row> rows = {
        {"Space", 32, none, {{"running", "1"}}},
        {"Ctrl+Space", 32, ctrl, {{"running", "1"}}},
        {"F1", 112, none, {{"wr", " 1"}, {"wb", "1 "}}},
        {"Ctrl+F1", 112, ctrl, {{"wr", " 1"}, {"wb", "1 "}}},
        {"Shift+F1", 112, shift, {{"wr", " 1"}, {"wb", "1 "}}},
        {"F2", 113, none, {{"wr", " 2"}, {"wb", "1 "}}},
        {"F3", 114, none, {{"wr", " 4"}, {"wb", "1 "}}},
        {"F4", 115, none, {{"wr", " 5"}, {"wb", "1 "}}},
        {"F5", 116, none, {{"wr", "  "}, {"wb", "11"}}},
        {"F6", 117, none, {{"wr", "  "}, {"wb", "12"}}},
        {"F7", 118, none, {{"wr", "  "}, {"wb", "14"}}},
        {"Ctrl+F7", 118, ctrl, {{"wr", "  "}, {"wb", "14"}}},
        {"F8", 119, none, {{"wr", "  "}, {"wb", "15"}}},
        {"F9", 120, none, boutLoaded(2)},
        {"Ctrl+F9", 120, ctrl, boutLoaded(2)},
        {"P", 80, none, {{"wr", " P"}, {"wb", "1 "}}},
        {"Ctrl+P", 80, ctrl, {{"wr", "  "}, {"wb", "1P"}}},
        {"Shift+P", 80, shift, {{"wr", " P"}, {"wb", "1 "}}},
        {"Alt+P", 80, alt, {{"wr", " P"}, {"wb", "1 "}}},
        {"Ctrl+Shift+P", 80, ctrl | shift, {{"wr", "  "}, {"wb", "1P"}}},
        {"V", 86, none, {{"wr", " V"}, {"wb", "1 "}}},
        {"Ctrl+V", 86, ctrl, {{"wr", "  "}, {"wb", "1V"}}},
        {"U", 85, none, {{"sieg_rot", "UG"}}},
        {"Ctrl+U", 85, ctrl, {{"sieg_blau", "UG"}}},
        {"Ü", 186, none, {{"sieg_rot", "ÜG"}}},
        {"Ctrl+Ü", 186, ctrl, {{"sieg_blau", "ÜG"}}},
        {"S", 83, none, {{"sieg_rot", "SS"}}},
        {"Ctrl+S", 83, ctrl, {{"sieg_blau", "SS"}}},
        {"D", 68, none, {{"sieg_rot", "DQ"}}},
        {"Ctrl+D", 68, ctrl, {{"sieg_blau", "DQ"}}},
        {"M", 77, none, nothing},
        {"Shift+M", 77, shift, nothing},
        {"Ctrl+M", 77, ctrl, {{"picker", "1"}}},
        {"Backspace", 8, none, {{"wr", ""}, {"wb", ""}}},
        {"Ctrl+Backspace", 8, ctrl, {{"wr", ""}, {"wb", ""}}},
        {"T", 84, none, {{"signals", "1"}}},
        {"Ctrl+T", 84, ctrl, {{"signals", "1"}}},
        {"Up", 38, none, {{"uhr", "1:11"}}},
        {"Ctrl+Up", 38, ctrl, {{"uhr", "1:11"}}},
        {"Down", 40, none, {{"uhr", "1:09"}}},
        {"F12", 123, none, {{"uhr", "0:00"}}},
        {"Ctrl+F12", 123, ctrl, {{"uhr", "0:00"}}},
        // The same bout again: it is written and reloaded from its row, strings and time included.
        {"Ctrl+1", 49, ctrl, {{"written", "1"}}},
        {"Ctrl+0", 48, ctrl, boutLoaded(10)},
        // Keys outside the table.
        {"A", 65, none, nothing},
        {"Ctrl+A", 65, ctrl, nothing},
        {"Left", 37, none, nothing},
        {"Right", 39, ctrl, nothing},
        {"Return", 13, none, nothing},
        {"Escape", 27, none, nothing},
        {"Delete", 46, ctrl, nothing},
        {"F10", 121, none, nothing},
        {"F11", 122, ctrl, nothing},
        {"unmapped", 0, ctrl, nothing},
    };
    for (const Row& r : rows)
        QTest::newRow(r.name) << r.vk << r.held << r.changes;

    for (int n = 2; n <= 9; ++n)
        QTest::addRow("Ctrl+%d", n) << 48 + n << ctrl << boutLoaded(n);
    for (int d = 0; d <= 9; ++d) {
        QTest::addRow("%d", d) << 48 + d << none << nothing;
        QTest::addRow("Shift+%d", d) << 48 + d << shift << nothing;
        // The number pad's own codes on Windows.
        QTest::addRow("number pad %d", d) << 96 + d << none << nothing;
        QTest::addRow("Ctrl+number pad %d", d) << 96 + d << ctrl << nothing;
    }
}

void TestKeyboard::keys()
{
    QFETCH(int, vk);
    QFETCH(Qt::KeyboardModifiers, held);
    QFETCH(State, changes);
    startBout();
    State expected = state();
    expected.insert(changes);
    m_keyboard->tastendruck(vk, held);
    QCOMPARE(state(), expected);
}

void TestKeyboard::inactiveKeysDoNothing_data()
{
    keys_data();
}

void TestKeyboard::inactiveKeysDoNothing()
{
    QFETCH(int, vk);
    QFETCH(Qt::KeyboardModifiers, held);
    startBout();
    const State before = state();
    m_keyboard->setKeyboardActive(false);
    m_keyboard->tastendruck(vk, held);
    QCOMPARE(state(), before);
}

void TestKeyboard::heldKeyRepeats()
{
    startBout();
    for (int i = 0; i < 3; ++i)
        m_keyboard->tastendruck(113, Qt::NoModifier);
    QCOMPARE(m_console->bout().wr(), QStringLiteral(" 222"));
    QCOMPARE(m_console->bout().tpr(), QStringLiteral("6"));
    for (int i = 0; i < 2; ++i)
        m_keyboard->tastendruck(38, Qt::NoModifier);
    QCOMPARE(m_console->clock().uhr(), QStringLiteral("1:12"));
}

void TestKeyboard::failedBoutChangeReachesCaller_data()
{
    QTest::addColumn<int>("vk");
    QTest::addColumn<Qt::KeyboardModifiers>("held");
    QTest::newRow("F9") << 120 << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("Ctrl+5") << 53 << Qt::KeyboardModifiers(Qt::ControlModifier);
}

// With no match file open the bout cannot be saved: the operator window's guard shows why.
void TestKeyboard::failedBoutChangeReachesCaller()
{
    QFETCH(int, vk);
    QFETCH(Qt::KeyboardModifiers, held);
    m_console->record().setCell(MatchFields::ColReihenfolge, 1, QStringLiteral("1"));
    m_console->navigator().setKampfnr(QStringLiteral("1"));
    m_console->navigator().ladedaten();
    try {
        m_keyboard->tastendruck(vk, held);
        QFAIL("no exception");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), QStringLiteral("Kein aktives Dokument"));
    }
    QCOMPARE(m_console->navigator().kampfnr(), QStringLiteral("1"));
}

void TestKeyboard::keyMap_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("vk");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 112;
    QTest::newRow("Shift+F1") << int(Qt::Key_F1) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 112;
    QTest::newRow("F9") << int(Qt::Key_F9) << none << 120;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 123;
    QTest::newRow("F13") << int(Qt::Key_F13) << none << 0;
    QTest::newRow("A") << int(Qt::Key_A) << none << 65;
    QTest::newRow("Ctrl+M") << int(Qt::Key_M) << ctrl << 77;
    QTest::newRow("Z") << int(Qt::Key_Z) << none << 90;
    QTest::newRow("Ü") << int(Qt::Key_Udiaeresis) << none << 186;
    QTest::newRow("Ctrl+Ü") << int(Qt::Key_Udiaeresis) << ctrl << 186;
    QTest::newRow("Ä") << int(Qt::Key_Adiaeresis) << none << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 32;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << 8;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 37;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 38;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 39;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 40;
    // Arrows on the number pad (Num Lock off) are arrows on Windows too.
    QTest::newRow("number pad Up") << int(Qt::Key_Up) << keypad << 38;
    QTest::newRow("0") << int(Qt::Key_0) << none << 48;
    QTest::newRow("Ctrl+0") << int(Qt::Key_0) << ctrl << 48;
    QTest::newRow("Ctrl+5") << int(Qt::Key_5) << ctrl << 53;
    QTest::newRow("9") << int(Qt::Key_9) << none << 57;
    QTest::newRow("number pad 0") << int(Qt::Key_0) << keypad << 0;
    QTest::newRow("Ctrl+number pad 5") << int(Qt::Key_5) << (ctrl | keypad) << 0;
    QTest::newRow("number pad 9") << int(Qt::Key_9) << keypad << 0;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 46;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << 13;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << keypad << 13;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 27;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 0;
    QTest::newRow("Control alone") << int(Qt::Key_Control) << ctrl << 0;
    QTest::newRow("lower-case a code") << int('a') << none << 0;
}

void TestKeyboard::keyMap()
{
    QFETCH(int, qtKey);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, vk);
    QCOMPARE(virtualKeyFor(qtKey, modifiers), vk);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
