#include "platform/UserError.h"
#include "settings/Settings.h"
#include "shell/ui/SetupPanel.h"
#include "shell/ui/UpDown.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"
#include "widgets/Dialogs.h"
#include "widgets/FileDialogs.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QDomDocument>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Counts the writes of set.xml: each save puts a new file in place under that name (temporary
// file, then rename), which the kernel reports as it happens, so no waiting is needed.
class SaveCounter
{
public:
    explicit SaveCounter(const QString& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CREATE | IN_MOVED_TO);
    }
    ~SaveCounter() { ::close(m_fd); }
    SaveCounter(const SaveCounter&) = delete;
    SaveCounter& operator=(const SaveCounter&) = delete;

    // Saves since the last call.
    int take()
    {
        int saves = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t length; (length = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                saves += event->len > 0 && qstrcmp(event->name, "set.xml") == 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return saves;
    }

private:
    int m_fd;
};

#define COMPARE_SAVES(expected) QCOMPARE(f.saves->take(), expected)

// The panel in an active window of its own, beside a line edit that takes the focus when a test
// leaves a control; the settings are ready and no file exists yet.
struct Fixture
{
    QTemporaryDir tmp;
    QString path = tmp.filePath(QStringLiteral("set.xml"));
    Settings settings{path};
    std::unique_ptr<QWidget> window;
    SetupPanel* panel = nullptr;
    QLineEdit* elsewhere = nullptr;
    std::unique_ptr<SaveCounter> saves;

    // `file`: a set.xml to read first; none when empty.
    bool start(const QStringList& adverts = {}, const QByteArray& file = {})
    {
        if (!tmp.isValid())
            return false;
        if (!file.isEmpty()) {
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
                return false;
        }
        settings.loadset();
        settings.setWerbung(adverts);
        settings.setSettingsReady(true);
        window = std::make_unique<QWidget>();
        auto* layout = new QHBoxLayout(window.get());
        panel = new SetupPanel(settings, window.get());
        elsewhere = new QLineEdit(window.get());
        layout->addWidget(panel, 1);
        layout->addWidget(elsewhere);
        window->resize(1200, 480);
        // Focus that starts in the panel and then moves would already be a change to save.
        elsewhere->setFocus();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        elsewhere->setFocus();
        saves = std::make_unique<SaveCounter>(tmp.path());
        return elsewhere->hasFocus() && QFile::exists(path) == !file.isEmpty();
    }

    // What opening the panel does, through the guard as the menu runs it.
    void open() const
    {
        guarded(panel, [this] { panel->punktzettelvorschau(); });
    }
    // A click on a line of the field list, as the operator chooses a field.
    void choose(int row) const
    {
        auto* box = control<QListWidget>(QStringLiteral("ListBox1"));
        QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::NoModifier,
                          box->visualItemRect(box->item(row)).center());
    }
    QLabel* previewLabel(int i) const
    {
        static const char* const names[] = {"pzdatum",   "pzklasse",    "pzstil",     "pzkampfnr",
                                            "pznamerot", "pzvereinrot", "pznameblau", "pzvereinblau"};
        return control<QLabel>(QLatin1String(names[i]));
    }
    // The fields whose preview label shows its sky-blue background.
    QList<int> highlighted() const
    {
        QList<int> out;
        for (int i = 0; i < 8; ++i)
            if (previewLabel(i)->autoFillBackground())
                out << i;
        return out;
    }

    template <class T = QWidget> T* control(const QString& name) const { return panel->findChild<T*>(name); }
    QListWidget* list() const { return control<QListWidget>(QStringLiteral("werbung")); }
    QAbstractButton* radio(const QString& group, int item) const
    {
        return control<QAbstractButton>(group + QLatin1Char('_') + QString::number(item));
    }
};

void clickRadio(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

const QStringList kThree = {QStringLiteral("/w/a.jpg"), QStringLiteral("/w/b.jpg"),
                            QStringLiteral("/w/c.jpg")};

} // namespace

