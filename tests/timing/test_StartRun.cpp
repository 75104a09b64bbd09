#include "support/TestServices.h"
#include "timing/WaveCountdown.h"
#include "timing/frmStartRun.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(StarterList, WavesStoredOutOfOrderAreCountedDownInTimeOrder) {
    const std::vector<StarterRow> list =
        LoadStarterList({"201;300;10:30:00;C", "1;100;10:00:00;A", "kein;Eintrag", "101;200;10:15:00;B",
                         "301;400;09:45:00;D"});
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(StarterRowText(list[0]), "301;400;09:45:00");
    EXPECT_EQ(StarterRowText(list[1]), "1;100;10:00:00");
    EXPECT_EQ(StarterRowText(list[2]), "101;200;10:15:00");
    EXPECT_EQ(StarterRowText(list[3]), "201;300;10:30:00");

    // The sort holds for any order, also with equal times and a sorted or reversed start.
    std::vector<StarterRow> many;
    for (int i = 0; i < 200; ++i)
        many.push_back({i, i, (i * 7919) % 61});
    SortStartList(many, 0, 199, 1);
    for (size_t i = 1; i < many.size(); ++i)
        EXPECT_LE(many[i - 1].startSeconds, many[i].startSeconds);
}

// A starter on a fake clock. The walk moves the clock in 50 ms steps and runs each tick of the
// countdown, and the beeper whenever 777 ms have passed since it was switched on, as the
// window's timers would.
struct StartRun : ::testing::Test {
    struct Beep {
        QTime at;
        int count;
    };

    TestServices t;
    QTime firstPressAt;
    int presses = 0;
    std::vector<Beep> beeps;
    frmStartRun* r = nullptr;
    QDateTime beeperOnSince;

    void waves(const QStringList& rows) {
        t.settings().SaveSetting("StartZeiten", "Rows", QString::number(rows.size()));
        for (int i = 0; i < rows.size(); ++i)
            t.settings().SaveSetting("StartZeiten", QString::number(i + 1), rows[i]);
    }
    void open(const QTime& at) {
        t.clock().setTime(at);
        r = new frmStartRun(t.services(), [this] {
            if (++presses == 1)
                firstPressAt = t.clock().now().time();
        });
        r->Form_Load();
    }
    void TearDown() override { delete r; }

    void walk(qint64 ms) {
        for (qint64 done = 0; done < ms; done += 50) {
            t.clock().advanceMs(50);
            const QDateTime now = t.clock().now();
            if (r->Timer3->isActive() && beeperOnSince.msecsTo(now) >= 777) {
                const int before = t.beeper().beeps;
                r->Timer3_Timer();
                if (t.beeper().beeps > before)
                    beeps.push_back({now.time(), t.beeper().beeps - before});
                beeperOnSince = now;
            }
            const bool wasOn = r->Timer3->isActive();
            if (r->Timer2->isActive())
                r->Timer2_Timer();
            if (!wasOn && r->Timer3->isActive())
                beeperOnSince = now;
        }
    }
    void walkTo(const QTime& until) { walk(t.clock().now().time().msecsTo(until)); }
    // The remaining seconds each beeper tick that beeped heard, near one wave.
    std::set<int> beepedSecondsBefore(const QTime& wave) {
        std::set<int> out;
        for (const Beep& b : beeps) {
            const int remaining = QTime(0, 0).secsTo(wave) - b.at.msecsSinceStartOfDay() / 1000;
            if (remaining >= 0 && remaining <= 5)
                out.insert(remaining);
        }
        return out;
    }
};

