#include "bout/ui/BoutPanel.h"
#include "bout/ui/WinTypePicker.h"
#include "platform/SignalSound.h"
#include "shell/Console.h"
#include "support/TestSupport.h"
#include "widgets/Dialogs.h"

#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The text of the nearest label above `w` that shares some of its width: a picture's caption
// or key label.
QString textAbove(const QWidget* w)
{
    const QRect g = w->geometry();
    const QLabel* best = nullptr;
    for (const QLabel* l : w->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        const QRect o = l->geometry();
        if (l == w || l->text().isEmpty() || o.bottom() >= g.top() || o.right() < g.left() ||
            o.left() > g.right())
            continue;
        if (!best || o.bottom() > best->geometry().bottom())
            best = l;
    }
    return best ? best->text() : QString();
}

// Pairs of visible direct children of `parent` whose rectangles intersect, as "a/b" by objectName
// (or text), except pairs whose both names are in one of the `layered` groups.
QStringList overlaps(const QWidget* parent, const QList<QStringList>& layered = {})
{
    const auto name = [](const QWidget* w) {
        if (!w->objectName().isEmpty())
            return w->objectName();
        const auto* l = qobject_cast<const QLabel*>(w);
        return l ? QStringLiteral("'%1'").arg(l->text()) : QString::fromLatin1(w->metaObject()->className());
    };
    QList<const QWidget*> children;
    for (const QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isHidden())
            children << w;
    QStringList found;
    for (qsizetype i = 0; i < children.size(); ++i) {
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            if (!children[i]->geometry().intersects(children[j]->geometry()))
                continue;
            const QString a = name(children[i]);
            const QString b = name(children[j]);
            const bool allowed = std::any_of(layered.begin(), layered.end(), [&](const QStringList& group) {
                return group.contains(a) && group.contains(b);
            });
            if (!allowed)
                found << a + QLatin1Char('/') + b;
        }
    }
    return found;
}

// Labels of `parent` whose text does not fit their rectangle.
QStringList cutTexts(const QWidget* parent)
{
    QStringList cut;
    for (const QLabel* l : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (l->text().isEmpty() || l->isHidden())
            continue;
        const QSize needed = l->wordWrap() ? QSize(l->width(), l->heightForWidth(l->width())) : l->sizeHint();
        if (needed.width() > l->width() || needed.height() > l->height())
            cut << l->text();
    }
    return cut;
}

} // namespace

class TestPicker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandControls_data();
    void commandControls();
    void closeOnlyCloses();
    void keysDoNothing();
    void windowShape();
    void layoutFits();
    void clockRunsWhileOpen();

    void panelPictures_data();
    void panelPictures();
    void panelLayoutFits();

private:
    // Bout 1 of two loaded, one blue point already scored so that undo shows.
    void startBout();
    Bout& bout() { return m_console->bout(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingSound m_sound;
    std::unique_ptr<Console> m_console;
};

void TestPicker::initTestCase()
{
    MessageBox::setTestMode(true);
}

void TestPicker::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sound.played.clear();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    startBout();
}

void TestPicker::cleanup()
{
    m_console.reset();
    m_dir.reset();
    QCOMPARE(MessageBox::takeShownMessages(), QStringList());
}

void TestPicker::startBout()
{
    const QString path = m_dir->filePath(QStringLiteral("Heim-Gast.ptlx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"iso-8859-1\" "
            "?><mk><info><heim>KSV</heim><gast>ASV</gast></info><kaempfe>"
            "<kampf1><klasse>57</klasse><stil>F</stil><vornrot>Hans</vornrot><nachnrot>Huber</nachnrot>"
            "<vornblau>Jan</vornblau><nachnblau>Nowak</nachnblau><reihenfolge>1</reihenfolge></kampf1>"
            "<kampf2><klasse>61</klasse><stil>G</stil><vornrot>Ali</vornrot><nachnrot>Demir</nachnrot>"
            "<vornblau>Ole</vornblau><nachnblau>Berg</nachnblau><reihenfolge>2</reihenfolge></kampf2>"
            "</kaempfe></mk>");
    f.close();
    m_console->matchFile().open(path);
    m_console->navigator().setKampfnr(QStringLiteral("1"));
    m_console->navigator().ladedaten();
    bout().punkte(QStringLiteral("b"), 1);
}

void TestPicker::commandControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("siegRot");
    QTest::addColumn<QString>("siegBlau");
    QTest::newRow("ras") << "Image35"
                         << "A"
                         << "AS"
                         << "";
    QTest::newRow("rdq") << "Image5"
                         << "D"
                         << "DQ"
                         << "";
    QTest::newRow("rüg") << "Image2"
                         << "Ü"
                         << "ÜG"
                         << "";
    QTest::newRow("rug") << "Image1"
                         << "U"
                         << "UG"
                         << "";
    QTest::newRow("bas") << "Image27"
                         << "Strg + A"
                         << ""
                         << "AS";
    QTest::newRow("bdq") << "Image8"
                         << "Strg + D"
                         << ""
                         << "DQ";
    QTest::newRow("büg") << "Image3"
                         << "Strg + Ü"
                         << ""
                         << "ÜG";
    QTest::newRow("bug") << "Image4"
                         << "Strg + U"
                         << ""
                         << "UG";
    QTest::newRow("xdq") << "Label7"
                         << "Beide Ringer (Wertung 0:0)"
                         << "DQ"
                         << "DQ";
    QTest::newRow("xüg") << "Label9"
                         << "Beide Ringer (Wertung 0:0)"
                         << "ÜG"
                         << "ÜG";
}

