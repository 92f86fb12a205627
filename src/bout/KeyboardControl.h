#pragma once

#include <QObject>

class Bout;
class BoutClock;
class BoutNavigator;

// Translates a key (Windows virtual-key code) into one bout command while the bout panel is
// shown. Ctrl and Shift are those held when the key was pressed, as its key event carries them:
// a key that waits in the queue while the window is busy still counts as it was typed.
class KeyboardControl : public QObject
{
    Q_OBJECT
public:
    KeyboardControl(Bout& bout, BoutClock& clock, BoutNavigator& navigator, QObject* parent = nullptr);

    // True while the bout panel is shown; keys do nothing otherwise.
    bool keyboardActive() const { return m_keyboardActive; }
    void setKeyboardActive(bool active) { m_keyboardActive = active; }

    // Ctrl of the key being handled (false outside tastendruck).
    bool ctrldown() const { return m_held.testFlag(Qt::ControlModifier); }

    // One key press with the modifiers of its key event. May throw UserError (a bout change
    // that cannot save).
    void tastendruck(int vk, Qt::KeyboardModifiers held);

signals:
    // Ctrl+M or a "Strg + M" picture: the win-type picker is to be shown modally.
    void pickerRequested();

private:
    Bout& m_bout;
    BoutClock& m_clock;
    BoutNavigator& m_navigator;
    Qt::KeyboardModifiers m_held;
    bool m_keyboardActive = false;
};
