// The floor for start-up: a Qt widgets program that does nothing but show one titled window,
// placed and shown the way the console shows its operator window. Whatever the console takes
// beyond this is its own work, not Qt's or the display's.

#include <QApplication>
#include <QScreen>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}
