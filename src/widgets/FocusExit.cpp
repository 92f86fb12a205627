#include "FocusExit.h"

#include <QApplication>
#include <QWidget>

namespace {

bool isWithin(const QWidget* control, const QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (w == control)
            return true;
    return false;
}

} // namespace

void onFocusExit(QWidget* control, std::function<void()> handler)
{
    auto* context = new QObject(control);
    QObject::connect(qApp, &QApplication::focusChanged, context,
                     [control, handler = std::move(handler)](QWidget* old, QWidget* now) {
                         if (!old || !now || !isWithin(control, old) || isWithin(control, now))
                             return;
                         if (now->window() != control->window())
                             return;
                         handler();
                     });
}
