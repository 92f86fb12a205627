#pragma once

#include <QWidget>

class Console;
class BoutPanel;
class EntryPanel;

// The operator window `TForm2`. For now it holds the entry panel.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(Console& console, QWidget* parent = nullptr);

    EntryPanel* entryPanel() const { return m_entry; }
    // Opens a match file; a failure is shown and leaves the previous match on screen.
    void openMatchFile(const QString& path);

private:
    void updateCaption();
    void showBoutPanel();

    Console& m_console;
    EntryPanel* m_entry;
    BoutPanel* m_bout = nullptr;
};
