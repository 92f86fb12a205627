#include "match/GridRules.h"
#include "match/LineUp.h"
#include "match/MatchFields.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "match/ui/EntryPanel.h"
#include "match/ui/ProtocolGrid.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"
#include "widgets/Dialogs.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace MatchFields;

namespace {

// Written as the licence server writes it: Windows-1252, CR LF, names in any letter case.
const QByteArray kLicences =
    QStringLiteral("[4711]\r\nvorname=Jürgen\r\nnachname=Müller\r\nstatus=A\r\njahrgang=1990\r\n"
                   "[815]\r\nVorname=Björn\r\nNACHNAME=Weiß\r\nstatus=D\r\njahrgang=1995\r\n"
                   "[999]\r\nvorname=Otto\r\n")
        .toLatin1();

const QByteArray kMatch =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><erstellt>1.1.2026</erstellt>"
    "</info><kaempfe><kampf1/></kaempfe></mk>";

// The file as the next opening would read it.
struct Stored
{
    MatchRecord record;
    explicit Stored(const QString& path) { MatchFile(record).open(path); }
};

// What the fixture fills in: a text naming the cell, and a real order number, so that leaving
// the grid numbers and saves.
QString fixtureText(int c, int r)
{
    return c == ColReihenfolge ? QString::number(r) : tag(c, r);
}

// The entry panel in an active window with a field beside it that takes the focus away, a match
// of ten filled bouts open, and the licence-data file in the same folder.
struct Fixture
{
    QTemporaryDir tmp;
    QString path = tmp.filePath(QStringLiteral("Heim-Gast.ptlx"));
    QString licences = tmp.filePath(QStringLiteral("lizenzdaten.ini"));
    MatchRecord record;
    MatchFile file{record};
    LineUp lineUp{record, file};
    std::unique_ptr<QWidget> window;
    EntryPanel* panel = nullptr;
    QLineEdit* elsewhere = nullptr;
    // Checks every change the grid's model announces while a test edits, lays out or clears
    // the line-up: rows and columns as announced, data and flags consistent.
    std::unique_ptr<QAbstractItemModelTester> modelTester;

    bool start(int filledBouts = 10)
    {
        if (!tmp.isValid() || !writeAll(path, kMatch) || !writeAll(licences, kLicences))
            return false;
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        panel = new EntryPanel(record, file, lineUp, window.get());
        panel->setLicenceFile(licences);
        modelTester = std::make_unique<QAbstractItemModelTester>(
            panel->grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        elsewhere = new QLineEdit(window.get());
        layout->addWidget(panel);
        layout->addWidget(elsewhere);
        window->resize(1400, 900);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        elsewhere->setFocus();
        if (!elsewhere->hasFocus())
            return false;
        file.open(path);
        record.setRowCount(filledBouts + 1);
        for (int r = 1; r <= filledBouts; ++r)
            for (int c = 0; c < ColumnCount; ++c)
                record.setCell(c, r, fixtureText(c, r));
        file.saveall();
        return true;
    }

    ProtocolGrid* grid() const { return panel->grid(); }
    QModelIndex cell(int column, int row) const { return grid()->model()->index(row - 1, column); }
    template <class T = QWidget> T* control(const QString& name) const { return panel->findChild<T*>(name); }

    // The next save shows as the file coming back.
    bool forgetFile() { return QFile::remove(path); }
    bool saved() const { return QFile::exists(path); }
};

void clickCell(ProtocolGrid* grid, const QModelIndex& index)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->visualRect(index).center());
}

// A click as the window system delivers it: to whatever widget lies on top at that point, an
// open cell editor included.
void clickOnScreen(ProtocolGrid* grid, const QModelIndex& index)
{
    QWidget* window = grid->window();
    const QPoint at = grid->viewport()->mapTo(window, grid->visualRect(index).center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

QStringList cellsOf(const MatchRecord& record, int row, const QList<int>& columns)
{
    QStringList out;
    for (int c : columns)
        out << record.cell(c, row);
    return out;
}

} // namespace

class TestGridEditing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void lookupRule_data();
    void lookupRule();

    void lookupOnTab_data();
    void lookupOnTab();
    void leavingWithMouseLooksUpAtNextSelection();
    void missingLicenceFileFillsNothingSilently();

    void clickOnNeighbourTypesThere_data();
    void clickOnNeighbourTypesThere();

    void clearingKeys_data();
    void clearingKeys();
    void clearingBeforeAnySelectionDoesNothing();

    void keyHints();
    void buttons_data();
    void buttons();
};

