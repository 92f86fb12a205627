#include "MainWindow.h"

#include "Guard.h"
#include "match/ui/EntryPanel.h"
#include "shell/Console.h"

#include <QVBoxLayout>

MainWindow::MainWindow(Console& console, QWidget* parent)
    : QWidget(parent), m_console(console), m_entry(new EntryPanel(console.record(), console.matchFile(), this))
{
    setObjectName(QStringLiteral("TForm2"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_entry);
    connect(&console.matchFile(), &MatchFile::openFileChanged, this, &MainWindow::updateCaption);
    updateCaption();
    resize(1280, 800);
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
