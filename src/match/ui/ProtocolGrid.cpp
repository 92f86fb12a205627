#include "ProtocolGrid.h"

#include "ProtocolModel.h"
#include "match/MatchFields.h"
#include "match/MatchRecord.h"
#include "widgets/Guard.h"
#include "widgets/OneLine.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

class CellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QColor fill = ProtocolGrid::columnColour(index.column());
        if (!fill.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // Columns of the line-up keep their side's colour whatever the selection.
        painter->save();
        painter->setClipRect(option.rect);
        painter->fillRect(option.rect, fill);
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
        painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        // A plain line edit, not the delegate's own editor, which widens itself over the cells
        // to its right as the text grows: a click on the next cell would land in it and the
        // typing would go into the cell being left. This one keeps to its cell and scrolls.
        auto* line = new QLineEdit(parent);
        line->setFrame(line->style()->styleHint(QStyle::SH_ItemView_DrawDelegateFrame, nullptr, line));
        keepOneLine(line);
        // Typed text reaches the match record at once, as in a cell of the old grid: a save
        // at any moment (leaving the grid, quitting) never misses what is on screen.
        auto* self = const_cast<CellDelegate*>(this);
        connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
        // The clearing keys work while a cell is being edited, too.
        line->installEventFilter(QObject::parent());
        return line;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // The record echoes every keystroke back; rewriting the same text would move the
        // cursor to the end and drop the editor's undo.
        if (auto* line = qobject_cast<QLineEdit*>(editor);
            line && line->text() == index.data(Qt::EditRole).toString())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
    }
};

constexpr int kWidths[MatchFields::ColumnCount] = {35, 20, 30, 70, 70, 40, 35, 40, 40, 30, 70, 70,
                                                   40, 35, 40, 40, 30, 40, 40, 30, -1, -1, -1, 60};

} // namespace

ProtocolGrid::ProtocolGrid(MatchRecord& record, QWidget* parent)
    : QTableView(parent), m_model(new ProtocolModel(record, this))
{
    setObjectName(QStringLiteral("protokoll"));
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Columns may be dragged to another place on screen; the model keeps every field at its
    // own column, so a moved column is still saved, printed and evaluated as the same field.
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    // A caption wider than its column shows its beginning, which reads better than its middle.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The design widths were made for a small grid font; keep captions and cells readable in them.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    horizontalHeader()->setFont(small);
    horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { padding: 0px 1px; }"));
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
    makestringgrid();
}

void ProtocolGrid::makestringgrid()
{
    for (int c = 0; c < MatchFields::ColumnCount; ++c) {
        if (kWidths[c] < 0) {
            setColumnHidden(c, true);
        } else {
            setColumnHidden(c, false);
            setColumnWidth(c, kWidths[c]);
        }
    }
}

void ProtocolGrid::showScoringColumns()
{
    setColumnHidden(MatchFields::ColWertungenRot, false);
    setColumnHidden(MatchFields::ColWertungenBlau, false);
    setColumnHidden(MatchFields::ColZeiten, false);
    setColumnWidth(MatchFields::ColWertungenRot, 60);
    setColumnWidth(MatchFields::ColWertungenBlau, 60);
    setColumnWidth(MatchFields::ColZeiten, 80);
}

void ProtocolGrid::setPassNumberCaptions(bool passNumbers)
{
    m_model->setPassNumberCaptions(passNumbers);
}

void ProtocolGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The base commits the editor of the cell being left, so the lookup reads what was typed.
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        protokollSelectCell(current.column(), current.row() + 1);
}

void ProtocolGrid::protokollSelectCell(int column, int row)
{
    guarded(this, [&] {
        GridRules::protokollSelectCell(m_model->record(), m_remembered, column, row, m_licenceFile);
    });
}

void ProtocolGrid::protokollKeyDown(const QKeyEvent* event)
{
    // The modifiers travel with the key: the state the operator held when pressing it.
    guarded(this, [&] {
        if (GridRules::protokollKeyDown(m_model->record(), m_remembered, event->key(), event->modifiers()))
            if (m_rowClearedHook)
                m_rowClearedHook(m_remembered.row);
    });
}

bool ProtocolGrid::isClearingKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Delete && (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
}

bool ProtocolGrid::eventFilter(QObject* watched, QEvent* event)
{
    // Keys typed into a cell editor (a child of the viewport); the view's own keys arrive in
    // keyPressEvent.
    if (event->type() == QEvent::KeyPress && watched->parent() == viewport()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        protokollKeyDown(key);
        // A cell editor would cut its selected text (Shift+Del) or the next word (Ctrl+Del) out
        // of the cell, and these keys never touch the weight class, style or order number, nor
        // the wrestlers with Shift. The grid itself does nothing with them.
        if (isClearingKey(key))
            return true;
    }
    return QTableView::eventFilter(watched, event);
}

void ProtocolGrid::keyPressEvent(QKeyEvent* event)
{
    // A key the cell editor let through was already handled by the filter on its way there.
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus == this || !isAncestorOf(focus))
        protokollKeyDown(event);
    QTableView::keyPressEvent(event);
}

QColor ProtocolGrid::columnColour(int column)
{
    if (column < 0)
        return {};
    using namespace MatchFields;
    if (column <= ColStil)
        return QColor(192, 220, 192);
    if (column <= ColJahrgangRot)
        return QColor(250, 143, 143);
    if (column == ColPunkteRot)
        return QColor(248, 90, 90);
    if (column <= ColJahrgangBlau)
        return QColor(166, 202, 240);
    if (column == ColPunkteBlau)
        return QColor(109, 167, 231);
    return {};
}
