#include "results/ExportFile.h"

#include "core/Convert.h"
#include "core/SystemFormats.h"
#include "core/modChronivo.h"
#include "platform/DbEngine.h"
#include "platform/WholeFile.h"
#include "results/Cp1252.h"

#include <QDate>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace ExportFile {

QString DefaultFastSavePath() {
    return SystemFormats::DefaultDrivePath("C:\\Schnellspeicherung.log");
}

namespace {

constexpr qint64 SecondsPerDay = 86400;
// The dates a date field can hold: the years 100 to 9999.
constexpr double FirstDate = -657434.0;
constexpr double LastDate = 2958465.99999;

RuntimeError nullError() {
    return RuntimeError(94, "Unzulässige Verwendung von Null");
}

RuntimeError typeMismatch() {
    return RuntimeError(RuntimeError::TypeMismatch, "Typen unverträglich");
}

RuntimeError overflow() {
    return RuntimeError(6, "Überlauf");
}

template <typename T> void put(char* at, T value) {
    qToLittleEndian(value, at);
}

void putDouble(char* at, double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put(at, bits);
}

double getDouble(const char* at) {
    const quint64 bits = qFromLittleEndian<quint64>(at);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A whole-number field: Null gives 0, a value beyond the member's range is an overflow.
template <typename T> T whole(const QVariant& v) {
    if (v.isNull())
        return 0;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok)
        throw typeMismatch();
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
        throw overflow();
    return static_cast<T>(n);
}

// A start or clock text as the time of day on day zero. Texts that carry a date as well
// (rows filled from a time file hold the import's date and time) give their time.
double timeOfDayValue(const QVariant& v) {
    if (v.isNull())
        throw nullError();
    const QString text = v.toString().trimmed();
    if (text.isEmpty())
        return 0.0;
    QTime t = Convert::TimeOfDay(text);
    if (!t.isValid()) {
        const qsizetype blank = text.lastIndexOf(' ');
        if (blank > 0 && QDate::fromString(text.left(blank), "dd.MM.yyyy").isValid())
            t = Convert::TimeOfDay(text.mid(blank + 1));
    }
    if (!t.isValid())
        throw typeMismatch();
    return (t.hour() * 3600 + t.minute() * 60 + t.second()) / double(SecondsPerDay);
}

} // namespace

QByteArray Pack(const ExportRecord& r) {
    QByteArray out(RecordSize, '\0');
    char* p = out.data();
    put(p + 0, r.Platzierung);
    putDouble(p + 2, r.Systemtime);
    putDouble(p + 10, r.Starttime);
    std::memcpy(p + 18, r.Wertungstime.data(), 8);
    put(p + 26, r.Sekunden);
    put(p + 30, r.Millisekunden);
    put(p + 34, r.Startnummer);
    put(p + 38, r.MilliSekNetto);
    std::memcpy(p + 42, r.ZeitNetto.data(), 8);
    return out;
}

ExportRecord Unpack(const char* p) {
    ExportRecord r;
    r.Platzierung = qFromLittleEndian<qint16>(p + 0);
    r.Systemtime = getDouble(p + 2);
    r.Starttime = getDouble(p + 10);
    std::memcpy(r.Wertungstime.data(), p + 18, 8);
    r.Sekunden = qFromLittleEndian<qint32>(p + 26);
    r.Millisekunden = qFromLittleEndian<qint32>(p + 30);
    r.Startnummer = qFromLittleEndian<qint32>(p + 34);
    r.MilliSekNetto = qFromLittleEndian<qint32>(p + 38);
    std::memcpy(r.ZeitNetto.data(), p + 42, 8);
    return r;
}

