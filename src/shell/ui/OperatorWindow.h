#pragma once

#include <QHash>
#include <QWidget>

#include <memory>

class AudienceWindow;
class BoutPanel;
class ClickLabel;
class Console;
class EntryPanel;
class KeyboardControl;
class MessageWindow;
class OperatorShell;
class PrintPanel;
class QFrame;
class QLabel;
class QPlainTextEdit;
class SetupPanel;
class WinTypePicker;

// The operator window `TForm2`: the menu column at the left and the six views, of which one
// fills the rest of the window. Every key pressed in it or in the audience window reaches the
// keyboard control first and then the focused control.
class OperatorWindow : public QWidget
{
    Q_OBJECT
public:
    // Binds to the console's core objects, its keyboard control and its frame (`shell()`).
    explicit OperatorWindow(Console& console, QWidget* parent = nullptr);
    ~OperatorWindow() override;

    // The other windows, created after this one (audience, message window, picker).
    void setAudienceWindow(AudienceWindow* audience);
    void setMessageWindow(MessageWindow* messages);
    void setWinTypePicker(WinTypePicker* picker);

    EntryPanel* entryPanel() const { return m_entry; }
    BoutPanel* boutPanel() const { return m_bout; }

    // Opens a match file; a failure is shown and leaves the previous match on screen.
    void openMatchFile(const QString& path);

    // Runs one key through the keyboard control (a Windows virtual-key code), with the
    // modifiers its key event carried.
    void tastendruck(int vk, Qt::KeyboardModifiers held);

    // "Beenden": saves the match, asks when the bout on the panel holds what its row does not,
    // then ends the program. Closing the window by the window manager goes the same way.
    void Label1Click();
    // "Anzeige": adverts, the audience window, then the bout panel. Throws on a failing step.
    void cClick();
    // "Neuste Lizenzen laden": downloads the licence data and shows its date.
    void Button17Click();
    // "Hilfe": opens hilfe.pdf beside the program with the desktop's viewer.
    void Label58Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makeMenu();
    QWidget* makeView(const QString& name, const QColor& colour);
    void buildStartPanel(QWidget* panel);
    void showCurrentView();
    void updateCaption();
    void updateTexts();
    void runPicker();
    // The save and the questions before the program ends; false keeps it running.
    bool mayEnd();

    Console& m_console;
    KeyboardControl& m_keyboard;
    OperatorShell& m_shell;
    AudienceWindow* m_audience = nullptr;
    MessageWindow* m_messages = nullptr;
    WinTypePicker* m_picker = nullptr;
    bool m_shown = false;
    bool m_swipeFromSurface = false;
    // The operator agreed to end: the close that follows asks nothing again.
    bool m_ending = false;

    QWidget* m_menu = nullptr;
    QFrame* m_marker = nullptr;
    QWidget* m_viewArea = nullptr;
    QList<QWidget*> m_views;
    EntryPanel* m_entry = nullptr;
    BoutPanel* m_bout = nullptr;
    QPlainTextEdit* m_tipBox = nullptr;
    PrintPanel* m_print = nullptr;
    SetupPanel* m_setup = nullptr;
    QHash<QString, QLabel*> m_labels;
};
