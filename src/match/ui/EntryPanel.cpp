#include "EntryPanel.h"

#include "match/MatchFields.h"
#include "ProtocolGrid.h"
#include "match/GridRules.h"
#include "match/LineUp.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "widgets/FocusExit.h"
#include "widgets/Guard.h"
#include "widgets/OneLine.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <functional>

namespace {

struct FieldDesign
{
    QLatin1String field;
    const char* caption;
};

// Captions of the labelled fields; radio groups carry item texts instead.
const FieldDesign kCaptions[] = {
    {MatchFields::Header::heim, "Heim"},
    {MatchFields::Header::gast, "Gast"},
    {MatchFields::Header::ort, "Ort"},
    {MatchFields::Header::halle, "Veranstaltungsstätte"},
    {MatchFields::Header::liga, "Liga"},
    {MatchFields::Header::datum, "Datum"},
    {MatchFields::Header::ml, "Mattenleiter"},
    {MatchFields::Header::mp, "Mattenpräsident"},
    {MatchFields::Header::pr, "Punktrichter"},
    {MatchFields::Header::zeitnehmer, "Zeitnehmer"},
    {MatchFields::Header::protokollfuehrer, "Protokollführer"},
    {MatchFields::Header::punktzettel, "Punktzettel"},
    {MatchFields::Header::mannschaftsfuehrer_heim, "Mannschaftsführer Heim"},
    {MatchFields::Header::mannschaftsfuehrer_gast, "Mannschaftsführer Gast"},
    {MatchFields::Header::verhalten_ringer, "Verhalten der Ringer"},
    {MatchFields::Header::verhalten_zuschauer, "Verhalten der Zuschauer"},
    {MatchFields::Header::beginn, "Beginn"},
    {MatchFields::Header::ende, "Ende"},
    {MatchFields::Header::pause, "Pause (Min)"},
    {MatchFields::Header::zuschauer, "Zuschauer"},
    {MatchFields::Header::ordner1, "Ordner"},
    {MatchFields::Header::ordner2, "Ordner"},
    {MatchFields::Header::bemerkungen, "Bemerkungen"},
};

QString captionOf(const QString& field)
{
    for (const auto& d : kCaptions)
        if (field == d.field)
            return QString::fromUtf8(d.caption);
    return {};
}

bool isCombo(const QString& f)
{
    return f == MatchFields::Header::ml || f == MatchFields::Header::mp || f == MatchFields::Header::pr;
}

// The memo keeps CR LF between lines, as the stored field does.
QString memoValue(const QPlainTextEdit* memo)
{
    return memo->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace

EntryPanel::EntryPanel(MatchRecord& record, MatchFile& file, LineUp& lineUp, QWidget* parent)
    : QWidget(parent), m_record(record), m_file(file), m_lineUp(lineUp)
{
    setObjectName(QStringLiteral("panel_eingaben"));
    setAutoFillBackground(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);

    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("Panel1"));
    strip->setFrameShape(QFrame::StyledPanel);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(6, 3, 6, 3);
    m_pfaddateiname = new QLabel(strip);
    m_pfaddateiname->setObjectName(QStringLiteral("pfaddateiname"));
    m_pfaddateiname->setTextInteractionFlags(Qt::TextSelectableByMouse);
    stripLayout->addWidget(m_pfaddateiname, 1);
    outer->addWidget(strip);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(4);
    // Reading order of the form: match, kind, officials, teams, conduct and times.
    const QList<QStringList> rows = {
        {MatchFields::Header::heim, MatchFields::Header::gast, MatchFields::Header::ort,
         MatchFields::Header::halle, MatchFields::Header::liga, MatchFields::Header::datum},
        {MatchFields::Header::punktfreund, MatchFields::Header::vorrueck, MatchFields::Header::altersklasse,
         MatchFields::Header::ml, MatchFields::Header::mp, MatchFields::Header::pr},
        {MatchFields::Header::zeitnehmer, MatchFields::Header::protokollfuehrer,
         MatchFields::Header::punktzettel, MatchFields::Header::mannschaftsfuehrer_heim,
         MatchFields::Header::mannschaftsfuehrer_gast, MatchFields::Header::zuschauer},
        {MatchFields::Header::verhalten_ringer, MatchFields::Header::verhalten_zuschauer,
         MatchFields::Header::beginn, MatchFields::Header::ende, MatchFields::Header::pause,
         MatchFields::Header::ordner1},
    };
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            fields->addWidget(makeControl(rows[r][c]), r, c, Qt::AlignTop);
    fields->addWidget(makeControl(QStringLiteral("ordner2")), 4, 5, Qt::AlignTop);
    auto* hint = new QLabel(QStringLiteral("hh:mm"), this);
    hint->setObjectName(QStringLiteral("zeitformat"));
    fields->addWidget(hint, 4, 2, Qt::AlignTop);
    fields->addWidget(makeControl(MatchFields::Header::bemerkungen), 4, 0, 1, 2);
    for (int c = 0; c < 6; ++c)
        fields->setColumnStretch(c, 1);
    outer->addLayout(fields);

    m_grid = new ProtocolGrid(record, this);
    // Inside the grid's key action: what the line-up's listener throws reaches its guard.
    m_grid->setRowClearedHook([this](int row) { m_lineUp.tellRows(row, row); });
    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(6);
    gridRow->addWidget(m_grid, 1);
    gridRow->addWidget(makeLineUpButtons());
    outer->addLayout(gridRow, 1);
    outer->addWidget(makeKeyHints());

    onFocusExit(m_grid, [this] { protokollExit(); });

    connect(&record, &MatchRecord::headerChanged, this, &EntryPanel::showHeaderValue);
    connect(&file, &MatchFile::openFileChanged, this, &EntryPanel::updateFileLabel);
    for (const QString& f : MatchFields::editableHeaderFields())
        showHeaderValue(f);
    updateFileLabel();
}

QWidget* EntryPanel::makeControl(const QString& field)
{
    if (MatchFields::isRadio(field)) {
        auto* box = new QGroupBox(this);
        box->setObjectName(field);
        auto* lay = new QVBoxLayout(box);
        lay->setContentsMargins(6, 4, 6, 4);
        lay->setSpacing(2);
        auto* group = new QButtonGroup(box);
        const QStringList items = MatchFields::radioItems(field);
        for (int i = 0; i < items.size(); ++i) {
            auto* b = new QRadioButton(items[i], box);
            b->setObjectName(field + QString::number(i));
            group->addButton(b, i);
            lay->addWidget(b);
        }
        m_radioGroups.insert(field, group);
        m_controls.insert(field, box);
        connect(group, &QButtonGroup::idClicked, this, [this, field](int id) { radioClick(field, id); });
        return box;
    }

    auto* cell = new QWidget(this);
    auto* lay = new QVBoxLayout(cell);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(1);
    auto* label = new QLabel(captionOf(field), cell);
    label->setObjectName(field + QStringLiteral("_label"));
    lay->addWidget(label);

    QWidget* control = nullptr;
    if (isCombo(field)) {
        auto* combo = new QComboBox(cell);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        keepOneLine(combo);
        connect(combo, &QComboBox::editTextChanged, this,
                [this, field](const QString& t) { m_record.setHeader(field, t); });
        control = combo;
    } else if (field == MatchFields::Header::bemerkungen) {
        auto* memo = new QPlainTextEdit(cell);
        memo->setTabChangesFocus(true);
        memo->setFixedHeight(56);
        connect(memo, &QPlainTextEdit::textChanged, this,
                [this, field, memo] { m_record.setHeader(field, memoValue(memo)); });
        control = memo;
    } else {
        auto* edit = new QLineEdit(cell);
        keepOneLine(edit);
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& t) { m_record.setHeader(field, t); });
        control = edit;
    }
    control->setObjectName(field);
    label->setBuddy(control);
    lay->addWidget(control);

    if (field == MatchFields::Header::heim || field == MatchFields::Header::gast) {
        const QColor colour = field == MatchFields::Header::heim ? QColor(Qt::red) : QColor(Qt::blue);
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
        QPalette pe = control->palette();
        pe.setColor(QPalette::Text, colour);
        control->setPalette(pe);
    }

    m_controls.insert(field, control);
    onFocusExit(control, [this, field] { fieldExit(field); });
    return cell;
}