class TestSetupPanel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void designTexts();
    void controlsFollowTheSettings();
    void scaleButtons_data();
    void scaleButtons();
    void scaleButtonWithDamagedField();
    void addAdvert_data();
    void addAdvert();
    void doubleClick_data();
    void doubleClick();
    void keysInTheList_data();
    void keysInTheList();
    void licenceOrPassChoice();
    void advertModeAndLeavingTheGroup();
    void leavingTheSecondsField_data();
    void leavingTheSecondsField();
    void leavingTheTickerSavesOnce();
    void introductionOptionClick();
    void previewAtStart_data();
    void previewAtStart();
    void movingAField_data();
    void movingAField();
    void arrowWithNoFieldChosen_data();
    void arrowWithNoFieldChosen();
    void highlightFollowsTheChoice();
    void damagedLayoutValue_data();
    void damagedLayoutValue();
};

void TestSetupPanel::initTestCase()
{
    MessageBox::setTestMode(true);
}

void TestSetupPanel::init()
{
    MessageBox::takeShownMessages();
    FileDialogs::takeShownCount();
}

void TestSetupPanel::designTexts()
{
    Fixture f;
    QVERIFY(f.start());
    QCOMPARE(f.panel->objectName(), QStringLiteral("panel_einrichten"));
    QVERIFY(f.control<QLineEdit>(QStringLiteral("Edit1"))->isReadOnly());
    QCOMPARE(f.radio(QStringLiteral("RadioGroup1"), 1)->text(),
             QStringLiteral("Wechsel alle") + QString(15, QLatin1Char(' ')) + QStringLiteral("Sekunden"));

    // The seconds field lies in the gap of its item's text, clear of both words.
    QAbstractButton* item = f.radio(QStringLiteral("RadioGroup1"), 1);
    QStyleOptionButton option;
    option.initFrom(item);
    const int textLeft = item->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, item).left();
    const QFontMetrics fm(item->font());
    QWidget* edit4 = f.control(QStringLiteral("Edit4"));
    const QRect field(item->mapFrom(f.panel, edit4->mapTo(f.panel, QPoint())), edit4->size());
    QVERIFY(field.left() > textLeft + fm.horizontalAdvance(QStringLiteral("Wechsel alle")));
    QVERIFY(field.right() <
            textLeft + fm.horizontalAdvance(item->text().chopped(QStringLiteral("Sekunden").size())));
    QVERIFY(field.top() < item->height() / 2 && field.bottom() > item->height() / 2);

    // The score sheet's preview and the headings of the field layout.
    QCOMPARE(f.control(QStringLiteral("Shape31"))->geometry(), QRect(462, 135, 176, 241));
    QCOMPARE(f.control<QLabel>(QStringLiteral("Label_punktzettel"))->text(), QStringLiteral("Punktzettel"));

    auto* date = f.control<QLabel>(QStringLiteral("datumlizenzdatei"));
    QCOMPARE(date->text(), QString());
    f.panel->setDatumlizenzdatei(QStringLiteral("Lizenzendatenbank vom 01.02.2026"));
    QCOMPARE(date->text(), QStringLiteral("Lizenzendatenbank vom 01.02.2026"));
}

void TestSetupPanel::controlsFollowTheSettings()
{
    Fixture f;
    QVERIFY(f.start());
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("laufschrift"))->text(),
             QStringLiteral("Herzlich Willkommen!"));
    QVERIFY(f.radio(QStringLiteral("RadioGroup3"), 0)->isChecked());

    f.settings.setLaufschrift(QStringLiteral("Grüße"));
    f.settings.setVorstellung(true);
    f.settings.setSkalierung(QStringLiteral("90"));
    f.settings.setZeit(QStringLiteral("30"));
    f.settings.setModus(2);
    f.settings.setProtokoll(1);
    f.settings.setWerbung(kThree);
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("laufschrift"))->text(), QStringLiteral("Grüße"));
    QVERIFY(f.control<QCheckBox>(QStringLiteral("kampfvorstellung"))->isChecked());
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("Edit1"))->text(), QStringLiteral("90"));
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("Edit4"))->text(), QStringLiteral("30"));
    QVERIFY(f.radio(QStringLiteral("RadioGroup1"), 2)->isChecked());
    QVERIFY(f.radio(QStringLiteral("RadioGroup3"), 1)->isChecked());
    QCOMPARE(f.list()->count(), 3);
    QCOMPARE(f.list()->item(2)->text(), kThree.at(2));

    // Back to no mode: no item stays checked.
    f.settings.setModus(-1);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!f.radio(QStringLiteral("RadioGroup1"), i)->isChecked());
    COMPARE_SAVES(0);
}

