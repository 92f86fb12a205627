#include "Guard.h"

#include "Dialogs.h"
#include "platform/UserError.h"

#include <exception>

bool guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const UserError& e) {
        MessageBox::error(parent, e.message());
    } catch (const std::exception& e) {
        MessageBox::error(
            parent, QStringLiteral("Es ist ein Fehler aufgetreten: %1").arg(QString::fromUtf8(e.what())));
    }
    return false;
}
