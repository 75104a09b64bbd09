#pragma once

#include <QString>
#include <QVariantMap>

class DataControl;

// What the two result views show: the record sources of the result grid and of the count
// per start number, the grid's columns and the colouring of a row's start number.
namespace ResultViews {

// A record source: SQL text, the values bound into it, a query that counts its rows
// without reading them, and the same rows in mirrored order for reading from the end.
struct Source {
    QString sql;
    QVariantMap parameters;
    QString countSql;
    QString reverseSql;
};

// Gives the data control the record source.
void Apply(DataControl& data, const Source& source);

// All rows of the run, in finishing order.
Source ResultList(qint32 lauf);
// The rows of one start number in the run. The start number is the numeric value of the
// typed text ("" gives 0) and goes in as a bound value, never as SQL text.
Source Filter(qint32 lauf, const QString& startnummerText);
// How many rows each start number has in the run.
Source CountPerStartnummer(qint32 lauf);

// The start number a typed text stands for: its leading number rounded to a whole number,
// halves to even; "" and text without a number give 0.
qint32 StartnummerOf(const QString& text);

// Columns of the result grid and of the start-number grid, with their captions.
void BindResultColumns(DataControl& data);
void BindCountColumns(DataControl& data);
// Column of the result grid whose cell carries the row's style.
inline constexpr int StartnummerColumn = 1;

// Names of the grid's cell styles.
inline constexpr const char* Yellow = "yellow";
inline constexpr const char* Red = "red";
inline constexpr const char* Green = "green";

// The style of a row's start-number cell. In split-time mode: "red" for start number "0",
// else "green". Otherwise "red" for a start number taken too often, "yellow" for "0", else
// "green". The start number is compared as trimmed text.
QString RowStyle(const QString& startnummerText, bool splitTimeMode, bool doppelt);

// How many rows one start number may have before it counts as taken too often.
inline int DuplicateLimit(bool splitTimeMode) {
    return splitTimeMode ? 3 : 1;
}

} // namespace ResultViews
