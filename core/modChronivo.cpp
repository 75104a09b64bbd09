#include "core/modChronivo.h"

namespace {

constexpr qint64 MillisecondsPerDay = 86400000;

// At least two digits, more when needed; the sign stays in front of the zero padding ("-05").
QString twoDigits(qint64 value) {
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(2, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString clockText(qint64 hours, qint64 minutes, qint64 seconds) {
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds);
}

} // namespace

SYSTEMTIME SystemTimeFromDateTime(const QDateTime& dateTime) {
    SYSTEMTIME result;
    if (!dateTime.isValid())
        return result;
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    result.wYear = static_cast<quint16>(date.year());
    result.wMonth = static_cast<quint16>(date.month());
    // Qt counts Monday = 1 ... Sunday = 7; the record counts Sunday = 0.
    result.wDayOfWeek = static_cast<quint16>(date.dayOfWeek() % 7);
    result.wDay = static_cast<quint16>(date.day());
    result.wHour = static_cast<quint16>(time.hour());
    result.wMinute = static_cast<quint16>(time.minute());
    result.wSecond = static_cast<quint16>(time.second());
    result.wMilliseconds = static_cast<quint16>(time.msec());
    return result;
}

bool SameSecondOfDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wHour == b.wHour && a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

namespace modChronivo {

QString SystemTimeToString(const SYSTEMTIME& time) {
    return clockText(time.wHour, time.wMinute, time.wSecond);
}

double SystemTimeDiffSeconds(const SYSTEMTIME& first, const SYSTEMTIME& second) {
    // Whole milliseconds first, one division at the end, so 1.001 stays 1.001.
    qint64 ms = (qint64(second.wHour) - first.wHour) * 3600000 +
                (qint64(second.wMinute) - first.wMinute) * 60000 +
                (qint64(second.wSecond) - first.wSecond) * 1000 +
                (qint64(second.wMilliseconds) - first.wMilliseconds);
    // A time shortly before its start stays before it. Only a difference of more than half a
    // day back means the day has turned since the start, and counts one day on.
    if (ms < -MillisecondsPerDay / 2)
        ms += MillisecondsPerDay;
    return double(ms) / 1000.0;
}

QString SecondsToTimeString(qint32 seconds) {
    // 64-bit so that the most negative count still has a magnitude.
    const qint64 n = seconds;
    const qint64 h = n / 3600; // C++ division truncates toward zero, as the clock text needs
    const qint64 m = n / 60 - 60 * h;
    const qint64 s = n - 60 * m - 3600 * h;
    return clockText(h, m, s);
}

} // namespace modChronivo
