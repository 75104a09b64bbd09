#include "core/modNumberConvert.h"

#include <algorithm>
#include <limits>

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The binary text padded to a byte's eight digits (longer texts stay as they are).
QString paddedBits(const QString& decimal) {
    return modNumberConvert::DecToBin(decimal).rightJustified(8, QLatin1Char('0'));
}

} // namespace

namespace modNumberConvert {

QString DecToBin(const QString& decimal) {
    qint64 v = 0;
    for (const QChar c : decimal) {
        if (!isAsciiDigit(c))
            return {};
        v = v * 10 + (c.unicode() - '0');
        if (v > std::numeric_limits<qint32>::max())
            return {};
    }
    QString bits;
    qint64 i = 0;
    do {
        bits.prepend((v >> i) & 1 ? QLatin1Char('1') : QLatin1Char('0'));
        ++i;
    } while ((qint64(1) << i) <= v);
    return bits;
}

QString BinToDec(const QString& binary) {
    // Decimal digits, least significant first; doubling in decimal keeps any length exact.
    QByteArray digits("0");
    for (const QChar c : binary) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1'))
            return {};
        int carry = c == QLatin1Char('1') ? 1 : 0;
        for (char& d : digits) {
            const int v = (d - '0') * 2 + carry;
            d = char('0' + v % 10);
            carry = v / 10;
        }
        if (carry)
            digits.append(char('0' + carry));
    }
    std::reverse(digits.begin(), digits.end());
    return QString::fromLatin1(digits);
}

qint32 GetHighNibble(const QString& decimal) {
    return BinToDec(paddedBits(decimal).left(4)).toInt();
}

qint32 GetLowNibble(const QString& decimal) {
    return BinToDec(paddedBits(decimal).mid(4, 4)).toInt();
}

} // namespace modNumberConvert
