#include "core/modChronivo.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

SYSTEMTIME timeOfDay(int h, int m, int s, int ms) {
    SYSTEMTIME t;
    t.wHour = quint16(h);
    t.wMinute = quint16(m);
    t.wSecond = quint16(s);
    t.wMilliseconds = quint16(ms);
    return t;
}

} // namespace

TEST(modChronivo, SystemTimeFromDateTimeCountsSundayAsZero) {
    const SYSTEMTIME sunday = SystemTimeFromDateTime(QDateTime(QDate(2024, 3, 3), QTime(9, 5, 3, 870)));
    EXPECT_EQ(sunday.wYear, 2024);
    EXPECT_EQ(sunday.wMonth, 3);
    EXPECT_EQ(sunday.wDay, 3);
    EXPECT_EQ(sunday.wDayOfWeek, 0);
    EXPECT_EQ(sunday.wMilliseconds, 870);
    EXPECT_EQ(SystemTimeFromDateTime(QDateTime(QDate(2024, 3, 9), QTime(0, 0))).wDayOfWeek, 6);
    EXPECT_EQ(SystemTimeFromDateTime(QDateTime()).wYear, 0);
}

TEST(modChronivo, SystemTimeToStringPadsAndDropsMilliseconds) {
    EXPECT_EQ(modChronivo::SystemTimeToString(timeOfDay(9, 5, 3, 870)), "09:05:03");
    EXPECT_EQ(modChronivo::SystemTimeToString(SYSTEMTIME{}), "00:00:00");
}

TEST(modChronivo, SystemTimeDiffSecondsIgnoresDateAndCountsOnOnlyAcrossMidnight) {
    using modChronivo::SystemTimeDiffSeconds;
    EXPECT_DOUBLE_EQ(SystemTimeDiffSeconds(timeOfDay(23, 59, 59, 500), timeOfDay(0, 0, 0, 250)), 0.75);
    EXPECT_DOUBLE_EQ(SystemTimeDiffSeconds(timeOfDay(12, 0, 0, 0), timeOfDay(0, 0, 30, 0)), -43170.0);
    EXPECT_DOUBLE_EQ(SystemTimeDiffSeconds(timeOfDay(10, 0, 0, 1), timeOfDay(10, 0, 0, 0)), -0.001);
    EXPECT_DOUBLE_EQ(SystemTimeDiffSeconds(timeOfDay(10, 0, 0, 0), timeOfDay(10, 0, 1, 1)), 1.001);
    // Borrowing across every field.
    EXPECT_DOUBLE_EQ(SystemTimeDiffSeconds(timeOfDay(10, 59, 59, 999), timeOfDay(11, 0, 0, 0)), 0.001);
    SYSTEMTIME laterDay = timeOfDay(8, 0, 0, 0);
    laterDay.wDay = 5;
    EXPECT_DOUBLE_EQ(SystemTimeDiffSeconds(timeOfDay(8, 0, 0, 0), laterDay), 0.0);
}

TEST(modChronivo, SystemTimeDiffSecondsKeepsATimeBeforeItsStartNegative) {
    struct Case {
        SYSTEMTIME start, taken;
        double seconds;
    };
    const Case cases[] = {
        {timeOfDay(11, 30, 0, 0), timeOfDay(11, 29, 50, 0), -10.0},   // read before a typed start
        {timeOfDay(10, 0, 0, 0), timeOfDay(9, 58, 48, 937), -71.063}, // result before the run start
        {timeOfDay(10, 30, 0, 0), timeOfDay(10, 0, 0, 0), -1800.0},   // result before its wave
        {timeOfDay(12, 0, 0, 0), timeOfDay(0, 0, 0, 0), -43200.0},    // half a day back: still before
        {timeOfDay(23, 58, 43, 500), timeOfDay(0, 0, 2, 250), 78.75}, // across midnight
        {timeOfDay(12, 0, 0, 1), timeOfDay(0, 0, 0, 0), 43199.999},   // just over half a day back
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(modChronivo::SystemTimeDiffSeconds(c.start, c.taken), c.seconds)
            << modChronivo::SystemTimeToString(c.taken).toStdString();
}

TEST(modChronivo, SecondsToTimeString) {
    using modChronivo::SecondsToTimeString;
    EXPECT_EQ(SecondsToTimeString(0), "00:00:00");
    EXPECT_EQ(SecondsToTimeString(3725), "01:02:05");
    EXPECT_EQ(SecondsToTimeString(86400), "24:00:00");
    EXPECT_EQ(SecondsToTimeString(360000), "100:00:00");
    // Negative counts: each non-zero field keeps its own sign.
    EXPECT_EQ(SecondsToTimeString(-5), "00:00:-05");
    EXPECT_EQ(SecondsToTimeString(-65), "00:-01:-05");
    EXPECT_EQ(SecondsToTimeString(-3725), "-01:-02:-05");
    EXPECT_EQ(SecondsToTimeString(std::numeric_limits<qint32>::max()), "596523:14:07");
    EXPECT_EQ(SecondsToTimeString(std::numeric_limits<qint32>::min()), "-596523:-14:-08");
}