void TestGridEditing::initTestCase()
{
    MessageBox::setTestMode(true);
}

void TestGridEditing::init()
{
    MessageBox::takeShownMessages();
}

void TestGridEditing::lookupRule_data()
{
    QTest::addColumn<int>("leftColumn");
    QTest::addColumn<QString>("licence");
    QTest::addColumn<QStringList>("red");  // columns 3, 4, 6, 7 after the move
    QTest::addColumn<QStringList>("blue"); // columns 10, 11, 13, 14 after the move

    const QStringList none = {"", "", "", ""};
    QTest::newRow("red licence") << 5 << "4711" << QStringList{"Jürgen", "Müller", "A", "1990"} << none;
    QTest::newRow("blue licence, keys in any case")
        << 12 << "815" << none << QStringList{"Björn", "Weiß", "D", "1995"};
    QTest::newRow("missing keys stay empty") << 5 << "999" << QStringList{"Otto", "", "", ""} << none;
    QTest::newRow("unknown licence") << 12 << "123" << none << none;
    QTest::newRow("section name is no prefix") << 5 << "47" << none << none;
    // The other side's licence is never read for this one.
    QTest::newRow("left a name cell") << 4 << "4711" << none << none;
    QTest::newRow("left the caption row") << 5 << "" << none << none;
}

void TestGridEditing::lookupRule()
{
    QFETCH(int, leftColumn);
    QFETCH(QString, licence);
    QFETCH(QStringList, red);
    QFETCH(QStringList, blue);

    QTemporaryDir tmp;
    const QString licences = tmp.filePath(QStringLiteral("lizenzdaten.ini"));
    QVERIFY(writeAll(licences, kLicences));
    MatchRecord record;
    record.setCell(ColLizenzRot, 2, licence);
    record.setCell(ColLizenzBlau, 2, licence);
    GridRules::GridCell remembered{leftColumn, licence.isEmpty() ? 0 : 2};

    GridRules::protokollSelectCell(record, remembered, 7, 3, licences);

    QCOMPARE(cellsOf(record, 2, {3, 4, 6, 7}), red);
    QCOMPARE(cellsOf(record, 2, {10, 11, 13, 14}), blue);
    QCOMPARE(remembered.column, 7);
    QCOMPARE(remembered.row, 3);
}

void TestGridEditing::lookupOnTab_data()
{
    QTest::addColumn<int>("licenceColumn");
    QTest::addColumn<QString>("licence");
    QTest::addColumn<int>("typedColumn");    // typed into before the licence; -1: none
    QTest::addColumn<QStringList>("filled"); // the four cells of that side afterwards

    QTest::newRow("red, all empty") << 5 << "4711" << -1 << QStringList{"Jürgen", "Müller", "A", "1990"};
    QTest::newRow("red, first name typed before")
        << 5 << "4711" << 3 << QStringList{"Hans", "Müller", "A", "1990"};
    QTest::newRow("blue, all empty") << 12 << "815" << -1 << QStringList{"Björn", "Weiß", "D", "1995"};
    QTest::newRow("blue, status typed before")
        << 12 << "815" << 13 << QStringList{"Björn", "Weiß", "Hans", "1995"};
}

