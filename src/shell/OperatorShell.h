#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class Console;
class KeyboardControl;

// The frame of the operator window: which of the six views is shown, the sliding menu marker,
// the upward drag on the bout panel, the start tip, the licence-data date line and the wall
// clock. It holds the rules; the window only shows them.
class OperatorShell : public QObject
{
    Q_OBJECT
public:
    enum View
    {
        Start,
        Eingaben,
        Kampf,
        Drucken,
        Export,
        Einrichten
    };

    OperatorShell(Console& console, KeyboardControl& keyboard, QObject* parent = nullptr);

    View currentView() const { return m_view; }
    // `markerTop` is where the menu marker `Shape1` slides to; markerPos() is where it is.
    int markerTop() const { return m_markerTop; }
    int markerPos() const { return m_markerPos; }
    static int markerTarget(View view);
    // One 50 ms step of the marker for a distance d > 0: a fifth of it, rounded half to even,
    // at least 1.
    static int markerStep(int distance);
    // The marker is still on its way to markerTop() (the 50 ms timer ticks).
    bool markerMoving() const { return m_timer1.isActive(); }

    // Menu pictures, in menu order.
    void Image2Click() { showView(Start); }
    void Image3Click();
    void Image1Click() { steuerungsansicht(); }
    // Fills the print panel's bout choice list.
    void Image4Click();
    void Image5Click();
    void Image6Click() { showView(Einrichten); }

    void hideall();
    void steuerungsansicht();

    // The first show of the operator window: the wall clock, set.xml read with saving held off,
    // the audience window scaled to the stored scale, the advert timer for the mode, the tip and
    // the licence-data date. A fault in set.xml does not stop the start: it goes on with what
    // was read and the defaults, and the fault is thrown at the end.
    void firstShow();
    // "Anzeige": the adverts are prepared, `showAudience` shows the audience window, then the
    // bout view, each whatever the step before did (the hall gets its window whatever the
    // adverts do). The faults are thrown at the end as one UserError, an advert that fails
    // again when the first bout is loaded only once.
    void anzeige(const std::function<void()>& showAudience);

    // The upward drag on the bout panel's own surface.
    void panel_kampfMouseDown(int x, int y);
    void panel_kampfMouseUp(int x, int y);

    // Items of the print panel's bout choice list `ComboBox1` (item k is grid row k + 1).
    QStringList boutChoices() const { return m_boutChoices; }
    static QStringList boutChoiceList(const class MatchRecord& record);

    static const QStringList& startTips();
    // Draws one of the five tips; every run draws anew.
    void drawTip();
    QString memo1() const { return m_memo1; }

    // "Hilfe": opens hilfe.pdf beside the program with the desktop's viewer; throws
    // "Es ist ein Fehler aufgetreten." when there is none or the file is missing.
    void hilfe();

    // "Lizenzendatenbank vom " + date of the licence-data file, or unchanged when it is missing.
    void readLicenceDate(const QString& iniPath);
    QString datumlizenzdatei() const { return m_datumlizenzdatei; }

    QString uhrzeit() const { return m_uhrzeit; }
    // The wall clock text for a time, in the long time format without the zone.
    static QString wallClockText(const QTime& time);

public slots:
    void Timer1Timer();
    void Timer4Timer();

signals:
    void viewChanged();
    void markerMoved();
    void boutChoicesChanged();
    // The message window is to show a message (modal).
    void mymessage(const QString& title, const QString& text);
    void textsChanged();

private:
    void showView(View view);

    Console& m_console;
    KeyboardControl& m_keyboard;
    View m_view = Start;
    int m_markerTop = 0;
    int m_markerPos = 0;
    int m_swipeStartX = 0;
    int m_swipeStartY = 0;
    QTimer m_timer1;
    QTimer m_timer4;
    QStringList m_boutChoices;
    QString m_memo1 = QStringLiteral("Tipp\n");
    QString m_datumlizenzdatei;
    QString m_uhrzeit = QStringLiteral("0:00");
};
