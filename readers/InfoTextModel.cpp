#include "readers/InfoTextModel.h"

#include <QBrush>

void InfoTextModel::append(const QString& text) {
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(text);
    endInsertRows();
}

void InfoTextModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int InfoTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int InfoTextModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant InfoTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_rows[index.row()];
    // Every row in the style set "white".
    if (role == Qt::BackgroundRole)
        return QBrush(Qt::white);
    if (role == Qt::ForegroundRole)
        return QBrush(Qt::black);
    return {};
}

QVariant InfoTextModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return QStringLiteral("InfoText");
    return QAbstractTableModel::headerData(section, orientation, role);
}
