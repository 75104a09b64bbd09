#include "results/DataControl.h"

#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"

#include <algorithm>

namespace {

// Pages kept at once: the view in sight plus some scrolling, whatever the run's length.
constexpr int MaxPages = 16;

QString withoutTrailingSemicolon(QString sql) {
    sql = sql.trimmed();
    while (sql.endsWith(';'))
        sql.chop(1);
    return sql;
}

} // namespace

DataControl::DataControl(QObject* parent) : QAbstractTableModel(parent) {}

QString DataControl::DatabaseName() const {
    return m_db ? m_db->Name() : QString();
}

void DataControl::setRecordSource(const QString& sql, const QVariantMap& parameters, const QString& countSql,
                                  const QString& reverseSql) {
    m_sql = withoutTrailingSemicolon(sql);
    m_countSql = countSql.isEmpty() ? "SELECT COUNT(*) FROM (" + m_sql + ")" : countSql;
    m_reverseSql = withoutTrailingSemicolon(reverseSql);
    m_parameters = parameters;
}

void DataControl::Refresh() {
    if (!m_db)
        throw RuntimeError::ObjectNotSet();
    QStringList names = m_fieldNames;
    if (m_namesOf != m_sql) {
        Recordset shape = m_db->OpenRecordset(m_sql + " LIMIT 0", m_parameters);
        names = shape.FieldNames();
    }
    // The stamp and the count of one moment.
    Database::ChangeStamp stamp;
    int count = 0;
    {
        ReadSnapshot snapshot(*m_db);
        stamp = m_db->changeStamp();
        count = countRows();
    }

    resetRows(names, count);
    m_counted = true;
    m_countedSql = m_sql;
    m_countedParameters = m_parameters;
    m_countedAt = stamp;
    m_pagesAt = stamp;
}

int DataControl::countRows() const {
    Recordset counted = m_db->OpenRecordset(m_countSql, m_parameters);
    return counted.RecordCount() > 0 ? counted.Fields(0).toInt() : 0;
}

void DataControl::RefreshAdded(int added, const Database::ChangeStamp& before,
                               const Database::ChangeStamp& after) {
    if (!m_db)
        throw RuntimeError::ObjectNotSet();
    if (!m_counted || m_namesOf != m_sql || m_countedSql != m_sql || m_countedParameters != m_parameters ||
        !(m_countedAt == before)) {
        Refresh();
        return;
    }
    resetRows(m_fieldNames, m_count + added);
    m_countedAt = after;
    m_pagesAt = after;
}

void DataControl::RefreshRows() {
    if (!m_db)
        throw RuntimeError::ObjectNotSet();
    const Database::ChangeStamp now = m_db->changeStamp();
    RefreshAdded(0, now, now);
}

void DataControl::resetRows(const QStringList& names, int count) {
    beginResetModel();
    m_fieldNames = names;
    m_namesOf = m_sql;
    mapColumns();
    m_count = count;
    m_pagesCount = count;
    m_newCountPending = false;
    m_pages.clear();
    m_rowStyles.clear();
    m_pending.clear();
    endResetModel();
}

void DataControl::takeRowsOfNow() {
    if (!m_newCountPending)
        return;
    m_newCountPending = false;
    // Rows added or taken at the end, the others shown anew: the grid keeps its place and
    // selection.
    if (m_pagesCount > m_count) {
        beginInsertRows({}, m_count, m_pagesCount - 1);
        m_count = m_pagesCount;
        endInsertRows();
    } else if (m_pagesCount < m_count) {
        beginRemoveRows({}, m_pagesCount, m_count - 1);
        m_count = m_pagesCount;
        endRemoveRows();
    }
    m_countedAt = m_pagesAt;
    if (m_count > 0)
        emit dataChanged(index(0, 0), index(m_count - 1, columnCount() - 1));
}

