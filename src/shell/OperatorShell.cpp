#include "OperatorShell.h"

#include "Console.h"
#include "bout/KeyboardControl.h"
#include "match/MatchFields.h"
#include "platform/DocumentOpener.h"
#include "platform/IniFile.h"
#include "platform/UserError.h"

#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTime>

#include <cmath>
#include <optional>

OperatorShell::OperatorShell(Console& console, KeyboardControl& keyboard, QObject* parent)
    : QObject(parent), m_console(console), m_keyboard(keyboard), m_timer1(this), m_timer4(this)
{
    m_timer1.setInterval(50);
    connect(&m_timer1, &QTimer::timeout, this, &OperatorShell::Timer1Timer);
    m_timer4.setInterval(1000);
    connect(&m_timer4, &QTimer::timeout, this, &OperatorShell::Timer4Timer);
    m_timer4.start();
}

int OperatorShell::markerTarget(View view)
{
    static const int targets[] = {0, 101, 197, 295, 392, 489};
    return targets[view];
}

int OperatorShell::markerStep(int distance)
{
    const int step = int(std::nearbyint(distance * 0.2)); // the default rounding is half to even
    return std::max(step, 1);
}

void OperatorShell::Timer1Timer()
{
    const int d = std::abs(m_markerTop - m_markerPos);
    if (d == 0) {
        m_timer1.stop();
        return;
    }
    const int step = markerStep(d);
    m_markerPos += m_markerPos < m_markerTop ? step : -step;
    if (m_markerPos == m_markerTop)
        m_timer1.stop();
    emit markerMoved();
}

void OperatorShell::hideall()
{
    m_keyboard.setKeyboardActive(false);
}

void OperatorShell::showView(View view)
{
    hideall();
    m_view = view;
    m_markerTop = markerTarget(view);
    m_timer1.start();
    emit viewChanged();
}

void OperatorShell::Image3Click()
{
    if (m_console.matchFile().matchFileName().isEmpty()) {
        emit mymessage(QStringLiteral("Achtung!"),
                       QStringLiteral("Bitte wählen Sie zuerst eine Datei oder legen Sie eine neue an."));
        return;
    }
    showView(Eingaben);
}

void OperatorShell::Image4Click()
{
    showView(Drucken);
    m_boutChoices = boutChoiceList(m_console.record());
    emit boutChoicesChanged();
}

void OperatorShell::Image5Click()
{
    showView(Export);
    m_console.navigator().recountTeamScore();
}

QStringList OperatorShell::boutChoiceList(const MatchRecord& record)
{
    QStringList items;
    for (int r = 1; r < record.rowCount(); ++r)
        items << record.cell(MatchFields::ColKlasse, r) + QLatin1Char(' ') +
                     record.cell(MatchFields::ColStil, r) + QStringLiteral(": ") +
                     record.cell(MatchFields::ColNachnRot, r) + QStringLiteral(" - ") +
                     record.cell(MatchFields::ColNachnBlau, r);
    return items;
}

void OperatorShell::steuerungsansicht()
{
    showView(Kampf);
    m_keyboard.setKeyboardActive(true);
    BoutNavigator& nav = m_console.navigator();
    if (nav.kampfnr() != QLatin1String("0")) {
        nav.recountTeamScore();
        emit nav.updatekampf();
    } else {
        nav.setKampfnr(QStringLiteral("1"));
        nav.ladedaten();
    }
}

void OperatorShell::firstShow()
{
    Timer4Timer();
    Settings& settings = m_console.settings();
    std::optional<UserError> fault;
    {
        // A damaged set.xml has been set aside or its faulty values replaced by the time the
        // reading ends, so later changes are saved (Settings itself refuses to write over a file
        // it could not read).
        Settings::ReadingGuard reading(settings);
        try {
            settings.loadset();
        } catch (const UserError& e) {
            fault = e;
        }
        // A load that failed part-way may have filled the scale field already: the window
        // follows it either way, or "+" and "-" would step from a scale the hall does not see.
        m_console.audience().scaleBy(settings.scalePercent(), 100);
    }
    m_console.adverts().switchTimerForMode();
    drawTip();
    readLicenceDate(m_console.besideProgram(QStringLiteral("lizenzdaten.ini")));
    if (fault)
        throw *fault;
}

