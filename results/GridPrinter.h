#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class DataControl;
class QFont;
class QPrinter;

// The printout of a grid: a page header, the column captions, every row, and a footer line
// on each page.
namespace GridPrinter {

struct Document {
    QString header;
    QString footer;
    QStringList captions;
    QVector<QStringList> rows;
};

// Captions and the text of every row of the grid's data, in its order. Raises RuntimeError
// when a row cannot be read, so a printout never silently lacks rows.
Document FromData(const DataControl& data, const QString& header, const QString& footer);

// Prints the document on as many pages as it needs and answers the number of pages, 0 when
// the printer could not be started.
int Print(const Document& document, const QFont& font, QPrinter& printer);

} // namespace GridPrinter
