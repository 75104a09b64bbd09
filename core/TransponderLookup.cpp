#include "core/TransponderLookup.h"

#include "core/Convert.h"
#include "platform/DbEngine.h"

namespace modChronivo {

QString GetStartnummerByTransponder(Database& db, const QString& transponderId) {
    QueryDef query = db.QueryDefs("pS_Startnummer");
    query.setParameter("iTransponderID", transponderId);
    Recordset rs = query.OpenRecordset();
    QString result;
    if (rs.RecordCount() > 0) {
        const QVariant stored = rs.Fields("Startnummer");
        result = stored.isNull() ? QString() : stored.toString();
    } else if (Convert::IsNumeric(transponderId)) {
        const double value = Convert::Val(transponderId);
        result = value >= 10000 ? QStringLiteral("0") : Convert::NumberText(value);
    } else {
        result = QStringLiteral("0");
    }
    rs.Close();
    query.Close();
    return result;
}

} // namespace modChronivo
