#include "match/MatchFields.h"
#include "match/LineUp.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "match/ui/EntryPanel.h"
#include "match/ui/ProtocolGrid.h"
#include "match/ui/ProtocolModel.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"
#include "widgets/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

using namespace MatchFields;

namespace {

const QByteArray kMinimalMatch =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><erstellt>1.1.2026"
    "</erstellt></info><kaempfe><kampf1/></kaempfe></mk>";

const QString kFileName = QStringLiteral("match.ptlx");

// A minimal match file whose info carries the given elements.
QByteArray matchWithInfo(const QList<QPair<QString, QString>>& info)
{
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><erstellt>1.1.2026</erstellt>";
    for (const auto& [name, value] : info)
        xml += "<" + name.toLatin1() + ">" + value.toLatin1() + "</" + name.toLatin1() + ">";
    return xml + "</info><kaempfe><kampf1/></kaempfe></mk>";
}

// Counts the writes of one file. A save replaces the file as a whole (temporary file, then
// rename or link), so every save is exactly one create or move-in of that name in its folder.
// The kernel queues these events as the save happens, so the count is exact and needs no
// waiting. Where this is not available, take() answers -1 and only the file content is checked.
class SaveCounter
{
public:
    SaveCounter(const QString& folder, const QString& fileName) : m_name(QFile::encodeName(fileName))
    {
#ifdef Q_OS_LINUX
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0 &&
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CREATE | IN_MOVED_TO) < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        if (m_fd < 0)
            qWarning("no inotify: saves are not counted, only the file content is checked");
#else
        Q_UNUSED(folder);
#endif
    }
    ~SaveCounter()
    {
#ifdef Q_OS_LINUX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    SaveCounter(const SaveCounter&) = delete;
    SaveCounter& operator=(const SaveCounter&) = delete;

    // Saves since the last call.
    int take()
    {
        if (m_fd < 0)
            return -1;
        int saves = 0;
#ifdef Q_OS_LINUX
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
            if (length <= 0)
                break;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && m_name == event->name)
                    ++saves;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
#endif
        return saves;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
};

#define COMPARE_SAVES(fixture, expected)                                                                     \
    do {                                                                                                     \
        const int saves_ = (fixture).saves->take();                                                          \
        if (saves_ >= 0)                                                                                     \
            QCOMPARE(saves_, expected);                                                                      \
    } while (false)

// The entry panel in an active window of its own, with a line edit beside it that takes the
// focus when a test leaves a field, and (usually) a small match file opened in a folder of its own.
struct Fixture
{
    QTemporaryDir tmp;
    QString folder = tmp.path() + QStringLiteral("/spiel");
    QString path = folder + QLatin1Char('/') + kFileName;
    MatchRecord record;
    MatchFile file{record};
    LineUp lineUp{record, file};
    std::unique_ptr<QWidget> window;
    EntryPanel* panel = nullptr;
    QLineEdit* elsewhere = nullptr;
    std::unique_ptr<SaveCounter> saves;

    bool start(const QByteArray& content = kMinimalMatch, bool openFile = true)
    {
        if (!tmp.isValid() || !QDir().mkpath(folder))
            return false;
        if (openFile) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
                return false;
        }
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        panel = new EntryPanel(record, file, lineUp, window.get());
        elsewhere = new QLineEdit(window.get());
        elsewhere->setObjectName(QStringLiteral("elsewhere"));
        layout->addWidget(panel);
        layout->addWidget(elsewhere);
        window->resize(1400, 900);
        elsewhere->setFocus();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        elsewhere->setFocus();
        if (!elsewhere->hasFocus())
            return false;
        // The file is opened in the running window, as the operator does; from here on every
        // write is counted.
        saves = std::make_unique<SaveCounter>(folder, kFileName);
        if (openFile)
            file.open(path);
        return true;
    }

    ProtocolGrid* grid() const { return panel->grid(); }
    QAbstractItemModel* model() const { return panel->grid()->model(); }
    template <class T = QWidget> T* control(const QString& name) const { return panel->findChild<T*>(name); }
};

// Lines of a memo are separated by Return.
void typeInto(QWidget* control, const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(control, Qt::Key_Return);
        QTest::keyClicks(control, lines[i]);
    }
}

