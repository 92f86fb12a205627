#include "OperatorWindow.h"

#include "widgets/ClickLabel.h"
#include "widgets/Dialogs.h"
#include "widgets/Guard.h"
#include "MessageWindow.h"
#include "bout/KeyMap.h"
#include "bout/KeyboardControl.h"
#include "bout/ui/BoutPanel.h"
#include "bout/ui/WinTypePicker.h"
#include "match/ui/EntryPanel.h"
#include "match/ui/FileBrowser.h"
#include "match/ui/ProtocolGrid.h"
#include "exchange/LicenceData.h"
#include "exchange/RefereeList.h"
#include "exchange/ui/ExportPanel.h"
#include "shell/ui/SetupPanel.h"
#include "platform/UserError.h"
#include "printing/ui/PrintPanel.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "shell/Console.h"
#include "shell/OperatorShell.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWindow>

namespace {

constexpr int kMenuWidth = 97;

// The menu marker: a circle outline, no fill.
class MarkerShape : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QPoint& at, int pointSize,
                  bool bold, const QColor& colour)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->move(at);
    l->adjustSize();
    return l;
}

} // namespace

OperatorWindow::OperatorWindow(Console& console, QWidget* parent)
    : QWidget(parent), m_console(console), m_keyboard(console.keyboard()), m_shell(console.shell())
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // The window itself takes the keyboard when a view's control gives it up.
    setFocusPolicy(Qt::StrongFocus);
    QFont tahoma;
    // Tahoma is asked for first; on Linux a sans of similar width stands in.
    tahoma.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    tahoma.setPointSize(8);
    setFont(tahoma);

    m_menu = makeMenu();
    m_viewArea = new QWidget(this);
    m_viewArea->setObjectName(QStringLiteral("views"));

    QWidget* start = makeView(QStringLiteral("panel_start"), palette().color(QPalette::Highlight));
    buildStartPanel(start);

    m_entry = new EntryPanel(console.record(), console.matchFile(), console.lineUp(), m_viewArea);
    m_entry->setLicenceFile(console.besideProgram(QStringLiteral("lizenzdaten.ini")));
    m_entry->setRefereeList(RefereeList::kampfrichter(console.programFolder()));
    QPalette ep = m_entry->palette();
    ep.setColor(QPalette::Window, QColor(255, 128, 0));
    m_entry->setPalette(ep);
    m_views << m_entry;

    m_bout = new BoutPanel(console.bout(), console.clock(), console.navigator(), console.view(), m_viewArea);
    m_views << m_bout;
    auto* uhrzeit = makeLabel(m_bout, QStringLiteral("uhrzeit"), QStringLiteral("0:00"), {40, 8}, 12, true,
                              QColor(0, 0, 128));
    uhrzeit->setFont([&] {
        QFont f(QStringLiteral("Tahoma"));
        f.setPointSize(12);
        f.setBold(true);
        return f;
    }());
    uhrzeit->resize(200, 24);
    m_labels.insert(QStringLiteral("uhrzeit"), uhrzeit);

    m_print = new PrintPanel(console.record(), console.settings(), m_viewArea);
    QPalette pp = m_print->palette();
    pp.setColor(QPalette::Window, QColor(128, 0, 64));
    m_print->setPalette(pp);
    m_views << m_print;

    m_views << new ExportPanel(console.settings(), console.record(), console.navigator(), console.tarvo(),
                               m_viewArea);

    m_setup = new SetupPanel(console.settings(), m_viewArea);
    m_views << m_setup;
    connect(m_setup, &SetupPanel::licenceDownloadRequested, this, &OperatorWindow::Button17Click);
    AdvertRotation& adverts = console.adverts();
    m_setup->setAdvertTimer([&adverts] { adverts.applyEnteredInterval(); },
                            [&adverts] { adverts.switchTimerForMode(); });
    connect(&adverts, &AdvertRotation::failed, this,
            [this](const QString& text) { MessageBox::notice(this, text); });
    connect(&console.settings(), &Settings::protokollChanged, this,
            [this](int choice) { m_entry->grid()->setPassNumberCaptions(choice != 0); });

    connect(&m_shell, &OperatorShell::viewChanged, this, &OperatorWindow::showCurrentView);
    connect(&m_shell, &OperatorShell::markerMoved, this, [this] { m_marker->move(2, m_shell.markerPos()); });
    connect(&m_shell, &OperatorShell::boutChoicesChanged, this,
            [this] { m_print->setBoutChoices(m_shell.boutChoices()); });
    connect(&m_shell, &OperatorShell::textsChanged, this, &OperatorWindow::updateTexts);
    connect(&m_shell, &OperatorShell::mymessage, this, [this](const QString& title, const QString& text) {
        if (m_messages)
            m_messages->mymessage(title, text);
    });
    connect(&m_keyboard, &KeyboardControl::pickerRequested, this, &OperatorWindow::runPicker);
    connect(m_bout, &BoutPanel::fullScreenRequested, this, [this] {
        if (m_audience)
            m_audience->toggleFullScreen();
    });
    connect(m_bout, &BoutPanel::introductionRequested, &console.view(), &ViewState::startZoom);
    connect(m_setup, &SetupPanel::scaleStep, &console.audience(), &AudienceModel::applyScaleStep);
    connect(m_bout, &BoutPanel::pickerRequested, this, &OperatorWindow::runPicker);
    connect(&console.matchFile(), &MatchFile::openFileChanged, this, &OperatorWindow::updateCaption);
    connect(&console.matchFile(), &MatchFile::openFileChanged, this, &OperatorWindow::updateTexts);
    connect(&console.matchFile(), &MatchFile::summaryChanged, this, &OperatorWindow::updateTexts);

    // Keys reach the keyboard control before any control sees them.
    qApp->installEventFilter(this);

    showCurrentView();
    updateCaption();
    updateTexts();
}