TEST_F(StartRun, OpensWithTheTableInTimeOrderTheClockAndTheInvitationToStart) {
    waves({"101;200;10:00:30;B", "1;100;10:00:00;A"});
    t.settings().SaveSetting("frmStartRun", "Displaycolor", QString::number(0x0000FF));
    t.settings().SaveSetting("frmStartRun", "Form Left", "1500");
    t.settings().SaveSetting("frmStartRun", "Form Top", "3000");
    open(QTime(9, 59, 50));
    EXPECT_EQ(r->windowTitle(), "Automatischer Läufer Starter");
    EXPECT_EQ(r->pos(), QPoint(100, 200));
    EXPECT_EQ(r->lblSysTimeOut->text(), "09:59:50");
    EXPECT_EQ(r->lblSysTimeOut->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(r->Timer1->isActive());
    EXPECT_FALSE(r->Timer2->isActive());
    ASSERT_EQ(r->dbgStartList->rowCount(), 2);
    EXPECT_EQ(r->dbgStartList->item(0, 2)->text(), "10:00:00");
    EXPECT_EQ(r->dbgStartList->item(1, 0)->text(), "101");
    EXPECT_EQ(r->sspEnde->text(), "Drücken Sie <Start> um den Countdown zu starten");
    EXPECT_FALSE(r->sspEnde->isHidden());
}

TEST_F(StartRun, StartsTheRunOnceAtTheFirstWavesSecondAndBeepsInTheLastFiveSeconds) {
    waves({"101;200;10:00:30;B", "1;100;10:00:00;A"});
    open(QTime(9, 59, 50));
    r->cmdStart_Click();
    EXPECT_TRUE(r->sspEnde->isHidden());
    EXPECT_FALSE(r->cmdStart->isEnabled());
    EXPECT_FALSE(r->cmdLoad->isEnabled());
    EXPECT_EQ(r->edtStartNr->text(), "1");

    walkTo(QTime(9, 59, 53, 500));
    EXPECT_EQ(r->lblStartTimeOut->text(), "00:00:07");
    walkTo(QTime(9, 59, 59, 950));
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(r->lblStartTimeOut->text(), "00:00:01");
    walkTo(QTime(10, 0, 0, 0));
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(r->lblStartTimeOut->text(), "00:00:00");
    // One second later the first wave has passed and the next one is shown.
    walkTo(QTime(10, 0, 1, 0));
    EXPECT_EQ(r->edtStartNr->text(), "101");
    EXPECT_EQ(r->dbgStartList->rowCount(), 1);
    walk(50);
    EXPECT_EQ(r->lblStartTimeOut->text(), "00:00:29");

    walkTo(QTime(10, 0, 45));
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(firstPressAt, QTime(10, 0, 0));
    EXPECT_EQ(r->sspEnde->text(), "Alle Läufer gestartet");
    EXPECT_FALSE(r->sspEnde->isHidden());
    EXPECT_EQ(r->dbgStartList->rowCount(), 0);
    EXPECT_EQ(r->lblStartTimeOut->text(), "00:00:00");
    EXPECT_TRUE(r->cmdStart->isEnabled());
    EXPECT_TRUE(r->cmdLoad->isEnabled());
    EXPECT_FALSE(r->Timer2->isActive());
    EXPECT_FALSE(r->Timer3->isActive());

    // Beeps only in each wave's last five seconds: one per beeper tick, every one of those
    // seconds heard, and six at the wave's own second.
    for (const Beep& b : beeps) {
        const bool nearFirst = b.at >= QTime(9, 59, 55) && b.at < QTime(10, 0, 1);
        const bool nearSecond = b.at >= QTime(10, 0, 25) && b.at < QTime(10, 0, 31);
        EXPECT_TRUE(nearFirst || nearSecond) << b.at.toString("hh:mm:ss.zzz").toStdString();
        const bool waveSecond = b.at.second() == 0 || b.at.second() == 30;
        EXPECT_EQ(b.count, waveSecond ? 6 : 1) << b.at.toString("hh:mm:ss.zzz").toStdString();
    }
    EXPECT_EQ(beepedSecondsBefore(QTime(10, 0, 0)), std::set<int>({0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(beepedSecondsBefore(QTime(10, 0, 30)), std::set<int>({0, 1, 2, 3, 4, 5}));
}

TEST_F(StartRun, AStartAfterTheWavesStartsAtOnceAndDropsOnePassedWavePerTick) {
    waves({"1;100;10:00:00;A", "101;200;10:00:30;B", "201;300;10:05:00;C"});
    open(QTime(10, 1, 0));
    r->cmdStart_Click();
    walk(50);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(r->dbgStartList->rowCount(), 2);
    walk(50);
    EXPECT_EQ(r->dbgStartList->rowCount(), 1);
    EXPECT_EQ(r->edtStartNr->text(), "201");
    walk(50);
    EXPECT_EQ(r->lblStartTimeOut->text(), "00:04:00");
    walk(1000);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(t.beeper().beeps, 0);
}

TEST_F(StartRun, EachCountdownPressesOnceAlsoAcrossMidnight) {
    // By times of day the wave after midnight has passed at 23:59:50, so the run starts at the
    // first tick; the wave at 23:59:58 then must not start it a second time.
    waves({"1;100;23:59:58;A", "101;200;00:00:05;B"});
    t.clock().set(QDateTime(QDate(2026, 5, 16), QTime(23, 59, 50)));
    open(QTime(23, 59, 50));
    r->cmdStart_Click();
    walk(30000);
    EXPECT_EQ(t.clock().now().time(), QTime(0, 0, 20));
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(firstPressAt, QTime(23, 59, 50, 50));
    EXPECT_EQ(r->sspEnde->text(), "Alle Läufer gestartet");

    // A new countdown may press again: once.
    waves({"1;100;00:00:25;A", "101;200;00:00:26;B"});
    r->cmdStart_Click();
    walk(10000);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(r->sspEnde->text(), "Alle Läufer gestartet");

    // A wave at the day's last second is due again after midnight by the time of day; the
    // countdown goes on towards it but never presses a second time.
    waves({"1;100;23:59:59;A"});
    t.clock().set(QDateTime(QDate(2026, 5, 17), QTime(23, 59, 55)));
    r->cmdStart_Click();
    walk(15000);
    EXPECT_EQ(presses, 3);
    EXPECT_EQ(r->lblStartTimeOut->text(), "23:59:49");
}

TEST_F(StartRun, AOneWaveTableStartsAtItsSecondAndFinishesInTheNext) {
    waves({"1;100;23:59:58;A"});
    t.clock().set(QDateTime(QDate(2026, 5, 16), QTime(23, 59, 56)));
    open(QTime(23, 59, 56));
    r->cmdStart_Click();
    walkTo(QTime(23, 59, 58, 0));
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(r->Timer2->isActive());
    walk(1000);
    EXPECT_FALSE(r->Timer2->isActive());
    EXPECT_EQ(r->sspEnde->text(), "Alle Läufer gestartet");
    walk(5000);
    EXPECT_EQ(presses, 1);
}

TEST_F(StartRun, AnEmptyTableStartsNothingAndSaysAllAreStarted) {
    open(QTime(9, 0, 0));
    EXPECT_EQ(r->dbgStartList->rowCount(), 0);
    r->cmdStart_Click();
    EXPECT_EQ(r->sspEnde->text(), "Alle Läufer gestartet");
    EXPECT_FALSE(r->sspEnde->isHidden());
    EXPECT_FALSE(r->Timer2->isActive());
    EXPECT_TRUE(r->cmdStart->isEnabled());
    walk(2000);
    EXPECT_EQ(presses, 0);
    r->cmdLoad_Click();
    EXPECT_EQ(r->sspEnde->text(), "Drücken Sie <Start> um den Countdown zu starten");
}

TEST_F(StartRun, APositionSavedOffTheScreenOpensWhollyOnIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LT(area.right(), 1000 + 572); // at x = 1000 the buttons would stand beyond the edge
    t.settings().SaveSetting("frmStartRun", "Form Left", "15000");
    t.settings().SaveSetting("frmStartRun", "Form Top", "90000");
    open(QTime(9, 0));
    EXPECT_TRUE(area.contains(r->frameGeometry()));
}

TEST_F(StartRun, ClosingStopsTheCountdownAndStoresThePosition) {
    waves({"1;100;10:00:00;A"});
    open(QTime(9, 59, 58));
    r->move(60, 40);
    r->cmdStart_Click();
    walk(100);
    r->Form_Unload();
    EXPECT_FALSE(r->Timer1->isActive());
    EXPECT_FALSE(r->Timer2->isActive());
    EXPECT_TRUE(r->cmdLoad->isEnabled());
    EXPECT_EQ(t.settings().GetSetting("frmStartRun", "Form Left"), "900");
    EXPECT_EQ(t.settings().GetSetting("frmStartRun", "Form Top"), "600");
    walk(5000);
    EXPECT_EQ(presses, 0);
}

} // namespace
