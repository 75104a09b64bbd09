#include "support/TestServices.h"
#include "timing/ClockText.h"
#include "timing/frmChronivo.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ClockText, RaceClockRunsFromStartToClockAndGoesNegativePastMidnight) {
    EXPECT_EQ(ClockText::RaceClock("10:00:00", "10:05:09"), "00:05:09");
    EXPECT_EQ(ClockText::RaceClock("08:00:00", "19:00:00"), "11:00:00");
    // Times of day only: a run started at 23:59:00 is at -23:-58:00 by 00:01:00.
    EXPECT_EQ(ClockText::RaceClock("23:59:00", "00:01:00"), "-23:-58:00");
    // A display without a time gives no race clock at all rather than a wrong one.
    EXPECT_EQ(ClockText::RaceClock("", "10:00:00"), "");
    EXPECT_EQ(ClockText::RaceClock("10:00:00", "xx"), "");
}

TEST(ClockText, BlinkDropsTheColonsOnOddSecondsOnly) {
    EXPECT_EQ(ClockText::BoardLine("14:05:07", true), QByteArray("140507\r\n"));
    EXPECT_EQ(ClockText::BoardLine("14:05:08", true), QByteArray("14:05:08\r\n"));
    EXPECT_EQ(ClockText::BoardLine("14:05:07", false), QByteArray("14:05:07\r\n"));
    EXPECT_EQ(ClockText::ApplyBlink("00:00:59", true), "000059");
}

TEST(ClockText, AWaveHasStartedOnlyAfterItsStartTime) {
    EXPECT_FALSE(ClockText::WaveHasStarted("10:00:00", "09:59:59"));
    EXPECT_FALSE(ClockText::WaveHasStarted("10:00:00", "10:00:00"));
    EXPECT_TRUE(ClockText::WaveHasStarted("10:00:00", "10:00:01"));
    // An undefined wave never offers its button.
    EXPECT_TRUE(ClockText::WaveHasStarted("", "10:00:00"));
}

struct Clocks : ::testing::Test {
    TestServices t;
    std::unique_ptr<frmChronivo> w;

    void SetUp() override {
        w = std::make_unique<frmChronivo>(t.services());
        w->startUp();
    }
    void at(const QTime& time) {
        t.clock().setTime(time);
        w->Timer2_Timer();
    }
    bool green(int i) const {
        return w->cmdSetStartZeit[i]->styleSheet().contains("#80ff80", Qt::CaseInsensitive);
    }
    bool red(int i) const {
        return w->cmdSetStartZeit[i]->styleSheet().contains("#ff8080", Qt::CaseInsensitive);
    }
};

TEST_F(Clocks, TheTimersRunAtTheirIntervals) {
    EXPECT_EQ(w->Timer1->interval(), 1000);
    EXPECT_EQ(w->Timer2->interval(), 250);
    EXPECT_EQ(w->Timer3->interval(), 100);
    EXPECT_TRUE(w->Timer2->isActive());
    EXPECT_TRUE(w->Timer3->isActive());
    EXPECT_EQ(w->Timer3->timerType(), Qt::PreciseTimer);
    // The race clock only runs during a run.
    EXPECT_FALSE(w->Timer1->isActive());
}

TEST_F(Clocks, TheSystemClockShowsTheTimeOfDayAndTheWaveButtonsFollowIt) {
    w->edtImZiel[0]->setProperty("Tag", "10:00:00");
    w->edtImZiel[1]->setProperty("Tag", "10:30:00");
    at(QTime(9, 59, 59, 900));
    EXPECT_EQ(w->lblSysTimeOut->text(), "09:59:59");
    EXPECT_TRUE(red(0));
    EXPECT_TRUE(w->cmdSetStartZeit[0]->isEnabled());
    at(QTime(10, 0, 0));
    EXPECT_TRUE(red(0));
    EXPECT_TRUE(w->cmdSetStartZeit[0]->isEnabled());
    at(QTime(10, 0, 1));
    EXPECT_TRUE(green(0));
    EXPECT_FALSE(w->cmdSetStartZeit[0]->isEnabled());
    EXPECT_TRUE(red(1));
    EXPECT_TRUE(w->cmdSetStartZeit[1]->isEnabled());
    // Buttons of waves that are not defined are never offered.
    EXPECT_TRUE(green(9));
    EXPECT_FALSE(w->cmdSetStartZeit[9]->isEnabled());
}

TEST_F(Clocks, TheRaceClockCountsFromTheRunsStartAndGoesNegativeAfterMidnight) {
    t.clock().setTime(QTime(23, 59, 0, 250));
    w->cmdStart_Click();
    EXPECT_TRUE(w->Timer1->isActive());
    at(QTime(23, 59, 42));
    w->Timer1_Timer();
    EXPECT_EQ(w->sspWertungTimeOut->text(), "00:00:42");
    at(QTime(0, 1, 0));
    w->Timer1_Timer();
    EXPECT_EQ(w->sspWertungTimeOut->text(), "-23:-58:00");
    // The clock must show the whole text, not a clipped part of it.
    EXPECT_GE(w->sspWertungTimeOut->width(),
              w->sspWertungTimeOut->fontMetrics().horizontalAdvance("-23:-58:00"));
}

} // namespace
