#include "readers/InfoTextModel.h"

#include <QBrush>

void InfoTextModel::append(const QString& text) {
    m_rows.append(text);
}

void InfoTextModel::show() {
    const int all = static_cast<int>(m_rows.size());
    if (all == m_shown)
        return;
    beginInsertRows({}, m_shown, all - 1);
    m_shown = all;
    endInsertRows();
}

void InfoTextModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_shown = 0;
    endResetModel();
}

int InfoTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int InfoTextModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant InfoTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown)
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