QVector<DataControl::Row> DataControl::readPage(int p) const {
    ReadSnapshot snapshot(*m_db);
    const Database::ChangeStamp now = m_db->changeStamp();
    if (!(now == m_pagesAt)) {
        // Written since the rows were counted: positions counted from the end have moved, and
        // rows already read may be gone. Count again in this moment and forget the others.
        m_pagesCount = countRows();
        m_pagesAt = now;
        m_pages.clear();
        m_rowStyles.clear();
        if (!m_newCountPending) {
            // Not while the grid may be painting: the new count is taken from the event loop.
            m_newCountPending = true;
            QMetaObject::invokeMethod(const_cast<DataControl*>(this), &DataControl::takeRowsOfNow,
                                      Qt::QueuedConnection);
        }
    }
    const qint64 count = m_pagesCount;
    const qint64 first = qint64(p) * PageSize;
    const qint64 end = std::min<qint64>(first + PageSize, count);
    QVariantMap parameters = m_parameters;
    if (!m_reverseSql.isEmpty() && first >= count / 2 && end > first) {
        // From the end: the offset is the rows after this page, small for the newest rows.
        parameters.insert("pageSize", end - first);
        parameters.insert("pageOffset", count - end);
        QVector<Row> rows =
            m_db->OpenRecordset(m_reverseSql + " LIMIT :pageSize OFFSET :pageOffset", parameters).rows();
        std::reverse(rows.begin(), rows.end());
        return rows;
    }
    parameters.insert("pageSize", PageSize);
    parameters.insert("pageOffset", first);
    return m_db->OpenRecordset(m_sql + " LIMIT :pageSize OFFSET :pageOffset", parameters).rows();
}

const QVector<DataControl::Row>& DataControl::page(int p) const {
    const auto it = m_pages.constFind(p);
    if (it != m_pages.constEnd())
        return *it;
    if (!m_db)
        throw RuntimeError::ObjectNotSet();
    QVector<Row> rows = readPage(p);
    if (m_pages.size() >= MaxPages)
        m_pages.clear();
    return *m_pages.insert(p, std::move(rows));
}

const DataControl::Row* DataControl::row(int r) const {
    if (r < 0 || r >= m_count)
        return nullptr;
    const QVector<Row>& rows = page(r / PageSize);
    const int i = r % PageSize;
    // The table may have shrunk since the count; the row is then simply not there.
    return i < rows.size() ? &rows[i] : nullptr;
}

int DataControl::fieldIndex(const QString& field) const {
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void DataControl::mapColumns() {
    m_columnFields.clear();
    for (const Column& c : m_columns)
        m_columnFields << fieldIndex(c.field);
}

QVariant DataControl::value(int r, const QString& field) const {
    const int col = fieldIndex(field);
    if (col < 0)
        return {};
    const Row* values = row(r);
    return values && col < values->size() ? values->at(col) : QVariant();
}

Recordset DataControl::Recordset_() const {
    QVector<Row> rows;
    rows.reserve(m_count);
    for (int r = 0; r < m_count; ++r) {
        const Row* values = row(r);
        if (!values)
            break;
        rows << *values;
    }
    return Recordset(m_fieldNames, std::move(rows));
}

QStringList DataControl::rowTexts(int r) const {
    const Row* values = row(r);
    QStringList out;
    for (int c = 0; c < columnCount(); ++c) {
        const int f = sourceField(c);
        out << (values && f >= 0 && f < values->size() ? values->at(f).toString() : QString());
    }
    return out;
}

void DataControl::setColumns(QVector<Column> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    mapColumns();
    endResetModel();
}

int DataControl::sourceField(int column) const {
    if (m_columns.isEmpty())
        return column;
    return column >= 0 && column < m_columnFields.size() ? m_columnFields[column] : -1;
}

void DataControl::redrawRows() {
    m_rowStyles.clear();
    if (m_count > 0)
        emit dataChanged(index(0, 0), index(m_count - 1, columnCount() - 1));
}

QString DataControl::styleOf(int r) const {
    const auto it = m_rowStyles.constFind(r);
    if (it != m_rowStyles.constEnd())
        return *it;
    const QString name = m_rowLoaded ? m_rowLoaded(r) : QString();
    m_rowStyles.insert(r, name);
    return name;
}

int DataControl::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

int DataControl::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_columns.isEmpty() ? static_cast<int>(m_fieldNames.size()) : static_cast<int>(m_columns.size());
}