void TestSetupPanel::scaleButtons_data()
{
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("after");

    QTest::newRow("plus") << "110"
                          << "Button8"
                          << "112";
    QTest::newRow("minus") << "100"
                           << "Button9"
                           << "98";
    QTest::newRow("plus at the top") << "120"
                                     << "Button8"
                                     << "120";
    QTest::newRow("minus at the bottom") << "80"
                                         << "Button9"
                                         << "80";
    QTest::newRow("minus from the top") << "120"
                                        << "Button9"
                                        << "118";
}

void TestSetupPanel::scaleButtons()
{
    QFETCH(QString, scale);
    QFETCH(QString, button);
    QFETCH(QString, after);
    Fixture f;
    QVERIFY(f.start());
    f.settings.setSkalierung(scale);
    QSignalSpy steps(f.panel, &SetupPanel::scaleStep);

    QTest::mouseClick(f.control<QPushButton>(button), Qt::LeftButton);
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("Edit1"))->text(), after);
    if (after == scale) {
        QCOMPARE(steps.count(), 0);
    } else {
        QCOMPARE(steps.count(), 1);
        QCOMPARE(steps.at(0), (QList<QVariant>{scale.toInt(), after.toInt()}));
    }
    // Saved also when the limit kept the scale.
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("anzeige/skalierung")), after);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestSetupPanel::scaleButtonWithDamagedField()
{
    Fixture f;
    QVERIFY(f.start());
    f.settings.setSkalierung(QStringLiteral("gross"));
    QSignalSpy steps(f.panel, &SetupPanel::scaleStep);
    for (const QString& name : {QStringLiteral("Button8"), QStringLiteral("Button9")}) {
        QTest::mouseClick(f.control<QPushButton>(name), Qt::LeftButton);
        QCOMPARE(MessageBox::takeShownMessages(),
                 QStringList{QStringLiteral("'gross' ist kein gültiger Integerwert")});
    }
    QCOMPARE(steps.count(), 0);
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("Edit1"))->text(), QStringLiteral("gross"));
    COMPARE_SAVES(0);
}

void TestSetupPanel::addAdvert_data()
{
    QTest::addColumn<QString>("chosen"); // empty: Cancel
    QTest::addColumn<QStringList>("after");

    QTest::newRow("OK appends") << "/bilder/neu.jpg" << QStringList{"/w/a.jpg", "/bilder/neu.jpg"};
    QTest::newRow("Cancel") << "" << QStringList{"/w/a.jpg"};
}

void TestSetupPanel::addAdvert()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, after);
    Fixture f;
    QVERIFY(f.start({QStringLiteral("/w/a.jpg")}));
    if (chosen.isEmpty())
        FileDialogs::setNextCancel();
    else
        FileDialogs::setNextFileName(chosen);

    QTest::mouseClick(f.control<QPushButton>(QStringLiteral("Button12")), Qt::LeftButton);
    QCOMPARE(FileDialogs::takeShownCount(), 1);
    QCOMPARE(f.settings.werbung(), after);
    QCOMPARE(f.list()->count(), after.size());
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("werbung/werbungen/werbung%1/pfad").arg(after.size() - 1)),
             after.last());
}

void TestSetupPanel::doubleClick_data()
{
    QTest::addColumn<int>("selected");   // -1: none
    QTest::addColumn<QString>("chosen"); // empty: Cancel
    QTest::addColumn<QStringList>("after");

    QTest::newRow("OK replaces the selected")
        << 1 << "/w/neu.jpg" << QStringList{"/w/a.jpg", "/w/neu.jpg", "/w/c.jpg"};
    QTest::newRow("OK with none selected appends")
        << -1 << "/w/neu.jpg" << QStringList{"/w/a.jpg", "/w/b.jpg", "/w/c.jpg", "/w/neu.jpg"};
    QTest::newRow("Cancel on an entry") << 0 << "" << kThree;
    QTest::newRow("Cancel with none selected") << -1 << "" << kThree;
}

void TestSetupPanel::doubleClick()
{
    QFETCH(int, selected);
    QFETCH(QString, chosen);
    QFETCH(QStringList, after);
    Fixture f;
    QVERIFY(f.start(kThree));
    if (chosen.isEmpty())
        FileDialogs::setNextCancel();
    else
        FileDialogs::setNextFileName(chosen);

    QListWidget* list = f.list();
    QPoint at;
    if (selected >= 0) {
        at = list->visualItemRect(list->item(selected)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(selected)});
    } else {
        list->clearSelection();
        at = QPoint(10, list->viewport()->height() - 5);
        QVERIFY(!list->itemAt(at));
    }
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);

    QCOMPARE(FileDialogs::takeShownCount(), 1);
    QCOMPARE(f.settings.werbung(), after);
    QCOMPARE(list->count(), after.size());
    for (int i = 0; i < after.size(); ++i)
        QCOMPARE(list->item(i)->text(), after.at(i));
    if (selected >= 0)
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(selected)});
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("werbung/werbungen/werbung%1/pfad").arg(after.size() - 1)),
             after.last());
}

