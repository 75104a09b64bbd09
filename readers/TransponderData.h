#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

class Database;

// The data control of the assignment list: the whole table Transponder with a current
// record, which the bound boxes show and edit. Writes go through this control, not through
// a stored query, as the list is edited in place.
class TransponderData final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TransponderData(QObject* parent = nullptr);

    void setDatabase(std::shared_ptr<Database> db) { m_db = std::move(db); }

    // Reads the table anew and makes the first row current. Raises RuntimeError.
    void Refresh();

    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void MoveLast();
    // The field of the current record, "" when there is none or a new record is being made.
    QString currentField(const QString& name) const;

    // Starts a new, empty record; Update then inserts it.
    void AddNew();
    bool isAddingNew() const { return m_addingNew; }
    // Writes the edited record: the new one, or the current one when none is being made (or
    // a new one when the table has no current record). An empty start number is stored as
    // empty. Raises RuntimeError (DuplicateKey for an ID that already has a row) and keeps
    // the record being edited then.
    void Update(const QString& transponderId, const QString& startnummer);
    // Deletes the current record. Raises RuntimeError when there is none.
    void Delete();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The current record changed or was re-read: bound boxes show it again.
    void currentChanged();

private:
    Database& database() const;

    struct Row {
        qint64 key = 0;
        QString transponderId;
        QVariant startnummer;
    };
    std::shared_ptr<Database> m_db;
    QVector<Row> m_rows;
    int m_current = -1;
    bool m_addingNew = false;
};
