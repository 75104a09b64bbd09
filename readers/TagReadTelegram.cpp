#include "readers/TagReadTelegram.h"

#include "core/Convert.h"
#include "core/SystemFormats.h"
#include "core/modGlobal.h"

#include <algorithm>
#include <limits>

namespace TagReadTelegram {

namespace {

constexpr qint64 MsPerDay = 86400000;

} // namespace

qint32 VbTimeToNetTime(const QDateTime& localTime) {
    if (!localTime.isValid())
        return 0;
    // Exact in whole milliseconds, so a read at hh:mm:ss.500 rounds the same way every time.
    const qint64 ms =
        QDate(1970, 1, 1).daysTo(localTime.date()) * MsPerDay + localTime.time().msecsSinceStartOfDay();
    qint64 seconds = ms / 1000;
    qint64 rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    if (rest > 500 || (rest == 500 && seconds % 2 != 0))
        ++seconds;
    return static_cast<qint32>(
        std::clamp<qint64>(seconds, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

QString ReadTimeHex(qint32 seconds) {
    const QString h = QString::number(static_cast<quint32>(seconds), 16).toUpper();
    return h.mid(6, 2) + h.mid(4, 2) + h.mid(2, 2) + h.mid(0, 2);
}

QDateTime DecodeReadTimeHex(const QString& eightHexDigits) {
    const QString& x = eightHexDigits;
    const QString ordered = x.mid(6, 2) + x.mid(4, 2) + x.mid(2, 2) + x.mid(0, 2);
    // "&H" reads up to 32 bits as a signed Long, so a set high bit gives a date before 1970.
    const auto seconds = static_cast<qint64>(Convert::Val(QStringLiteral("&H") + ordered));
    // Calendar arithmetic on the wall clock: adding to a local date-time would step over
    // daylight-saving changes and show summer reads an hour off.
    qint64 days = seconds / 86400;
    qint64 rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    return QDateTime(QDate(1970, 1, 1).addDays(days), QTime::fromMSecsSinceStartOfDay(int(rest * 1000)));
}

QString DateTimeText(const QDateTime& value) {
    const QString time = value.time().toString(QStringLiteral("hh:mm:ss"));
    if (value.date() == modGlobal::ZeroDate().date())
        return time;
    const QString date = SystemFormats::ShortDateText(value.date());
    if (value.time().msecsSinceStartOfDay() < 1000)
        return date;
    return date + QLatin1Char(' ') + time;
}

bool IsTagRead(const QString& telegram) {
    return telegram.contains(QLatin1String("uam"), Qt::CaseInsensitive);
}

int AntennaOf(const QString& telegram) {
    if (telegram.size() < 13)
        return 0;
    const QChar c = telegram.at(12);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : 0;
}

QDateTime ReadTimeOf(const QString& telegram) {
    return DecodeReadTimeHex(telegram.mid(13, 8));
}

std::optional<QString> CutTransponderId(const QString& telegram, const QString& headerLength,
                                        bool endsWithCr) {
    if (!Convert::IsNumeric(headerLength))
        return std::nullopt;
    const double k = Convert::Val(headerLength);
    const double length = telegram.size() - (endsWithCr ? 1 : 0);
    const qint64 count = Convert::RoundHalfEven(length - k);
    if (count < 0 || length < 0)
        return std::nullopt;
    const QString body = endsWithCr ? telegram.left(telegram.size() - 1) : telegram;
    // A line end is never part of a tag's ID (a telegram ended by LF CR keeps its LF here).
    QString id = body.right(static_cast<qsizetype>(count));
    id.remove(QLatin1Char('\r'));
    id.remove(QLatin1Char('\n'));
    return id;
}

} // namespace TagReadTelegram
