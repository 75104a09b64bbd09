#include "core/Convert.h"

#include "platform/RuntimeError.h"

#include <QByteArray>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int radixDigit(QChar c, int radix) {
    int d = -1;
    if (isAsciiDigit(c))
        d = c.unicode() - '0';
    else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        d = c.unicode() - 'a' + 10;
    else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        d = c.unicode() - 'A' + 10;
    return d < radix ? d : -1;
}

struct Number {
    double value = 0;
    qsizetype end = 0; // index behind the last character read
};

// "&H.." / "&O.." from `pos`; nothing when the prefix has no digit behind it.
std::optional<Number> scanRadix(const QString& text, qsizetype pos) {
    if (pos + 2 > text.size() || text[pos] != QLatin1Char('&'))
        return std::nullopt;
    const QChar kind = text[pos + 1].toUpper();
    const int radix = kind == QLatin1Char('H') ? 16 : kind == QLatin1Char('O') ? 8 : 0;
    if (radix == 0)
        return std::nullopt;
    qsizetype i = pos + 2;
    double value = 0;
    for (int d; i < text.size() && (d = radixDigit(text[i], radix)) >= 0; ++i)
        value = value * radix + d;
    if (i == pos + 2)
        return std::nullopt;
    // Up to 32 bits read as a Long, so system colours (&H80000000 and up) survive ValLong.
    if (value <= double(std::numeric_limits<quint32>::max()))
        value = double(qint32(quint32(value)));
    return Number{value, i};
}

// Sign, digits, optional fraction and exponent from `pos`; nothing when there is no digit.
std::optional<Number> scanDecimal(const QString& text, qsizetype pos) {
    const qsizetype n = text.size();
    qsizetype i = pos;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    for (; i < n && isAsciiDigit(text[i]); ++i)
        ++digits;
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        for (; i < n && isAsciiDigit(text[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    bool negativeExponent = false;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) {
            negativeExponent = text[j] == QLatin1Char('-');
            ++j;
        }
        const qsizetype expStart = j;
        while (j < n && isAsciiDigit(text[j]))
            ++j;
        if (j > expStart)
            i = j; // an "e" without digits is not part of the number
    }
    const QByteArray ascii = text.mid(pos, i - pos).toLatin1();
    bool ok = false;
    double value = ascii.toDouble(&ok);
    if (!ok) {
        // Only range errors remain: overflow goes to infinity, underflow to zero.
        const bool negative = ascii.startsWith('-');
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
        if (negative)
            value = -value;
    }
    return Number{value, i};
}

std::optional<Number> scanNumber(const QString& text, qsizetype pos) {
    if (auto radix = scanRadix(text, pos))
        return radix;
    return scanDecimal(text, pos);
}

const QDate& oleEpoch() {
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

constexpr qint64 MsPerDay = 86400000;

QDateTime asLocal(const QDateTime& dateTime) {
    return dateTime.timeSpec() == Qt::LocalTime ? dateTime : dateTime.toLocalTime();
}

} // namespace

namespace Convert {

QString NumberText(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value);
}

double Val(const QString& text) {
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t') ||
                                 text[pos] == QLatin1Char('\r') || text[pos] == QLatin1Char('\n')))
        ++pos;
    const auto number = scanNumber(text, pos);
    return number ? number->value : 0.0;
}

qint64 ValLong(const QString& text) {
    const qint64 rounded = RoundHalfEven(Val(text));
    return std::clamp<qint64>(rounded, std::numeric_limits<qint32>::min(),
                              std::numeric_limits<qint32>::max());
}

qint64 WholeNumber(const QString& text, qint64 min, qint64 max) {
    if (!IsNumeric(text))
        throw RuntimeError(RuntimeError::TypeMismatch, "Typen unverträglich");
    const std::optional<qint64> value = WholeNumberWithin(text, min, max);
    if (!value)
        throw RuntimeError(6, "Überlauf");
    return *value;
}

std::optional<qint64> WholeNumberWithin(const QString& text, qint64 min, qint64 max) {
    if (!IsNumeric(text))
        return std::nullopt;
    const qint64 value = RoundHalfEven(Val(text));
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

qint64 RoundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; everything at or beyond it cannot be held.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    const double lower = std::floor(value);
    const double fraction = value - lower;
    qint64 result = qint64(lower);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

bool IsNumeric(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const auto number = scanNumber(trimmed, 0);
    return number && number->end == trimmed.size();
}

bool IsValidTimeText(const QString& text) {
    return TimeOfDay(text).isValid();
}

QTime TimeOfDay(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    const int h = match.captured(1).toInt();
    const int m = match.captured(2).toInt();
    const int s = match.hasCaptured(3) ? match.captured(3).toInt() : 0;
    if (h > 23 || m > 59 || s > 59)
        return {};
    return QTime(h, m, s);
}

double ToOleDate(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        return 0.0;
    const QDateTime local = asLocal(dateTime);
    const qint64 days = oleEpoch().daysTo(local.date());
    const double fraction = double(local.time().msecsSinceStartOfDay()) / double(MsPerDay);
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

QDateTime FromOleDate(double oleDate) {
    // Far beyond any calendar the program deals with (OLE dates end in the year 9999).
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 1e8)
        return {};
    const double whole = std::trunc(oleDate);
    qint64 days = qint64(whole);
    qint64 ms = qRound64(std::fabs(oleDate - whole) * double(MsPerDay));
    if (ms >= MsPerDay) {
        // The fraction counts forward from its day in both halves of the scale.
        ms -= MsPerDay;
        ++days;
    }
    return QDateTime(oleEpoch().addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

qint64 UnixSecondsOfLocalClock(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        return 0;
    const QDateTime local = asLocal(dateTime);
    const qint64 ms = QDate(1970, 1, 1).daysTo(local.date()) * MsPerDay + local.time().msecsSinceStartOfDay();
    return ms / 1000; // truncation toward zero
}

bool ToBool(const QString& text, bool defaultValue) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (IsNumeric(trimmed))
        return Val(trimmed) != 0.0;
    return defaultValue;
}

} // namespace Convert
