#include "results/DirectBooking.h"

#include "core/Convert.h"
#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "platform/SettingsStore.h"

#include <QVariant>

namespace DirectBooking {

bool isOn(const SettingsStore& settings) {
    return settings.GetBool(Section, KeyOn, false);
}

QString GetLaufName(const SettingsStore& settings, Database* race, qint32 laufnummer) {
    if (!isOn(settings))
        return {};
    if (!race)
        throw RuntimeError::ObjectNotSet();
    QueryDef qd = race->QueryDefs("pS_LA_GetBy_LARef");
    qd.setParameter("iLA_REF", laufnummer);
    Recordset rs = qd.OpenRecordset();
    QString name;
    if (rs.RecordCount() >= 1)
        name = rs.Fields("LA_Name").toString();
    rs.Close();
    qd.Close();
    return name;
}

BookedTime BookedTimeOf(qint32 millisekunden) {
    BookedTime t;
    t.sekunden = static_cast<qint32>(Convert::RoundHalfEven(millisekunden / 1000.0));
    // Built from whole days and a time of day, so that no time-zone rule of the local clock
    // can shift a value that is a duration, not a moment.
    qint64 days = t.sekunden / 86400;
    qint64 rest = t.sekunden % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    t.zeit = QDateTime(QDate(1899, 12, 30).addDays(days), QTime(0, 0).addSecs(static_cast<int>(rest)));
    return t;
}

bool Book(const SettingsStore& settings, Database* race, qint32 startnummer, qint32 millisekunden) {
    if (!isOn(settings) || startnummer < 1 || !race)
        return false;
    // Run reference 0: the booking is not tied to the run selected in the timing client.
    const QVariant anyRun = QVariant::fromValue<qint16>(0);
    const BookedTime t = BookedTimeOf(millisekunden);

    QueryDef update = race->QueryDefs("pU_WT_3");
    update.setParameter("iLA_REF", anyRun);
    update.setParameter("iWT_Zeit", t.zeit);
    update.setParameter("iWT_Sekunden", t.sekunden);
    update.setParameter("iWT_MillSek", millisekunden);
    update.setParameter("iWT_StartNr", startnummer);
    update.Execute(dbFailOnError);
    const long affected = update.RecordsAffected();
    update.Close();
    if (affected == 0)
        return false;

    QueryDef check = race->QueryDefs("pS_WT_CheckStartNr");
    check.setParameter("iLA_REF", anyRun);
    check.setParameter("iWT_StartNr", startnummer);
    Recordset rs = check.OpenRecordset();
    const QVariant ref = rs.Fields("WT_REF");
    check.Close();
    rs.Close();
    if (ref.isNull())
        throw RuntimeError(94, "Unzulässige Verwendung von Null");
    const auto wtRef = static_cast<qint32>(ref.toLongLong());

    QueryDef split = race->QueryDefs("pI_ZZ_OhneReferenz");
    split.setParameter("iWT_Ref", wtRef);
    split.setParameter("iZZ_MillSek", millisekunden);
    split.Execute(dbFailOnError);
    split.Close();
    return true;
}

} // namespace DirectBooking