QWidget* EntryPanel::makeLineUpButtons()
{
    auto* column = new QWidget(this);
    auto* lay = new QVBoxLayout(column);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(4);
    auto add = [&](const char* name, const QString& text, std::function<void()> action) {
        auto* b = new QPushButton(text, column);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this,
                [this, action = std::move(action)] { guarded(this, action); });
        lay->addWidget(b);
    };
    add("Button1", QStringLiteral("+"), [this] { m_lineUp.appendRow(); });
    add("Button3", QStringLiteral("-"), [this] { m_lineUp.removeLastBout(); });
    add("Button15", QStringLiteral("Leeren"), [this] { m_lineUp.clearRows(); });
    lay->addSpacing(8);
    add("Button18", QStringLiteral("Rot <-> Blau"), [this] { m_lineUp.swapSides(); });
    lay->addSpacing(8);
    add("Button6", QStringLiteral("10 Kämpfe"), [this] { m_lineUp.applyTemplate(10); });
    add("Button7", QStringLiteral("8 Kämpfe"), [this] { m_lineUp.applyTemplate(8); });
    add("Button16", QStringLiteral("14 Kämpfe"), [this] { m_lineUp.applyTemplate(14); });
    lay->addStretch(1);
    return column;
}

QWidget* EntryPanel::makeKeyHints()
{
    auto* hints = new QWidget(this);
    auto* lay = new QHBoxLayout(hints);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(24);
    auto* ctrl = new QLabel(QStringLiteral("Strg + Entf: Löscht die ganze Zeile"), hints);
    ctrl->setObjectName(QStringLiteral("Label79"));
    auto* shift = new QLabel(QStringLiteral("Shift + Entf: Löscht die Ergebnisse"), hints);
    shift->setObjectName(QStringLiteral("Label80"));
    lay->addWidget(ctrl);
    lay->addWidget(shift);
    lay->addStretch(1);
    return hints;
}

