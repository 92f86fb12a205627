#include "MessageWindow.h"

#include "widgets/ClickLabel.h"
#include "widgets/Dialogs.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QScreen>

#include <cmath>

MessageWindow::MessageWindow(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("TForm3"));
    setModal(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setWindowOpacity(240.0 / 255.0);

    m_shape1 = new QFrame(this);
    m_shape1->setObjectName(QStringLiteral("Shape1"));
    m_shape1->setGeometry(137, 104, 625, 19);
    m_shape1->setAutoFillBackground(true);
    QPalette sp = m_shape1->palette();
    sp.setColor(QPalette::Window, QColor(0, 0, 128));
    m_shape1->setPalette(sp);

    // The same stand-ins as the operator window's font, so the box reads like the console.
    QFont tahoma;
    tahoma.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    tahoma.setStyleHint(QFont::SansSerif);
    tahoma.setPointSize(12);

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = tahoma;
    bold.setBold(true);
    m_label1->setFont(bold);
    m_label1->setStyleSheet(QStringLiteral("color: yellow; background: transparent;"));
    m_label1->setGeometry(138, 104, 620, 19);

    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    m_memo1->setReadOnly(true);
    m_memo1->setFrameShape(QFrame::NoFrame);
    m_memo1->setFont(tahoma);
    m_memo1->setStyleSheet(QStringLiteral("color: white; background: rgb(0, 128, 128);"));
    m_memo1->setGeometry(136, 129, 492, 128);

    m_image1 = new ClickLabel(QString(), this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(634, 129, 127, 128);
    m_image1->setAlignment(Qt::AlignCenter);
    m_image1->setPixmap(QPixmap(QStringLiteral(":/menu/schliessen.svg")));
    m_image1->setToolTip(QStringLiteral("Schließen"));
    connect(m_image1, &ClickLabel::clicked, this, &QDialog::accept);
}

QString MessageWindow::title() const
{
    return m_label1->text();
}

QString MessageWindow::text() const
{
    return m_memo1->toPlainText();
}

int MessageWindow::boxLeft(int windowWidth)
{
    // On a screen narrower than the box its left edge stays on screen (the text box starts one
    // pixel left of the title bar), so the title and the start of every line can be read.
    return std::max(1, int(std::nearbyint(windowWidth / 2.0 - 625 / 2.0)));
}

void MessageWindow::mitte()
{
    const int left = boxLeft(width());
    m_shape1->move(left, m_shape1->y());
    m_label1->move(left + 1, m_label1->y());
    m_memo1->move(left - 1, m_memo1->y());
    // The close picture is the only way out of the window: it always stays on screen.
    m_image1->move(std::min(left + 497, std::max(0, width() - m_image1->width())), m_image1->y());
}

void MessageWindow::keyPressEvent(QKeyEvent* event)
{
    // Only the close picture closes the message; Esc or Enter must not dismiss it unread.
    event->accept();
}

void MessageWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    mitte();
}

void MessageWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    mitte();
}

void MessageWindow::mymessage(const QString& title, const QString& text)
{
    m_label1->setText(title);
    m_memo1->setPlainText(text);
    if (MessageBox::testMode()) {
        MessageBox::recordShown(title + QStringLiteral(": ") + text);
        return;
    }
    if (QScreen* s = screen())
        setGeometry(s->geometry());
    showMaximized();
    exec();
}
