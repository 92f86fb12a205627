#include "KeyMap.h"

int virtualKeyFor(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode)
{
    // Shift plays no part in the key table: Ctrl+Shift+5 selects bout 5 like Ctrl+5.
    if (scanCode >= 10 && scanCode <= 19 && !modifiers.testFlag(Qt::KeypadModifier))
        return scanCode == 19 ? 48 : int(48 + scanCode - 9);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 112 + (qtKey - Qt::Key_F1);
    // Qt reports letters by their capital, which is also the Windows code.
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        // The number pad's digits have codes of their own on Windows (96-105), which the
        // bout selection with Ctrl does not answer to.
        if (modifiers.testFlag(Qt::KeypadModifier))
            return 0;
        return qtKey;
    }
    switch (qtKey) {
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Udiaeresis:
        return 186;
    default:
        return 0;
    }
}
