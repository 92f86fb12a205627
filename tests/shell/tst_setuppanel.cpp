#include "platform/UserError.h"
#include "shell/Settings.h"
#include "shell/ui/Dialogs.h"
#include "shell/ui/FileDialogs.h"
#include "shell/ui/SetupPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDomDocument>
#include <QFile>
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

    bool start(const QStringList& adverts = {})
    {
        if (!tmp.isValid())
            return false;
        settings.loadset();
        settings.setWerbung(adverts);
        settings.settingsReady = true;
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
        return elsewhere->hasFocus() && !QFile::exists(path);
    }

    template <class T = QWidget> T* control(const QString& name) const { return panel->findChild<T*>(name); }
    QListWidget* list() const { return control<QListWidget>(QStringLiteral("werbung")); }
    QAbstractButton* radio(const QString& group, int item) const
    {
        return control<QAbstractButton>(group + QLatin1Char('_') + QString::number(item));
    }
};

QString stored(const QString& path, const QString& elements)
{
    QFile file(path);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return QStringLiteral("<no file>");
    QDomElement e = doc.documentElement();
    for (const QString& name : elements.split(QLatin1Char('/')))
        e = e.firstChildElement(name);
    return e.isNull() ? QStringLiteral("<missing>") : e.text();
}

bool focusOn(QWidget* w)
{
    w->setFocus(Qt::OtherFocusReason);
    return w->hasFocus();
}

void clickRadio(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

const QStringList kThree = {QStringLiteral("/w/a.jpg"), QStringLiteral("/w/b.jpg"), QStringLiteral("/w/c.jpg")};

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
    QVERIFY(field.right() < textLeft + fm.horizontalAdvance(item->text().chopped(QStringLiteral("Sekunden").size())));
    QVERIFY(field.top() < item->height() / 2 && field.bottom() > item->height() / 2);

    auto* date = f.control<QLabel>(QStringLiteral("datumlizenzdatei"));
    QCOMPARE(date->text(), QString());
    f.panel->setDatumlizenzdatei(QStringLiteral("Lizenzendatenbank vom 01.02.2026"));
    QCOMPARE(date->text(), QStringLiteral("Lizenzendatenbank vom 01.02.2026"));
}

void TestSetupPanel::controlsFollowTheSettings()
{
    Fixture f;
    QVERIFY(f.start());
    QCOMPARE(f.control<QLineEdit>(QStringLiteral("laufschrift"))->text(), QStringLiteral("Herzlich Willkommen!"));
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

    QTest::newRow("plus") << "110" << "Button8" << "112";
    QTest::newRow("minus") << "100" << "Button9" << "98";
    QTest::newRow("plus at the top") << "120" << "Button8" << "120";
    QTest::newRow("minus at the bottom") << "80" << "Button9" << "80";
    QTest::newRow("minus from the top") << "120" << "Button9" << "118";
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
        QCOMPARE(MessageBox::takeShownMessages(), QStringList{QStringLiteral("'gross' ist kein gültiger Integerwert")});
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
    QCOMPARE(stored(f.path, QStringLiteral("werbung/werbungen/werbung%1/pfad").arg(after.size() - 1)), after.last());
}

void TestSetupPanel::doubleClick_data()
{
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<QString>("chosen"); // empty: Cancel
    QTest::addColumn<QStringList>("after");

    QTest::newRow("OK replaces the selected") << 1 << "/w/neu.jpg" << QStringList{"/w/a.jpg", "/w/neu.jpg", "/w/c.jpg"};
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
    QCOMPARE(stored(f.path, QStringLiteral("werbung/werbungen/werbung%1/pfad").arg(after.size() - 1)), after.last());
}

void TestSetupPanel::keysInTheList_data()
{
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("Del removes the selected") << 1 << int(Qt::Key_Delete) << QStringList{"/w/a.jpg", "/w/c.jpg"};
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

    QCOMPARE(calls, QStringList{QStringLiteral("apply ") + (applyFails ? QStringLiteral("3x") : QStringLiteral("30"))});
    if (applyFails) {
        QCOMPARE(MessageBox::takeShownMessages(), QStringList{QStringLiteral("'3x' ist kein gültiger Integerwert")});
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
    QCOMPARE(stored(f.path, QStringLiteral("anzeige/laufschrift")), QStringLiteral("Willkommen in der Halle"));
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

QTEST_MAIN(TestSetupPanel)
#include "tst_setuppanel.moc"
