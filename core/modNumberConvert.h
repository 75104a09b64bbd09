#pragma once

#include <QString>
#include <QtGlobal>

// Decimal/binary digit texts and the byte nibbles the antenna settings of the reader consoles
// pack into their register values. Invalid input gives an empty text (or 0), never an error.
namespace modNumberConvert {

// Decimal digits ("0"-"9" only; a sign or blank is invalid) to binary digits without leading
// zeros: "5" gives "101", "0" and "" give "0". Invalid text, or a value above the 32-bit range,
// gives "".
QString DecToBin(const QString& decimal);

// Binary digits to decimal digits, exact for any length; "" gives "0", any character other than
// "0" or "1" gives "".
QString BinToDec(const QString& binary);

// Bits 7-4 and 3-0 of a byte given as decimal text ("171" gives 10 and 11). The binary text is
// padded to at least 8 digits and cut at digits 1-4 and 5-8, so for values above 255 these are
// the leading digits, not the low byte. Text DecToBin rejects gives 0.
qint32 GetHighNibble(const QString& decimal);
qint32 GetLowNibble(const QString& decimal);

} // namespace modNumberConvert
