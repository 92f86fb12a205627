#include "AudienceWindow.h"

AudienceWindow::AudienceWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Anzeige"));
    resize(1010, 732);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}
