#pragma once

#include <QWidget>

// The audience window `TForm1`: the scoreboard shown to the hall, hidden until "Anzeige".
class AudienceWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AudienceWindow(QWidget* parent = nullptr);
};