void clickRadio(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

QString storedHeader(const QString& path, const QString& field)
{
    return stored(path, {QStringLiteral("info"), field});
}

QString storedCell(const QString& path, int row, const QString& element)
{
    return stored(path, {QStringLiteral("kaempfe"), QStringLiteral("kampf") + QString::number(row), element});
}

QStringList textFields()
{
    QStringList out;
    for (const QString& f : editableHeaderFields())
        if (!isRadio(f))
            out << f;
    return out;
}

// The header field whose control holds `w`, if any.
QString fieldHolding(const QWidget* panel, const QWidget* w)
{
    for (; w && w != panel; w = w->parentWidget())
        if (editableHeaderFields().contains(w->objectName()))
            return w->objectName();
    return {};
}

// The value of `target`: a header field, or "protokoll" for the guest's first name in bout 1.
QString valueOf(const MatchRecord& record, const QString& target)
{
    return target == QLatin1String("protokoll") ? record.cell(ColVornBlau, 1) : record.header(target);
}

// The same as the next opening of the file reads it.
QString reloaded(const QString& path, const QString& target)
{
    MatchRecord record;
    MatchFile(record).open(path);
    return valueOf(record, target);
}

// Where the keys go after `target` (for "protokoll" its cell editor) took the focus.
QWidget* focusTarget(const QWidget* panel, const QString& target)
{
    auto* grid = panel->findChild<ProtocolGrid*>(QStringLiteral("protokoll"));
    if (target == QLatin1String("protokoll")) {
        grid->setFocus(Qt::OtherFocusReason);
        grid->setCurrentIndex(grid->model()->index(0, 10));
    } else if (!focusOn(panel->findChild<QWidget*>(target))) {
        return nullptr;
    }
    return QApplication::focusWidget();
}

// The line edit that takes the keys of `w`, a combo box's included.
QLineEdit* lineEditOf(QWidget* w)
{
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
}

// Ctrl+V as the keyboard gives it: through the window to the focused control.
void pasteText(QWidget* window, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(window->windowHandle(), Qt::Key_V, Qt::ControlModifier);
}

bool isWhiteish(const QColor& c)
{
    return c.red() >= 240 && c.green() >= 240 && c.blue() >= 240;
}

} // namespace

class TestEntryPanel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void leavingHeaderFieldSavesWholeFile_data();
    void leavingHeaderFieldSavesWholeFile();
    void tabbingThroughHeaderSavesOncePerField_data();
    void tabbingThroughHeaderSavesOncePerField();
    void radioSavesOnlyOnChange_data();
    void radioSavesOnlyOnChange();
    void loadingSetsControlsWithoutSaving();
    void radioWithoutChoiceUnchecksGroup_data();
    void radioWithoutChoiceUnchecksGroup();
    void withoutOpenFileNothingIsWrittenButEachSaveSaysSo();
    void failedSaveShowsOneMessagePerExit_data();
    void failedSaveShowsOneMessagePerExit();
    void focusInAnotherWindowIsNoExit();

    void accessCodeShowsScoringColumns_data();
    void accessCodeShowsScoringColumns();
    void accessCodeTwiceKeepsWidths();

    void freshGridShowsTenRowsWithScoringHidden();
    void captions_data();
    void captions();
    void gridColours_data();
    void gridColours();
    void movedColumnKeepsItsField_data();
    void movedColumnKeepsItsField();
    void typingIntoGridReachesRecordAtOnce();
    void leavingGridNumbersBouts_data();
    void leavingGridNumbersBouts();

    void pasteKeepsFirstLine_data();
    void pasteKeepsFirstLine();
    void loadedLineBreakStays_data();
    void loadedLineBreakStays();
};

void TestEntryPanel::initTestCase()
{
    MessageBox::setTestMode(true);
}

void TestEntryPanel::init()
{
    // Messages of an earlier test (its window going away) are not this test's business.
    MessageBox::takeShownMessages();
}

void TestEntryPanel::leavingHeaderFieldSavesWholeFile_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inFile");

    QTest::newRow("heim") << "heim"
                          << "SV Nord"
                          << "SV Nord";
    QTest::newRow("gast") << "gast"
                          << "KSV Sued"
                          << "KSV Sued";
    QTest::newRow("ort") << "ort"
                         << "Musterstadt"
                         << "Musterstadt";
    QTest::newRow("halle") << "halle"
                           << "Halle Mitte"
                           << "Halle Mitte";
    QTest::newRow("liga") << "liga"
                          << "Oberliga"
                          << "Oberliga";
    QTest::newRow("datum") << "datum"
                           << "14.03.2026"
                           << "14.03.2026";
    QTest::newRow("ml (combo)") << "ml"
                                << "Hans Berg"
                                << "Hans Berg";
    QTest::newRow("mp (combo)") << "mp"
                                << "Eva Stein"
                                << "Eva Stein";
    QTest::newRow("pr (combo)") << "pr"
                                << "Otto Lang"
                                << "Otto Lang";
    QTest::newRow("zeitnehmer") << "zeitnehmer"
                                << "Uwe Kurz"
                                << "Uwe Kurz";
    QTest::newRow("protokollfuehrer") << "protokollfuehrer"
                                      << "Ina Falk"
                                      << "Ina Falk";
    QTest::newRow("punktzettel") << "punktzettel"
                                 << "Max Roth"
                                 << "Max Roth";
    QTest::newRow("mannschaftsfuehrer_heim") << "mannschaftsfuehrer_heim"
                                             << "Karl Hof"
                                             << "Karl Hof";
    QTest::newRow("mannschaftsfuehrer_gast") << "mannschaftsfuehrer_gast"
                                             << "Paul Bach"
                                             << "Paul Bach";
    QTest::newRow("verhalten_ringer") << "verhalten_ringer"
                                      << "gut"
                                      << "gut";
    QTest::newRow("verhalten_zuschauer") << "verhalten_zuschauer"
                                         << "fair"
                                         << "fair";
    QTest::newRow("beginn") << "beginn"
                            << "19:30"
                            << "19:30";
    QTest::newRow("ende") << "ende"
                          << "21:45"
                          << "21:45";
    QTest::newRow("pause") << "pause"
                           << "15"
                           << "15";
    QTest::newRow("zuschauer") << "zuschauer"
                               << "250"
                               << "250";
    QTest::newRow("ordner1") << "ordner1"
                             << "Jan Ost"
                             << "Jan Ost";
    QTest::newRow("ordner2") << "ordner2"
                             << "Tim West"
                             << "Tim West";
    QTest::newRow("bemerkungen (memo)") << "bemerkungen"
                                        << "Zeile 1\nZeile 2"
                                        << "Zeile 1<br>Zeile 2";
}