Text8 TextField(const QString& text) {
    Text8 field;
    field.fill(' ');
    const QByteArray bytes = Cp1252::Encode(text.left(8));
    std::memcpy(field.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
    return field;
}

QString FieldText(const Text8& field) {
    const char* end = static_cast<const char*>(std::memchr(field.data(), 0, field.size()));
    return Cp1252::Decode(QByteArray(field.data(), end ? end - field.data() : qsizetype(field.size())));
}

Recordset AllValues(Database& db, qint32 lauf) {
    QueryDef qd = db.QueryDefs("pS_GetAllValues");
    qd.setParameter("iLaufnummer", lauf);
    qd.setParameter("iMillisekunden", qint16(0));
    Recordset rs = qd.OpenRecordset();
    qd.Close();
    return rs;
}

int CountWithoutStartnummer(const Recordset& rows) {
    const int column = static_cast<int>(rows.FieldNames().indexOf("Startnummer"));
    int count = 0;
    for (const QVector<QVariant>& row : rows.rows()) {
        const QVariant& v = row.at(column);
        if (v.isNull() || v.toLongLong() == 0)
            ++count;
    }
    return count;
}

ExportRecord FromRow(const Recordset& rows, Mode mode) {
    ExportRecord r;
    r.Platzierung = whole<qint16>(rows.Fields("Platzierung"));
    r.Systemtime = timeOfDayValue(rows.Fields("Systemtime"));
    r.Starttime = timeOfDayValue(rows.Fields("Starttime"));
    const QVariant wertungstime = rows.Fields("Wertungstime");
    if (wertungstime.isNull())
        throw nullError();
    r.Wertungstime = TextField(wertungstime.toString());
    r.Sekunden = whole<qint32>(rows.Fields("Sekunden"));
    r.Millisekunden = whole<qint32>(rows.Fields("Millisekunden"));
    r.Startnummer = whole<qint32>(rows.Fields("Startnummer"));
    const QVariant netto = rows.Fields("MilliSekNetto");
    if (netto.isNull())
        throw nullError();
    r.MilliSekNetto = whole<qint32>(netto);
    if (mode == Mode::Export) {
        const qint64 seconds = Convert::RoundHalfEven(r.MilliSekNetto / 1000.0);
        r.ZeitNetto = TextField(modChronivo::SecondsToTimeString(static_cast<qint32>(seconds)));
    }
    return r;
}

bool WithinSevenHours(const QVariant& millisekunden) {
    return !millisekunden.isNull() && millisekunden.toLongLong() <= MaxMillisekunden;
}

Written Build(Recordset& rows, Mode mode, const std::function<bool(qint32)>& keepGoing) {
    Written out;
    out.bytes.reserve(static_cast<qsizetype>(rows.RecordCount()) * RecordSize);
    try {
        for (rows.MoveFirst(); !rows.isEOF(); rows.MoveNext()) {
            const ExportRecord record = FromRow(rows, mode);
            if (mode == Mode::Export && !WithinSevenHours(rows.Fields("Millisekunden"))) {
                if (!keepGoing(record.Startnummer)) {
                    out.stoppedByUser = true;
                    break;
                }
                continue;
            }
            out.bytes += Pack(record);
            ++out.records;
        }
    } catch (const RuntimeError& e) {
        out.error = e;
    }
    return out;
}

void WriteWhole(const QString& path, const QByteArray& bytes) {
    QString reason;
    if (!WholeFile::Write(path, bytes, &reason))
        throw RuntimeError(RuntimeError::PathFileAccessError,
                           QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: %1 (%2)").arg(path, reason));
}

QString DateText(double oleDate) {
    if (!std::isfinite(oleDate) || oleDate < FirstDate || oleDate > LastDate)
        throw typeMismatch();
    // The OLE form counts the fraction forward from the day, also before day zero: -1.25 is
    // 06:00 of the day before day zero.
    double days = std::trunc(oleDate);
    qint64 seconds = std::llround(std::fabs(oleDate - days) * SecondsPerDay);
    if (seconds == SecondsPerDay) {
        days += 1;
        seconds = 0;
    }
    const QString time =
        QTime::fromMSecsSinceStartOfDay(static_cast<int>(seconds * 1000)).toString("hh:mm:ss");
    if (days == 0)
        return time;
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(days)).toString("dd.MM.yyyy") + " " + time;
}

void Insert(Database& db, qint32 lauf, const ExportRecord& r) {
    QueryDef qd = db.QueryDefs("pI_Chronvo");
    qd.setParameter("iLaufnummer", lauf);
    qd.setParameter("iPlatzierung", r.Platzierung);
    qd.setParameter("iSystemtime", DateText(r.Systemtime));
    qd.setParameter("iStartTime", DateText(r.Starttime));
    qd.setParameter("iWertungstime", FieldText(r.Wertungstime));
    qd.setParameter("iSekunden", r.Sekunden);
    qd.setParameter("iMillisekunden", r.Millisekunden);
    qd.setParameter("iStartnummer", r.Startnummer);
    qd.setParameter("iMillisekNetto", r.MilliSekNetto);
    qd.setParameter("iZeitNetto", FieldText(r.ZeitNetto));
    qd.Execute(dbFailOnError);
    qd.Close();
}

} // namespace ExportFile
