#include "results/ResultEntry.h"

#include "core/Convert.h"
#include "core/modChronivo.h"
#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"

#include <algorithm>
#include <limits>

namespace ResultEntry {

SYSTEMTIME StartRecord(const QString& text) {
    const QTime t = Convert::TimeOfDay(text.trimmed());
    if (!t.isValid())
        throw RuntimeError(RuntimeError::TypeMismatch, "Typen unverträglich");
    SYSTEMTIME st{};
    st.wHour = static_cast<quint16>(t.hour());
    st.wMinute = static_cast<quint16>(t.minute());
    st.wSecond = static_cast<quint16>(t.second());
    return st;
}

qint64 Milliseconds(double seconds) {
    return Convert::RoundHalfEven(seconds * 1000.0);
}

QString TimeOfDayAfterMidnight(qint64 seconds) {
    constexpr qint64 Day = 86400;
    const qint64 ofDay = ((seconds % Day) + Day) % Day;
    return modChronivo::SecondsToTimeString(static_cast<qint32>(ofDay));
}

Times ComputeTimes(double grossSeconds, double netSeconds) {
    Times t;
    t.sekunden = Convert::RoundHalfEven(grossSeconds);
    t.wertungstime = TimeOfDayAfterMidnight(t.sekunden);
    t.millisekunden = Milliseconds(grossSeconds);
    t.zeitNetto = TimeOfDayAfterMidnight(Convert::RoundHalfEven(netSeconds));
    t.millisekNetto = Milliseconds(netSeconds);
    return t;
}

qint32 NextPlace(Database& db, qint32 laufnummer) {
    QueryDef qd = db.QueryDefs("pS_GetNextPlatz");
    qd.setParameter("iLaufnummer", laufnummer);
    Recordset rs = qd.OpenRecordset();
    qint64 place = 1;
    if (rs.RecordCount() > 0) {
        const QVariant v = rs.Fields("Ausdr1");
        if (!v.isNull())
            place = v.toLongLong();
    }
    rs.Close();
    qd.Close();
    if (place > std::numeric_limits<qint32>::max())
        throw RuntimeError(6, "Überlauf");
    // Below 1 every place from 1 on is free.
    return static_cast<qint32>(std::max<qint64>(place, 1));
}

void Insert(Database& db, const Row& row) {
    QueryDef qd = db.QueryDefs("pI_Chronvo");
    qd.setParameter("iLaufnummer", row.laufnummer);
    qd.setParameter("iStartnummer", row.startnummer);
    qd.setParameter("iPlatzierung", row.platzierung);
    qd.setParameter("iSystemtime", row.systemtime);
    qd.setParameter("iStartTime", row.starttime);
    qd.setParameter("iSekunden", row.times.sekunden);
    qd.setParameter("iWertungstime", row.times.wertungstime);
    qd.setParameter("iMillisekunden", row.times.millisekunden);
    qd.setParameter("iZeitNetto", row.times.zeitNetto);
    qd.setParameter("iMillisekNetto", row.times.millisekNetto);
    qd.Execute(dbFailOnError);
    qd.Close();
}

Stored InsertNext(Database& db, Row row) {
    db.BeginWrite();
    try {
        Stored stored;
        stored.before = db.changeStamp();
        QueryDef exists = db.QueryDefs("pS_StartNrExists");
        exists.setParameter("iLaufnummer", row.laufnummer);
        exists.setParameter("iStartNr", row.startnummer);
        Recordset rs = exists.OpenRecordset();
        stored.firstOfStartnummer = rs.RecordCount() == 0 || rs.Fields(0).toInt() == 0;
        row.platzierung = NextPlace(db, row.laufnummer);
        Insert(db, row);
        stored.after = db.changeStamp();
        db.CommitWrite();
        stored.platzierung = row.platzierung;
        return stored;
    } catch (...) {
        db.RollbackWrite();
        throw;
    }
}

} // namespace ResultEntry