void TestEntryPanel::leavingHeaderFieldSavesWholeFile()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, inFile);

    Fixture f;
    QVERIFY(f.start());
    QWidget* control = f.control(field);
    QVERIFY(control);
    // Held by the record only: leaving any field must write all of it, not just the field.
    f.record.setCell(ColVornRot, 1, QStringLiteral("Anna"));

    QVERIFY(focusOn(control));
    COMPARE_SAVES(f, 0);
    typeInto(control, typed);
    QCOMPARE(f.record.header(field), QString(typed).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    COMPARE_SAVES(f, 0);

    QVERIFY(focusOn(f.elsewhere));
    COMPARE_SAVES(f, 1);
    QCOMPARE(storedHeader(f.path, field), inFile);
    QCOMPARE(storedCell(f.path, 1, QStringLiteral("vornrot")), QStringLiteral("Anna"));

    // Passing through without a change saves just the same.
    QVERIFY(QFile::remove(f.path));
    QVERIFY(focusOn(control));
    QVERIFY(focusOn(f.elsewhere));
    COMPARE_SAVES(f, 1);
    QCOMPARE(storedHeader(f.path, field), inFile);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestEntryPanel::tabbingThroughHeaderSavesOncePerField_data()
{
    QTest::addColumn<bool>("failing");
    QTest::newRow("saving") << false;
    // Each failed save is one message: the count of attempts, independent of the file system.
    QTest::newRow("failing") << true;
}

void TestEntryPanel::tabbingThroughHeaderSavesOncePerField()
{
    QFETCH(bool, failing);

    Fixture f;
    QVERIFY(f.start());
    if (failing)
        QVERIFY(QDir(f.folder).removeRecursively());

    QVERIFY(focusOn(f.control(QStringLiteral("heim"))));
    QStringList left;
    for (int step = 0; step < 80; ++step) {
        QWidget* from = QApplication::focusWidget();
        QVERIFY(from);
        if (f.grid()->isAncestorOf(from) || from == f.grid())
            break;
        const QString field = fieldHolding(f.panel, from);
        const int expected = textFields().contains(field) ? 1 : 0;
        QTest::keyClick(from, Qt::Key_Tab);
        QVERIFY2(QApplication::focusWidget() != from, qPrintable(from->objectName()));

        const QStringList messages = MessageBox::takeShownMessages();
        if (failing) {
            QVERIFY2(messages.size() == expected,
                     qPrintable(field + QLatin1String(": ") + messages.join(u'|')));
        } else {
            QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'|')));
            COMPARE_SAVES(f, expected);
        }
        if (expected)
            left << field;
    }
    QVERIFY(f.grid()->isAncestorOf(QApplication::focusWidget()) || f.grid()->hasFocus());
    left.sort();
    QStringList all = textFields();
    all.sort();
    QCOMPARE(left, all);
}

void TestEntryPanel::radioSavesOnlyOnChange_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("loaded"); // empty: the file has no such element
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("saves");

    QTest::newRow("punktfreund other item") << "punktfreund"
                                            << "" << 1 << true;
    QTest::newRow("punktfreund same item") << "punktfreund"
                                           << "" << 0 << false;
    QTest::newRow("vorrueck other item") << "vorrueck"
                                         << "1" << 0 << true;
    QTest::newRow("vorrueck same item") << "vorrueck"
                                        << "1" << 1 << false;
    QTest::newRow("altersklasse other item") << "altersklasse"
                                             << "2" << 1 << true;
    QTest::newRow("altersklasse same item") << "altersklasse"
                                            << "2" << 2 << false;
    QTest::newRow("altersklasse from no choice") << "altersklasse"
                                                 << "-1" << 0 << true;
}