void TestPicker::commandControls()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QString, siegRot);
    QFETCH(QString, siegBlau);
    WinTypePicker picker(bout());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    auto* c = picker.findChild<QLabel*>(control);
    QVERIFY(c);
    QCOMPARE(textAbove(c), caption);
    QCOMPARE(c->cursor().shape(), Qt::PointingHandCursor);
    // Each eingabe call refreshes the audience window once.
    QSignalSpy calls(&bout(), &Bout::updatepunkt);

    QTest::mouseClick(c, Qt::LeftButton);
    QCOMPARE(calls.count(), 1);
    QCOMPARE(bout().sieg_rot(), siegRot);
    QCOMPARE(bout().sieg_blau(), siegBlau);
    QCOMPARE(bout().wr() + QLatin1Char('|') + bout().wb(), QStringLiteral(" |1"));
    QVERIFY(!picker.isVisible());
    QCOMPARE(picker.result(), int(QDialog::Accepted));
}

void TestPicker::closeOnlyCloses()
{
    WinTypePicker picker(bout());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QSignalSpy changed(&bout(), &Bout::changed);
    auto* close = picker.findChild<QLabel*>(QStringLiteral("Label5"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Schließen"));
    QTest::mouseClick(close, Qt::LeftButton);
    QCOMPARE(changed.count(), 0);
    QVERIFY(bout().isOpen());
    QVERIFY(!picker.isVisible());
    QCOMPARE(picker.result(), int(QDialog::Rejected));
}

void TestPicker::keysDoNothing()
{
    WinTypePicker picker(bout());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_D})
        QTest::keyClick(&picker, key);
    QVERIFY(picker.isVisible());
    QVERIFY(bout().isOpen());
}

