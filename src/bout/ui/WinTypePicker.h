#pragma once

#include <QDialog>
#include <QPixmap>

class Bout;
class ClickLabel;
class QLabel;

// One of the console's scoring pictures (resources/pictures), drawn sharp for a control of
// `size` on a screen with the given device pixel ratio.
QPixmap scoringPicture(const QString& file, const QSize& size, qreal devicePixelRatio);
// Gives `label` its picture the first time it is shown: drawing the pictures is left out of
// the console's start-up.
void setScoringPictureWhenShown(QLabel* label, const QString& file);

// The win-type picker `TForm4`: the win types without a key of their own, one click each.
// A command click sends its command to the bout and closes the picker (accepted); "Schließen"
// closes it without a command (rejected). Meant to be shown modally; the timers run on.
class WinTypePicker : public QDialog
{
    Q_OBJECT
public:
    explicit WinTypePicker(Bout& bout, QWidget* parent = nullptr);

    static QSize clientSize() { return {625, 218}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* caption(const QString& text, const QRect& geometry, const QColor& colour);
    void addCommand(ClickLabel* control, const QString& cmd);

    Bout& m_bout;
};
