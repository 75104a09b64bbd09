#include "results/GridPrinter.h"

#include "results/DataControl.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace GridPrinter {

Document FromData(const DataControl& data, const QString& header, const QString& footer) {
    Document doc;
    doc.header = header;
    doc.footer = footer;
    const int columns = data.columnCount();
    for (int c = 0; c < columns; ++c)
        doc.captions << data.headerData(c, Qt::Horizontal).toString();
    const int rows = data.RecordCount();
    doc.rows.reserve(rows);
    for (int r = 0; r < rows; ++r)
        doc.rows << data.rowTexts(r);
    return doc;
}

namespace {

// Column widths in proportion to the widest text of each column.
QVector<double> columnWidths(const Document& doc, const QFontMetricsF& fm, double pageWidth) {
    const int n = static_cast<int>(doc.captions.size());
    QVector<double> widths(n, 0.0);
    const double pad = fm.horizontalAdvance("  ");
    for (int c = 0; c < n; ++c) {
        widths[c] = fm.horizontalAdvance(doc.captions[c]) + pad;
        for (const QStringList& row : doc.rows)
            if (c < row.size())
                widths[c] = std::max(widths[c], fm.horizontalAdvance(row[c]) + pad);
    }
    double total = 0;
    for (double w : widths)
        total += w;
    if (total > 0)
        for (double& w : widths)
            w *= pageWidth / total;
    return widths;
}

void drawCells(QPainter& p, const QStringList& cells, const QVector<double>& widths, double y,
               double lineHeight) {
    double x = 0;
    for (int c = 0; c < widths.size(); ++c) {
        p.drawText(QRectF(x, y, widths[c], lineHeight), Qt::AlignLeft | Qt::AlignVCenter, cells.value(c));
        x += widths[c];
    }
}

} // namespace

int Print(const Document& doc, const QFont& font, QPrinter& printer) {
    QPainter p;
    if (!p.begin(&printer))
        return 0;
    const QRectF page =
        printer.pageLayout()
            .paintRectPixels(printer.resolution())
            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    QFont bold = font;
    bold.setBold(true);
    QFont title = bold;
    title.setPointSizeF(font.pointSizeF() + 2);
    p.setFont(font);
    const QFontMetricsF fm(font, &printer);
    const double line = fm.height() * 1.3;
    const double titleLine = QFontMetricsF(title, &printer).height() * 1.5;
    const QVector<double> widths = columnWidths(doc, QFontMetricsF(bold, &printer), page.width());

    const double bodyTop = titleLine + line * 1.2;
    const double bodyBottom = page.height() - line * 1.5;
    const int rowsPerPage = std::max(1, static_cast<int>((bodyBottom - bodyTop) / line));
    const int pages = std::max(1, static_cast<int>((doc.rows.size() + rowsPerPage - 1) / rowsPerPage));

    int printed = 0;
    for (int pageNo = 0; pageNo < pages; ++pageNo) {
        if (pageNo > 0 && !printer.newPage())
            break;
        ++printed;
        p.setFont(title);
        p.drawText(QRectF(0, 0, page.width(), titleLine), Qt::AlignLeft | Qt::AlignVCenter, doc.header);
        p.setFont(bold);
        drawCells(p, doc.captions, widths, titleLine, line);
        p.drawLine(QPointF(0, titleLine + line * 1.1), QPointF(page.width(), titleLine + line * 1.1));
        p.setFont(font);
        const int first = pageNo * rowsPerPage;
        const int last = std::min(static_cast<int>(doc.rows.size()), first + rowsPerPage);
        for (int r = first; r < last; ++r)
            drawCells(p, doc.rows[r], widths, bodyTop + (r - first) * line, line);
        const double footerTop = page.height() - line;
        p.drawLine(QPointF(0, footerTop - line * 0.2), QPointF(page.width(), footerTop - line * 0.2));
        p.drawText(QRectF(0, footerTop, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter, doc.footer);
        p.drawText(QRectF(0, footerTop, page.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Seite %1 von %2").arg(pageNo + 1).arg(pages));
    }
    p.end();
    return printed;
}

} // namespace GridPrinter
