#pragma once

#include <QColor>
#include <QTableView>

class MatchRecord;
class ProtocolModel;

// The protocol grid `protokoll`: one row per bout, every cell editable in place, the line-up
// columns painted in the colours of their side.
class ProtocolGrid : public QTableView
{
    Q_OBJECT
public:
    explicit ProtocolGrid(MatchRecord& record, QWidget* parent = nullptr);

    // Captions and widths of all columns as at window creation; the scoring columns hidden.
    void makestringgrid();
    // Shows the scoring strings and time stamps (access code); they stay visible for the run.
    void showScoringColumns();
    void setPassNumberCaptions(bool passNumbers);

    ProtocolModel* protocolModel() const { return m_model; }

    // Fill colour of a bout cell in `column`; invalid for columns drawn the grid's own way.
    static QColor columnColour(int column);
    static int designWidth(int column);

private:
    ProtocolModel* m_model;
};
