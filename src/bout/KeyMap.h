#pragma once

#include <Qt>

// Windows virtual-key code of a Qt key, as the keyboard control expects it: F1-F12, letters,
// Space, Backspace, arrows, the digits of the main row (48-57; number-pad digits give 0) and
// the key that carries "Ü" on a German layout as 186. Keys the console does not use give 0.
int virtualKeyFor(int qtKey, Qt::KeyboardModifiers modifiers);
