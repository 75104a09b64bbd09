#include "readers/ReaderAdapters.h"
#include "readers/TagReadTelegram.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>

namespace {

using namespace TagReadTelegram;

const QDateTime NewYearNoon(QDate(2026, 1, 1), QTime(12, 0, 0));

TEST(TagReadTelegram, NetTimeCountsSecondsOfTheLocalClockWithoutZoneCorrection) {
    EXPECT_EQ(VbTimeToNetTime(QDateTime(QDate(1970, 1, 1), QTime(0, 0))), 0);
    EXPECT_EQ(VbTimeToNetTime(NewYearNoon), 1767268800);
    // The wall-clock time counts, whatever zone the PC is in.
    const QByteArray zone = qgetenv("TZ");
    for (const char* tz : {"Europe/Berlin", "Pacific/Auckland", "America/New_York", "UTC"}) {
        qputenv("TZ", tz);
        tzset();
        EXPECT_EQ(VbTimeToNetTime(NewYearNoon), 1767268800) << tz;
        // A summer read decodes to the same wall-clock time, daylight saving or not.
        const QDateTime summer(QDate(2026, 7, 1), QTime(12, 0, 0));
        EXPECT_EQ(DecodeReadTimeHex(ReadTimeHex(VbTimeToNetTime(summer))), summer) << tz;
    }
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    tzset();
    // Rounded to the nearest second, halves to even.
    EXPECT_EQ(VbTimeToNetTime(NewYearNoon.addMSecs(499)), 1767268800);
    EXPECT_EQ(VbTimeToNetTime(NewYearNoon.addMSecs(501)), 1767268801);
    EXPECT_EQ(VbTimeToNetTime(NewYearNoon.addMSecs(500)), 1767268800);
    EXPECT_EQ(VbTimeToNetTime(NewYearNoon.addMSecs(1500)), 1767268802);
}

TEST(TagReadTelegram, ReadTimeHexStoresTheBytePairsLastFirstAndDecodesBack) {
    EXPECT_EQ(ReadTimeHex(1767268800), "C0615669");
    EXPECT_EQ(DecodeReadTimeHex("C0615669"), NewYearNoon);
    for (const QDateTime& t :
         {QDateTime(QDate(1978, 7, 4), QTime(21, 24, 16)), QDateTime(QDate(2038, 1, 19), QTime(3, 14, 7)),
          QDateTime(QDate(2026, 5, 17), QTime(23, 59, 59))}) {
        const QString hex = ReadTimeHex(VbTimeToNetTime(t));
        EXPECT_EQ(hex.size(), 8);
        EXPECT_EQ(DecodeReadTimeHex(hex), t);
    }
    // A set high bit reads as a time before 1970.
    EXPECT_EQ(DecodeReadTimeHex("FFFFFFFF"), QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59)));
    EXPECT_EQ(DecodeReadTimeHex("zz"), QDateTime(QDate(1970, 1, 1), QTime(0, 0)));
}

TEST(TagReadTelegram, DateTimeTextLeavesOutTheZeroDateAndMidnight) {
    EXPECT_EQ(DateTimeText(QDateTime(QDate(2026, 5, 17), QTime(10, 0, 5))), "17.05.2026 10:00:05");
    EXPECT_EQ(DateTimeText(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), "00:00:00");
    EXPECT_EQ(DateTimeText(QDateTime(QDate(2026, 5, 17), QTime(0, 0))), "17.05.2026");
}

TEST(TagReadTelegram, FieldsAreReadByPosition) {
    const QString t = "S2Cuam0FF0503C061566900000000000000000000000123";
    EXPECT_TRUE(IsTagRead(t));
    EXPECT_TRUE(IsTagRead("xxUAMxx"));
    EXPECT_FALSE(IsTagRead("S04ugt0"));
    EXPECT_EQ(AntennaOf(t), 3);
    EXPECT_EQ(AntennaOf("S2Cuam0FF050x"), 0);
    EXPECT_EQ(AntennaOf("short"), 0);
    EXPECT_EQ(ReadTimeOf(t), NewYearNoon);
}

