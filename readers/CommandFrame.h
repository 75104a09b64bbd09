#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The text commands a reader console sends and the two replies it evaluates besides tag reads.
// Commands are fire-and-forget: nothing here waits for or matches a reply.
namespace CommandFrame {

// The length field has two hex digits.
inline constexpr int MaxCommandLength = 255;

// "S", the command's length as two upper-case hex digits, the command unchanged, CR. Nothing
// for a command longer than MaxCommandLength, whose length the field cannot hold.
std::optional<QString> Frame(const QString& command);

inline const QString PollCommand = QStringLiteral("UAM00");
inline const QString GetClockCommand = QStringLiteral("UGT0");

// "UPT0" and the local wall-clock seconds since 1970 in the read-time encoding (four bytes,
// least significant first): 2026-01-01 12:00:00 gives "UPT0C0615669".
QString SetClockCommand(const QDateTime& localNow);

// The register reads "F06A" to "F071": power of antennas 1-4, then their attenuation.
QStringList RegisterReads();

// "P06A" to "P06D" (antenna 0-3) with the power register value as two upper-case hex digits:
// the slider value when the antenna is in use, "00" when it is not.
QString PowerCommand(int antenna, bool inUse, int sliderValue);
// "P06E" to "P071" (antenna 0-3) with the attenuation in quarter dB, 0 to 255, as two digits.
QString AttenuationCommand(int antenna, int quarterDb);

// The tag-writing command: "W0", the antenna text unchanged, "000000000", "6" and the start
// number as 24 digits. Nothing when the number is not a whole number from 0 to 10^24 - 1
// (digits only, blanks around it allowed), which the 24-digit field could not hold.
std::optional<QString> TagWriteCommand(const QString& antenna, const QString& startnummer);

// The number after a written one, exact for any number of digits ("0099" gives "100"). A text
// that is not plain digits counts by its leading number ("" gives "1").
QString NextNumberText(const QString& number);

// A read confirms the write of `number` only when its transponder ID is that number: both
// plain digits, equal once leading zeros are set aside. Where else the number may stand in
// the telegram (reader field, read time) does not count.
bool IsWrittenTag(const QString& id, const QString& number);

// A register reply "S", length, "f", "0", register, value: register "6A" to "71" in upper
// case, "f" in lower case, value two hex digits. Anything else is no register reply.
struct RegisterReply {
    int antenna = 0;    // 0-3
    bool power = false; // a power register 6A-6D, else attenuation 6E-71
    int value = 0;      // 0-255
};
std::optional<RegisterReply> ParseRegisterReply(const QString& line);

// A clock reply holds "ugt" in any case; characters 8-15 are the reader's clock in the
// read-time encoding. Nothing when "ugt" is missing or those are not eight hex digits.
std::optional<QDateTime> ParseClockReply(const QString& reply);

} // namespace CommandFrame
