#include "SetupPanel.h"

#include "widgets/FileDialogs.h"
#include "widgets/FocusExit.h"
#include "widgets/Guard.h"
#include "widgets/OneLine.h"
#include "UpDown.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// Item 1 of the advert mode carries the seconds field in the blanks of its text.
const QString kWechselVor = QStringLiteral("Wechsel alle");
const QString kWechselNach = QStringLiteral("Sekunden");
constexpr int kWechselBlanks = 15;

const QColor kSkyBlue(166, 202, 240);
const QRect kShape31(462, 135, 176, 241);

template <class T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QButtonGroup* radioItems(QGroupBox* box, const QStringList& items)
{
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b =
            named(new QRadioButton(items[i], box), box->objectName() + QLatin1Char('_') + QString::number(i));
        b->move(12, 24 + 26 * i);
        group->addButton(b, i);
    }
    return group;
}

// An exclusive group cannot uncheck its last button by itself; index -1 means none chosen.
void checkItem(QButtonGroup* group, int index)
{
    if (group->checkedId() == index)
        return;
    if (QAbstractButton* b = group->button(index)) {
        b->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* each : group->buttons())
        each->setChecked(false);
    group->setExclusive(true);
}

void showText(QLineEdit* edit, const QString& text)
{
    // Rewriting an unchanged text would move the cursor while the operator types.
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

SetupPanel::SetupPanel(Settings& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("panel_einrichten"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0, 0, 128));
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);

    m_datumlizenzdatei = named(new QLabel(this), QStringLiteral("datumlizenzdatei"));
    QFont dateFont = m_datumlizenzdatei->font();
    dateFont.setPointSize(10);
    m_datumlizenzdatei->setFont(dateFont);
    m_datumlizenzdatei->setGeometry(20, 320, 430, 24);
    auto* download = new QPushButton(QStringLiteral("Neuste Lizenzen laden"), this);
    download->setObjectName(QStringLiteral("Button17"));
    download->setGeometry(20, 348, 220, 28);
    connect(download, &QPushButton::clicked, this, &SetupPanel::licenceDownloadRequested);

    int left = 20;
    for (auto [list, name, heading, width] :
         {std::tuple{&m_listBox1, "ListBox1", "Feld", 130}, std::tuple{&m_xwerte, "xwerte", "X", 50},
          std::tuple{&m_ywerte, "ywerte", "Y", 50}}) {
        *list = new QListWidget(this);
        (*list)->setObjectName(QLatin1String(name));
        (*list)->setGeometry(left, 400, width, 170);
        (*list)->setSelectionMode(QAbstractItemView::SingleSelection);
        named(new QLabel(QLatin1String(heading), this), QStringLiteral("Label_") + QLatin1String(name))
            ->move(left + 2, 382);
        left += width + 6;
    }
    // The value lists only show the layout; the field is chosen by its name.
    m_xwerte->setSelectionMode(QAbstractItemView::NoSelection);
    m_ywerte->setSelectionMode(QAbstractItemView::NoSelection);
    m_upDown1 = new UpDown(QStringLiteral("UpDown1"), Qt::Horizontal, 0, SheetLayout::kUpDown1Max, this);
    m_upDown1->move(m_xwerte->x() + (m_xwerte->width() - m_upDown1->width()) / 2, 576);
    m_upDown2 = new UpDown(QStringLiteral("UpDown2"), Qt::Vertical, 0, SheetLayout::kUpDown2Max, this);
    m_upDown2->move(m_ywerte->x() + (m_ywerte->width() - m_upDown2->width()) / 2, 576);

    // The sheet: white paper with a black edge, the preview labels above it.
    m_shape31 = named(new QFrame(this), QStringLiteral("Shape31"));
    m_shape31->setGeometry(kShape31);
    m_shape31->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_shape31->setAutoFillBackground(true);
    QPalette paper = m_shape31->palette();
    paper.setColor(QPalette::Window, Qt::white);
    paper.setColor(QPalette::WindowText, Qt::black);
    m_shape31->setPalette(paper);
    auto* title = named(new QLabel(QStringLiteral("Punktzettel"), this), QStringLiteral("Label_punktzettel"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->move(kShape31.left(), kShape31.top() - 40);
    named(new QLabel(QStringLiteral("X"), this), QStringLiteral("Label_x"))
        ->move(kShape31.left() + kShape31.width() / 2, kShape31.top() - 18);
    named(new QLabel(QStringLiteral("Y"), this), QStringLiteral("Label_y"))
        ->move(kShape31.left() - 14, kShape31.top() + kShape31.height() / 2);
    const QColor windowText = QGuiApplication::palette().color(QPalette::WindowText);
    for (int i = 0; i < SheetLayout::kFieldCount; ++i) {
        const SheetLayout::PreviewField& field = SheetLayout::previewFields()[i];
        QLabel* label = named(new QLabel(QLatin1String(field.caption), this), QLatin1String(field.label));
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, field.ink == SheetLayout::Ink::Red    ? QColor(Qt::red)
                                          : field.ink == SheetLayout::Ink::Blue ? QColor(Qt::blue)
                                                                                : windowText);
        // Shown only while the label fills its background, which marks the chosen field.
        lp.setColor(QPalette::Window, kSkyBlue);
        label->setPalette(lp);
        label->setAutoFillBackground(false);
        m_preview[i] = label;
    }

    m_laufschrift = named(new QLineEdit(this), QStringLiteral("laufschrift"));
    m_laufschrift->setGeometry(20, 70, 500, 24);
    keepOneLine(m_laufschrift);

    m_kampfvorstellung =
        named(new QCheckBox(QStringLiteral("Bei Kampfwechsel auf Ringervorstellung umschalten"), this),
              QStringLiteral("kampfvorstellung"));
    m_kampfvorstellung->move(20, 104);

    auto* scaleCaption =
        named(new QLabel(QStringLiteral("Anzeige skalieren"), this), QStringLiteral("Label_skalieren"));
    scaleCaption->move(20, 144);
    m_edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"));
    m_edit1->setReadOnly(true);
    m_edit1->setGeometry(20, 166, 50, 24);
    auto* plus = named(new QPushButton(QStringLiteral("+"), this), QStringLiteral("Button8"));
    plus->setGeometry(76, 166, 30, 24);
    auto* minus = named(new QPushButton(QStringLiteral("-"), this), QStringLiteral("Button9"));
    minus->setGeometry(110, 166, 30, 24);

    m_radioGroup3 =
        named(new QGroupBox(QStringLiteral("Eintrag im Protokoll"), this), QStringLiteral("RadioGroup3"));
    m_radioGroup3->setGeometry(20, 210, 250, 84);
    m_protokoll = radioItems(m_radioGroup3, {QStringLiteral("Lizenznummer"), QStringLiteral("Passnummer")});

    m_werbung = named(new QListWidget(this), QStringLiteral("werbung"));
    m_werbung->setSelectionMode(QAbstractItemView::SingleSelection);
    m_werbung->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_werbung->setGeometry(680, 20, 420, 180);
    auto* listHint = named(new QLabel(QStringLiteral("Ändern mit Doppelklick / Löschen mit [Entf]"), this),
                           QStringLiteral("Label_werbung"));
    listHint->move(680, 204);
    auto* add = named(new QPushButton(QStringLiteral("+"), this), QStringLiteral("Button12"));
    add->setGeometry(680, 228, 30, 24);

    m_radioGroup1 =
        named(new QGroupBox(QStringLiteral("Werbungen | Modus"), this), QStringLiteral("RadioGroup1"));
    m_radioGroup1->setGeometry(680, 270, 420, 110);
    m_modus =
        radioItems(m_radioGroup1, {QStringLiteral("Immer Werbung 1 anzeigen"),
                                   kWechselVor + QString(kWechselBlanks, QLatin1Char(' ')) + kWechselNach,
                                   QStringLiteral("Werbungen den Kämpfen zuordnen")});
    // A sibling laid over the group, not a child: moving into it leaves the group, as the
    // advert timer's switching expects.
    m_edit4 = named(new QLineEdit(this), QStringLiteral("Edit4"));
    keepOneLine(m_edit4);

    connect(m_laufschrift, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_settings.setLaufschrift(t); });
    onFocusExit(m_laufschrift, [this] { laufschriftExit(); });
    connect(m_kampfvorstellung, &QCheckBox::clicked, this, &SetupPanel::kampfvorstellungClick);
    connect(plus, &QPushButton::clicked, this, [this] { scaleClick(true); });
    connect(minus, &QPushButton::clicked, this, [this] { scaleClick(false); });
    connect(add, &QPushButton::clicked, this, &SetupPanel::Button12Click);
    m_werbung->installEventFilter(this);
    m_werbung->viewport()->installEventFilter(this);
    connect(m_modus, &QButtonGroup::idClicked, this, &SetupPanel::RadioGroup1Click);
    onFocusExit(m_radioGroup1, [this] { RadioGroup1Exit(); });
    connect(m_edit4, &QLineEdit::textEdited, this, [this](const QString& t) { m_settings.setZeit(t); });
    onFocusExit(m_edit4, [this] { Edit4Exit(); });
    connect(m_protokoll, &QButtonGroup::idClicked, this, &SetupPanel::RadioGroup3Click);
    connect(m_listBox1, &QListWidget::itemSelectionChanged, this, &SetupPanel::ListBox1Click);
    connect(m_upDown1, &UpDown::clicked, this, &SetupPanel::UpDown1Click);
    connect(m_upDown2, &UpDown::clicked, this, &SetupPanel::UpDown2Click);

    connect(&settings, &Settings::changed, this, &SetupPanel::showSettings);
    relayout();
    showSettings();
}

