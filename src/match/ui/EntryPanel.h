#pragma once

#include <QHash>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class LineUp;
class MatchFile;
class MatchRecord;
class ProtocolGrid;
class QButtonGroup;
class QLabel;

// The entry panel `panel_eingaben`: the 26 header fields of the match, the protocol grid and
// the line-up buttons beside it. Every field is bound to the match record; leaving a field (or
// choosing another item of a radio group) writes the whole match file.
class EntryPanel : public QWidget
{
    Q_OBJECT
public:
    EntryPanel(MatchRecord& record, MatchFile& file, QWidget* parent = nullptr);

    ProtocolGrid* grid() const { return m_grid; }

    // The officials' lists from the referee list; without a list the three fields are plain
    // edits without a drop-down button.
    void setRefereeList(const std::optional<QStringList>& names);
    LineUp* lineUp() const { return m_lineUp; }

    // The licence-data file of the grid's lookup (the one beside the program).
    void setLicenceFile(const QString& path);

    // The hidden access code that shows the scoring columns when `zuschauer` is left with it.
    static QString accessCode() { return QStringLiteral("530718264"); }

    // Run when the operator leaves a header field or the grid, or picks a radio item.
    void fieldExit(const QString& field);
    void protokollExit();
    void radioClick(const QString& field, int index);

    // Told of bout rows firstRow..lastRow that were cleared, swapped, laid out anew or removed,
    // inside the action that changed them: what it throws is that action's failure.
    void setBoutRowsHook(std::function<void(int firstRow, int lastRow)> hook)
    {
        m_boutRowsHook = std::move(hook);
    }

signals:
    // A line-up template was applied: no bout is current any more (`kampfnr` "0").
    void lineUpApplied();

private:
    QWidget* makeLineUpButtons();
    QWidget* makeKeyHints();

    QWidget* makeControl(const QString& field);
    void showHeaderValue(const QString& field);
    void updateFileLabel();

    MatchRecord& m_record;
    MatchFile& m_file;
    ProtocolGrid* m_grid = nullptr;
    LineUp* m_lineUp = nullptr;
    std::function<void(int, int)> m_boutRowsHook;
    QLabel* m_pfaddateiname = nullptr;
    QHash<QString, QWidget*> m_controls;
    QHash<QString, QButtonGroup*> m_radioGroups;
};
