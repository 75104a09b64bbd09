#include "results/DirectBooking.h"

#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "platform/SettingsStore.h"

namespace DirectBooking {

bool isOn(const SettingsStore& settings) {
    return settings.GetBool(Section, KeyOn, false);
}

QString GetLaufName(const SettingsStore& settings, Database* race, qint32 laufnummer) {
    if (!isOn(settings))
        return {};
    if (!race)
        throw RuntimeError(RuntimeError::DatabaseClosed, "Objekt ist ungültig oder nicht mehr festgelegt.");
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

} // namespace DirectBooking