void SetupPanel::setAdvertTimer(std::function<void()> applyInterval, std::function<void()> switchForMode)
{
    m_applyInterval = std::move(applyInterval);
    m_switchForMode = std::move(switchForMode);
}

void SetupPanel::setDatumlizenzdatei(const QString& text)
{
    m_datumlizenzdatei->setText(text);
}

void SetupPanel::showSettings()
{
    showText(m_laufschrift, m_settings.laufschrift());
    m_kampfvorstellung->setChecked(m_settings.vorstellung());
    showText(m_edit1, m_settings.skalierung());
    showText(m_edit4, m_settings.zeit());
    checkItem(m_modus, m_settings.modus());
    checkItem(m_protokoll, m_settings.protokoll());

    QStringList names, xs, ys;
    for (const Settings::Field& f : m_settings.felder()) {
        names << f.bezeichnung;
        xs << f.xwert;
        ys << f.ywert;
    }
    for (auto [list, lines] :
         {std::pair{m_listBox1, names}, std::pair{m_xwerte, xs}, std::pair{m_ywerte, ys}}) {
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        if (shown != lines) {
            // Refilling is no choice of the operator's.
            const QSignalBlocker quiet(list);
            list->clear();
            list->addItems(lines);
        }
    }

    // Entries are rewritten in place, so the selected line stays selected when its path is replaced.
    const QStringList& paths = m_settings.werbung();
    while (m_werbung->count() > paths.size())
        delete m_werbung->takeItem(m_werbung->count() - 1);
    for (int i = 0; i < paths.size(); ++i) {
        if (i >= m_werbung->count())
            m_werbung->addItem(paths.at(i));
        else if (m_werbung->item(i)->text() != paths.at(i))
            m_werbung->item(i)->setText(paths.at(i));
    }
}

