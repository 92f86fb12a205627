#pragma once

#include <functional>

class QWidget;

// Calls `handler` each time the keyboard focus leaves `control` (or anything inside it, such as
// a combo box's list) for another control of the same window. Focus going to another window
// (a message box, the audience window) is not leaving: the control still holds the window's
// focus, and a failing save must not re-trigger itself through its own message box.
void onFocusExit(QWidget* control, std::function<void()> handler);