OperatorWindow::~OperatorWindow()
{
    qApp->removeEventFilter(this);
}

QWidget* OperatorWindow::makeMenu()
{
    auto* v = new QWidget(this);
    v->setObjectName(QStringLiteral("v"));
    v->setAutoFillBackground(true);
    QPalette p = v->palette();
    p.setColor(QPalette::Window, Qt::white);
    v->setPalette(p);

    struct Item
    {
        const char* name;
        const char* picture;
        QRect place;
        void (OperatorShell::*click)();
    };
    const Item items[] = {
        {"Image2", "start", {8, 7, 88, 91}, &OperatorShell::Image2Click},
        {"Image3", "eingaben", {8, 104, 88, 91}, &OperatorShell::Image3Click},
        {"Image1", "kampf", {8, 200, 88, 91}, &OperatorShell::Image1Click},
        {"Image4", "drucken", {9, 298, 88, 91}, &OperatorShell::Image4Click},
        {"Image5", "export", {9, 395, 88, 91}, &OperatorShell::Image5Click},
        {"Image6", "einrichten", {9, 492, 88, 91}, &OperatorShell::Image6Click},
    };
    for (const Item& it : items) {
        auto* pic = new ClickLabel(QString(), v);
        pic->setObjectName(QLatin1String(it.name));
        pic->setGeometry(it.place);
        pic->setAlignment(Qt::AlignCenter);
        pic->setPixmap(QPixmap(QStringLiteral(":/menu/%1.svg").arg(QLatin1String(it.picture)))
                           .scaled(80, 83, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        const auto click = it.click;
        connect(pic, &ClickLabel::clicked, this, [this, click] {
            guarded(this, [this, click] {
                (m_shell.*click)();
                // The layout may have been changed by a loaded settings file since the last look.
                if (click == &OperatorShell::Image6Click)
                    m_setup->punktzettelvorschau();
            });
        });
    }

    m_marker = new MarkerShape(v);
    m_marker->setObjectName(QStringLiteral("Shape1"));
    m_marker->setGeometry(2, 0, 91, 91);
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto entry = [&](const char* name, const QString& text, int y, const QColor& colour, bool bold) {
        auto* l = new ClickLabel(text, v);
        l->setObjectName(QLatin1String(name));
        QFont f = l->font();
        f.setPointSize(10);
        f.setBold(bold);
        l->setFont(f);
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, colour);
        l->setPalette(lp);
        l->setGeometry(9, y, 86, 20);
        auto* line = new QFrame(v);
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(4, y + 26, 89, 2);
        return l;
    };
    ClickLabel* anzeige = entry("c", QStringLiteral("Anzeige"), 612, Qt::black, false);
    ClickLabel* hilfe = entry("Label58", QStringLiteral("Hilfe"), 652, Qt::black, false);
    ClickLabel* beenden = entry("Label1", QStringLiteral("Beenden"), 691, Qt::red, true);
    auto* minimieren = new ClickLabel(QStringLiteral("Minimimieren"), v);
    minimieren->setObjectName(QStringLiteral("Label37"));
    QFont mf = minimieren->font();
    mf.setPointSize(8);
    mf.setBold(true);
    minimieren->setFont(mf);
    QPalette mp = minimieren->palette();
    mp.setColor(QPalette::WindowText, QColor(0, 128, 0));
    minimieren->setPalette(mp);
    minimieren->setGeometry(9, 729, 88, 20);
    makeLabel(v, QStringLiteral("Label87"), QStringLiteral("Version:"), {9, 754}, 7, false, Qt::black);
    makeLabel(v, QStringLiteral("version"), QStringLiteral(VANTOR_VERSION), {55, 751}, 7, false, Qt::black);

    connect(anzeige, &ClickLabel::clicked, this, [this] { guarded(this, [this] { cClick(); }); });
    connect(hilfe, &ClickLabel::clicked, this, &OperatorWindow::Label58Click);
    connect(beenden, &ClickLabel::clicked, this, &OperatorWindow::Label1Click);
    connect(minimieren, &ClickLabel::clicked, this, [this] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->showMinimized();
    });
    return v;
}