TEST(TagReadTelegram, TheIdCutDropsTheHeaderAndTheNativeCr) {
    const QString built = "S2Cuam0FF0503C061566900000000000000000000000123";
    EXPECT_EQ(CutTransponderId(built, "22", false).value(), "0000000000000000000000123");
    EXPECT_EQ(CutTransponderId(built, "21", false).value(), "00000000000000000000000123");
    EXPECT_EQ(CutTransponderId(built, "0", false).value(), built);
    const QString native = built + "\r";
    EXPECT_EQ(CutTransponderId(native, "22", true).value(), "0000000000000000000000123");
    // Line ends are never part of an ID, whatever way round the reader sends them.
    EXPECT_EQ(CutTransponderId(built + "\n\r", "22", true).value(), "0000000000000000000000123");
    EXPECT_EQ(CutTransponderId(built + "\r\n", "21", true).value(), "00000000000000000000000123");
    // A fractional count rounds half to even: 47 - 21.5 = 25.5 gives 26.
    EXPECT_EQ(CutTransponderId(built, "21.5", false).value().size(), 26);
    // No ID where the telegram is shorter than its header, or the header length is no number.
    EXPECT_FALSE(CutTransponderId("S2Cuam", "22", false));
    EXPECT_FALSE(CutTransponderId("\r", "1", true));
    EXPECT_FALSE(CutTransponderId("", "0", true));
    EXPECT_FALSE(CutTransponderId(built, "abc", false));
    EXPECT_FALSE(CutTransponderId(built, "", false));
    EXPECT_EQ(CutTransponderId("S2Cuam", "6", false).value(), "");
}

// ----- adapters ----------------------------------------------------------------------------

using ReaderAdapters::Kind;
using ReaderAdapters::PrepareMessage;

TEST(ReaderAdapters, BuiltTelegramsHaveTheFixedHeadThePcTimeAndA26DigitId) {
    const auto a = PrepareMessage(Kind::Pairs12, "230100000000000000000000", NewYearNoon, 3);
    ASSERT_TRUE(a.accepted);
    EXPECT_EQ(a.telegram, "S2Cuam0FF0503C061566900000000000000000000000123");
    EXPECT_EQ(a.telegram.size(), 47);
    EXPECT_EQ(a.idField, "00000000000000000000000123");

    // Motorola reads only characters 1-12 as six pairs.
    EXPECT_EQ(PrepareMessage(Kind::Pairs6, "230100000000FFFFFFFFFFFF", NewYearNoon, 1).idField,
              "00000000000000000000000123");
    // A hex letter ends the decimal reading.
    EXPECT_EQ(PrepareMessage(Kind::Pairs12, "7B0000000000000000000000", NewYearNoon, 1).idField,
              "00000000000000000000000007");
    // Joined text that does not begin with a digit reads as 0.
    EXPECT_EQ(PrepareMessage(Kind::Pairs12, "0000000000000000000000AB", NewYearNoon, 1).idField,
              QString(26, '0'));
}

TEST(ReaderAdapters, BridgeLinesShorterThan16CharactersAreRefused) {
    EXPECT_FALSE(PrepareMessage(Kind::Pairs12, "123456789012345", NewYearNoon, 1).accepted);
    EXPECT_EQ(PrepareMessage(Kind::Pairs6, "123456789012345", NewYearNoon, 1).telegram, "");
    // Exactly 16: the pairs beyond the end are empty, the rest counts.
    const auto a = PrepareMessage(Kind::Pairs12, "2301000000000000", NewYearNoon, 2);
    ASSERT_TRUE(a.accepted);
    EXPECT_EQ(a.idField, "00000000000000000000000123");
}

TEST(ReaderAdapters, SerialLinesAreZeroPaddedWhenTheyAreNumbers) {
    EXPECT_EQ(PrepareMessage(Kind::Format26, "123", NewYearNoon, 4).idField, "00000000000000000000000123");
    const auto letters = PrepareMessage(Kind::Format26, "A17", NewYearNoon, 4);
    EXPECT_EQ(letters.idField, "A17");
    EXPECT_EQ(letters.telegram.size(), 24);
    EXPECT_TRUE(letters.telegram.endsWith("A17"));
    EXPECT_EQ(PrepareMessage(Kind::Format26, "", NewYearNoon, 4).telegram.size(), 21);
}

TEST(ReaderAdapters, DecimalReadingAndTheZeroPattern) {
    using ReaderAdapters::DecimalReading;
    using ReaderAdapters::FormatZeroPadded;
    EXPECT_EQ(DecimalReading("  0042xyz"), 42);
    EXPECT_EQ(DecimalReading("12D3"), 12000);
    EXPECT_EQ(DecimalReading("12E2F"), 1200);
    EXPECT_EQ(DecimalReading("12EF"), 12);
    EXPECT_EQ(DecimalReading("A1"), 0);
    EXPECT_EQ(DecimalReading("-7.5"), -7.5);
    EXPECT_EQ(FormatZeroPadded(123, 5), "00123");
    EXPECT_EQ(FormatZeroPadded(2.5, 3), "003");
    EXPECT_EQ(FormatZeroPadded(-5, 4), "-0005");
    EXPECT_EQ(FormatZeroPadded(1234567, 3), "1234567");
    // A double keeps 15 significant digits; the rest are zeros.
    EXPECT_EQ(FormatZeroPadded(DecimalReading("123456789012345678901234"), 26), "00123456789012346000000000");
}

TEST(ReaderAdapters, TheDrawnAntennaIsAlwaysOneToFour) {
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i)
        seen.insert(ReaderAdapters::RandomAntennaDigit());
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4}));
}

} // namespace
