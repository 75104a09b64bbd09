#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The rows of a one-column "InfoText" grid (the consoles' telegram grid and booking list).
// Rows are only added at the end or cleared. Added rows reach the views when show() is
// called, so that a flood of reads redraws a grid a few times a second instead of once per
// read; rows() always holds every row.
class InfoTextModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void append(const QString& text);
    // Hands the rows added since the last call to the views.
    void show();
    void clear();
    const QStringList& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_rows;
    int m_shown = 0;
};
