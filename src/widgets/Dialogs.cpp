#include "Dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace {

struct TestHooks
{
    bool on = false;
    MessageBox::Answer nextAnswer = MessageBox::No;
    QStringList shown;
};

TestHooks& hooks()
{
    static TestHooks h;
    return h;
}

QString appTitle()
{
    const QString t = QApplication::applicationDisplayName();
    return t.isEmpty() ? QStringLiteral("VANTOR²") : t;
}

} // namespace

void MessageBox::setTestMode(bool on)
{
    hooks().on = on;
}

bool MessageBox::testMode()
{
    return hooks().on;
}

void MessageBox::setNextAnswer(Answer answer)
{
    hooks().nextAnswer = answer;
}

void MessageBox::recordShown(const QString& text)
{
    hooks().shown << text;
}

QStringList MessageBox::takeShownMessages()
{
    QStringList out;
    out.swap(hooks().shown);
    return out;
}

void MessageBox::error(QWidget* parent, const QString& text)
{
    if (hooks().on) {
        hooks().shown << text;
        return;
    }
    QMessageBox::critical(parent, appTitle(), text);
}

void MessageBox::notice(QWidget* parent, const QString& text)
{
    if (hooks().on) {
        hooks().shown << text;
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Critical, appTitle(), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void MessageBox::information(QWidget* parent, const QString& title, const QString& text)
{
    if (hooks().on) {
        hooks().shown << text;
        return;
    }
    QMessageBox::information(parent, title, text);
}

void MessageBox::warning(QWidget* parent, const QString& text)
{
    if (hooks().on) {
        hooks().shown << text;
        return;
    }
    QMessageBox::warning(parent, appTitle(), text);
}

MessageBox::Answer MessageBox::question(QWidget* parent, const QString& title, const QString& text)
{
    if (hooks().on) {
        hooks().shown << text;
        return hooks().nextAnswer;
    }
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
               ? Yes
               : No;
}