void TestEntryPanel::radioSavesOnlyOnChange()
{
    QFETCH(QString, field);
    QFETCH(QString, loaded);
    QFETCH(int, clicked);
    QFETCH(bool, saves);

    Fixture f;
    QByteArray content = kMinimalMatch;
    if (!loaded.isEmpty())
        content = matchWithInfo({{field, loaded}});
    QVERIFY(f.start(content));
    COMPARE_SAVES(f, 0);
    auto* button = f.control<QRadioButton>(field + QString::number(clicked));
    QVERIFY(button);
    const QByteArray before = readAll(f.path);

    clickRadio(button);
    QVERIFY(button->isChecked());
    QCOMPARE(f.record.header(field), QString::number(clicked));
    COMPARE_SAVES(f, saves ? 1 : 0);
    if (saves)
        QCOMPARE(storedHeader(f.path, field), QString::number(clicked));
    else
        QCOMPARE(readAll(f.path), before);

    // Leaving the radio group is no field exit.
    QVERIFY(focusOn(f.elsewhere));
    COMPARE_SAVES(f, 0);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestEntryPanel::loadingSetsControlsWithoutSaving()
{
    Fixture f;
    QVERIFY(f.start(matchWithInfo({{"heim", "SV Nord"},
                                   {"ml", "Hans Berg"},
                                   {"bemerkungen", "a&lt;br&gt;b"},
                                   {"punktfreund", "1"},
                                   {"vorrueck", "1"},
                                   {"altersklasse", "2"}})));
    const QByteArray first = readAll(f.path);
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("heim"))->text(), QStringLiteral("SV Nord"));
    QCOMPARE(f.control<QComboBox>(QStringLiteral("ml"))->currentText(), QStringLiteral("Hans Berg"));
    QCOMPARE(f.control<QPlainTextEdit>(QStringLiteral("bemerkungen"))->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(f.control<QRadioButton>(QStringLiteral("punktfreund1"))->isChecked());
    QVERIFY(f.control<QRadioButton>(QStringLiteral("vorrueck1"))->isChecked());
    QVERIFY(f.control<QRadioButton>(QStringLiteral("altersklasse2"))->isChecked());
    QCOMPARE(f.control<QLabel>(QStringLiteral("pfaddateiname"))->text(), f.path);

    // A second match replaces every value, again without writing either file.
    const QString second = f.folder + QStringLiteral("/zweites.ptlx");
    {
        QFile out(second);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(matchWithInfo({{"punktfreund", "0"}, {"vorrueck", "0"}, {"altersklasse", "-1"}}));
    }
    const QByteArray secondBytes = readAll(second);
    f.file.open(second);
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("heim"))->text(), QString());
    QCOMPARE(f.control<QComboBox>(QStringLiteral("ml"))->currentText(), QString());
    QVERIFY(f.control<QRadioButton>(QStringLiteral("punktfreund0"))->isChecked());
    QVERIFY(f.control<QRadioButton>(QStringLiteral("vorrueck0"))->isChecked());
    for (int i = 0; i < 3; ++i)
        QVERIFY(!f.control<QRadioButton>(QStringLiteral("altersklasse") + QString::number(i))->isChecked());
    QCOMPARE(f.control<QLabel>(QStringLiteral("pfaddateiname"))->text(), second);

    COMPARE_SAVES(f, 0);
    QCOMPARE(readAll(f.path), first);
    QCOMPARE(readAll(second), secondBytes);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestEntryPanel::radioWithoutChoiceUnchecksGroup_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("items");
    QTest::newRow("punktfreund") << "punktfreund" << 2;
    QTest::newRow("vorrueck") << "vorrueck" << 2;
    QTest::newRow("altersklasse") << "altersklasse" << 3;
}

void TestEntryPanel::radioWithoutChoiceUnchecksGroup()
{
    QFETCH(QString, field);
    QFETCH(int, items);

    Fixture f;
    QVERIFY(f.start());
    auto button = [&](int i) { return f.control<QRadioButton>(field + QString::number(i)); };
    auto checked = [&] {
        QList<int> out;
        for (int i = 0; i < items; ++i)
            if (button(i)->isChecked())
                out << i;
        return out;
    };

    f.record.setHeader(field, QStringLiteral("1"));
    QCOMPARE(checked(), QList<int>{1});
    f.record.setHeader(field, QStringLiteral("-1"));
    QCOMPARE(checked(), QList<int>());

    // The operator's choices afterwards still exclude each other.
    clickRadio(button(0));
    clickRadio(button(items - 1));
    QCOMPARE(checked(), QList<int>{items - 1});
    QCOMPARE(f.record.header(field), QString::number(items - 1));
    COMPARE_SAVES(f, 2);
    QCOMPARE(storedHeader(f.path, field), QString::number(items - 1));

    // The printouts name the item this panel shows checked, whatever the stored value.
    for (const char* value : {"0", "2", "-1", "7", "", "x", "1"}) {
        f.record.setHeader(field, QLatin1String(value));
        QString shown;
        for (int i = 0; i < items; ++i)
            if (button(i)->isChecked())
                shown = button(i)->text();
        QCOMPARE(MatchFields::chosenRadioItem(field, QLatin1String(value)), shown);
    }
}

