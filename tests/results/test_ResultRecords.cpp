#include "platform/RuntimeError.h"
#include "results/BackupLog.h"
#include "results/ResultEntry.h"
#include "results/ResultViews.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultTimes, GrossAndNetFieldsFromSeconds) {
    const ResultEntry::Times t = ResultEntry::ComputeTimes(1513.25, 1200.5);
    EXPECT_EQ(t.sekunden, 1513);
    EXPECT_EQ(t.wertungstime, "00:25:13");
    EXPECT_EQ(t.millisekunden, 1513250);
    EXPECT_EQ(t.zeitNetto, "00:20:00"); // 1200.5 rounds to the even 1200
    EXPECT_EQ(t.millisekNetto, 1200500);
    EXPECT_EQ(ResultEntry::ComputeTimes(13.5, 0).sekunden, 14);
    EXPECT_EQ(ResultEntry::ComputeTimes(12.5, 0).sekunden, 12); // halves go to the even second
    EXPECT_EQ(ResultEntry::ComputeTimes(12.5, 0).wertungstime, "00:00:12");
    // Seconds from millisecond records are not always exact in binary.
    EXPECT_EQ(ResultEntry::Milliseconds(0.1 + 0.2), 300);
    EXPECT_EQ(ResultEntry::Milliseconds(4.999999999), 5000);
}

TEST(ResultTimes, TimesOfDayWrapAtMidnight) {
    EXPECT_EQ(ResultEntry::TimeOfDayAfterMidnight(3725), "01:02:05");
    EXPECT_EQ(ResultEntry::TimeOfDayAfterMidnight(86400 + 61), "00:01:01");
    EXPECT_EQ(ResultEntry::TimeOfDayAfterMidnight(-5), "23:59:55");
    EXPECT_EQ(ResultEntry::StartRecord("10:05:07").wSecond, 7);
    EXPECT_THROW(ResultEntry::StartRecord("zehn Uhr"), RuntimeError);
}

TEST(ResultViewRules, TypedStartNumbers) {
    EXPECT_EQ(ResultViews::StartnummerOf(""), 0);
    EXPECT_EQ(ResultViews::StartnummerOf(" 42 "), 42);
    EXPECT_EQ(ResultViews::StartnummerOf("12.5"), 12);
    EXPECT_EQ(ResultViews::StartnummerOf("13.5"), 14);
    EXPECT_EQ(ResultViews::StartnummerOf("7 or 1=1"), 7);
    EXPECT_EQ(ResultViews::StartnummerOf("x"), 0);
}

TEST(BackupLine, FixedWidthFields) {
    BackupLog::Record r;
    r.lauf = "1";
    r.startDisplay = "10:00:00";
    r.platz = 3;
    r.startnummer = "42";
    r.raceClock = "00:25:13";
    r.grossMs = 1513250;
    r.netMs = 1513250;
    r.dateTime = "17.05.2026 10:25:13";
    const QString line = BackupLog::FormatRecord(r);
    EXPECT_EQ(line, "Lauf: 1    Startzeit: 10:00:00  Platz: 3         Startnummer: 42        Zeit: 00:25:13  "
                    ";1513250;1513250;42        ;17.05.2026 10:25:13");
    EXPECT_EQ(line.indexOf(';'), 88);

    r.startnummer = "123456789012";
    EXPECT_EQ(BackupLog::FormatRecord(r).count("Startnummer: 1234567890Zeit: "), 1);
    EXPECT_EQ(BackupLog::FormatRecord(r).count("1234567890;"), 1);
    r.startnummer = "";
    EXPECT_TRUE(BackupLog::FormatRecord(r).contains("Startnummer:           Zeit:"));
    EXPECT_TRUE(BackupLog::FormatRecord(r).contains(";1513250;" + QString(10, ' ') + ";"));
}

} // namespace
