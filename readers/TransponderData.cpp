#include "readers/TransponderData.h"

#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"

namespace {

constexpr long NoCurrentRecord = RuntimeError::NoCurrentRecord;

const QStringList& columnNames() {
    static const QStringList names{QStringLiteral("TransponderID"), QStringLiteral("Startnummer")};
    return names;
}

} // namespace

TransponderData::TransponderData(QObject* parent) : QAbstractTableModel(parent) {}

Database& TransponderData::database() const {
    if (!m_db || !m_db->isOpen())
        throw RuntimeError::ObjectNotSet();
    return *m_db;
}

void TransponderData::Refresh() {
    Recordset rs = database().OpenRecordset(
        QStringLiteral("select ID, TransponderID, Startnummer from Transponder order by ID"));
    QVector<Row> rows;
    rows.reserve(rs.RecordCount());
    for (const auto& r : rs.rows())
        rows.push_back({r.value(0).toLongLong(), r.value(1).toString(), r.value(2)});
    beginResetModel();
    m_rows = std::move(rows);
    m_addingNew = false;
    m_current = m_rows.isEmpty() ? -1 : 0;
    endResetModel();
    emit currentChanged();
}

void TransponderData::setCurrentRow(int row) {
    if (row < 0 || row >= m_rows.size() || (row == m_current && !m_addingNew))
        return;
    m_current = row;
    m_addingNew = false;
    emit currentChanged();
}

void TransponderData::MoveLast() {
    m_addingNew = false;
    m_current = static_cast<int>(m_rows.size()) - 1;
    emit currentChanged();
}

QString TransponderData::currentField(const QString& name) const {
    if (m_addingNew || m_current < 0 || m_current >= m_rows.size())
        return {};
    const Row& r = m_rows[m_current];
    return name.compare(columnNames()[0], Qt::CaseInsensitive) == 0 ? r.transponderId
                                                                    : r.startnummer.toString();
}

void TransponderData::AddNew() {
    database();
    m_addingNew = true;
    emit currentChanged();
}

void TransponderData::Update(const QString& transponderId, const QString& startnummer) {
    Database& db = database();
    QVariantMap values{
        {QStringLiteral("id"), transponderId},
        {QStringLiteral("nr"), startnummer.trimmed().isEmpty() ? QVariant() : QVariant(startnummer)}};
    if (m_addingNew || m_current < 0) {
        db.ExecuteSql(
            QStringLiteral("insert into Transponder (TransponderID, Startnummer) values (:id, :nr)"), values);
    } else {
        values.insert(QStringLiteral("key"), m_rows[m_current].key);
        db.ExecuteSql(
            QStringLiteral("update Transponder set TransponderID = :id, Startnummer = :nr where ID = :key"),
            values);
    }
    m_addingNew = false;
}

void TransponderData::Delete() {
    if (m_addingNew || m_current < 0 || m_current >= m_rows.size())
        throw RuntimeError(NoCurrentRecord, "Kein aktueller Datensatz.");
    database().ExecuteSql(QStringLiteral("delete from Transponder where ID = :key"),
                          {{QStringLiteral("key"), m_rows[m_current].key}});
}

int TransponderData::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TransponderData::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TransponderData::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Row& r = m_rows[index.row()];
    return index.column() == 0 ? QVariant(r.transponderId) : r.startnummer;
}

QVariant TransponderData::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < 2)
        return columnNames()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
