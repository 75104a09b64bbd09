#include "support/TestServices.h"
#include "timing/ClockText.h"
#include "timing/frmChronivo.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(ClockText, RaceClockAndBlinkRule) {
    EXPECT_EQ(ClockText::RaceClock("10:00:00", "10:05:09"), "00:05:09");
    // Times of day only: a run started at 23:59:00 is at -23:-58:00 by 00:01:00.
    EXPECT_EQ(ClockText::RaceClock("23:59:00", "00:01:00"), "-23:-58:00");
    // A display without a time gives no race clock rather than a wrong one.
    EXPECT_EQ(ClockText::RaceClock("", "10:00:00"), "");
    EXPECT_EQ(ClockText::BoardLine("14:05:07", true), QByteArray("140507\r\n"));
    EXPECT_EQ(ClockText::BoardLine("14:05:08", true), QByteArray("14:05:08\r\n"));
    EXPECT_EQ(ClockText::BoardLine("14:05:07", false), QByteArray("14:05:07\r\n"));
}

struct Clocks : ::testing::Test {
    TestServices t;
    frmChronivo w{t.services()};

    void SetUp() override { w.startUp(); }
    void at(const QTime& time) {
        t.clock().setTime(time);
        w.Timer2_Timer();
    }
    // Light green and disabled once the wave's start has passed, light red and enabled before.
    bool started(int i) const {
        const bool green = w.cmdSetStartZeit[i]->styleSheet().contains("#80ff80", Qt::CaseInsensitive);
        EXPECT_EQ(green, !w.cmdSetStartZeit[i]->isEnabled());
        return green;
    }
};

TEST_F(Clocks, TheSystemClockShowsTheTimeOfDayAndTheWaveButtonsFollowIt) {
    w.edtImZiel[0]->setProperty("Tag", "10:00:00");
    w.edtImZiel[1]->setProperty("Tag", "10:30:00");
    at(QTime(9, 59, 59, 900));
    EXPECT_EQ(w.lblSysTimeOut->text(), "09:59:59");
    EXPECT_FALSE(started(0));
    at(QTime(10, 0, 0));
    EXPECT_FALSE(started(0));
    at(QTime(10, 0, 1));
    EXPECT_TRUE(started(0));
    EXPECT_FALSE(started(1));
    // Buttons of waves that are not defined are never offered.
    EXPECT_TRUE(started(9));
}

TEST_F(Clocks, TheRaceClockCountsFromTheRunsStartAndGoesNegativeAfterMidnight) {
    t.clock().setTime(QTime(23, 59, 0, 250));
    w.cmdStart_Click();
    at(QTime(23, 59, 42));
    w.Timer1_Timer();
    EXPECT_EQ(w.sspWertungTimeOut->text(), "00:00:42");
    at(QTime(0, 1, 0));
    w.Timer1_Timer();
    EXPECT_EQ(w.sspWertungTimeOut->text(), "-23:-58:00");
    // The clock shows the whole text, not a clipped part of it.
    EXPECT_GE(w.sspWertungTimeOut->width(),
              w.sspWertungTimeOut->fontMetrics().horizontalAdvance("-23:-58:00"));
}

} // namespace
