#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Modal message and confirmation boxes. Tests switch on test mode: nothing modal opens, every
// message is recorded, and questions take the answer set beforehand.
class MessageBox
{
public:
    enum Answer
    {
        Yes,
        No
    };

    // The message box every failed operation ends in (title: the application's title).
    static void error(QWidget* parent, const QString& text);
    // A failure that no operation waits for (a timer's): shown without a modal loop and without
    // taking the keyboard, so the operator scores on while it stands.
    static void notice(QWidget* parent, const QString& text);
    static void information(QWidget* parent, const QString& title, const QString& text);
    // A warning with only an OK button (title: the application's title).
    static void warning(QWidget* parent, const QString& text);
    static Answer question(QWidget* parent, const QString& title, const QString& text);

    static void setTestMode(bool on);
    static bool testMode();
    static void setNextAnswer(Answer answer);
    // Records a message another modal window would have shown (test mode only).
    static void recordShown(const QString& text);
    // Texts shown since the last call, oldest first.
    static QStringList takeShownMessages();
};