void TestEntryPanel::withoutOpenFileNothingIsWrittenButEachSaveSaysSo()
{
    Fixture f;
    QVERIFY(f.start(kMinimalMatch, false));
    for (const QString& field : textFields()) {
        QWidget* control = f.control(field);
        QVERIFY2(control, qPrintable(field));
        QVERIFY(focusOn(control));
        typeInto(control, QStringLiteral("x"));
        QVERIFY(focusOn(f.elsewhere));
        QCOMPARE(f.record.header(field), QStringLiteral("x"));
    }
    QVERIFY(typeIntoCell(f.grid(), f.model()->index(0, 3), QStringLiteral("Anna")));
    QVERIFY(focusOn(f.control(QStringLiteral("heim"))));
    clickRadio(f.control<QRadioButton>(QStringLiteral("punktfreund1")));
    QCOMPARE(f.record.header(QStringLiteral("punktfreund")), QStringLiteral("1"));
    QVERIFY(focusOn(f.elsewhere));

    COMPARE_SAVES(f, 0);
    QCOMPARE(QDir(f.folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    // Every field, the grid and the radio click asked for a save that had nowhere to go: each
    // such save says so.
    const QStringList shown = MessageBox::takeShownMessages();
    QVERIFY(shown.size() >= textFields().size() + 2);
    for (const QString& text : shown)
        QVERIFY2(text.startsWith(QStringLiteral("Es ist keine Kampfdatei geöffnet")), qPrintable(text));
}

void TestEntryPanel::failedSaveShowsOneMessagePerExit_data()
{
    QTest::addColumn<QString>("control"); // a header field, or "protokoll" for the grid
    QTest::newRow("line edit") << "heim";
    QTest::newRow("combo box") << "pr";
    QTest::newRow("memo") << "bemerkungen";
    QTest::newRow("grid") << "protokoll";
    QTest::newRow("radio group") << "altersklasse";
}

void TestEntryPanel::failedSaveShowsOneMessagePerExit()
{
    QFETCH(QString, control);

    Fixture f;
    QVERIFY(f.start());
    QVERIFY(QDir(f.folder).removeRecursively());

    // One operator action per value: change the control to it and leave (or click the item).
    auto act = [&](const QString& value) {
        if (control == QLatin1String("protokoll")) {
            QVERIFY(typeIntoCell(f.grid(), f.model()->index(0, 3), value));
            QVERIFY(focusOn(f.elsewhere));
        } else if (isRadio(control)) {
            clickRadio(f.control<QRadioButton>(control + value));
        } else {
            QWidget* w = f.control(control);
            QVERIFY(focusOn(w));
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            typeInto(w, value);
            QVERIFY(focusOn(f.elsewhere));
        }
    };
    const bool radio = isRadio(control);
    const QStringList values = radio ? QStringList{"1", "2", "0"} : QStringList{"Eins", "Zwei", "Drei"};

    for (int i = 0; i < 2; ++i) {
        act(values[i]);
        if (QTest::currentTestFailed())
            return;
        const QStringList messages = MessageBox::takeShownMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(QStringLiteral("kann nicht gespeichert werden")),
                 qPrintable(messages[0]));
        QVERIFY2(messages[0].contains(kFileName), qPrintable(messages[0]));
    }

    // Once the folder is back, the next save brings the file up to date.
    QVERIFY(QDir().mkpath(f.folder));
    act(values[2]);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    if (control == QLatin1String("protokoll"))
        QCOMPARE(storedCell(f.path, 1, QStringLiteral("vornrot")), values[2]);
    else
        QCOMPARE(storedHeader(f.path, control), values[2]);
}

void TestEntryPanel::focusInAnotherWindowIsNoExit()
{
    Fixture f;
    QVERIFY(f.start());
    QWidget* heim = f.control(QStringLiteral("heim"));
    QVERIFY(focusOn(heim));
    typeInto(heim, QStringLiteral("SV Nord"));

    // Stands for the audience window, or the message box of a failed save: were switching to it
    // an exit, that box would save again and show itself again.
    QLineEdit other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(focusOn(&other));
    COMPARE_SAVES(f, 0);

    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QVERIFY(heim->hasFocus());
    COMPARE_SAVES(f, 0);

    QVERIFY(focusOn(f.elsewhere));
    COMPARE_SAVES(f, 1);
    QCOMPARE(storedHeader(f.path, QStringLiteral("heim")), QStringLiteral("SV Nord"));
}

void TestEntryPanel::accessCodeShowsScoringColumns_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("shown");
    QTest::newRow("the code") << "530718264" << true;
    QTest::newRow("trailing blank") << "530718264 " << false;
    QTest::newRow("leading blank") << " 530718264" << false;
    QTest::newRow("leading zero") << "0530718264" << false;
    QTest::newRow("one digit short") << "53071826" << false;
    QTest::newRow("a number of spectators") << "250" << false;
}

