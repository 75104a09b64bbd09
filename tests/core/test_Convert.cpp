#include "core/Convert.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

using namespace Convert;

namespace {

// Runs a block under another local time zone, so that a conversion that wrongly applies the
// zone shows up even on a machine that runs in UTC.
class ScopedTimeZone final {
public:
    explicit ScopedTimeZone(const char* tz)
        : m_wasSet(qEnvironmentVariableIsSet("TZ")), m_saved(qgetenv("TZ")) {
        qputenv("TZ", tz);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_wasSet)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace

TEST(Convert, ValReadsTheLeadingNumber) {
    EXPECT_EQ(Val(""), 0.0);
    EXPECT_EQ(Val("12abc"), 12.0);
    EXPECT_EQ(Val("  -3.5e2x"), -350.0);
    EXPECT_EQ(Val("\t+7"), 7.0);
    EXPECT_EQ(Val("1,5"), 1.0);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("5."), 5.0);
    EXPECT_EQ(Val("1e"), 1.0);
    EXPECT_TRUE(std::isinf(Val("1e400")));
    EXPECT_EQ(Val("1e-400"), 0.0);
    // The decimal point does not follow the locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Val("1.5"), 1.5);
    QLocale::setDefault(QLocale::c());
}

TEST(Convert, ValReadsHexAndOctalAsLong) {
    EXPECT_EQ(Val("&H1F"), 31.0);
    EXPECT_EQ(Val(" &h1f"), 31.0);
    EXPECT_EQ(Val("&HFF00"), 65280.0);
    EXPECT_EQ(Val("&H80000012"), -2147483630.0);
    EXPECT_EQ(Val("&HFFFFFFFF"), -1.0);
    EXPECT_EQ(Val("&O17"), 15.0);
    EXPECT_EQ(Val("&O8"), 0.0);
    EXPECT_EQ(Val("-&H1F"), 0.0);
}

TEST(Convert, RoundingIsHalfToEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-2.5001), -3);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<qint64>::max());
    EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<qint64>::min());

    EXPECT_EQ(ValLong("-3.5"), -4);
    EXPECT_EQ(ValLong("1e12"), std::numeric_limits<qint32>::max());
    EXPECT_EQ(ValLong("-1e12"), std::numeric_limits<qint32>::min());
    EXPECT_EQ(ValLong("&H8000000F"), -2147483633);
}

TEST(Convert, IsNumericNeedsTheWholeText) {
    for (const char* number : {" 12 ", "-3.5e2", "+.5", "5.", "0", "&H10", "&o17"})
        EXPECT_TRUE(IsNumeric(number)) << number;
    for (const char* other : {"", "   ", "1,5", "12abc", "1e", ".", "-", "&H", "&O19", "1 2"})
        EXPECT_FALSE(IsNumeric(other)) << other;
}

TEST(Convert, TimeTexts) {
    for (const char* valid : {"0:00", "9:05", "09:05:03", "9:05:03", "23:59:59", " 10:00:00 "})
        EXPECT_TRUE(IsValidTimeText(valid)) << valid;
    for (const char* invalid : {"", "abc", "24:00:00", "25:00:00", "10:61:00", "10:00:60", "10:00:00x",
                                "10:5", "100:00:00", "10:00:", "-1:00:00", "10.00.00"})
        EXPECT_FALSE(IsValidTimeText(invalid)) << invalid;
    EXPECT_EQ(TimeOfDay("9:05"), QTime(9, 5, 0));
    EXPECT_EQ(TimeOfDay("23:59:58"), QTime(23, 59, 58));
    EXPECT_FALSE(TimeOfDay("25:00:00").isValid());
}

TEST(Convert, OleDates) {
    EXPECT_EQ(ToOleDate(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_EQ(ToOleDate(QDateTime(QDate(1970, 1, 1), QTime(0, 0))), 25569.0);
    EXPECT_EQ(ToOleDate(QDateTime(QDate(2024, 3, 5), QTime(18, 0))), 45356.75);
    EXPECT_EQ(ToOleDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(ToOleDate(QDateTime()), 0.0);

    EXPECT_EQ(FromOleDate(45356.75), QDateTime(QDate(2024, 3, 5), QTime(18, 0)));
    EXPECT_EQ(FromOleDate(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_FALSE(FromOleDate(std::nan("")).isValid());
    const QDateTime precise(QDate(2024, 3, 5), QTime(12, 34, 56, 789));
    EXPECT_EQ(FromOleDate(ToOleDate(precise)), precise);
    // Just below midnight rounds into the next day, not to 24:00 of the same one.
    EXPECT_EQ(FromOleDate(45356.9999999999), QDateTime(QDate(2024, 3, 6), QTime(0, 0)));
}

TEST(Convert, OleDatesAndUnixSecondsUseTheWallClock) {
    const ScopedTimeZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
    const QDateTime summer(QDate(2024, 7, 1), QTime(12, 0));
    EXPECT_EQ(ToOleDate(summer), 45474.5);
    EXPECT_EQ(FromOleDate(45474.5), summer);
    EXPECT_EQ(UnixSecondsOfLocalClock(QDateTime(QDate(1970, 1, 1), QTime(0, 0))), 0);
    EXPECT_EQ(UnixSecondsOfLocalClock(QDateTime(QDate(2024, 3, 5), QTime(18, 0, 0, 999))), 1709661600);
    // Truncated toward zero, not floored.
    EXPECT_EQ(UnixSecondsOfLocalClock(QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 500))), 0);
    // A UTC value is first shown on the local clock.
    EXPECT_EQ(UnixSecondsOfLocalClock(QDateTime(QDate(2024, 7, 1), QTime(10, 0), Qt::UTC)),
              UnixSecondsOfLocalClock(summer));
}

TEST(Convert, ToBoolFromSettingsText) {
    for (const char* yes : {"True", "true", "TRUE", "-1", "1", "2", " -1 ", "0.5", "&H1"})
        EXPECT_TRUE(ToBool(yes, false)) << yes;
    for (const char* no : {"False", "false", "0", "0.0", "&H0"})
        EXPECT_FALSE(ToBool(no, true)) << no;
    for (const char* other : {"", "yes", "Wahr", "1x"}) {
        EXPECT_TRUE(ToBool(other, true)) << other;
        EXPECT_FALSE(ToBool(other, false)) << other;
    }
}