void TestSetupPanel::keysInTheList_data()
{
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("Del removes the selected")
        << 1 << int(Qt::Key_Delete) << QStringList{"/w/a.jpg", "/w/c.jpg"};
    QTest::newRow("Del with none selected") << -1 << int(Qt::Key_Delete) << kThree;
    QTest::newRow("another key") << 0 << int(Qt::Key_A) << kThree;
    QTest::newRow("arrow key") << 0 << int(Qt::Key_Down) << kThree;
}

void TestSetupPanel::keysInTheList()
{
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(QStringList, after);
    Fixture f;
    QVERIFY(f.start(kThree));
    f.settings.saveset(); // three adverts stored before the key
    f.saves->take();
    QListWidget* list = f.list();
    QVERIFY(focusOn(list));
    list->clearSelection();
    if (selected >= 0)
        list->setCurrentRow(selected);
    QCOMPARE(list->selectedItems().size(), selected >= 0 ? 1 : 0);

    QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(f.settings.werbung(), after);
    QCOMPARE(list->count(), after.size());
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("werbung/werbungen/werbung0/pfad")), after.first());
    if (key == Qt::Key_Delete && selected >= 0) {
        // The stored list keeps its length; the place that fell free is blank.
        QCOMPARE(stored(f.path, QStringLiteral("werbung/werbungen/werbung2/pfad")), QString());
        QVERIFY(list->selectedItems().isEmpty());
    }
}

void TestSetupPanel::licenceOrPassChoice()
{
    Fixture f;
    QVERIFY(f.start());
    QSignalSpy choice(&f.settings, &Settings::protokollChanged);
    clickRadio(f.radio(QStringLiteral("RadioGroup3"), 1));
    QCOMPARE(f.settings.protokoll(), 1);
    QCOMPARE(choice.count(), 1);
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("protokoll")), QStringLiteral("1"));

    // The chosen item again is no change.
    clickRadio(f.radio(QStringLiteral("RadioGroup3"), 1));
    COMPARE_SAVES(0);
    clickRadio(f.radio(QStringLiteral("RadioGroup3"), 0));
    QCOMPARE(f.settings.protokoll(), 0);
    COMPARE_SAVES(1);
}

void TestSetupPanel::advertModeAndLeavingTheGroup()
{
    Fixture f;
    QVERIFY(f.start());
    int switches = 0;
    f.panel->setAdvertTimer([] {}, [&switches] { ++switches; });

    clickRadio(f.radio(QStringLiteral("RadioGroup1"), 1));
    QCOMPARE(f.settings.modus(), 1);
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("werbung/modus")), QStringLiteral("1"));
    QCOMPARE(switches, 0); // a click alone does not switch the timer

    QVERIFY(focusOn(f.radio(QStringLiteral("RadioGroup1"), 1)));
    QVERIFY(focusOn(f.radio(QStringLiteral("RadioGroup1"), 2)));
    QCOMPARE(switches, 0); // moving inside the group is not leaving it
    QVERIFY(focusOn(f.elsewhere));
    QCOMPARE(switches, 1);

    // The seconds field lies over the group but is not part of it.
    QVERIFY(focusOn(f.radio(QStringLiteral("RadioGroup1"), 0)));
    QVERIFY(focusOn(f.control(QStringLiteral("Edit4"))));
    QCOMPARE(switches, 2);
    COMPARE_SAVES(0);
}

void TestSetupPanel::leavingTheSecondsField_data()
{
    QTest::addColumn<bool>("applyFails");

    QTest::newRow("interval applied") << false;
    QTest::newRow("conversion error") << true;
}

