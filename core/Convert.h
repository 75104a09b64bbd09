#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <QtGlobal>

#include <optional>

// The value conversions every window relies on: settings and grid cells hold numbers, colours,
// Booleans and times as text, and the export and reader formats hold dates as OLE day numbers
// or Unix-style seconds. Each conversion has exactly one definition here.
namespace Convert {

// The leading number of a text, as the classic Val() reads it: leading blanks, tabs, CR and LF
// are skipped; then an optional sign, digits, an optional "." with digits and an optional
// exponent (e/E, optional sign, at least one digit); reading stops at the first other character
// ("12abc" gives 12, "1,5" gives 1). No number at all gives 0. The decimal point is always "."
// whatever the locale.
// "&H" followed by hex digits and "&O" followed by octal digits (no sign) read as a 32-bit
// value, two's complement like a Long: "&H1F" gives 31, "&HFF00" gives 65280 (no 16-bit
// narrowing, since colours are written this way), "&H80000012" gives -2147483630. More digits
// than 32 bits hold give the plain unsigned value.
double Val(const QString& text);

// A number as text the way a number variable prints: whole values without decimals
// ("42", not "42.0"), others with their fraction.
QString NumberText(double value);

// Val rounded half to even and clamped to the 32-bit signed range.
qint64 ValLong(const QString& text);

// Typed text as a whole number within [min, max], the way a number box must hold it: text
// that is no number raises RuntimeError 13 "Typen unverträglich", a value outside the range
// (after banker's rounding) raises 6 "Überlauf".
qint64 WholeNumber(const QString& text, qint64 min, qint64 max);
// The same without raising: nothing for text that is no number or a value outside the range.
std::optional<qint64> WholeNumberWithin(const QString& text, qint64 min, qint64 max);

// Banker's rounding: 2.5 gives 2, 3.5 gives 4, -2.5 gives -2. Values beyond the 64-bit range
// are clamped; NaN gives 0.
qint64 RoundHalfEven(double value);

// True when the whole text, trimmed, is one number: optional sign, digits with an optional "."
// (at least one digit on either side), optional exponent; or "&H"/"&O" with at least one hex or
// octal digit. "" and "1,5" are not numbers, " 12 " and "&H10" are.
bool IsNumeric(const QString& text);

// True for a time of day "h:mm", "hh:mm", "h:mm:ss" or "hh:mm:ss" (hour 0-23, minute and second
// two digits 00-59), surrounding blanks ignored. Anything else is false, including "24:00:00"
// and trailing characters.
bool IsValidTimeText(const QString& text);

// The time of such a text (seconds 0 when omitted); an invalid QTime when IsValidTimeText fails.
QTime TimeOfDay(const QString& text);

// Days since 1899-12-30 00:00 of the local wall clock, the time of day as the fraction. A value
// in UTC or another zone is first shown in local time; an invalid value gives 0. Dates before the
// epoch follow the OLE form: the fraction counts forward from the day, -1.25 is 1899-12-29 06:00.
double ToOleDate(const QDateTime& dateTime);

// The local date and time of an OLE day number, to the millisecond; invalid for NaN or infinity.
QDateTime FromOleDate(double oleDate);

// Whole seconds since 1970-01-01 00:00 of the local wall clock, with no time-zone correction:
// (OLE date - 25569) x 86400 truncated toward zero, computed exactly without floating point.
qint64 UnixSecondsOfLocalClock(const QDateTime& dateTime);

// A Boolean from settings text, trimmed: "True"/"False" in any case, or any number (non-zero is
// true, so "-1" and "1" are both true). Any other text, "" included, gives the default.
bool ToBool(const QString& text, bool defaultValue);

} // namespace Convert