QWidget* OperatorWindow::makeView(const QString& name, const QColor& colour)
{
    auto* panel = new QWidget(m_viewArea);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    panel->setPalette(p);
    m_views << panel;
    return panel;
}

void OperatorWindow::buildStartPanel(QWidget* panel)
{
    const QColor text = palette().color(QPalette::HighlightedText);
    makeLabel(panel, QStringLiteral("Label_wussten"), QStringLiteral("Wussten Sie schon?"), {40, 40}, 14,
              true, text);
    m_tipBox = new QPlainTextEdit(panel);
    m_tipBox->setObjectName(QStringLiteral("Memo1"));
    m_tipBox->setReadOnly(true);
    m_tipBox->setGeometry(40, 72, 460, 120);
    QFont tf = m_tipBox->font();
    tf.setPointSize(10);
    m_tipBox->setFont(tf);

    auto* browser = new FileBrowser(m_console.creation(), panel);
    browser->setGeometry(40, 220, 1000, 520);
    connect(browser, &FileBrowser::message, this, [this](const QString& title, const QString& text) {
        if (m_messages)
            m_messages->mymessage(title, text);
    });

    makeLabel(panel, QStringLiteral("Label_gewaehlt"), QStringLiteral("Gewählter Kampf:"), {560, 40}, 14,
              true, text);
    for (const auto& [name, y, size] :
         {std::tuple{"Label42", 76, 11}, std::tuple{"Label51", 102, 13}, std::tuple{"Label52", 128, 13},
          std::tuple{"dateiname", 170, 10}, std::tuple{"pfad", 192, 9}}) {
        QLabel* l = makeLabel(panel, QLatin1String(name), QString(), {560, y}, size, size == 13, text);
        l->resize(560, 24);
        m_labels.insert(QLatin1String(name), l);
    }
}