void TestSetupPanel::leavingTheSecondsField()
{
    QFETCH(bool, applyFails);
    Fixture f;
    QVERIFY(f.start());
    QStringList calls;
    f.panel->setAdvertTimer(
        [&] {
            calls << QStringLiteral("apply ") + f.settings.zeit();
            if (applyFails)
                throw UserError(QStringLiteral("'3x' ist kein gültiger Integerwert"));
            // Applied before the save, so nothing is written yet.
            QCOMPARE(QFile::exists(f.path), false);
        },
        [&] { calls << QStringLiteral("switch"); });

    auto* edit4 = f.control<QLineEdit>(QStringLiteral("Edit4"));
    QVERIFY(focusOn(edit4));
    edit4->selectAll();
    QTest::keyClicks(edit4, applyFails ? QStringLiteral("3x") : QStringLiteral("30"));
    COMPARE_SAVES(0);
    QVERIFY(focusOn(f.elsewhere));

    QCOMPARE(calls, QStringList{QStringLiteral("apply ") +
                                (applyFails ? QStringLiteral("3x") : QStringLiteral("30"))});
    if (applyFails) {
        QCOMPARE(MessageBox::takeShownMessages(),
                 QStringList{QStringLiteral("'3x' ist kein gültiger Integerwert")});
        COMPARE_SAVES(0);
    } else {
        QCOMPARE(MessageBox::takeShownMessages(), QStringList());
        COMPARE_SAVES(1);
        QCOMPARE(stored(f.path, QStringLiteral("werbung/zeit")), QStringLiteral("30"));
    }
}

void TestSetupPanel::leavingTheTickerSavesOnce()
{
    Fixture f;
    QVERIFY(f.start());
    auto* edit = f.control<QLineEdit>(QStringLiteral("laufschrift"));
    QVERIFY(focusOn(edit));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Willkommen in der Halle"));
    QCOMPARE(f.settings.laufschrift(), QStringLiteral("Willkommen in der Halle"));
    COMPARE_SAVES(0);

    QVERIFY(focusOn(f.elsewhere));
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("anzeige/laufschrift")),
             QStringLiteral("Willkommen in der Halle"));

    // A pasted text keeps its first line: the ticker is one line.
    QVERIFY(focusOn(edit));
    edit->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("Willkommen\r\nzweite Zeile"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(focusOn(f.elsewhere));
    QCOMPARE(stored(f.path, QStringLiteral("anzeige/laufschrift")), QStringLiteral("Willkommen"));
}

void TestSetupPanel::introductionOptionClick()
{
    Fixture f;
    QVERIFY(f.start());
    QSignalSpy spy(&f.settings, &Settings::vorstellungChanged);
    auto* box = f.control<QCheckBox>(QStringLiteral("kampfvorstellung"));
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(box->height() / 2, box->height() / 2));
    QVERIFY(f.settings.vorstellung());
    QCOMPARE(spy.count(), 1);
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("anzeige/vorstellung")), QStringLiteral("-1"));
}

void TestSetupPanel::previewAtStart_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("ink"); // invalid: the system's window text
    QTest::addColumn<QPoint>("at");

    QTest::newRow("date") << 0 << "pzDatum"
                          << "Datum" << QColor() << QPoint(477, 167);
    QTest::newRow("class") << 1 << "pzKlasse"
                           << "Klasse" << QColor() << QPoint(515, 167);
    QTest::newRow("style") << 2 << "pzStil"
                           << "Stil" << QColor() << QPoint(552, 167);
    QTest::newRow("bout number") << 3 << "pzKampfnr"
                                 << "Kampf Nr." << QColor() << QPoint(589, 167);
    QTest::newRow("red name") << 4 << "pzNameRot"
                              << "Name" << QColor(Qt::red) << QPoint(477, 182);
    QTest::newRow("red team") << 5 << "pzVereinRot"
                              << "Verein" << QColor(Qt::red) << QPoint(477, 191);
    QTest::newRow("blue name") << 6 << "pzNameBlau"
                               << "Name" << QColor(Qt::blue) << QPoint(554, 182);
    QTest::newRow("blue team") << 7 << "pzVereinBlau"
                               << "Verein" << QColor(Qt::blue) << QPoint(554, 191);
}

void TestSetupPanel::previewAtStart()
{
    QFETCH(int, field);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QColor, ink);
    QFETCH(QPoint, at);
    Fixture f;
    QVERIFY(f.start());
    f.open();
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());

    QCOMPARE(f.control<QListWidget>(QStringLiteral("ListBox1"))->item(field)->text(), name);
    QLabel* label = f.previewLabel(field);
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->pos(), at);
    // Not the panel's white: the sheet is white paper.
    QCOMPARE(label->palette().color(QPalette::WindowText),
             ink.isValid() ? ink : QGuiApplication::palette().color(QPalette::WindowText));
    QVERIFY(label->isVisible());
    QCOMPARE(f.highlighted(), QList<int>());
    COMPARE_SAVES(0);
}