void TestEntryPanel::accessCodeShowsScoringColumns()
{
    QFETCH(QString, typed);
    QFETCH(bool, shown);

    Fixture f;
    QVERIFY(f.start());
    ProtocolGrid* grid = f.grid();
    const QList<int> scoring = {ColWertungenRot, ColWertungenBlau, ColZeiten};
    for (int c : scoring)
        QVERIFY(grid->isColumnHidden(c));

    QWidget* zuschauer = f.control(QStringLiteral("zuschauer"));
    QVERIFY(focusOn(zuschauer));
    typeInto(zuschauer, typed);
    QVERIFY(focusOn(f.elsewhere));

    COMPARE_SAVES(f, 1);
    QCOMPARE(storedHeader(f.path, QStringLiteral("zuschauer")), typed);
    for (int c : scoring)
        QCOMPARE(grid->isColumnHidden(c), !shown);
    if (shown) {
        QCOMPARE(grid->columnWidth(ColWertungenRot), 60);
        QCOMPARE(grid->columnWidth(ColWertungenBlau), 60);
        QCOMPARE(grid->columnWidth(ColZeiten), 80);
    }
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestEntryPanel::accessCodeTwiceKeepsWidths()
{
    Fixture f;
    QVERIFY(f.start());
    ProtocolGrid* grid = f.grid();
    QWidget* zuschauer = f.control(QStringLiteral("zuschauer"));
    auto widths = [&] {
        QList<int> out;
        for (int c : {ColWertungenRot, ColWertungenBlau, ColZeiten})
            out << (grid->isColumnHidden(c) ? -1 : grid->columnWidth(c));
        return out;
    };
    const QList<int> scoringShown = {60, 60, 80};

    QVERIFY(focusOn(zuschauer));
    typeInto(zuschauer, EntryPanel::accessCode());
    QVERIFY(focusOn(f.elsewhere));
    QCOMPARE(widths(), scoringShown);

    QVERIFY(focusOn(zuschauer));
    QVERIFY(focusOn(f.elsewhere));
    QCOMPARE(widths(), scoringShown);

    // The columns stay for the run, whatever is entered later.
    QVERIFY(focusOn(zuschauer));
    QTest::keyClick(zuschauer, Qt::Key_A, Qt::ControlModifier);
    typeInto(zuschauer, QStringLiteral("120"));
    QVERIFY(focusOn(f.elsewhere));
    QCOMPARE(widths(), scoringShown);
    QCOMPARE(storedHeader(f.path, QStringLiteral("zuschauer")), QStringLiteral("120"));
    COMPARE_SAVES(f, 3);
}

void TestEntryPanel::freshGridShowsTenRowsWithScoringHidden()
{
    MatchRecord record;
    ProtocolGrid grid(record);
    QCOMPARE(grid.model()->rowCount(), 10);
    QCOMPARE(grid.model()->columnCount(), ColumnCount);
    for (int c = 0; c < ColumnCount; ++c) {
        const bool scoring = c == ColWertungenRot || c == ColWertungenBlau || c == ColZeiten;
        QVERIFY2(grid.isColumnHidden(c) == scoring, qPrintable(QString::number(c)));
        if (!scoring)
            QVERIFY2(grid.columnWidth(c) > 0, qPrintable(QString::number(c)));
    }
}

void TestEntryPanel::captions_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("passNumbers");
    QTest::addColumn<QString>("caption");
    QTest::newRow("5 licence") << 5 << false << "Lizenz";
    QTest::newRow("12 licence") << 12 << false << "Lizenz";
    QTest::newRow("5 pass number") << 5 << true << "PassNr";
    QTest::newRow("12 pass number") << 12 << true << "PassNr";
    QTest::newRow("3 either way") << 3 << true << "Vorname Heim";
    QTest::newRow("10") << 10 << false << "Vorname Gast";
    QTest::newRow("23") << 23 << true << "Reihenfolge";
}

void TestEntryPanel::captions()
{
    QFETCH(int, column);
    QFETCH(bool, passNumbers);
    QFETCH(QString, caption);

    MatchRecord record;
    ProtocolGrid grid(record);
    QSignalSpy changed(grid.model(), &QAbstractItemModel::headerDataChanged);
    // Switched away first, so the caption shown is the switch's doing, not the start value.
    grid.setPassNumberCaptions(!passNumbers);
    grid.setPassNumberCaptions(passNumbers);
    QCOMPARE(grid.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), caption);
    // The header view repaints only what the model announces.
    if (column == ColLizenzRot || column == ColLizenzBlau) {
        QVERIFY(!changed.isEmpty());
        const QList<QVariant> last = changed.last();
        QCOMPARE(last.at(0).value<Qt::Orientation>(), Qt::Horizontal);
        QVERIFY(last.at(1).toInt() <= column && column <= last.at(2).toInt());
    }
}

void TestEntryPanel::gridColours_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QColor>("colour"); // invalid: the grid's own drawing

    const struct
    {
        int first;
        int last;
        QColor colour;
    } bands[] = {
        {0, 1, QColor(192, 220, 192)},  {2, 7, QColor(250, 143, 143)},   {8, 8, QColor(248, 90, 90)},
        {9, 14, QColor(166, 202, 240)}, {15, 15, QColor(109, 167, 231)}, {16, 23, QColor()},
    };
    for (const auto& band : bands)
        for (int c = band.first; c <= band.last; ++c)
            QTest::addRow("column %d", c) << c << band.colour;
}

void TestEntryPanel::gridColours()
{
    QFETCH(int, column);
    QFETCH(QColor, colour);

    Fixture f;
    QVERIFY(f.start(kMinimalMatch, false));
    ProtocolGrid* grid = f.grid();
    grid->showScoringColumns();
    // Rows 1 and 3 filled, row 2 empty, row 3 selected.
    for (int c = 0; c < ColumnCount; ++c) {
        f.record.setCell(c, 1, QStringLiteral("1"));
        f.record.setCell(c, 3, QStringLiteral("1"));
    }
    grid->selectionModel()->select(
        QItemSelection(f.model()->index(2, 0), f.model()->index(2, ColumnCount - 1)),
        QItemSelectionModel::ClearAndSelect);

    const QImage image = grid->viewport()->grab().toImage();
    auto sample = [&](int row) {
        // Bottom right of the cell: clear of the text, inside the grid lines.
        const QRect cell = grid->visualRect(f.model()->index(row, column));
        const QPoint at(cell.right() - 3, cell.bottom() - 2);
        const QPoint pixel = (QPointF(at) * image.devicePixelRatio()).toPoint();
        return image.rect().contains(pixel) ? image.pixelColor(pixel) : QColor();
    };
    const QColor filled = sample(0);
    const QColor empty = sample(1);
    const QColor selected = sample(2);
    QVERIFY2(filled.isValid() && empty.isValid() && selected.isValid(), "cell outside the visible grid");

    if (colour.isValid()) {
        QCOMPARE(filled.name(), colour.name());
        QCOMPARE(empty.name(), colour.name());
        QCOMPARE(selected.name(), colour.name());
    } else {
        QVERIFY2(isWhiteish(filled), qPrintable(filled.name()));
        QVERIFY2(isWhiteish(empty), qPrintable(empty.name()));
        // Proof that the selection is really drawn, so the line-up columns above keep their
        // colour in spite of it.
        QVERIFY2(!isWhiteish(selected), qPrintable(selected.name()));
    }
}

