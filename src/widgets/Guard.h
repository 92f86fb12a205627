#pragma once

#include <functional>

class QWidget;

// Runs one operator action. A failure (UserError or any other exception) is shown in the
// message box and ends the action there; what was done before it stays done.
// Returns true when the action ran to its end.
bool guarded(QWidget* parent, const std::function<void()>& action);
