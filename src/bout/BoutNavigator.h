#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Bout;
class BoutClock;
class MatchFile;
class MatchRecord;
class ViewState;

// Ends a bout (evaluation into its grid row, save) and loads another one onto the bout panel.
class BoutNavigator : public QObject
{
    Q_OBJECT
public:
    BoutNavigator(MatchRecord& record, MatchFile& file, Bout& bout, BoutClock& clock, ViewState& view,
                  QObject* parent = nullptr);

    // Current bout number (order number of the loaded bout), "0" while none is loaded.
    QString kampfnr() const { return m_kampfnr; }
    void setKampfnr(const QString& value);
    // Grid row of the loaded bout; "0" when the current bout number matches no row, which
    // makes the next naechsterkampf skip the evaluation.
    QString kampfid() const { return m_kampfid; }
    // The clock text the bout of grid row `row` loads with: its stored time, or "0:00" where
    // less than "m:ss" is stored.
    QString loadedClock(int row) const;

    // Texts of the bout panel that come from the loaded row and the header.
    QString rot() const { return m_rot; }
    QString blau() const { return m_blau; }
    QString gewrot() const { return m_gewrot; }
    QString gewblau() const { return m_gewblau; }
    QString gew() const { return m_gew; }
    QString heimverein() const { return m_heimverein; }
    QString gastverein() const { return m_gastverein; }
    // The team score: sums of the bout rows' points.
    QString punkteheim() const { return m_punkteheim; }
    QString punktegast() const { return m_punktegast; }
    // The officials' lines of the audience window ("MP: ...", "KR: ...", "PR: ...").
    QString audienceMp() const { return m_audienceMp; }
    QString audienceKr() const { return m_audienceKr; }
    QString audiencePr() const { return m_audiencePr; }

    // "Bei Kampfwechsel auf Ringervorstellung umschalten".
    bool kampfvorstellung() const { return m_kampfvorstellung; }
    void setKampfvorstellung(bool ticked) { m_kampfvorstellung = ticked; }

    // 999 next, 888 previous, any other n the bout with order number n.
    void naechsterkampf(int n);
    void ladedaten();
    // Bout rows firstRow..lastRow were rewritten or removed by a bout-list operation. If the
    // loaded bout's row is among them, the bout is loaded again by its number, so that the
    // panel never writes back what the row no longer says; it belongs to no row ("0") when no
    // row carries its number any more.
    void followRows(int firstRow, int lastRow);
    // punkteheim/punktegast := the sums of the team points of all bout rows. Throws the
    // conversion error at a cell that is not a whole number (the partial sums stay).
    void recountTeamScore();

    // Shows the advert of a newly loaded bout; a failure ends ladedaten with its message.
    void setAdvertHook(std::function<void()> hook) { m_advertHook = std::move(hook); }

signals:
    // A bout was loaded: the feed rewrites the whole scoreboard.
    void updatekampf();
    // The advert of the loaded bout is due.
    void werbungaktu();
    // The audience window's injury labels are to be hidden (a bout was loaded).
    void injuryLabelsHidden();
    // Any text of the bout panel changed.
    void changed();

private:
    bool m_kampfvorstellung = false;
    MatchRecord& m_record;
    MatchFile& m_file;
    Bout& m_bout;
    BoutClock& m_clock;
    ViewState& m_view;
    QString m_kampfnr = QStringLiteral("0");
    QString m_kampfid = QStringLiteral("1");
    std::function<void()> m_advertHook;
    // Written by ladedaten alone, the team score also by recountTeamScore.
    QString m_rot, m_blau, m_gewrot, m_gewblau, m_gew, m_heimverein, m_gastverein;
    QString m_punkteheim = QStringLiteral("0"), m_punktegast = QStringLiteral("0");
    QString m_audienceMp, m_audienceKr, m_audiencePr;
};
