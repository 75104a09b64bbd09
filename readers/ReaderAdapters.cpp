#include "readers/ReaderAdapters.h"

#include "core/Convert.h"
#include "readers/TagReadTelegram.h"

#include <QRandomGenerator>

#include <cmath>

namespace ReaderAdapters {

namespace {

// Pairs of two characters from the front, joined last pair first.
QString reversedPairs(const QString& input, int pairs) {
    QString joined;
    for (int i = pairs - 1; i >= 0; --i)
        joined += input.mid(i * 2, 2);
    return joined;
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

double DecimalReading(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    QByteArray number;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        number += char(text[i++].unicode());
    qsizetype digits = 0;
    for (; i < n && isDigit(text[i]); ++i, ++digits)
        number += char(text[i].unicode());
    if (i < n && text[i] == QLatin1Char('.')) {
        number += '.';
        for (++i; i < n && isDigit(text[i]); ++i, ++digits)
            number += char(text[i].unicode());
    }
    if (digits == 0)
        return 0.0;
    if (i < n && QStringLiteral("DdEe").contains(text[i])) {
        qsizetype j = i + 1;
        QByteArray exponent = "e";
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            exponent += char(text[j++].unicode());
        const qsizetype start = j;
        for (; j < n && isDigit(text[j]); ++j)
            exponent += char(text[j].unicode());
        if (j > start)
            number += exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // Only range errors remain.
    return number.contains("e-") ? 0.0 : (number.startsWith('-') ? -INFINITY : INFINITY);
}

QString FormatZeroPadded(double value, int width) {
    if (!std::isfinite(value))
        value = 0;
    const double rounded = std::round(value);
    const bool negative = rounded < 0;
    const double magnitude = std::fabs(rounded);
    QString digits;
    if (magnitude < 1e15) {
        digits = QString::number(static_cast<qint64>(magnitude));
    } else {
        // "d.dddddddddddddde+NN": 15 significant digits, then zeros up to the exponent.
        const QString e = QString::number(magnitude, 'e', 14);
        const int exponent = e.mid(e.indexOf(QLatin1Char('e')) + 1).toInt();
        digits = e.left(1) + e.mid(2, 14);
        digits += QString(exponent - 14, QLatin1Char('0'));
    }
    if (digits.size() < width)
        digits.prepend(QString(width - digits.size(), QLatin1Char('0')));
    return negative ? QLatin1Char('-') + digits : digits;
}

int RandomAntennaDigit() {
    return static_cast<int>(QRandomGenerator::global()->generateDouble() * 4 + 1);
}

Adapted PrepareMessage(Kind kind, const QString& input, const QDateTime& now, int antennaDigit) {
    Adapted out;
    switch (kind) {
    case Kind::Native:
        out.accepted = true;
        out.telegram = input;
        return out;
    case Kind::Pairs12:
    case Kind::Pairs6:
        if (input.size() < 16)
            return out;
        out.idField = FormatZeroPadded(DecimalReading(reversedPairs(input, kind == Kind::Pairs12 ? 12 : 6)),
                                       TagReadTelegram::IdFieldWidth);
        break;
    case Kind::Format26:
        // A line that is no number stays as it is.
        out.idField = Convert::IsNumeric(input)
                          ? FormatZeroPadded(Convert::Val(input), TagReadTelegram::IdFieldWidth)
                          : input;
        break;
    }
    out.accepted = true;
    out.telegram = TagReadTelegram::BuiltHead + QString::number(antennaDigit) +
                   TagReadTelegram::ReadTimeHex(TagReadTelegram::VbTimeToNetTime(now)) + out.idField;
    return out;
}

} // namespace ReaderAdapters