void TestEntryPanel::movedColumnKeepsItsField_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("visual");      // where the operator types
    QTest::addColumn<QString>("element"); // where the text must be stored
    QTest::addColumn<QString>("foreign"); // the column first shown at `visual`; stays empty

    QTest::newRow("first name moved to the front, typed there") << 3 << 0 << 0 << "vornrot"
                                                                << "klasse";
    QTest::newRow("typed where the first name was") << 3 << 0 << 3 << "gewichtrot"
                                                    << "vornrot";
    QTest::newRow("first name moved among the guests") << 3 << 10 << 10 << "vornrot"
                                                       << "vornblau";
    QTest::newRow("guest points moved to the front") << 15 << 0 << 0 << "punkteblau"
                                                     << "klasse";
}

void TestEntryPanel::movedColumnKeepsItsField()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, visual);
    QFETCH(QString, element);
    QFETCH(QString, foreign);

    Fixture f;
    QVERIFY(f.start());
    ProtocolGrid* grid = f.grid();
    grid->horizontalHeader()->moveSection(from, to);
    QCOMPARE(grid->horizontalHeader()->logicalIndex(to), from);

    const QModelIndex shown = f.model()->index(0, grid->horizontalHeader()->logicalIndex(visual));
    QVERIFY(typeIntoCell(grid, shown, QStringLiteral("Meier")));
    QCOMPARE(f.record.cell(int(boutColumns().indexOf(element)), 1), QStringLiteral("Meier"));
    QVERIFY(focusOn(f.elsewhere));

    COMPARE_SAVES(f, 1);
    QCOMPARE(storedCell(f.path, 1, element), QStringLiteral("Meier"));
    QCOMPARE(storedCell(f.path, 1, foreign), QString());
}

void TestEntryPanel::typingIntoGridReachesRecordAtOnce()
{
    Fixture f;
    QVERIFY(f.start());
    ProtocolGrid* grid = f.grid();

    QLineEdit* editor = typeIntoCell(grid, f.model()->index(0, 3), QStringLiteral("Anna"));
    QVERIFY(editor);
    // Still in the editor: a save at this moment must already see the text.
    QCOMPARE(f.record.cell(ColVornRot, 1), QStringLiteral("Anna"));

    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(grid->currentIndex(), f.model()->index(0, 4));
    QVERIFY(grid->isAncestorOf(QApplication::focusWidget()));
    COMPARE_SAVES(f, 0);

    auto* next = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(next);
    QTest::keyClicks(next, QStringLiteral("Berg"));
    QCOMPARE(f.record.cell(ColNachnRot, 1), QStringLiteral("Berg"));
    COMPARE_SAVES(f, 0);

    QVERIFY(focusOn(f.control(QStringLiteral("heim"))));
    COMPARE_SAVES(f, 1);
    QCOMPARE(storedCell(f.path, 1, QStringLiteral("vornrot")), QStringLiteral("Anna"));
    QCOMPARE(storedCell(f.path, 1, QStringLiteral("nachnrot")), QStringLiteral("Berg"));
    QCOMPARE(storedCell(f.path, 1, QStringLiteral("reihenfolge")), QStringLiteral("1"));
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestEntryPanel::leavingGridNumbersBouts_data()
{
    QTest::addColumn<QStringList>("orders");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("message"); // empty: the file is saved

    QTest::newRow("gap takes the number after the one above")
        << QStringList{"1", "", "2"} << QStringList{"1", "2", "2"} << "";
    QTest::newRow("all empty") << QStringList{"", "", ""} << QStringList{"1", "2", "3"} << "";
    QTest::newRow("counting on from a high number")
        << QStringList{"5", "", ""} << QStringList{"5", "6", "7"} << "";
    QTest::newRow("the highest above counts, not the last")
        << QStringList{"4", "2", ""} << QStringList{"4", "2", "5"} << "";
    QTest::newRow("not a number") << QStringList{"", "", "x", "", ""} << QStringList{"1", "2", "x", "", ""}
                                  << "'x' ist kein gültiger Integerwert";
}

void TestEntryPanel::leavingGridNumbersBouts()
{
    QFETCH(QStringList, orders);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);

    Fixture f;
    QVERIFY(f.start());
    f.record.setRowCount(int(orders.size()) + 1);
    for (qsizetype i = 0; i < orders.size(); ++i)
        f.record.setCell(ColReihenfolge, int(i) + 1, orders[i]);
    const QByteArray before = readAll(f.path);

    QVERIFY(focusOn(f.grid()));
    COMPARE_SAVES(f, 0);
    QVERIFY(focusOn(f.elsewhere));

    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(f.model()->index(int(i), ColReihenfolge).data().toString(), expected[i]);
    if (message.isEmpty()) {
        QCOMPARE(MessageBox::takeShownMessages(), QStringList());
        COMPARE_SAVES(f, 1);
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(storedCell(f.path, int(i) + 1, QStringLiteral("reihenfolge")), expected[i]);
    } else {
        QCOMPARE(MessageBox::takeShownMessages(), QStringList{message});
        COMPARE_SAVES(f, 0);
        QCOMPARE(readAll(f.path), before);
    }
}