void OperatorWindow::setAudienceWindow(AudienceWindow* audience)
{
    m_audience = audience;
    audience->setAdvert(m_console.adverts().picture());
    connect(&m_console.adverts(), &AdvertRotation::pictureChanged, audience,
            [audience, this] { audience->setAdvert(m_console.adverts().picture()); });
}

void OperatorWindow::setMessageWindow(MessageWindow* messages)
{
    m_messages = messages;
}

void OperatorWindow::setWinTypePicker(WinTypePicker* picker)
{
    m_picker = picker;
}

void OperatorWindow::showCurrentView()
{
    const int current = m_shell.currentView();
    // A control on a view that goes away must lose the keyboard: otherwise the bout's keys would
    // also be typed into it, and leaving it would never save it.
    if (QWidget* focused = QApplication::focusWidget();
        focused && m_viewArea->isAncestorOf(focused) && !m_views[current]->isAncestorOf(focused))
        setFocus(Qt::OtherFocusReason);
    for (int i = 0; i < m_views.size(); ++i)
        m_views[i]->setVisible(i == current);
}

void OperatorWindow::updateCaption()
{
    const MatchFile& f = m_console.matchFile();
    setWindowTitle(f.matchFileName().isEmpty() ? QStringLiteral("VANTOR²") : f.windowCaption());
}

void OperatorWindow::updateTexts()
{
    const MatchFile& f = m_console.matchFile();
    const QList<QPair<QString, QString>> texts = {
        {QStringLiteral("Label42"), f.label42()}, {QStringLiteral("Label51"), f.label51()},
        {QStringLiteral("Label52"), f.label52()}, {QStringLiteral("dateiname"), f.dateiname()},
        {QStringLiteral("pfad"), f.pfad()},       {QStringLiteral("uhrzeit"), m_shell.uhrzeit()},
    };
    for (const auto& [name, text] : texts)
        if (QLabel* l = m_labels.value(name); l && l->text() != text)
            l->setText(text);
    m_setup->setDatumlizenzdatei(m_shell.datumlizenzdatei());
    if (m_tipBox->toPlainText() != m_shell.memo1())
        m_tipBox->setPlainText(m_shell.memo1());
}

void OperatorWindow::openMatchFile(const QString& path)
{
    guarded(this, [&] { m_console.matchFile().open(path); });
}

void OperatorWindow::tastendruck(int vk, Qt::KeyboardModifiers held)
{
    guarded(this, [&] { m_keyboard.tastendruck(vk, held); });
}

void OperatorWindow::runPicker()
{
    if (!m_picker)
        return;
    if (MessageBox::testMode()) {
        m_picker->open();
        return;
    }
    m_picker->exec();
}

bool OperatorWindow::mayEnd()
{
    // Ending the program ends a transfer's wait for a locked database, and the transfer with it:
    // the box saying so could not show any more, so the operator hears it before.
    if (m_console.tarvo().busy() &&
        MessageBox::question(
            this, QStringLiteral("Beenden"),
            QStringLiteral("Die Übertragung an Tarvo wartet noch auf die gesperrte Datenbank. "
                           "Beim Beenden wird sie abgebrochen, und es wird nichts übertragen. "
                           "Trotzdem beenden?")) != MessageBox::Yes)
        return false;
    MatchFile& file = m_console.matchFile();
    if (!file.isOpen() && file.hasUnsavedEdits()) {
        // Nothing can take the edits; quitting anyway is the operator's choice, never silent.
        return MessageBox::question(
                   this, QStringLiteral("Beenden"),
                   QStringLiteral("Es ist keine Kampfdatei geöffnet: Die Eingaben sind nirgends "
                                  "gespeichert und gehen beim Beenden verloren. Trotzdem beenden?")) ==
               MessageBox::Yes;
    }
    // A match that cannot be saved keeps the program open: the operator sees why and can act.
    if (!guarded(this, [&file] { file.saveall(); }))
        return false;
    // The bout is taken over only by leaving it, which evaluates it: a bout half-way through
    // must not get a result here, so the operator decides, and the answer writes nothing.
    if (!m_console.boutUnwritten())
        return true;
    return MessageBox::question(
               this, QStringLiteral("Beenden"),
               QStringLiteral(
                   "Kampf Nr. %1 ist noch nicht ins Protokoll übernommen (das geschieht beim Wechsel "
                   "zu einem anderen Kampf, etwa mit F9): Seine Wertungen, Siegart und "
                   "Kampfzeit gehen beim Beenden verloren. Ohne Übernahme beenden?")
                   .arg(m_console.navigator().kampfnr())) == MessageBox::Yes;
}

