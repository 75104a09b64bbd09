#include "results/DataControl.h"

#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"

DataControl::DataControl(QObject* parent) : QAbstractTableModel(parent) {}

QString DataControl::DatabaseName() const {
    return m_db ? m_db->Name() : QString();
}

void DataControl::setRecordSource(const QString& sql, const QVariantMap& parameters) {
    m_sql = sql;
    m_parameters = parameters;
}

void DataControl::Refresh() {
    if (!m_db)
        throw RuntimeError(RuntimeError::DatabaseClosed, "Objekt ist ungültig oder nicht mehr festgelegt.");
    Recordset fresh = m_db->OpenRecordset(m_sql, m_parameters);
    beginResetModel();
    m_rows = std::move(fresh);
    endResetModel();
}

int DataControl::fieldIndex(const QString& field) const {
    return static_cast<int>(m_rows.FieldNames().indexOf(field));
}

QVariant DataControl::value(int row, const QString& field) const {
    const int col = fieldIndex(field);
    if (row < 0 || row >= m_rows.rows().size() || col < 0)
        return {};
    return m_rows.rows()[row][col];
}

int DataControl::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.rows().size());
}

int DataControl::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.FieldCount();
}

QVariant DataControl::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_rows.rows()[index.row()][index.column()];
}

QVariant DataControl::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= m_rows.FieldCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_rows.FieldNames()[section];
}
