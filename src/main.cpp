#include "bout/ui/WinTypePicker.h"
#include "platform/FontInstaller.h"
#include "scoreboard/ui/AudienceWindow.h"
#include "shell/Console.h"
#include "shell/ui/German.h"
#include "shell/ui/MessageWindow.h"
#include "shell/ui/OperatorWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The product's name is the application's name; no display name is set, since Qt would
    // append that to every window's caption ("Anzeige — VANTOR²"), and each window has its own.
    // Message boxes take the name as their title all the same.
    QApplication::setApplicationName(QStringLiteral("VANTOR²"));
    installGermanTranslations(app);
    // Every window and the record are laid out for Tahoma: added before the first window is
    // built, so that none is measured in a stand-in first. Fonts added for the program alone go
    // with it; nothing to take back at the end.
    FontInstaller::addTahoma();

    // Every core object, wired together.
    Console console(QCoreApplication::applicationDirPath());

    // The windows in their order: operator, audience, message window, win-type picker, help.
    OperatorWindow form2(console);
    form2.setWindowTitle(QStringLiteral("VANTOR²"));
    const QStringList args = QApplication::arguments();
    if (args.size() > 1 && QFileInfo(args.at(1)).isFile())
        form2.openMatchFile(args.at(1));
    // The scoring strings line up column by column only in the typewriter font.
    int addedFont = -1;
    if (!FontInstaller::isInstalled(QStringLiteral("MonospaceTypewriter")))
        addedFont = FontInstaller::add(console.besideProgram(QStringLiteral("MonospaceTypewriter.ttf")));

    AudienceWindow form1(console.audience());
    form2.setAudienceWindow(&form1);
    MessageWindow form3;
    form2.setMessageWindow(&form3);
    WinTypePicker form4(console.bout());
    form2.setWinTypePicker(&form4);
    QWidget form5;
    form5.setObjectName(QStringLiteral("TForm5"));
    form5.setWindowTitle(QStringLiteral("VANTOR² - Hilfe"));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        form2.setGeometry(screen->availableGeometry());
    form2.showMaximized();
    const int result = QApplication::exec();
    if (addedFont >= 0)
        FontInstaller::remove(addedFont);
    return result;
}
