#pragma once

#include <QHash>
#include <QStringList>
#include <QWidget>

#include <optional>

class LineUp;
class MatchFile;
class MatchRecord;
class ProtocolGrid;
class QButtonGroup;
class QLabel;

// The entry panel `panel_eingaben`: the 26 header fields of the match, the protocol grid and
// the line-up buttons beside it. Every field is bound to the match record; leaving a field (or
// choosing another item of a radio group) writes the whole match file. The buttons and a row
// cleared in the grid go to the line-up, which tells its listener of the rewritten rows.
class EntryPanel : public QWidget
{
    Q_OBJECT
public:
    EntryPanel(MatchRecord& record, MatchFile& file, LineUp& lineUp, QWidget* parent = nullptr);

    ProtocolGrid* grid() const { return m_grid; }

    // The officials' lists from the referee list; without a list the three fields are plain
    // edits without a drop-down button.
    void setRefereeList(const std::optional<QStringList>& names);

    // The licence-data file of the grid's lookup (the one beside the program).
    void setLicenceFile(const QString& path);

    // The hidden access code that shows the scoring columns when `zuschauer` is left with it.
    static QString accessCode() { return QStringLiteral("530718264"); }

    // Run when the operator leaves a header field or the grid, or picks a radio item.
    void fieldExit(const QString& field);
    void protokollExit();
    void radioClick(const QString& field, int index);

private:
    QWidget* makeLineUpButtons();
    QWidget* makeKeyHints();

    QWidget* makeControl(const QString& field);
    void showHeaderValue(const QString& field);
    void updateFileLabel();

    MatchRecord& m_record;
    MatchFile& m_file;
    ProtocolGrid* m_grid = nullptr;
    LineUp& m_lineUp;
    QLabel* m_pfaddateiname = nullptr;
    QHash<QString, QWidget*> m_controls;
    QHash<QString, QButtonGroup*> m_radioGroups;
};