void SetupPanel::relayout()
{
    for (QLabel* l : findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (l != m_datumlizenzdatei)
            l->adjustSize();
    m_kampfvorstellung->adjustSize();
    for (const QButtonGroup* group : {m_modus, m_protokoll})
        for (QAbstractButton* b : group->buttons())
            b->adjustSize();

    QAbstractButton* item = m_modus->button(1);
    QStyleOptionButton option;
    option.initFrom(item);
    option.text = item->text();
    const QRect text = item->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, item);
    const QFontMetrics fm(item->font());
    // One blank stays free on either side of the field.
    const int left = text.left() + fm.horizontalAdvance(kWechselVor + QLatin1Char(' '));
    const int width = fm.horizontalAdvance(QString(kWechselBlanks - 2, QLatin1Char(' ')));
    const int height = m_edit4->sizeHint().height();
    const QPoint at = item->mapTo(this, QPoint(left, (item->height() - height) / 2));
    m_edit4->setGeometry(at.x(), at.y(), width, height);
    m_edit4->raise();
}

void SetupPanel::showEvent(QShowEvent* event)
{
    relayout();
    QWidget::showEvent(event);
}

void SetupPanel::changeEvent(QEvent* event)
{
    // Placed into the operator window, the panel takes on its font: the sizes follow the text.
    if (event->type() == QEvent::FontChange)
        relayout();
    QWidget::changeEvent(event);
}