void TestGridEditing::lookupOnTab()
{
    QFETCH(int, licenceColumn);
    QFETCH(QString, licence);
    QFETCH(int, typedColumn);
    QFETCH(QStringList, filled);

    Fixture f;
    QVERIFY(f.start());
    const QList<int> side =
        licenceColumn == ColLizenzRot ? QList<int>{3, 4, 6, 7} : QList<int>{10, 11, 13, 14};
    for (int c : side)
        f.record.setCell(c, 2, QString());
    f.file.saveall();
    QCOMPARE(f.grid()->gridCol(), 0);
    QCOMPARE(f.grid()->gridRow(), 0);
    QVERIFY(f.forgetFile());

    if (typedColumn >= 0)
        QVERIFY(typeIntoCell(f.grid(), f.cell(typedColumn, 2), QStringLiteral("Hans")));
    QLineEdit* editor = typeIntoCell(f.grid(), f.cell(licenceColumn, 2), licence);
    QVERIFY(editor);
    // Still in the licence cell: nothing is looked up yet.
    QCOMPARE(f.record.cell(side[1], 2), QString());
    QCOMPARE(f.grid()->gridCol(), licenceColumn);
    QCOMPARE(f.grid()->gridRow(), 2);

    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex(), f.cell(licenceColumn + 1, 2));
    QCOMPARE(cellsOf(f.record, 2, side), filled);
    // The cell just entered shows what the lookup put there.
    if (auto* next = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        QCOMPARE(next->text(), filled[2]);
    QCOMPARE(f.grid()->gridCol(), licenceColumn + 1);
    QCOMPARE(f.grid()->gridRow(), 2);
    QCOMPARE(f.record.cell(side[0], 1), fixtureText(side[0], 1));
    QVERIFY(!f.saved());
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestGridEditing::leavingWithMouseLooksUpAtNextSelection()
{
    Fixture f;
    QVERIFY(f.start());
    for (int c : {3, 4, 6, 7})
        f.record.setCell(c, 4, QString());
    QVERIFY(typeIntoCell(f.grid(), f.cell(ColLizenzRot, 4), QStringLiteral("4711")));

    auto* heim = f.control<QLineEdit>(QStringLiteral("heim"));
    QTest::mouseClick(heim, Qt::LeftButton);
    if (!heim->hasFocus())
        heim->setFocus(Qt::MouseFocusReason);
    QVERIFY(heim->hasFocus());
    QCOMPARE(cellsOf(f.record, 4, {3, 4, 6, 7}), QStringList({"", "", "", ""}));
    // Leaving the grid saved the licence, and no name.
    QCOMPARE(Stored(f.path).record.cell(ColLizenzRot, 4), QStringLiteral("4711"));
    QCOMPARE(Stored(f.path).record.cell(ColVornRot, 4), QString());

    clickCell(f.grid(), f.cell(ColKlasse, 1));
    QCOMPARE(f.grid()->currentIndex(), f.cell(ColKlasse, 1));
    QCOMPARE(cellsOf(f.record, 4, {3, 4, 6, 7}), QStringList({"Jürgen", "Müller", "A", "1990"}));
    QCOMPARE(f.grid()->gridRow(), 1);
    // Leaving `heim` saved before the selection moved; the lookup itself saves nothing.
    QCOMPARE(Stored(f.path).record.cell(ColVornRot, 4), QString());
}

void TestGridEditing::missingLicenceFileFillsNothingSilently()
{
    Fixture f;
    QVERIFY(f.start());
    QVERIFY(QFile::remove(f.licences));
    for (int c : {3, 4, 6, 7})
        f.record.setCell(c, 1, QString());
    QLineEdit* editor = typeIntoCell(f.grid(), f.cell(ColLizenzRot, 1), QStringLiteral("4711"));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(cellsOf(f.record, 1, {3, 4, 6, 7}), QStringList({"", "", "", ""}));
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());

    // A file that appears later is read at the next lookup.
    QVERIFY(writeAll(f.licences, kLicences));
    editor = typeIntoCell(f.grid(), f.cell(ColLizenzRot, 1), QStringLiteral("4711"));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(cellsOf(f.record, 1, {3, 4, 6, 7}), QStringList({"Jürgen", "Müller", "A", "1990"}));
}

