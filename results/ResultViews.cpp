#include "results/ResultViews.h"

#include "core/Convert.h"
#include "results/DataControl.h"

namespace ResultViews {

Source ResultList(qint32 lauf) {
    return {QStringLiteral("select * from Chronvo where Laufnummer = :iLaufnummer order by Platzierung"),
            {{"iLaufnummer", lauf}},
            QStringLiteral("select count(*) from Chronvo where Laufnummer = :iLaufnummer")};
}

Source Filter(qint32 lauf, const QString& startnummerText) {
    return {QStringLiteral(
                "select * from Chronvo where Laufnummer = :iLaufnummer and Startnummer = :iStartnummer "
                "order by Startnummer,Wertungstime"),
            {{"iLaufnummer", lauf}, {"iStartnummer", StartnummerOf(startnummerText)}},
            QStringLiteral("select count(*) from Chronvo where Laufnummer = :iLaufnummer and Startnummer = "
                           ":iStartnummer")};
}

Source CountPerStartnummer(qint32 lauf) {
    return {
        QStringLiteral("select Startnummer, count(*) as Anz from Chronvo where Laufnummer = :iLaufnummer "
                       "group by Startnummer order by Startnummer"),
        {{"iLaufnummer", lauf}},
        // Rows without a start number are one group, and one distinct value.
        QStringLiteral("select count(*) from (select distinct Startnummer from Chronvo where Laufnummer = "
                       ":iLaufnummer)")};
}

void Apply(DataControl& data, const Source& source) {
    data.setRecordSource(source.sql, source.parameters, source.countSql);
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