void TestEntryPanel::pasteKeepsFirstLine_data()
{
    QTest::addColumn<QString>("target"); // a header field, or "protokoll" for a grid cell
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor"); // -1: at the end
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("value"); // in the record and, after leaving, in the file

    QTest::newRow("Gast, CR LF") << "gast"
                                 << "" << -1 << "AC\r\nGast"
                                 << "AC";
    QTest::newRow("Gast, lone CR") << "gast"
                                   << "" << -1 << "AC\rGast"
                                   << "AC";
    QTest::newRow("Gast, LF") << "gast"
                              << "" << -1 << "AC\nGast"
                              << "AC";
    QTest::newRow("Gast, into the middle") << "gast"
                                           << "KSV Nord" << 4 << "AC\r\nGast\r\n"
                                           << "KSV ACNord";
    QTest::newRow("Gast, line break first") << "gast"
                                            << "KSV" << -1 << "\r\nGast"
                                            << "KSV";
    QTest::newRow("Heim, trailing LF") << "heim"
                                       << "SV " << -1 << "Nord\n"
                                       << "SV Nord";
    QTest::newRow("Mattenleiter (combo)") << "ml"
                                          << "" << -1 << "Hans Berg\r\nEva Stein"
                                          << "Hans Berg";
    QTest::newRow("grid cell, CR LF") << "protokoll"
                                      << "" << -1 << "Hans\r\nBerg"
                                      << "Hans";
    QTest::newRow("grid cell, lone CR") << "protokoll"
                                        << "" << -1 << "Hans\rBerg"
                                        << "Hans";
    QTest::newRow("grid cell, LF into the middle") << "protokoll"
                                                   << "Müller" << 3 << "ab\ncd"
                                                   << "Mülabler";
    QTest::newRow("Bemerkungen keeps CR LF lines") << "bemerkungen"
                                                   << "" << -1 << "Zeile 1\r\nZeile 2"
                                                   << "Zeile 1\r\nZeile 2";
    QTest::newRow("Bemerkungen keeps LF and CR lines") << "bemerkungen"
                                                       << "" << -1 << "Zeile 1\nZeile 2\rZeile 3"
                                                       << "Zeile 1\r\nZeile 2\r\nZeile 3";
}

void TestEntryPanel::pasteKeepsFirstLine()
{
    QFETCH(QString, target);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, clipboard);
    QFETCH(QString, value);

    Fixture f;
    QVERIFY(f.start());
    const bool inGrid = target == QLatin1String("protokoll");
    if (inGrid)
        f.record.setCell(ColVornBlau, 1, before);
    else
        f.record.setHeader(target, before);
    QWidget* focus = focusTarget(f.panel, target);
    QVERIFY(focus);
    if (QLineEdit* edit = lineEditOf(focus)) {
        edit->deselect();
        edit->setCursorPosition(cursor < 0 ? int(before.size()) : cursor);
    }

    pasteText(f.window.get(), clipboard);

    QCOMPARE(valueOf(f.record, target), value);
    if (QLineEdit* edit = lineEditOf(focus))
        QCOMPARE(edit->text(), value);
    QVERIFY(focusOn(f.elsewhere));
    COMPARE_SAVES(f, 1);
    QCOMPARE(reloaded(f.path, target), value);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestEntryPanel::loadedLineBreakStays_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("Gast") << "gast";
    QTest::newRow("Mattenleiter (combo)") << "ml";
    QTest::newRow("grid cell") << "protokoll";
}

void TestEntryPanel::loadedLineBreakStays()
{
    QFETCH(QString, target);

    // Written by another program: the line break is part of the value and is shown, kept and
    // saved as it stands; only what the operator pastes is cut.
    Fixture f;
    const QString loaded = QStringLiteral("AC\r\nGast");
    QVERIFY(f.start(
        QByteArray("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><erstellt>1.1.2026"
                   "</erstellt><gast>AC&#13;&#10;Gast</gast><ml>AC&#13;&#10;Gast</ml></info>"
                   "<kaempfe><kampf1><vornblau>AC&#13;&#10;Gast</vornblau></kampf1></kaempfe></mk>")));
    QCOMPARE(valueOf(f.record, target), loaded);

    QLineEdit* edit = lineEditOf(focusTarget(f.panel, target));
    QVERIFY(edit);
    QCOMPARE(edit->text(), loaded);
    edit->deselect();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("X"));
    pasteText(f.window.get(), QStringLiteral("Y\nZ"));

    const QString value = loaded + QStringLiteral("XY");
    QCOMPARE(edit->text(), value);
    QCOMPARE(valueOf(f.record, target), value);
    QVERIFY(focusOn(f.elsewhere));
    QCOMPARE(reloaded(f.path, target), value);
}

QTEST_MAIN(TestEntryPanel)
#include "tst_entrypanel.moc"