void TestGridEditing::clickOnNeighbourTypesThere_data()
{
    QTest::addColumn<QList<int>>("columns"); // clicked one after the other in row 5
    QTest::addColumn<QStringList>("typed");  // typed into each of them

    const QString longFirst = QStringLiteral("Maximilian-Alexander");
    const QString longLast = QStringLiteral("Leutheusser-Schnarrenberger");
    QTest::newRow("first name, then last name, home") << QList<int>{3, 4} << QStringList{longFirst, "Schulz"};
    QTest::newRow("first name, then last name, guest")
        << QList<int>{10, 11} << QStringList{longFirst, "Schulz"};
    QTest::newRow("licence after a long last name, home")
        << QList<int>{4, 5} << QStringList{longLast, "12345"};
    QTest::newRow("licence after a long last name, guest")
        << QList<int>{11, 12} << QStringList{longLast, "12345"};
    // Long enough to reach over more than one cell to its right.
    QTest::newRow("across the line-up, both sides")
        << QList<int>{3, 4, 5, 10, 11, 12}
        << QStringList{longFirst + "-Friedrich-Wilhelm", longLast, "12345", longFirst, longLast, "67890"};
}

void TestGridEditing::clickOnNeighbourTypesThere()
{
    QFETCH(QList<int>, columns);
    QFETCH(QStringList, typed);

    Fixture f;
    QVERIFY(f.start());
    QTest::mouseClick(f.control<QPushButton>(QStringLiteral("Button6")), Qt::LeftButton);
    for (int c = 2; c <= 14; ++c)
        f.record.setCell(c, 5, QString());
    QVERIFY(f.forgetFile());

    for (qsizetype i = 0; i < columns.size(); ++i) {
        clickOnScreen(f.grid(), f.cell(columns[i], 5));
        QCOMPARE(f.grid()->currentIndex(), f.cell(columns[i], 5));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && f.grid()->isAncestorOf(editor));
        QTest::keyClicks(editor, typed[i]);
        // The editor stays within its cell, so that the next click reaches the cell beside it.
        QVERIFY(f.grid()->visualRect(f.cell(columns[i], 5)).contains(editor->geometry()));
    }
    // Leaving the grid saves the match.
    f.elsewhere->setFocus(Qt::MouseFocusReason);
    QVERIFY(f.saved());

    const Stored stored(f.path);
    for (int c = 2; c <= 14; ++c) {
        const qsizetype i = columns.indexOf(c);
        QCOMPARE(stored.record.cell(c, 5), i < 0 ? QString() : typed[i]);
    }
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestGridEditing::clearingKeys_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selected");  // column of the cell selected in row 2
    QTest::addColumn<bool>("inEditor"); // the key goes to the open cell editor, else to the grid
    QTest::addColumn<QList<int>>("cleared");

    QList<int> row;
    for (int c = 2; c <= 22; ++c)
        row << c;
    const QList<int> results = {8, 15, 16, 17, 18, 19, 20, 21, 22};
    const int ctrl = int(Qt::ControlModifier);
    const int shift = int(Qt::ShiftModifier);

    QTest::newRow("Ctrl+Del in the editor") << ctrl << 0 << true << row;
    QTest::newRow("Ctrl+Del on the grid") << ctrl << 23 << false << row;
    QTest::newRow("Shift+Del in the editor") << shift << 3 << true << results;
    QTest::newRow("Shift+Del in a licence cell") << shift << 12 << true << results;
    QTest::newRow("Shift+Del on the grid") << shift << 1 << false << results;
    QTest::newRow("Ctrl+Shift+Del clears as Ctrl") << (ctrl | shift) << 5 << true << row;
    QTest::newRow("Del alone") << 0 << 23 << false << QList<int>();
}

void TestGridEditing::clearingKeys()
{
    QFETCH(int, modifiers);
    QFETCH(int, selected);
    QFETCH(bool, inEditor);
    QFETCH(QList<int>, cleared);

    Fixture f;
    QVERIFY(f.start(3));
    QVERIFY(f.forgetFile());

    f.grid()->setFocus(Qt::OtherFocusReason);
    f.grid()->setCurrentIndex(f.cell(selected, 2));
    QWidget* target = f.grid();
    if (inEditor) {
        target = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit*>(target) && f.grid()->isAncestorOf(target));
    } else {
        f.grid()->closePersistentEditor(f.cell(selected, 2));
        f.grid()->setFocus(Qt::OtherFocusReason);
    }
    QTest::keyClick(target, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));

    for (int c = 0; c < ColumnCount; ++c) {
        QCOMPARE(f.record.cell(c, 2), cleared.contains(c) ? QString() : fixtureText(c, 2));
        QCOMPARE(f.record.cell(c, 1), fixtureText(c, 1));
        QCOMPARE(f.record.cell(c, 3), fixtureText(c, 3));
    }
    // The key was not swallowed by the rule: it never stops the grid from going on.
    QCOMPARE(f.grid()->currentIndex(), f.cell(selected, 2));
    QVERIFY(!f.saved());
}

