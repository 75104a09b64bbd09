#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>
#include <vector>

// The rows of a one-column "InfoText" grid (the consoles' telegram grid and booking list):
// every handled telegram is kept for the whole session, so the rows are stored compactly, as
// their text and the moment they arrived, packed into pages of PageBytes without an object per
// row (a native telegram costs about 50 bytes). Rows are only added at the end or cleared.
// Added rows reach the views when show() is called, so that a flood of reads redraws a grid a
// few times a second instead of once per read; count() always counts every row.
class InfoTextModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageBytes = 64 * 1024;

    explicit InfoTextModel(QObject* parent = nullptr);
    ~InfoTextModel() override;

    // timeMs: when the row's text arrived, in milliseconds since 1970 of the console's clock.
    void append(const QString& text, qint64 timeMs);
    // Hands the rows added since the last call to the views.
    void show();
    void clear();
    int count() const { return m_count; }
    QString text(int row) const;
    qint64 timeMs(int row) const;
    // Every row's text, in order.
    QStringList rows() const;
    // Bytes held for the rows: pages, their marks and the page list.
    qsizetype memoryBytes() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Page;
    struct Row {
        QString text;
        qint64 timeMs;
    };
    Row row(int index) const;

    std::vector<std::unique_ptr<Page>> m_pages;
    int m_count = 0;
    int m_shown = 0;
};
