#pragma once

#include "match/GridRules.h"

#include <QColor>
#include <QTableView>

#include <functional>

class MatchRecord;
class ProtocolModel;

// The protocol grid `protokoll`: one row per bout, every cell editable in place, the line-up
// columns painted in the colours of their side. Moving to another cell looks up the licence of
// the cell left; Ctrl+Del and Shift+Del clear the row selected last.
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

    // The licence-data file the lookup reads; "" finds no file.
    void setLicenceFile(const QString& path) { m_licenceFile = path; }
    QString licenceFile() const { return m_licenceFile; }

    // The cell selected last (`gridCol`, `gridRow`, grid rows: 1 is the first bout).
    int gridCol() const { return m_remembered.column; }
    int gridRow() const { return m_remembered.row; }

    // Fill colour of a bout cell in `column`; invalid for columns drawn the grid's own way.
    static QColor columnColour(int column);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Told when Ctrl+Del or Shift+Del cleared a bout row, inside the key's guarded action, so
    // that what the listener throws is shown like any failure of the key.
    void setRowClearedHook(std::function<void(int row)> hook) { m_rowClearedHook = std::move(hook); }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static bool isClearingKey(const QKeyEvent* event);
    void protokollSelectCell(int column, int row);
    void protokollKeyDown(const QKeyEvent* event);

    ProtocolModel* m_model;
    GridRules::GridCell m_remembered;
    std::function<void(int)> m_rowClearedHook;
    QString m_licenceFile;
};
