#pragma once

#include <Qt>

// Windows virtual-key code of a Qt key, as the keyboard control expects it: F1-F12, letters,
// Space, Backspace, arrows, the digits of the main row (48-57; number-pad digits give 0) and
// the key that carries "Ü" on a German layout as 186. Keys the console does not use give 0.
// `scanCode` is the X11 key code when known (0 otherwise): with Shift held the digit row gives
// other characters, but its key codes 10-19 still name the digits 1-9 and 0.
int virtualKeyFor(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode = 0);
