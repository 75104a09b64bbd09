#pragma once

#include "platform/Recordset.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVariantMap>

#include <memory>

class Database;

// A record source bound to a grid: the SQL text (with bound values where typed text goes
// in), the database it reads, and a refresh that reads it anew.
class DataControl final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);

    void setDatabase(std::shared_ptr<Database> db) { m_db = std::move(db); }
    const std::shared_ptr<Database>& database() const { return m_db; }
    QString DatabaseName() const;

    void setRecordSource(const QString& sql, const QVariantMap& parameters = {});
    const QString& RecordSource() const { return m_sql; }
    const QVariantMap& RecordSourceParameters() const { return m_parameters; }

    // Reads the record source again. Raises RuntimeError when the query fails; the rows
    // shown before stay then.
    void Refresh();

    const Recordset& Recordset_() const { return m_rows; }
    QVariant value(int row, const QString& field) const;
    int fieldIndex(const QString& field) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<Database> m_db;
    QString m_sql;
    QVariantMap m_parameters;
    Recordset m_rows;
};