void OperatorWindow::Label1Click()
{
    if (!mayEnd())
        return;
    m_ending = true;
    // Closing the window ends the program (closeEvent), without asking a second time.
    close();
}

void OperatorWindow::cClick()
{
    m_shell.anzeige([this] {
        if (!m_audience)
            return;
        m_audience->setWindowState(m_audience->windowState() & ~Qt::WindowMinimized);
        m_audience->show();
        m_audience->raise();
    });
}

void OperatorWindow::Button17Click()
{
    // The download holds the operator until it returns, as a file copy would.
    if (!guarded(this, [this] { LicenceData::neusteLizenzenLaden(m_console.programFolder()); }))
        return;
    MessageBox::information(this, QApplication::applicationDisplayName(), LicenceData::kLoadedText);
    m_shell.readLicenceDate(m_console.besideProgram(QStringLiteral("lizenzdaten.ini")));
}

void OperatorWindow::Label58Click()
{
    guarded(this, [this] { m_shell.hilfe(); });
}

bool OperatorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        // A key event reaches the window object once, before it is passed to the focused control.
        auto* window = static_cast<QWindow*>(watched);
        const bool ours = window == windowHandle() || (m_audience && window == m_audience->windowHandle());
        if (ours) {
            auto* key = static_cast<QKeyEvent*>(event);
            // On X11 the scan code tells the digit row even when Shift changes the character.
            const quint32 scanCode =
                QGuiApplication::platformName() == QLatin1String("xcb") ? key->nativeScanCode() : 0;
            if (const int vk = virtualKeyFor(key->key(), key->modifiers(), scanCode))
                tastendruck(vk, key->modifiers());
        }
    } else if (watched == m_bout &&
               (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        // A press counts on the panel's own surface only, not one passed on from an element on
        // it; the panel then holds the mouse, so the release counts wherever it lands.
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (event->type() == QEvent::MouseButtonPress) {
            m_swipeFromSurface = !m_bout->childAt(p);
            if (m_swipeFromSurface)
                m_shell.panel_kampfMouseDown(p.x(), p.y());
        } else if (m_swipeFromSurface) {
            m_swipeFromSurface = false;
            m_shell.panel_kampfMouseUp(p.x(), p.y());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void OperatorWindow::closeEvent(QCloseEvent* event)
{
    // Alt+F4, the desktop's close and logging out come here: they save and ask as "Beenden".
    if (!m_ending && !mayEnd()) {
        event->ignore();
        return;
    }
    m_ending = true;
    // Closing the operator window ends the program, also while the audience window is shown.
    QWidget::closeEvent(event);
    QApplication::quit();
}

void OperatorWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        guarded(this, [this] { m_shell.firstShow(); });
    }
}

void OperatorWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_menu->setGeometry(0, 0, kMenuWidth, height());
    m_viewArea->setGeometry(kMenuWidth, 0, width() - kMenuWidth, height());
    for (QWidget* view : m_views)
        view->setGeometry(m_viewArea->rect());
}
