#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

// The one text form of a tag read that every reader console works on:
//   "S", payload length (2 hex digits), "uam", six reader characters, antenna digit 1-4,
//   the read time as 8 hex digits (ReadTimeHex), the tag's ID field,
// ended by CR when a native reader sends it. Fields are read by position only.
namespace TagReadTelegram {

// Built telegrams always carry this head: payload 44 characters, tag-read reply, reader field.
inline const QString BuiltHead = QStringLiteral("S2Cuam0FF050");
inline constexpr int IdFieldWidth = 26;

// Whole seconds since 1970-01-01 00:00 of the local wall clock, rounded to the nearest second
// (halves to even); no time-zone or daylight-saving correction. Clamped to 32 bits.
qint32 VbTimeToNetTime(const QDateTime& localTime);

// The seconds as upper-case hex without leading zeros, its byte pairs stored last first:
// 1767268800 (695661C0) gives C0615669.
QString ReadTimeHex(qint32 seconds);

// The reverse: pairs turned back, read as a 32-bit hex number (high bit set reads as negative),
// added to 1970-01-01 00:00 of the local clock. Text without hex digits reads as 0.
QDateTime DecodeReadTimeHex(const QString& eightHexDigits);

// The date-and-time text the booking list and the clock tab show, as a German desktop writes
// a date value: "17.05.2026 10:00:00"; a time on the zero date shows the time alone, midnight
// shows the date alone.
QString DateTimeText(const QDateTime& value);

// A tag read is a telegram that holds "uam" anywhere, in any case.
bool IsTagRead(const QString& telegram);

// Character 13 as a number; anything but a digit gives 0.
int AntennaOf(const QString& telegram);

// Characters 14-21 decoded as ReadTimeHex.
QDateTime ReadTimeOf(const QString& telegram);

// The transponder ID: the telegram without its first k characters (k the header length as
// typed), and without its last character (the CR) when the telegram is a native one. The count
// is Len - k (- 1), rounded half to even; line-end characters are taken out of the ID. Nothing
// when the header length is no number or the telegram is shorter than the header: such a
// telegram has no ID.
std::optional<QString> CutTransponderId(const QString& telegram, const QString& headerLength,
                                        bool endsWithCr);

} // namespace TagReadTelegram