void TestSetupPanel::movingAField_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("x"); // empty: as at start
    QTest::addColumn<QString>("y");
    QTest::addColumn<int>("upDown1");
    QTest::addColumn<int>("upDown2");
    QTest::addColumn<QString>("arrow");
    QTest::addColumn<QString>("xAfter");
    QTest::addColumn<QString>("yAfter");
    QTest::addColumn<QPoint>("at");

    QTest::newRow("blue name one up") << 6 << ""
                                      << "" << 110 << 941 << "UpDown2_next"
                                      << "110"
                                      << "58" << QPoint(554, 182);
    QTest::newRow("blue name one down") << 6 << ""
                                        << "" << 110 << 941 << "UpDown2_prev"
                                        << "110"
                                        << "60" << QPoint(554, 183);
    QTest::newRow("date one right") << 0 << ""
                                    << "" << 18 << 960 << "UpDown1_next"
                                    << "19"
                                    << "40" << QPoint(478, 167);
    QTest::newRow("bout number one left") << 3 << ""
                                          << "" << 152 << 960 << "UpDown1_prev"
                                          << "151"
                                          << "40" << QPoint(589, 167);
    // 150 mm lies exactly between two pixels of the preview: the even one is taken.
    QTest::newRow("tie to even") << 5 << ""
                                 << "151" << 18 << 849 << "UpDown2_next"
                                 << "18"
                                 << "150" << QPoint(477, 255);
    QTest::newRow("x at its end") << 1 << "300"
                                  << "" << 300 << 960 << "UpDown1_next"
                                  << "300"
                                  << "40" << QPoint(713, 167);
    // Values only a hand-edited file holds: the up-down keeps to its range, so does the field.
    QTest::newRow("x beyond its end") << 1 << "500"
                                      << "" << 300 << 960 << "UpDown1_next"
                                      << "300"
                                      << "40" << QPoint(713, 167);
    QTest::newRow("y below the sheet") << 2 << ""
                                       << "1500" << 107 << 0 << "UpDown2_prev"
                                       << "107"
                                       << "1000" << QPoint(552, 938);
    QTest::newRow("y at its top end") << 7 << ""
                                      << "-9000" << 110 << 10000 << "UpDown2_next"
                                      << "110"
                                      << "-9000" << QPoint(554, -7095);
}

