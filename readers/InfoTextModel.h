#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The rows of a one-column "InfoText" grid: the consoles' telegram grid. Rows are only added
// at the end or cleared, so an append costs the same however long the grid has grown.
class InfoTextModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void append(const QString& text);
    void clear();
    const QStringList& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_rows;
};
