#include "KeyboardControl.h"

#include "Bout.h"
#include "BoutClock.h"
#include "BoutNavigator.h"

#include <QScopedValueRollback>

namespace {

enum VirtualKey : int
{
    VkBack = 8,
    VkSpace = 32,
    VkUp = 38,
    VkDown = 40,
    Vk0 = 48,
    Vk1 = 49,
    Vk9 = 57,
    VkD = 68,
    VkM = 77,
    VkP = 80,
    VkS = 83,
    VkT = 84,
    VkU = 85,
    VkV = 86,
    VkF1 = 112,
    VkF2 = 113,
    VkF3 = 114,
    VkF4 = 115,
    VkF5 = 116,
    VkF6 = 117,
    VkF7 = 118,
    VkF8 = 119,
    VkF9 = 120,
    VkF12 = 123,
    VkUdiaeresis = 186,
};

} // namespace

KeyboardControl::KeyboardControl(Bout& bout, BoutClock& clock, BoutNavigator& navigator, QObject* parent)
    : QObject(parent), m_bout(bout), m_clock(clock), m_navigator(navigator)
{
}

void KeyboardControl::tastendruck(int vk, Qt::KeyboardModifiers held)
{
    if (!m_keyboardActive)
        return;
    // Not the state the keyboard is in now: by the time a queued key is handled, Ctrl may have
    // been let go or pressed for the next key.
    const QScopedValueRollback heldDuringKey(m_held, held);

    const QString r = QStringLiteral("r");
    const QString b = QStringLiteral("b");
    const auto sideCommand = [this](const QString& red, const QString& blue) {
        m_bout.eingabe(ctrldown() ? blue : red);
    };

    // Every row is tested on its own, not as an else-chain, in the order of the documented key table.
    if (vk == VkSpace)
        m_clock.startstop();
    if (vk == VkF1)
        m_bout.punkte(r, 1);
    if (vk == VkF2)
        m_bout.punkte(r, 2);
    if (vk == VkF3)
        m_bout.punkte(r, 4);
    if (vk == VkF4)
        m_bout.punkte(r, 5);
    if (vk == VkF5)
        m_bout.punkte(b, 1);
    if (vk == VkF6)
        m_bout.punkte(b, 2);
    if (vk == VkF7)
        m_bout.punkte(b, 4);
    if (vk == VkF8)
        m_bout.punkte(b, 5);
    if (vk == VkF9)
        m_navigator.naechsterkampf(999);
    if (vk == VkP)
        sideCommand(QStringLiteral("rp"), QStringLiteral("bp"));
    if (vk == VkV)
        sideCommand(QStringLiteral("rv"), QStringLiteral("bv"));
    if (vk == VkU)
        sideCommand(QStringLiteral("rug"), QStringLiteral("bug"));
    if (vk == VkUdiaeresis)
        sideCommand(QStringLiteral("rüg"), QStringLiteral("büg"));
    if (vk == VkS)
        sideCommand(QStringLiteral("rss"), QStringLiteral("bss"));
    if (vk == VkD)
        sideCommand(QStringLiteral("rdq"), QStringLiteral("bdq"));
    if (vk == VkM && ctrldown())
        emit pickerRequested();
    if (vk == VkBack)
        m_bout.eingabe(QStringLiteral("wertungrueck"));
    if (vk == VkT)
        m_clock.signal();
    if (vk == VkUp)
        m_clock.zeitplusminus(QStringLiteral("p"), 1);
    if (vk == VkDown)
        m_clock.zeitplusminus(QStringLiteral("m"), 1);
    if (vk == VkF12)
        m_clock.zeitplusminus(QStringLiteral("r"), 0);
    if (vk >= Vk1 && vk <= Vk9 && ctrldown())
        m_navigator.naechsterkampf(vk - Vk0);
    if (vk == Vk0 && ctrldown())
        m_navigator.naechsterkampf(10);
}
