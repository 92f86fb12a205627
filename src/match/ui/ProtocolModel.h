#pragma once

#include <QAbstractTableModel>

class MatchRecord;

// The protocol grid's view of the match record: model row i is bout row i + 1, model column c
// is bout column c. The caption row is the horizontal header.
class ProtocolModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ProtocolModel(MatchRecord& record, QObject* parent = nullptr);

    MatchRecord& record() const { return m_record; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Captions of columns 5 and 12: "PassNr" when pass numbers are entered, else "Lizenz".
    void setPassNumberCaptions(bool passNumbers);

private:
    MatchRecord& m_record;
    bool m_passNumbers = false;
};
