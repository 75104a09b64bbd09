#pragma once

#include "platform/DbEngine.h"
#include "platform/Recordset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

#include <functional>
#include <map>
#include <memory>
#include <vector>

// A record source bound to a grid: the SQL text (typed text only ever goes in as bound
// values), the database it reads, and a refresh that reads it anew.
//
// A refresh counts the rows and forgets what it had read; rows are then read in pages of
// PageSize when the grid (or a caller) asks for them. What the grid shows is always the
// database as of one moment: the count and each page are read in one read transaction, and
// a page that finds the database written since the count (by another program, say) is read
// with a new count taken in its own transaction; the pages of the earlier moment are
// dropped then, and the grid takes the new count as soon as events are handled. After a
// result of our own the caller may say how many rows it added (RefreshAdded), which spares
// counting the run again; the count is taken anew whenever anything else may have written
// in between. So a refresh after one more result costs the page in view, whatever the run's
// length.
//
// Record sources are SELECT texts with their own ORDER BY and without LIMIT: the pages are
// cut by appending LIMIT and OFFSET. A source may come with the same query in reverse order
// (every ORDER BY term turned round, ties broken by a unique key so that both orders are
// exact mirrors); pages in the second half of the rows are then read from the end, so the
// newest rows cost the same in a long run as in a short one.
class DataControl final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 64;

    // A grid column: its caption and the field it shows.
    struct Column {
        QString caption;
        QString field;
    };
    // A named cell style of the grid.
    struct CellStyle {
        QFont font;
        QColor backColor;
    };
    // Called once for each row the grid loads after a refresh; answers the name of the style
    // for the styled column, or "" for none. It must not show dialogs: it runs while painting.
    using RowLoadedHandler = std::function<QString(int row)>;

    explicit DataControl(QObject* parent = nullptr);

    void setDatabase(std::shared_ptr<Database> db) { m_db = std::move(db); }
    const std::shared_ptr<Database>& database() const { return m_db; }
    QString DatabaseName() const;

    // countSql, when given, counts the rows of sql with the same parameters more cheaply
    // than counting over sql itself; reverseSql is sql in mirrored order (see above).
    void setRecordSource(const QString& sql, const QVariantMap& parameters = {}, const QString& countSql = {},
                         const QString& reverseSql = {});
    const QString& RecordSource() const { return m_sql; }
    const QVariantMap& RecordSourceParameters() const { return m_parameters; }

    // Reads the record source again. Raises RuntimeError when the query fails; the rows
    // shown before stay then.
    void Refresh();
    // Reads the record source again after a write of our own that added `added` rows to it
    // and took the database from stamp `before` to `after`. When the record source and the
    // database are as at the last count, the count moves on by `added` without a query;
    // otherwise this is a full Refresh.
    void RefreshAdded(int added, const Database::ChangeStamp& before, const Database::ChangeStamp& after);
    // Like Refresh, but the rows are counted again only when the record source or the
    // database changed since the last count: for refreshes that come without a write of our
    // own, such as the window becoming active again.
    void RefreshRows();

    int RecordCount() const { return m_count; }
    // Every row of the record source as it was at the last refresh, read in one go: for
    // callers that walk all rows. Raises RuntimeError when a read fails.
    Recordset Recordset_() const;
    // A field of a row, read from the database when its page is not at hand. Raises
    // RuntimeError when that read fails; an unknown row or field gives an invalid value.
    QVariant value(int row, const QString& field) const;
    int fieldIndex(const QString& field) const;
    // The texts of a row's shown columns. Raises RuntimeError when the row cannot be read.
    QStringList rowTexts(int row) const;
    const QStringList& fieldNames() const { return m_fieldNames; }

    // Columns shown; without any, every field of the record source in its own order.
    void setColumns(QVector<Column> columns);
    const QVector<Column>& columns() const { return m_columns; }

    void setCellStyle(const QString& name, const CellStyle& style) { m_styles.insert(name, style); }
    CellStyle cellStyle(const QString& name) const { return m_styles.value(name); }
    void setStyledColumn(int column) { m_styledColumn = column; }
    void setRowLoadedHandler(RowLoadedHandler handler) { m_rowLoaded = std::move(handler); }
    // The style the row got when it was loaded ("" when none or not loaded yet).
    QString rowStyle(int row) const { return m_rowStyles.value(row); }
    // Forgets the row styles so each row is styled again when it is drawn next.
    void redrawRows();

    // ----- typing into the grid ---------------------------------------------------------------
    // Values typed into unlocked columns are held for their row until Update() writes them to
    // the table, by the row's key field. Every column starts locked.
    void setUpdateTarget(const QString& table, const QString& keyField);
    void setColumnLocked(int column, bool locked);
    bool columnLocked(int column) const { return !m_unlocked.value(column, false); }
    // Text colour of a column's cells; an invalid colour leaves the grid's own.
    void setColumnForeColor(int column, const QColor& color);
    QColor columnForeColor(int column) const { return m_foreColors.value(column); }
    bool hasPendingEdit() const { return !m_pending.empty(); }
    // Writes the held values of each edited row and answers, per row written, every field of
    // the row by name as it now stands. The held values are dropped either way; a failing
    // write raises RuntimeError (rows written before it stay). A refresh drops them too.
    std::vector<QVariantMap> Update();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    using Row = QVector<QVariant>;
    const Row* row(int r) const;
    const QVector<Row>& page(int p) const;
    QVector<Row> readPage(int p) const;
    int countRows() const;
    void takeRowsOfNow();
    void resetRows(const QStringList& names, int count);
    int sourceField(int column) const;
    void mapColumns();
    QString styleOf(int r) const;

    std::shared_ptr<Database> m_db;
    QString m_sql;
    QString m_countSql;
    QString m_reverseSql;
    QVariantMap m_parameters;
    // What the count in m_count belongs to: the source and the database as they were then.
    bool m_counted = false;
    QString m_countedSql;
    QVariantMap m_countedParameters;
    Database::ChangeStamp m_countedAt;
    QString m_namesOf; // record source whose field names are in m_fieldNames
    QStringList m_fieldNames;
    int m_count = 0;
    QVector<Column> m_columns;
    QVector<int> m_columnFields; // field index of each column

    // Read on demand from const accessors; dropped by every refresh.
    mutable QHash<int, QVector<Row>> m_pages;
    // The moment the pages in m_pages were read at, and the row count of that moment. It
    // differs from m_count only until the grid takes the new count.
    mutable Database::ChangeStamp m_pagesAt;
    mutable int m_pagesCount = 0;
    mutable bool m_newCountPending = false;
    mutable QHash<int, QString> m_rowStyles;

    QHash<QString, CellStyle> m_styles;
    int m_styledColumn = -1;
    RowLoadedHandler m_rowLoaded;

    QString m_updateTable;
    QString m_keyField;
    QHash<int, bool> m_unlocked;
    QHash<int, QColor> m_foreColors;
    std::map<int, QHash<int, QVariant>> m_pending; // row -> field index -> typed value
};