void TestGridEditing::clearingBeforeAnySelectionDoesNothing()
{
    Fixture f;
    QVERIFY(f.start(1));
    QCOMPARE(f.grid()->gridRow(), 0);
    for (auto modifiers : {Qt::ControlModifier, Qt::ShiftModifier})
        QTest::keyClick(f.grid(), Qt::Key_Delete, modifiers);
    for (int c = 0; c < ColumnCount; ++c)
        QCOMPARE(f.record.cell(c, 1), fixtureText(c, 1));

    // The core rule on its own: the caption row names no bout.
    GridRules::protokollKeyDown(f.record, GridRules::GridCell{}, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.record.cell(ColVornRot, 1), fixtureText(3, 1));
}

void TestGridEditing::keyHints()
{
    MatchRecord record;
    MatchFile file(record);
    LineUp lineUp(record, file);
    EntryPanel panel(record, file, lineUp);
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Label79"))->text(),
             QStringLiteral("Strg + Entf: Löscht die ganze Zeile"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Label80"))->text(),
             QStringLiteral("Shift + Entf: Löscht die Ergebnisse"));
}

void TestGridEditing::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("saves");
    QTest::addColumn<int>("rows");       // bout rows afterwards
    QTest::addColumn<bool>("templated"); // LineUp::applied emitted
    QTest::addColumn<bool>("failing");   // the folder is gone: every save fails with a message

    const struct
    {
        const char* name;
        const char* text;
        bool saves;
        int rows;
        bool templated;
    } buttons[] = {
        {"Button1", "+", false, 11, false},        {"Button3", "-", true, 9, false},
        {"Button15", "Leeren", false, 10, false},  {"Button18", "Rot <-> Blau", true, 10, false},
        {"Button6", "10 Kämpfe", true, 10, true},  {"Button7", "8 Kämpfe", true, 8, true},
        {"Button16", "14 Kämpfe", true, 14, true},
    };
    for (bool failing : {false, true})
        for (const auto& b : buttons)
            QTest::addRow("%s%s", b.text, failing ? " failing" : "")
                << QString::fromLatin1(b.name) << QString::fromUtf8(b.text) << b.saves << b.rows
                << b.templated << failing;
}

void TestGridEditing::buttons()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, saves);
    QFETCH(int, rows);
    QFETCH(bool, templated);
    QFETCH(bool, failing);

    Fixture f;
    QVERIFY(f.start());
    f.record.setHeader(QStringLiteral("heim"), QStringLiteral("KSV Heim"));
    f.file.saveall();
    auto* button = f.control<QPushButton>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    QSignalSpy applied(&f.lineUp, &LineUp::applied);
    QVERIFY(failing ? f.tmp.remove() : f.forgetFile());

    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(MessageBox::takeShownMessages().size(), failing && saves ? 1 : 0);
    QCOMPARE(applied.size(), templated ? 1 : 0);
    if (failing)
        return;
    QCOMPARE(f.saved(), saves);
    QCOMPARE(f.grid()->model()->rowCount(), rows);
    if (saves)
        QCOMPARE(Stored(f.path).record.boutCount(), rows);
    const bool swapped = name == QLatin1String("Button18");
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("heim"))->text(),
             swapped ? QString() : QStringLiteral("KSV Heim"));
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("gast"))->text(),
             swapped ? QStringLiteral("KSV Heim") : QString());
    const bool emptied = name == QLatin1String("Button15");
    QCOMPARE(f.record.cell(ColVornRot, 1), emptied ? QString() : fixtureText(swapped ? 10 : 3, 1));
}

QTEST_MAIN(TestGridEditing)
#include "tst_gridediting.moc"
