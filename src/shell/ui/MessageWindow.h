#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QFrame;
class ClickLabel;

// The message window `TForm3`: a dark veil over the whole screen with one message box on it.
class MessageWindow : public QDialog
{
    Q_OBJECT
public:
    explicit MessageWindow(QWidget* parent = nullptr);

    // Shows title and text and returns when the operator has closed the window. In the
    // dialogs' test mode nothing modal opens and the message is recorded.
    void mymessage(const QString& title, const QString& text);

    // Centres the box horizontally (exact halves to the even neighbour).
    void mitte();
    static int boxLeft(int windowWidth);

    QString title() const;
    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFrame* m_shape1;
    QLabel* m_label1;
    QPlainTextEdit* m_memo1;
    ClickLabel* m_image1;
};
