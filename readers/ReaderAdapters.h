#pragma once

#include <QDateTime>
#include <QString>

// The adapters that turn what a bridge program or a serial tag reader sends into a built
// TagReadTelegram: "S2Cuam0FF050", an antenna digit, the PC time as ReadTimeHex, and the
// ID field (47 characters when the field has 26 digits), without CR.
namespace ReaderAdapters {

enum class Kind {
    Native,   // the reader sends telegrams itself: nothing to adapt
    Pairs12,  // Mercury-line bridge: characters 1-24 as 12 pairs, last pair first
    Pairs6,   // Motorola bridge: characters 1-12 as 6 pairs, last pair first
    Format26, // serial line: the line itself, a number zero-padded to 26 digits
};

struct Adapted {
    // False when the input was refused (bridge line shorter than 16 characters): the
    // telegram is then "" and no log lines are due.
    bool accepted = false;
    QString telegram;
    // The ID field alone, which the "(OUT) PrepareMessage: " log line carries.
    QString idField;
};

// antennaDigit is the drawn antenna, 1 to 4; now the PC clock at the moment of adaptation.
Adapted PrepareMessage(Kind kind, const QString& input, const QDateTime& now, int antennaDigit);

// A uniformly drawn antenna digit, 1 to 4.
int RandomAntennaDigit();

// The decimal reading of a text: leading blanks skipped, then sign, digits, decimal point and
// an exponent written with E or D; reading stops at the first character that cannot continue
// the number (so a hex letter other than a D or E exponent ends it). No digits give 0.
double DecimalReading(const QString& text);

// The value rounded to a whole number (halves away from zero) as decimal digits, zero-padded
// on the left to `width`; beyond 15 significant digits the digits are zeros, as a double
// holds no more. A minus sign goes in front of the padded digits.
QString FormatZeroPadded(double value, int width);

} // namespace ReaderAdapters
