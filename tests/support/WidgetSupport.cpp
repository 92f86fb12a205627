#include "WidgetSupport.h"

#include "match/ui/ProtocolGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

bool focusOn(QWidget* w)
{
    if (!w)
        return false;
    w->setFocus(Qt::OtherFocusReason);
    return w->hasFocus() || w->isAncestorOf(QApplication::focusWidget());
}

QLineEdit* typeIntoCell(ProtocolGrid* grid, const QModelIndex& index, const QString& text)
{
    grid->setFocus(Qt::OtherFocusReason);
    grid->setCurrentIndex(index);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor || !grid->isAncestorOf(editor)) {
        grid->edit(index);
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    }
    if (!editor || !grid->isAncestorOf(editor))
        return nullptr;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    return editor;
}
