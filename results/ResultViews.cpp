#include "results/ResultViews.h"

#include "core/Convert.h"
#include "results/DataControl.h"

namespace ResultViews {

// The row key breaks ties of the visible order (places given twice, equal times), so that
// the reverse order is the exact mirror and the tail can be read from the end. Ties came in
// key order before as well: the indexes the queries run on hold their rows in key order.

Source ResultList(qint32 lauf) {
    const QString rows = QStringLiteral("select * from Chronvo where Laufnummer = :iLaufnummer ");
    return {rows + "order by Platzierung, ID",
            {{"iLaufnummer", lauf}},
            QStringLiteral("select count(*) from Chronvo where Laufnummer = :iLaufnummer"),
            rows + "order by Platzierung desc, ID desc"};
}

Source Filter(qint32 lauf, const QString& startnummerText) {
    const QString rows = QStringLiteral(
        "select * from Chronvo where Laufnummer = :iLaufnummer and Startnummer = :iStartnummer ");
    return {rows + "order by Startnummer,Wertungstime, ID",
            {{"iLaufnummer", lauf}, {"iStartnummer", StartnummerOf(startnummerText)}},
            QStringLiteral("select count(*) from Chronvo where Laufnummer = :iLaufnummer and Startnummer = "
                           ":iStartnummer"),
            rows + "order by Startnummer desc, Wertungstime desc, ID desc"};
}

Source CountPerStartnummer(qint32 lauf) {
    const QString groups = QStringLiteral("select Startnummer, count(*) as Anz from Chronvo where Laufnummer "
                                          "= :iLaufnummer group by Startnummer ");
    return {
        groups + "order by Startnummer",
        {{"iLaufnummer", lauf}},
        // Rows without a start number are one group, and one distinct value.
        QStringLiteral("select count(*) from (select distinct Startnummer from Chronvo where Laufnummer = "
                       ":iLaufnummer)"),
        groups + "order by Startnummer desc"};
}

void Apply(DataControl& data, const Source& source) {
    data.setRecordSource(source.sql, source.parameters, source.countSql, source.reverseSql);
}

qint32 StartnummerOf(const QString& text) {
    return static_cast<qint32>(Convert::ValLong(text.trimmed()));
}

void BindResultColumns(DataControl& data) {
    data.setColumns({{"Platz", "Platzierung"},
                     {"Stnr.", "Startnummer"},
                     {"Zeit (brutto)", "Wertungstime"},
                     {"Millisek.", "Millisekunden"},
                     {"MilliSek (Netto)", "MillisekNetto"},
                     {"Zeit (netto)", "ZeitNetto"},
                     {"Eventzeit", "Systemtime"}});
    data.setStyledColumn(StartnummerColumn);
}

void BindCountColumns(DataControl& data) {
    data.setColumns({{"Startnummer", "Startnummer"}, {"Anz", "Anz"}});
}

QString RowStyle(const QString& startnummerText, bool splitTimeMode, bool doppelt) {
    const bool none = startnummerText.trimmed() == "0";
    if (splitTimeMode)
        return none ? Red : Green;
    if (doppelt)
        return Red;
    return none ? Yellow : Green;
}

} // namespace ResultViews
