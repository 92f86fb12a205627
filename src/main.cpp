#include "shell/Console.h"
#include "shell/ui/German.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantor2"));
    QApplication::setApplicationDisplayName(QStringLiteral("VANTOR²"));
    installGermanTranslations(app);

    Console console(QCoreApplication::applicationDirPath());
    MainWindow window(console);
    window.show();

    const QStringList args = QApplication::arguments();
    if (args.size() > 1 && QFileInfo(args.at(1)).isFile())
        window.openMatchFile(args.at(1));

    return QApplication::exec();
}