void EntryPanel::setLicenceFile(const QString& path)
{
    m_grid->setLicenceFile(path);
}

void EntryPanel::showHeaderValue(const QString& field)
{
    QWidget* w = m_controls.value(field);
    if (!w)
        return;
    const QString value = m_record.header(field);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->currentText() != value) {
            const QSignalBlocker block(combo);
            combo->setEditText(value);
        }
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        if (memoValue(memo) != value) {
            const QSignalBlocker block(memo);
            memo->setPlainText(QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        }
    } else if (QButtonGroup* group = m_radioGroups.value(field)) {
        const int index = value.toInt();
        if (QAbstractButton* b = group->button(index)) {
            b->setChecked(true);
        } else {
            // No item chosen: an exclusive group cannot uncheck its last button by itself.
            group->setExclusive(false);
            for (QAbstractButton* each : group->buttons())
                each->setChecked(false);
            group->setExclusive(true);
        }
    }
}

void EntryPanel::updateFileLabel()
{
    m_pfaddateiname->setText(m_file.pfaddateiname());
}

void EntryPanel::fieldExit(const QString& field)
{
    guarded(this, [&] {
        m_file.saveall();
        if (field == MatchFields::Header::zuschauer && m_record.header(field) == accessCode())
            m_grid->showScoringColumns();
    });
}

void EntryPanel::radioClick(const QString& field, int index)
{
    const QString value = QString::number(index);
    if (m_record.header(field) == value)
        return;
    m_record.setHeader(field, value);
    guarded(this, [&] { m_file.saveall(); });
}

void EntryPanel::protokollExit()
{
    guarded(this, [&] {
        GridRules::numberBouts(m_record);
        m_file.saveall();
    });
}

void EntryPanel::setRefereeList(const std::optional<QStringList>& names)
{
    for (const QLatin1String field :
         {MatchFields::Header::mp, MatchFields::Header::pr, MatchFields::Header::ml}) {
        auto* combo = qobject_cast<QComboBox*>(m_controls.value(field));
        if (!combo)
            continue;
        const QSignalBlocker block(combo);
        const QString text = combo->currentText();
        combo->clear();
        if (names) {
            combo->addItems(*names);
            combo->setStyleSheet(QString());
        } else {
            combo->setStyleSheet(QStringLiteral("QComboBox { padding-right: 0px; }"
                                                "QComboBox::drop-down { width: 0px; border: none; }"
                                                "QComboBox::down-arrow { image: none; width: 0px; }"));
        }
        combo->setEditText(text);
    }
}
