#pragma once

#include <QObject>

#include <functional>

class Bout;
class BoutClock;
class BoutNavigator;

// Translates a key (Windows virtual-key code) into one bout command while the bout panel is
// shown. Ctrl and Shift are read live at the moment of the call.
class KeyboardControl : public QObject
{
    Q_OBJECT
public:
    // Live modifier state; tests replace it.
    using ModifierSource = std::function<Qt::KeyboardModifiers()>;

    KeyboardControl(Bout& bout, BoutClock& clock, BoutNavigator& navigator, QObject* parent = nullptr);

    // True while the bout panel is shown; keys do nothing otherwise.
    bool keyboardActive = false;

    void setModifierSource(ModifierSource source) { m_modifiers = std::move(source); }
    bool ctrldown() const;
    bool shiftdown() const;

    // One key press. May throw UserError (a bout change that cannot save).
    void tastendruck(int vk);

signals:
    // Ctrl+M or a "Strg + M" picture: the win-type picker is to be shown modally.
    void pickerRequested();

private:
    Bout& m_bout;
    BoutClock& m_clock;
    BoutNavigator& m_navigator;
    ModifierSource m_modifiers;
};