void OperatorShell::anzeige(const std::function<void()>& showAudience)
{
    QStringList faults;
    AdvertRotation& adverts = m_console.adverts();
    try {
        adverts.prepareDisplay();
    } catch (const UserError& e) {
        faults << e.message();
    }
    showAudience();
    try {
        steuerungsansicht();
    } catch (const AdvertError& e) {
        // Loading the first bout shows the mode's advert again: the same fault is told once.
        if (!adverts.advertFailedAtDisplay())
            faults << e.message();
    } catch (const UserError& e) {
        faults << e.message();
    }
    if (!faults.isEmpty())
        throw UserError(faults.join(QLatin1Char('\n')));
}

void OperatorShell::panel_kampfMouseDown(int x, int y)
{
    m_swipeStartX = x;
    m_swipeStartY = y;
}

void OperatorShell::panel_kampfMouseUp(int x, int y)
{
    const qint64 dy = m_swipeStartY - y;
    const qint64 dx = m_swipeStartX - x;
    if (dy > 100 && dx * dx * dx * dx < 20)
        showView(Eingaben); // the drag needs no open match file
}

const QStringList& OperatorShell::startTips()
{
    static const QStringList tips = {
        QStringLiteral("Mit den Pfeiltasten (hoch/runter) kann die Kampfzeit korrigiert werden."),
        QStringLiteral(
            "Über die Tastenkombinatio [Strg] + [0..9] kann ein Kampf direkt über seine Kampfnummer "
            "aufgerufen werden. ([0] steht dabei für Kampf Nr. 10)"),
        QStringLiteral(
            "In der Spalte Reihenfolge im Protokoll kann die Kampffolge geändert werden. Wichtig ist, dass "
            "auf jeden Fall jedem Kampf eine Kampfnummer in dieser Spalte zugeordnet wird."),
        QStringLiteral(
            "Mit der Funktion Ringer vorstellen werden dem Gewicht nach die Ringer angezeigt. Ist der Haken "
            "für die Vorstellung vor jedem Kampf gesetzt, so wird bei jedem neuen Kampf der "
            "Vorstellungsmodus angezeigt."),
        QStringLiteral(
            "Der Button \"Rot <-> Blau\" tauscht die Namen und Ergebnisse der Heim- und Gast-Ringer. Dies "
            "ist sinnvoll, wenn Vor- und Rückkampf an einem Tag stattfinden."),
    };
    return tips;
}

void OperatorShell::drawTip()
{
    // The global generator is seeded from the system's entropy, differently in every run.
    m_memo1 = startTips().at(int(QRandomGenerator::global()->bounded(5)));
    emit textsChanged();
}

void OperatorShell::hilfe()
{
    if (!openDocument(m_console.besideProgram(QStringLiteral("hilfe.pdf"))))
        throw UserError(QStringLiteral("Es ist ein Fehler aufgetreten."));
}

void OperatorShell::readLicenceDate(const QString& iniPath)
{
    if (!QFileInfo::exists(iniPath))
        return;
    m_datumlizenzdatei = QStringLiteral("Lizenzendatenbank vom ") +
                         IniFile::read(iniPath, QStringLiteral("allgemein"), QStringLiteral("datum"),
                                       QStringLiteral("Fehler"));
    emit textsChanged();
}

QString OperatorShell::wallClockText(const QTime& time)
{
    // The long format carries the time zone on this platform; the wall clock shows the time only.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale().toString(time, format.trimmed());
}

void OperatorShell::Timer4Timer()
{
    m_uhrzeit = wallClockText(QTime::currentTime());
    emit textsChanged();
}
