#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The Windows time record as the timing windows capture it from the local clock. Only the time
// of day (hour, minute, second, milliseconds) is ever read; the date fields travel along so the
// record keeps its familiar shape.
struct SYSTEMTIME {
    quint16 wYear = 0;
    quint16 wMonth = 0;
    quint16 wDayOfWeek = 0; // 0 = Sunday ... 6 = Saturday
    quint16 wDay = 0;
    quint16 wHour = 0;
    quint16 wMinute = 0;
    quint16 wSecond = 0;
    quint16 wMilliseconds = 0;
};

// Fills the record from a date and time as it stands (its own clock, no zone conversion).
// An invalid date/time gives the all-zero record.
SYSTEMTIME SystemTimeFromDateTime(const QDateTime& dateTime);

// True when both records hold the same hour, minute and second (milliseconds and date aside):
// a start text names a start to the second only.
bool SameSecondOfDay(const SYSTEMTIME& a, const SYSTEMTIME& b);

namespace modChronivo {

// "hh:nn:ss" of the record's time of day; milliseconds are dropped, not rounded.
QString SystemTimeToString(const SYSTEMTIME& time);

// (second - first) in seconds with millisecond resolution, for a time measured from its start.
// The date is ignored. A second time earlier in the day gives a negative result (a time taken
// before its start), unless it lies more than 12 hours earlier: then midnight has passed since
// the start and the time counts one day on (a run started at 23:58 and timed at 00:01).
double SystemTimeDiffSeconds(const SYSTEMTIME& first, const SYSTEMTIME& second);

// Whole seconds as "hh:nn:ss" with unlimited hours ("100:00:00"). Each field has at least two
// digits; for a negative count every non-zero field carries its own sign: -65 gives "00:-01:-05".
QString SecondsToTimeString(qint32 seconds);

} // namespace modChronivo
