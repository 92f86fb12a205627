#include "ProtocolModel.h"

#include "match/MatchRecord.h"

ProtocolModel::ProtocolModel(MatchRecord& record, QObject* parent)
    : QAbstractTableModel(parent), m_record(record)
{
    connect(&record, &MatchRecord::rowsAboutToReset, this, &ProtocolModel::beginResetModel);
    connect(&record, &MatchRecord::rowsReset, this, &ProtocolModel::endResetModel);
    connect(&record, &MatchRecord::cellChanged, this, [this](int column, int row) {
        const QModelIndex i = index(row - 1, column);
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    });
}

int ProtocolModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_record.rowCount() - 1;
}

int ProtocolModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : MatchFields::ColumnCount;
}

QVariant ProtocolModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_record.cell(index.column(), index.row() + 1);
}

bool ProtocolModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    m_record.setCell(index.column(), index.row() + 1, value.toString());
    return true;
}

Qt::ItemFlags ProtocolModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant ProtocolModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return MatchFields::columnCaption(section, m_passNumbers);
    return section + 1;
}

void ProtocolModel::setPassNumberCaptions(bool passNumbers)
{
    if (m_passNumbers == passNumbers)
        return;
    m_passNumbers = passNumbers;
    emit headerDataChanged(Qt::Horizontal, MatchFields::ColLizenzRot, MatchFields::ColLizenzBlau);
}