QVariant DataControl::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    try {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            const int col = sourceField(index.column());
            const auto held = m_pending.find(index.row());
            if (held != m_pending.end() && held->second.contains(col))
                return held->second.value(col);
            const Row* values = row(index.row());
            const QVariant v = values && col >= 0 && col < values->size() ? values->at(col) : QVariant();
            // Typing starts from the text, whatever the field's type.
            return role == Qt::EditRole ? QVariant(v.toString()) : v;
        }
        case Qt::ForegroundRole: {
            const QColor c = m_foreColors.value(index.column());
            return c.isValid() ? QVariant(c) : QVariant();
        }
        case Qt::BackgroundRole:
        case Qt::FontRole: {
            if (index.column() != m_styledColumn)
                return {};
            const QString name = styleOf(index.row());
            if (name.isEmpty() || !m_styles.contains(name))
                return {};
            const CellStyle& style = m_styles[name];
            return role == Qt::BackgroundRole ? QVariant(style.backColor) : QVariant(style.font);
        }
        default:
            return {};
        }
    } catch (const RuntimeError&) {
        // A page that cannot be read shows empty cells; the next paint reads it again.
        return {};
    }
}

QVariant DataControl::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_columns.isEmpty() ? m_fieldNames[section] : m_columns[section].caption;
}

// ----- typing into the grid -------------------------------------------------------------------

void DataControl::setUpdateTarget(const QString& table, const QString& keyField) {
    m_updateTable = table;
    m_keyField = keyField;
}

void DataControl::setColumnLocked(int column, bool locked) {
    m_unlocked.insert(column, !locked);
}

void DataControl::setColumnForeColor(int column, const QColor& color) {
    m_foreColors.insert(column, color);
    if (m_count > 0)
        emit dataChanged(index(0, column), index(m_count - 1, column), {Qt::ForegroundRole});
}

Qt::ItemFlags DataControl::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !columnLocked(index.column()) && !m_updateTable.isEmpty())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataControl::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int col = sourceField(index.column());
    if (col < 0)
        return false;
    m_pending[index.row()].insert(col, value);
    emit dataChanged(index, index);
    return true;
}

std::vector<QVariantMap> DataControl::Update() {
    std::vector<QVariantMap> written;
    std::map<int, QHash<int, QVariant>> pending;
    pending.swap(m_pending);
    const int key = fieldIndex(m_keyField);
    for (const auto& [r, values] : pending) {
        const Row* current = row(r);
        if (!m_db || !current || key < 0 || key >= current->size())
            continue;
        QString assignments;
        QVariantMap parameters{{"rowKey", current->at(key)}};
        for (auto it = values.begin(); it != values.end(); ++it) {
            const QString name = QStringLiteral("v%1").arg(it.key());
            assignments += (assignments.isEmpty() ? "" : ", ") + m_fieldNames[it.key()] + " = :" + name;
            parameters.insert(name, it.value());
        }
        m_db->ExecuteSql("UPDATE " + m_updateTable + " SET " + assignments + " WHERE " + m_keyField +
                             " = :rowKey",
                         parameters);
        // The page keeps what was written, so the row shows it until the next refresh.
        Row stored = *current;
        for (auto it = values.begin(); it != values.end(); ++it)
            stored[it.key()] = it.value();
        m_pages[r / PageSize][r % PageSize] = stored;
        QVariantMap fields;
        for (int f = 0; f < m_fieldNames.size() && f < stored.size(); ++f)
            fields.insert(m_fieldNames[f], stored[f]);
        written.push_back(fields);
        emit dataChanged(index(r, 0), index(r, columnCount() - 1));
    }
    return written;
}