void TestSetupPanel::movingAField()
{
    QFETCH(int, field);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(int, upDown1);
    QFETCH(int, upDown2);
    QFETCH(QString, arrow);
    QFETCH(QString, xAfter);
    QFETCH(QString, yAfter);
    QFETCH(QPoint, at);
    Fixture f;
    QVERIFY(f.start());
    Settings::Field preset = f.settings.felder().at(field);
    preset.xwert = x.isEmpty() ? preset.xwert : x;
    preset.ywert = y.isEmpty() ? preset.ywert : y;
    f.settings.setFeld(field, preset);
    f.open();

    f.choose(field);
    QCOMPARE(f.control<UpDown>(QStringLiteral("UpDown1"))->position(), upDown1);
    QCOMPARE(f.control<UpDown>(QStringLiteral("UpDown2"))->position(), upDown2);
    QCOMPARE(f.highlighted(), QList<int>{field});
    COMPARE_SAVES(0); // choosing stores nothing

    QTest::mouseClick(f.control<QAbstractButton>(arrow), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
    QCOMPARE(f.settings.felder().at(field), (Settings::Field{preset.bezeichnung, xAfter, yAfter}));
    QCOMPARE(f.control<QListWidget>(QStringLiteral("xwerte"))->item(field)->text(), xAfter);
    QCOMPARE(f.control<QListWidget>(QStringLiteral("ywerte"))->item(field)->text(), yAfter);
    QCOMPARE(f.previewLabel(field)->pos(), at);
    COMPARE_SAVES(1);
    const QString stored_at = QStringLiteral("print/punktzettel/feld%1/").arg(field);
    QCOMPARE(stored(f.path, stored_at + QStringLiteral("xwert")), xAfter);
    QCOMPARE(stored(f.path, stored_at + QStringLiteral("ywert")), yAfter);
}

void TestSetupPanel::arrowWithNoFieldChosen_data()
{
    QTest::addColumn<QString>("arrow");

    QTest::newRow("UpDown1") << "UpDown1_next";
    QTest::newRow("UpDown2") << "UpDown2_prev";
}

void TestSetupPanel::arrowWithNoFieldChosen()
{
    QFETCH(QString, arrow);
    Fixture f;
    QVERIFY(f.start());
    f.open();
    // A layout the preview does not show yet: the click redraws it.
    f.settings.setFeld(0, {QStringLiteral("pzDatum"), QStringLiteral("40"), QStringLiteral("100")});
    const QList<Settings::Field> before = f.settings.felder();
    QCOMPARE(f.previewLabel(0)->pos(), QPoint(477, 167));

    QTest::mouseClick(f.control<QAbstractButton>(arrow), Qt::LeftButton);
    QCOMPARE(f.settings.felder(), before);
    QCOMPARE(f.previewLabel(0)->pos(), QPoint(496, 215));
    COMPARE_SAVES(1);
    QCOMPARE(stored(f.path, QStringLiteral("print/punktzettel/feld0/xwert")), QStringLiteral("40"));
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestSetupPanel::highlightFollowsTheChoice()
{
    Fixture f;
    QVERIFY(f.start());
    f.window->resize(1200, 700);
    f.open();
    f.choose(2);
    QCOMPARE(f.highlighted(), QList<int>{2});

    // The keys move the choice as well.
    auto* box = f.control<QListWidget>(QStringLiteral("ListBox1"));
    QVERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(f.highlighted(), QList<int>{4});
    QCOMPARE(f.control<UpDown>(QStringLiteral("UpDown2"))->position(), 941);

    // Seen on the panel: sky blue behind the chosen label, white paper behind the others.
    const QImage shown = f.panel->grab().toImage();
    const auto background = [&](int i) {
        const QRect r = f.previewLabel(i)->geometry();
        return QColor(shown.pixel(r.right(), r.top()));
    };
    QCOMPARE(background(4), QColor(166, 202, 240));
    QCOMPARE(background(2), QColor(Qt::white));
    QCOMPARE(background(5), QColor(Qt::white));
    COMPARE_SAVES(0);
}

void TestSetupPanel::damagedLayoutValue_data()
{
    QTest::addColumn<QString>("action"); // "open", "choose" (the damaged field) or "arrow" (none chosen)

    QTest::newRow("opening the panel") << "open";
    QTest::newRow("choosing the field") << "choose";
    QTest::newRow("arrow with none chosen") << "arrow";
}

void TestSetupPanel::damagedLayoutValue()
{
    QFETCH(QString, action);
    Fixture f;
    QVERIFY(f.start({}, "<?xml version=\"1.0\"?><settings><print><punktzettel>"
                        "<feld0><xwert>20</xwert><ywert>50</ywert></feld0>"
                        "<feld2><xwert>107</xwert><ywert>4O</ywert></feld2>"
                        "</punktzettel></print><werbung><modus>-1</modus></werbung></settings>"));
    f.saves->take();

    if (action == QLatin1String("open")) {
        f.open();
    } else if (action == QLatin1String("choose")) {
        f.choose(2);
        // Marked before the value was read; the x up-down was set before the y failed.
        QCOMPARE(f.highlighted(), QList<int>{2});
        QCOMPARE(f.control<UpDown>(QStringLiteral("UpDown1"))->position(), 107);
    } else {
        QTest::mouseClick(f.control<QAbstractButton>(QStringLiteral("UpDown1_next")), Qt::LeftButton);
    }
    QCOMPARE(MessageBox::takeShownMessages(),
             QStringList{QStringLiteral("'4O' ist kein gültiger Integerwert")});
    if (action != QLatin1String("choose")) {
        // The fields before the damaged one are placed, and the damaged one's left.
        QCOMPARE(f.previewLabel(0)->pos(), QPoint(479, 175));
        QCOMPARE(f.previewLabel(1)->pos(), QPoint(515, 167));
        QCOMPARE(f.previewLabel(2)->x(), 552);
        QCOMPARE(f.previewLabel(3)->pos(), QPoint(0, 0));
    }
    // The failed redraw stops the arrow's save as well.
    COMPARE_SAVES(0);
}

QTEST_MAIN(TestSetupPanel)
#include "tst_setuppanel.moc"
