#pragma once

#include "OperatorShell.h"
#include "bout/Bout.h"
#include "bout/BoutClock.h"
#include "bout/BoutNavigator.h"
#include "bout/KeyboardControl.h"
#include "bout/ViewState.h"
#include "exchange/TarvoExchange.h"
#include "match/LineUp.h"
#include "match/MatchCreation.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "scoreboard/AdvertRotation.h"
#include "scoreboard/AudienceModel.h"
#include "settings/Settings.h"

#include <QObject>
#include <QString>

#include <memory>

class SignalSound;

// Owns the core objects of one running console and wires them together: every connection from
// one core object to another is made here, so the windows only bind controls to them.
class Console : public QObject
{
    Q_OBJECT
public:
    // `programFolder` is where the files beside the program live (signal.wav, ...). Without a
    // sound given, the system's sound output is used.
    explicit Console(const QString& programFolder, SignalSound* sound = nullptr, QObject* parent = nullptr);
    ~Console() override;

    QString programFolder() const { return m_programFolder; }
    // A file beside the program.
    QString besideProgram(const QString& name) const;

    MatchRecord& record() { return m_record; }
    MatchFile& matchFile() { return m_file; }
    BoutClock& clock() { return m_clock; }
    Bout& bout() { return m_bout; }
    BoutNavigator& navigator() { return m_navigator; }
    ViewState& view() { return m_view; }
    Settings& settings() { return m_settings; }
    MatchCreation& creation() { return m_creation; }
    AdvertRotation& adverts() { return m_adverts; }
    // Audience window contents: what the hall sees, fed from the bout, clock and navigator.
    AudienceModel& audience() { return m_audience; }
    // The line-up operations on the bout list; the bout on the panel follows the rows they rewrite.
    LineUp& lineUp() { return m_lineUp; }
    // The Tarvo database and the transfer into it.
    TarvoExchange& tarvo() { return m_tarvo; }
    // Keys of the bout panel.
    KeyboardControl& keyboard() { return m_keyboard; }
    // The operator window's frame: its views, menu marker, tip and wall clock.
    OperatorShell& shell() { return m_shell; }

    // True when the bout on the panel holds what its grid row does not (an action, a win type,
    // the clock moved or running): ending the program now would lose it. Evaluates and writes
    // nothing; false while no bout is loaded or the bout belongs to no row.
    bool boutUnwritten() const;

private:
    QString m_programFolder;
    std::unique_ptr<SignalSound> m_ownSound;
    MatchRecord m_record;
    MatchFile m_file;
    ViewState m_view;
    BoutClock m_clock;
    Bout m_bout;
    BoutNavigator m_navigator;
    Settings m_settings;
    MatchCreation m_creation{m_file, m_record, m_settings};
    AdvertRotation m_adverts{m_settings, m_record, m_navigator};
    // After the objects its feed reads.
    AudienceModel m_audience{m_bout, m_clock, m_navigator, m_view, m_settings};
    LineUp m_lineUp{m_record, m_file};
    TarvoExchange m_tarvo;
    KeyboardControl m_keyboard{m_bout, m_clock, m_navigator};
    // Last: it takes the whole console, whose other members it may reach from its first call.
    OperatorShell m_shell{*this, m_keyboard};
};
