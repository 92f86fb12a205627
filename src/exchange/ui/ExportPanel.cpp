#include "ExportPanel.h"

#include "match/MatchFields.h"
#include "DirectoryList.h"
#include "bout/BoutNavigator.h"
#include "exchange/TarvoExchange.h"
#include "exchange/ZelmoExport.h"
#include "match/MatchRecord.h"
#include "settings/Settings.h"
#include "widgets/ClickLabel.h"
#include "widgets/Dialogs.h"
#include "widgets/FileDialogs.h"
#include "widgets/Guard.h"
#include "widgets/OneLine.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

namespace {

const QColor kGreen(2, 164, 22);
const QColor kNavy(0, 0, 128);
const QString kNoMatch = QStringLiteral("kein Kampf gewählt");

// A button draws "&" as the mark of a shortcut letter; a team name such as "KSV & TuS" must
// show as it is and must not grab Alt+blank.
QString shown(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

template <class T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* whiteLabel(QWidget* parent, const QString& text, const QPoint& at, int pointSize, bool bold)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    l->move(at);
    l->adjustSize();
    return l;
}

void fill(QWidget* w, const QColor& colour)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

} // namespace

ExportPanel::ExportPanel(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                         TarvoExchange& tarvo, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_record(record), m_navigator(navigator), m_tarvo(tarvo)
{
    setObjectName(QStringLiteral("panel_export"));
    fill(this, kGreen);

    whiteLabel(this, QStringLiteral("Export an Tarvo"), {20, 12}, 14, true);
    m_tarvomdb = named(new ClickLabel(m_settings.tarvodir(), this), QStringLiteral("tarvomdb"));
    m_tarvomdb->setCursor(Qt::PointingHandCursor);
    fill(m_tarvomdb, kGreen);
    QPalette lp = m_tarvomdb->palette();
    lp.setColor(QPalette::WindowText, Qt::white);
    m_tarvomdb->setPalette(lp);
    QFont lf = m_tarvomdb->font();
    lf.setPointSize(10);
    m_tarvomdb->setFont(lf);
    m_tarvomdb->setGeometry(20, 48, 700, 24);
    connect(&m_settings, &Settings::changed, m_tarvomdb,
            [this] { m_tarvomdb->setText(m_settings.tarvodir()); });
    connect(m_tarvomdb, &ClickLabel::doubleClicked, this, &ExportPanel::tarvomdbDblClick);

    whiteLabel(this, QStringLiteral("Saison"), {20, 88}, 9, false);
    m_saison = named(new QComboBox(this), QStringLiteral("saison"));
    m_saison->setEditable(true);
    keepOneLine(m_saison);
    m_saison->setInsertPolicy(QComboBox::NoInsert);
    m_saison->addItems({"2013", "2012", "2011", "2010", "2009", "2008"});
    m_saison->setCurrentText(QStringLiteral("2012"));
    m_saison->setGeometry(20, 106, 100, 26);
    // Connected after the start text is set: the list stays empty until the season changes.
    connect(m_saison, &QComboBox::editTextChanged, this, &ExportPanel::readtarvo);

    m_button4 = named(new QPushButton(kNoMatch, this), QStringLiteral("Button4"));
    m_button4->setEnabled(false);
    m_button4->setGeometry(140, 88, 300, 64);
    connect(m_button4, &QPushButton::clicked, this, &ExportPanel::Button4Click);

    m_progressBar1 = named(new QProgressBar(this), QStringLiteral("ProgressBar1"));
    m_progressBar1->setRange(0, 12);
    m_progressBar1->setValue(0);
    m_progressBar1->setGeometry(460, 110, 260, 20);
    connect(&m_tarvo, &TarvoExchange::progressChanged, m_progressBar1, &QProgressBar::setValue);

    m_checkBoxwertungen = named(new QCheckBox(QStringLiteral("Einzelwertungen übertragen"), this),
                                QStringLiteral("CheckBoxwertungen"));
    m_checkBoxwertungen->hide();

    // The list grows with the whole match table; the scroll area keeps every item reachable.
    auto* scroll = named(new QScrollArea(this), QStringLiteral("RadioGroup2Scroll"));
    scroll->setGeometry(20, 164, 720, 500);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(false);
    fill(scroll->viewport(), kGreen);
    m_radioGroup2 = named(new QGroupBox(QStringLiteral("Kampf wählen")), QStringLiteral("RadioGroup2"));
    m_radioGroup2->resize(700, 20);
    fill(m_radioGroup2, Qt::white);
    scroll->setWidget(m_radioGroup2);
    m_items = new QButtonGroup(m_radioGroup2);
    connect(m_items, &QButtonGroup::idClicked, this, &ExportPanel::aktkampf);
    m_transform = named(new QListWidget(this), QStringLiteral("transform"));
    m_transform->hide();

    m_panel4 = named(new QFrame(this), QStringLiteral("Panel4"));
    fill(m_panel4, kNavy);
    m_panel4->setGeometry(20, 76, 520, 380);
    whiteLabel(m_panel4, QStringLiteral("Bitte wählen Sie den Tarvo-Installatins-Ordner"), {12, 10}, 10,
               false);
    auto* close = named(new ClickLabel(QStringLiteral("X"), m_panel4), QStringLiteral("Label76"));
    QFont cf = close->font();
    cf.setBold(true);
    cf.setPointSize(11);
    close->setFont(cf);
    QPalette cp = close->palette();
    cp.setColor(QPalette::WindowText, Qt::white);
    close->setPalette(cp);
    close->setCursor(Qt::PointingHandCursor);
    close->setGeometry(496, 6, 16, 20);
    connect(close, &ClickLabel::clicked, this, &ExportPanel::Label76Click);
    m_directoryListBox2 = named(new DirectoryList(m_panel4), QStringLiteral("DirectoryListBox2"));
    m_directoryListBox2->setGeometry(12, 36, 496, 290);
    auto* choose = named(new QPushButton(QStringLiteral("Auswählen"), m_panel4), QStringLiteral("Button14"));
    choose->setGeometry(12, 338, 120, 30);
    connect(choose, &QPushButton::clicked, this, &ExportPanel::Button14Click);
    m_panel4->hide();

    whiteLabel(this, QStringLiteral("Export an ZELMO"), {780, 12}, 14, true);
    m_button13 = named(new QPushButton(QStringLiteral("ZELMO-Exportdatei erstellen ..."), this),
                       QStringLiteral("Button13"));
    m_button13->setGeometry(780, 48, 240, 32);
    connect(m_button13, &QPushButton::clicked, this, &ExportPanel::Button13Click);
    m_zelmo = named(new QPlainTextEdit(this), QStringLiteral("zelmo"));
    m_zelmo->hide();
}

ExportPanel::~ExportPanel() = default;

void ExportPanel::setTarvomdbColour(const QColor& colour)
{
    QPalette p = m_tarvomdb->palette();
    p.setColor(QPalette::Window, colour);
    m_tarvomdb->setPalette(p);
}

void ExportPanel::tarvomdbDblClick()
{
    const QString folder = m_settings.tarvodir();
    m_directoryListBox2->setDirectory(QDir(folder).exists() ? folder : QDir::currentPath());
    m_panel4->show();
    m_panel4->raise();
    setTarvomdbColour(kNavy);
}

void ExportPanel::Button14Click()
{
    m_settings.setTarvodir(QDir::toNativeSeparators(m_directoryListBox2->directory()));
    m_panel4->hide();
    setTarvomdbColour(kGreen);
    guarded(this, [this] { m_settings.saveset(); });
}

void ExportPanel::Label76Click()
{
    m_panel4->hide();
    setTarvomdbColour(kGreen);
}

void ExportPanel::readtarvo()
{
    // A season typed while the database waits for a lock is read once it is free again.
    if (m_tarvo.busy()) {
        m_rereadPending = true;
        return;
    }
    for (QAbstractButton* b : m_items->buttons())
        delete b;
    m_transform->clear();
    m_itemTexts.clear();
    guarded(this, [this] {
        const auto list = m_tarvo.readtarvo(m_settings.tarvodir(), m_saison->currentText(),
                                            m_record.header(MatchFields::Header::datum));
        if (!list)
            return;
        const int n = list->recordCount;
        const int height = 25 * n + 20 > 670 ? 15 * n + 20 : 25 * n + 20;
        m_radioGroup2->resize(m_radioGroup2->width(), height);
        const int count = int(list->items.size());
        const int step = count > 0 ? std::max(1, (height - 20) / count) : 0;
        for (int i = 0; i < count; ++i) {
            auto* b = new QRadioButton(shown(list->items[i]), m_radioGroup2);
            b->setObjectName(QStringLiteral("RadioGroup2_%1").arg(i));
            b->setGeometry(10, 18 + i * step, m_radioGroup2->width() - 20, std::min(step, 24));
            b->show();
            m_items->addButton(b, i);
            m_transform->addItem(QString::number(list->transform[i]));
        }
        m_itemTexts = list->items;
        for (int selected : list->selections) {
            m_items->button(selected)->setChecked(true);
            aktkampf();
        }
        aktkampf();
    });
    if (std::exchange(m_rereadPending, false))
        readtarvo();
}

void ExportPanel::aktkampf()
{
    m_button4->setEnabled(false);
    m_button4->setText(kNoMatch);
    const int selected = m_items->checkedId();
    if (selected < 0)
        return;
    guarded(this, [this, selected] {
        m_button4->setText(shown(m_tarvo.matchCaption(m_transform->item(selected)->text().toInt())));
        m_button4->setEnabled(true);
    });
}

void ExportPanel::Button4Click()
{
    const int selected = m_items->checkedId();
    if (selected < 0) {
        MessageBox::warning(this, QStringLiteral("Es ist kein Kampf ausgewählt."));
        return;
    }
    const BoutNavigator& nav = m_navigator;
    if (!guarded(this, [&] { m_tarvo.checkTransfer(m_record, nav.punkteheim(), nav.punktegast()); }))
        return;
    const QString item = m_itemTexts.value(selected);
    if (MessageBox::question(this, QStringLiteral("Tarvo"), TarvoExchange::confirmationText(item)) !=
        MessageBox::Yes)
        return;
    setTransferring(true);
    guarded(this, [&] {
        m_tarvo.transfer(m_transform->item(selected)->text().toInt(), m_record, nav.punkteheim(),
                         nav.punktegast());
    });
    setTransferring(false);
}

void ExportPanel::setTransferring(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_saison, m_radioGroup2, m_tarvomdb})
        w->setEnabled(!on);
    if (on) {
        m_button4->setEnabled(false);
        m_button4->setText(QStringLiteral("Übertragung läuft ..."));
    } else {
        aktkampf();
        if (std::exchange(m_rereadPending, false))
            readtarvo();
    }
}

void ExportPanel::Button13Click()
{
    guarded(this, [this] {
        const QString path = FileDialogs::saveFile(this, QStringLiteral("zelmo"), QStringLiteral("txt"));
        if (path.isEmpty())
            return;
        m_zelmo->clear();
        const QStringList lines =
            ZelmoExport::write(path, m_record, m_navigator.punkteheim(), m_navigator.punktegast());
        m_zelmo->setPlainText(lines.join(QLatin1Char('\n')));
    });
}
