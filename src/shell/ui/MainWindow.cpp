#include "MainWindow.h"

#include "Guard.h"
#include "bout/ui/BoutPanel.h"
#include "match/ui/EntryPanel.h"
#include "shell/Console.h"

#include <QTabWidget>
#include <QVBoxLayout>

MainWindow::MainWindow(Console& console, QWidget* parent)
    : QWidget(parent), m_console(console), m_entry(new EntryPanel(console.record(), console.matchFile(), this))
{
    setObjectName(QStringLiteral("TForm2"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    auto* views = new QTabWidget(this);
    views->addTab(m_entry, QStringLiteral("Eingaben"));
    m_bout = new BoutPanel(console, this);
    views->addTab(m_bout, QStringLiteral("Kampf"));
    lay->addWidget(views);
    connect(views, &QTabWidget::currentChanged, this, [this, views](int) {
        if (views->currentWidget() == m_bout)
            showBoutPanel();
    });
    connect(&console.matchFile(), &MatchFile::openFileChanged, this, &MainWindow::updateCaption);
    updateCaption();
    resize(1280, 800);
}

void MainWindow::showBoutPanel()
{
    // Opening the bout panel with no bout loaded starts at bout 1.
    guarded(this, [this] {
        BoutNavigator& nav = m_console.navigator();
        if (nav.kampfnr() == QLatin1String("0")) {
            nav.setKampfnr(QStringLiteral("1"));
            nav.ladedaten();
        }
    });
}

void MainWindow::updateCaption()
{
    const MatchFile& f = m_console.matchFile();
    setWindowTitle(f.matchFileName().isEmpty() ? QStringLiteral("VANTOR²") : f.windowCaption());
}

void MainWindow::openMatchFile(const QString& path)
{
    guarded(this, [&] { m_console.matchFile().open(path); });
}