void TestPicker::windowShape()
{
    QWidget opener;
    WinTypePicker picker(bout(), &opener);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QCOMPARE(picker.objectName(), QStringLiteral("TForm4"));
    QCOMPARE(picker.windowTitle(), QStringLiteral("mehr..."));
    QCOMPARE(picker.size(), QSize(625, 218));
    QVERIFY(picker.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(picker.isModal());
    QCOMPARE(picker.geometry().center(), picker.screen()->geometry().center());

    const QImage image = picker.grab().toImage();
    const QColor frame(128, 128, 128);
    const QColor background(90, 245, 16);
    for (const QPoint p : {QPoint(0, 0), QPoint(4, 100), QPoint(624, 217), QPoint(300, 213)})
        QCOMPARE(image.pixelColor(p * image.devicePixelRatio()), frame);
    for (const QPoint p : {QPoint(5, 5), QPoint(619, 212), QPoint(10, 150)})
        QCOMPARE(image.pixelColor(p * image.devicePixelRatio()), background);
}

void TestPicker::layoutFits()
{
    WinTypePicker picker(bout());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    const QRect inside = picker.rect().adjusted(5, 5, -5, -5);
    for (const QWidget* w : picker.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(inside.contains(w->geometry()), qPrintable(w->objectName()));
    QCOMPARE(overlaps(&picker), QStringList());
    QCOMPARE(cutTexts(&picker), QStringList());
    for (const char* name :
         {"Image35", "Image5", "Image2", "Image1", "Image27", "Image8", "Image3", "Image4"}) {
        auto* image = picker.findChild<QLabel*>(QLatin1String(name));
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(50, 50));
    }
}

void TestPicker::clockRunsWhileOpen()
{
    WinTypePicker picker(bout());
    BoutClock& clock = m_console->clock();
    // The first tick during the modal showing closes the picker; the single shot only guards
    // against a clock that never ticks.
    connect(&clock, &BoutClock::updatesek, &picker, &QDialog::reject);
    QTimer::singleShot(30000, &picker, &QDialog::reject);
    clock.startstop();
    picker.exec();
    QCOMPARE(clock.uhr(), QStringLiteral("0:01"));
}

void TestPicker::panelPictures_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QChar>("side");
    QTest::addColumn<QString>("effect"); // wr|wb|sieg_rot|sieg_blau|signals|picker requests

    QTest::newRow("F1") << "Image16"
                        << "F1" << QChar('r') << " 1|1 |||0|0";
    QTest::newRow("F2") << "Image17"
                        << "F2" << QChar('r') << " 2|1 |||0|0";
    QTest::newRow("F3") << "Image25"
                        << "F3" << QChar('r') << " 4|1 |||0|0";
    QTest::newRow("F4") << "Image26"
                        << "F4" << QChar('r') << " 5|1 |||0|0";
    QTest::newRow("F5") << "Image20"
                        << "F5" << QChar('b') << "  |11|||0|0";
    QTest::newRow("F6") << "Image21"
                        << "F6" << QChar('b') << "  |12|||0|0";
    QTest::newRow("F7") << "Image23"
                        << "F7" << QChar('b') << "  |14|||0|0";
    QTest::newRow("F8") << "Image24"
                        << "F8" << QChar('b') << "  |15|||0|0";
    QTest::newRow("rp") << "Image14"
                        << "P" << QChar('r') << " P|1 |||0|0";
    QTest::newRow("rv") << "Image15"
                        << "V" << QChar('r') << " V|1 |||0|0";
    QTest::newRow("bp") << "Image12"
                        << "Strg + P" << QChar('b') << "  |1P|||0|0";
    QTest::newRow("bv") << "Image13"
                        << "Strg + V" << QChar('b') << "  |1V|||0|0";
    QTest::newRow("rss") << "Image34"
                         << "S" << QChar('r') << " |1|SS||0|0";
    QTest::newRow("bss") << "Image29"
                         << "Strg + S" << QChar('b') << " |1||SS|0|0";
    QTest::newRow("picker red") << "Image36"
                                << "Strg + M" << QChar('r') << " |1|||0|1";
    QTest::newRow("picker blue") << "Image27"
                                 << "Strg + M" << QChar('b') << " |1|||0|1";
    QTest::newRow("wertungrueck") << "Image22"
                                  << "BS" << QChar() << "||||0|0";
    QTest::newRow("signal") << "Image28"
                            << "T" << QChar() << " |1|||1|0";
}

void TestPicker::panelPictures()
{
    QFETCH(QString, control);
    QFETCH(QString, key);
    QFETCH(QChar, side);
    QFETCH(QString, effect);
    BoutPanel panel(m_console->bout(), m_console->clock(), m_console->navigator(), m_console->view());
    panel.resize(BoutPanel::designSize());
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy picker(&panel, &BoutPanel::pickerRequested);
    auto* c = panel.findChild<QLabel*>(control);
    QVERIFY(c);
    QCOMPARE(textAbove(c), key);
    // A point area lies over its picture and must be what the operator's click lands on.
    QCOMPARE(panel.childAt(c->geometry().center()), c);
    QCOMPARE(c->cursor().shape(), Qt::PointingHandCursor);
    const int half = BoutPanel::designSize().width() / 2;
    if (side == QLatin1Char('r'))
        QVERIFY(c->geometry().right() < half);
    if (side == QLatin1Char('b'))
        QVERIFY(c->geometry().left() >= half);

    QTest::mouseClick(c, Qt::LeftButton);
    const QStringList state = {bout().wr(),
                               bout().wb(),
                               bout().sieg_rot(),
                               bout().sieg_blau(),
                               QString::number(m_sound.plays()),
                               QString::number(picker.count())};
    QCOMPARE(state.join(QLatin1Char('|')), effect);
    // The panel shows the new state at once.
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("wb"))->text(), bout().wb());
}

void TestPicker::panelLayoutFits()
{
    BoutPanel panel(m_console->bout(), m_console->clock(), m_console->navigator(), m_console->view());
    panel.resize(BoutPanel::designSize());
    const QRect design(QPoint(0, 0), BoutPanel::designSize());
    for (const QWidget* w : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(design.contains(w->geometry()), qPrintable(w->objectName()));
    // Elements meant to lie on top of each other.
    const QList<QStringList> layered = {
        {"wr", "wb"},
        {"Shape16", "uhr", "Label23"},
        {"Image7", "Image16", "Image17", "Image25", "Image26"},
        {"Image8", "Image20", "Image21", "Image23", "Image24"},
    };
    QCOMPARE(overlaps(&panel, layered), QStringList());
    QCOMPARE(cutTexts(&panel), QStringList());
}

QTEST_MAIN(TestPicker)
#include "tst_picker.moc"
