#include "MainWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {

using RunControl = MainWindowTest;

void expectRunning(frmChronivo& w, bool running) {
    EXPECT_EQ(w.cmdWertung->isEnabled(), running);
    EXPECT_EQ(w.edtStartnummer->isEnabled(), running);
    EXPECT_EQ(w.cmdStart->isEnabled(), !running);
    EXPECT_EQ(w.cmdStartVorgabe->isEnabled(), !running);
    EXPECT_EQ(w.cmdAutoStart->isEnabled(), !running);
    EXPECT_EQ(w.Timer1->isActive(), running);
    EXPECT_EQ(w.tmrBlinker->isActive(), !running);
}

TEST_F(RunControl, StartStampsTheClockAndStoresTheRunState) {
    start();
    startRunAt(10, 11, 12, 345);
    expectRunning(*w, true);
    EXPECT_EQ(w->lblStartTimeOut->text(), "10:11:12");
    EXPECT_EQ(w->m_stRunStart.wMilliseconds, 345);
    EXPECT_EQ(setting("Lauf1Gestartet"), "1");
    EXPECT_EQ(setting("Lauf1Startzeit"), "10:11:12");

    w->mnuLaufBeenden_Click();
    expectRunning(*w, false);
    EXPECT_EQ(w->lblStartTimeOut->text(), "00:00:00");
    EXPECT_EQ(w->sspWertungTimeOut->text(), "00:00:00");
    EXPECT_EQ(setting("Lauf1Gestartet"), "0");
    EXPECT_EQ(setting("Lauf1Startzeit"), "");
}

TEST_F(RunControl, ATypedStartTimeMustHaveEightCharactersAndIsKeptByTheStart) {
    start();
    t->dialogs().planInputBox("8:30:00");
    w->mnuSetStartTime_Click();
    EXPECT_EQ(t->dialogs().countContaining("Kein gültiges Datum!!!\rBitte Datumsformat überprüfen!!!"), 1);
    EXPECT_EQ(setting("Lauf1Startzeit"), "<none>");
    t->dialogs().planInputBox("  ");
    w->mnuSetStartTime_Click();
    t->dialogs().planInputBox("25:00:00");
    w->mnuSetStartTime_Click();
    EXPECT_EQ(t->dialogs().countContaining("Kein gültiges Datum!!!"), 2);

    t->dialogs().planInputBox("08:30:00");
    w->mnuSetStartTime_Click();
    EXPECT_EQ(setting("Lauf1Startzeit"), "08:30:00");
    expectRunning(*w, false);
    startRunAt(8, 45, 0, 999);
    EXPECT_EQ(w->lblStartTimeOut->text(), "08:30:00");
    EXPECT_EQ(w->m_stRunStart.wHour, 8);
    EXPECT_EQ(w->m_stRunStart.wMinute, 30);
    EXPECT_EQ(w->m_stRunStart.wMilliseconds, 0);
    at(8, 46, 0, 250);
    enter("4");
    EXPECT_EQ(rows().Fields("Millisekunden").toLongLong(), 960250);
}

TEST_F(RunControl, TheStartFromTheWaveTableTicksStartTimesByStartNumber) {
    start();
    w->cmdStartVorgabe_Click();
    EXPECT_TRUE(w->chkLaufNrStartzeit->isChecked());
    EXPECT_EQ(t->settings().GetSetting(S, "LaufNrStartzeit", ""), "1");
    EXPECT_TRUE(w->lblInfo->isVisibleTo(w.get()));
    EXPECT_FALSE(w->sspWertungTimeOut->isVisibleTo(w.get()));
    expectRunning(*w, true);
    w->mnuLaufBeenden_Click();
    EXPECT_FALSE(w->chkLaufNrStartzeit->isChecked());
    EXPECT_EQ(t->settings().GetSetting(S, "LaufNrStartzeit", ""), "0");
    EXPECT_FALSE(w->lblInfo->isVisibleTo(w.get()));
    EXPECT_TRUE(w->sspWertungTimeOut->isVisibleTo(w.get()));
}

TEST_F(RunControl, ARunLeftRunningIsResumedWhenChosenAndLeftAloneWhenAnotherIsChosen) {
    // Run 2 was left running by the last program run.
    t->settings().SaveSetting(S, "Lauf2Gestartet", "2");
    t->settings().SaveSetting(S, "Lauf2Startzeit", "09:15:00");
    start();
    expectRunning(*w, false);

    chooseRun(2);
    EXPECT_EQ(t->dialogs().countContaining("Alle neuen Wertung werden für den Lauf 2 erfaßt !"), 1);
    expectRunning(*w, true);
    EXPECT_EQ(w->lblStartTimeOut->text(), "09:15:00");
    EXPECT_EQ(w->lblZeitenCaption->text(), "Lauf 2");

    chooseRun(1);
    expectRunning(*w, false);
    EXPECT_EQ(setting("Lauf2Gestartet"), "2");

    chooseRun(2);
    expectRunning(*w, true);
    EXPECT_EQ(w->lblStartTimeOut->text(), "09:15:00");
    at(9, 16, 0, 0);
    enter("5");
    Recordset rs = rows(2);
    ASSERT_EQ(rs.RecordCount(), 1);
    // Measured from the stored start, not from milliseconds of another run's stamp.
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 60000);
}

TEST_F(RunControl, ARunningRunSurvivesTheEndOfTheProgram) {
    start();
    startRunAt(14, 0, 0, 500);
    w->cmdEnde_Click();
    w.reset();
    // The unload asked the application to quit; let that request pass so later dialogs of
    // this test program still run their own loops.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();

    start();
    expectRunning(*w, true);
    EXPECT_EQ(w->lblStartTimeOut->text(), "14:00:00");
    EXPECT_EQ(setting("Lauf1Startzeit"), "14:00:00");
    at(14, 0, 30, 0);
    enter("9");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    // Measured from the start with its milliseconds.
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 29500);
}

TEST_F(RunControl, ARunStateThatCannotBeStoredIsReportedAndNotShown) {
    start();
    // A full disk: a file stands where the settings' folder should be.
    QFile blocker(t->path("voll"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto working = std::exchange(t->services().settings,
                                 std::make_unique<SettingsStore>("Vek. Chronivo", t->path("voll/s.ini")));
    const QString noStart = w->lblStartTimeOut->text();
    startRunAt(10, 0, 0);
    EXPECT_EQ(t->dialogs().countContaining("Fehler: 75 - "), 1);
    expectRunning(*w, false);
    EXPECT_EQ(w->lblStartTimeOut->text(), noStart);
    t->dialogs().planInputBox("08:30:00");
    w->mnuSetStartTime_Click();
    EXPECT_EQ(t->dialogs().countContaining("Fehler: 75 - "), 2);
    EXPECT_EQ(w->lblStartTimeOut->text(), noStart);

    // A running run that cannot be marked ended goes on running.
    t->services().settings.swap(working);
    startRunAt(10, 0, 0);
    t->services().settings.swap(working);
    w->mnuLaufBeenden_Click();
    EXPECT_EQ(t->dialogs().countContaining("Fehler: 75 - "), 3);
    expectRunning(*w, true);
}

} // namespace