bool SetupPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_werbung && event->type() == QEvent::KeyPress) {
        werbungKeyDown(static_cast<QKeyEvent*>(event)->key());
        return false; // the list still moves its selection with the arrow keys
    }
    if (watched == m_werbung->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // Anywhere on the list, not only on an entry: with none selected the picture is appended.
        werbungDblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int SetupPanel::selectedAdvert() const
{
    const QList<QListWidgetItem*> items = m_werbung->selectedItems();
    return items.isEmpty() ? -1 : m_werbung->row(items.first());
}

void SetupPanel::laufschriftExit()
{
    guarded(this, [this] { m_settings.saveset(); });
}

void SetupPanel::kampfvorstellungClick(bool ticked)
{
    guarded(this, [this, ticked] {
        m_settings.setVorstellung(ticked);
        m_settings.saveset();
    });
}

void SetupPanel::scaleClick(bool up)
{
    guarded(this, [this, up] {
        const Settings::ScaleStep step = m_settings.stepSkalierung(up);
        if (step.from != step.to)
            emit scaleStep(step.from, step.to);
        m_settings.saveset();
    });
}

void SetupPanel::Button12Click()
{
    guarded(this, [this] {
        if (const QString path = FileDialogs::openPicture(this); !path.isEmpty())
            m_settings.setWerbung(m_settings.werbung() + QStringList{path});
        m_settings.saveset();
    });
}

void SetupPanel::werbungDblClick()
{
    guarded(this, [this] {
        if (const QString path = FileDialogs::openPicture(this); !path.isEmpty()) {
            QStringList paths = m_settings.werbung();
            if (const int row = selectedAdvert(); row >= 0)
                paths[row] = path;
            else
                paths << path;
            m_settings.setWerbung(paths);
        }
        m_settings.saveset();
    });
}

void SetupPanel::werbungKeyDown(int key)
{
    guarded(this, [this, key] {
        if (const int row = selectedAdvert(); key == Qt::Key_Delete && row >= 0) {
            QStringList paths = m_settings.werbung();
            paths.removeAt(row);
            m_settings.setWerbung(paths);
            // The line that moved up into the place is not the one the operator chose.
            m_werbung->setCurrentItem(nullptr);
        }
        m_settings.saveset();
    });
}

void SetupPanel::RadioGroup1Click(int index)
{
    if (index == m_settings.modus())
        return;
    guarded(this, [this, index] {
        m_settings.setModus(index);
        m_settings.saveset();
    });
}

void SetupPanel::RadioGroup1Exit()
{
    guarded(this, [this] {
        if (m_switchForMode)
            m_switchForMode();
    });
}

void SetupPanel::Edit4Exit()
{
    guarded(this, [this] {
        if (m_applyInterval)
            m_applyInterval();
        m_settings.saveset();
    });
}

void SetupPanel::RadioGroup3Click(int index)
{
    if (index == m_settings.protokoll())
        return;
    guarded(this, [this, index] {
        m_settings.setProtokoll(index);
        m_settings.saveset();
    });
}

int SetupPanel::chosenField() const
{
    const QList<QListWidgetItem*> items = m_listBox1->selectedItems();
    return items.isEmpty() ? -1 : m_listBox1->row(items.first());
}

void SetupPanel::punktzettelvorschau()
{
    const QList<Settings::Field>& felder = m_settings.felder();
    for (int i = 0; i < SheetLayout::kFieldCount && i < felder.size(); ++i) {
        QLabel* label = m_preview[i];
        label->move(SheetLayout::previewLeft(felder[i].xwert, kShape31), label->y());
        label->move(label->x(), SheetLayout::previewTop(felder[i].ywert, kShape31));
    }
}

void SetupPanel::ListBox1Click()
{
    const int i = chosenField();
    if (i < 0)
        return;
    guarded(this, [this, i] {
        for (QLabel* label : m_preview)
            label->setAutoFillBackground(false);
        if (i < SheetLayout::kFieldCount)
            m_preview[i]->setAutoFillBackground(true);
        const Settings::Field& field = m_settings.felder().at(i);
        m_upDown1->setPosition(SheetLayout::upDown1Position(field.xwert));
        m_upDown2->setPosition(SheetLayout::upDown2Position(field.ywert));
    });
}

void SetupPanel::UpDown1Click()
{
    guarded(this, [this] {
        if (const int i = chosenField(); i >= 0) {
            Settings::Field field = m_settings.felder().at(i);
            field.xwert = SheetLayout::xwertFor(m_upDown1->position());
            m_settings.setFeld(i, field);
        }
        punktzettelvorschau();
        m_settings.saveset();
    });
}

void SetupPanel::UpDown2Click()
{
    guarded(this, [this] {
        if (const int i = chosenField(); i >= 0) {
            Settings::Field field = m_settings.felder().at(i);
            field.ywert = SheetLayout::ywertFor(m_upDown2->position());
            m_settings.setFeld(i, field);
        }
        punktzettelvorschau();
        m_settings.saveset();
    });
}
