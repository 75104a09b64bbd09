#include "MainWindowFixture.h"
#include "timing/MainWindowReaderLink.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

using Result = MainWindowTest;

TEST_F(Result, GrossAndNetRunFromTheStampedStartWithItsMilliseconds) {
    start();
    startRunAt(10, 0, 0, 250);
    at(10, 25, 13, 500);
    enter("42");

    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Platzierung").toInt(), 1);
    EXPECT_EQ(rs.Fields("Startnummer").toInt(), 42);
    EXPECT_EQ(rs.Fields("Starttime").toString(), "10:00:00");
    EXPECT_EQ(rs.Fields("Systemtime").toString(), "10:25:13");
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 1513250);
    EXPECT_EQ(rs.Fields("Sekunden").toLongLong(), 1513);
    EXPECT_EQ(rs.Fields("Wertungstime").toString(), "00:25:13");
    EXPECT_EQ(rs.Fields("MillisekNetto").toLongLong(), 1513250);
    EXPECT_EQ(rs.Fields("ZeitNetto").toString(), "00:25:13");
    EXPECT_EQ(w->edtStartnummer->text(), "");
    EXPECT_EQ(t->beeper().beeps, 1);
    EXPECT_EQ(w->Data1->RecordCount(), 1);
}

TEST_F(Result, ARunAcrossMidnightCountsOnIntoTheNextDay) {
    start();
    startRunAt(23, 58, 43, 500);
    at(0, 0, 2, 250);
    enter("5");
    Recordset rs = rows();
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 78750);
    EXPECT_EQ(rs.Fields("Sekunden").toLongLong(), 79);
    EXPECT_EQ(rs.Fields("Wertungstime").toString(), "00:01:19");
    EXPECT_EQ(rs.Fields("MillisekNetto").toLongLong(), 78750);
    EXPECT_EQ(rs.Fields("ZeitNetto").toString(), "00:01:19");
}

TEST_F(Result, ComingBackFromADialogKeepsTheStartsMilliseconds) {
    start();
    startRunAt(10, 0, 0, 250);
    w->Form_Activate(); // as after any of the program's dialogs closed
    at(10, 25, 13, 500);
    enter("42");
    EXPECT_EQ(rows().Fields("Millisekunden").toLongLong(), 1513250);
}

TEST_F(Result, LookingAtAnotherRunAndBackKeepsTheStartsMilliseconds) {
    start();
    startRunAt(10, 0, 0, 700);
    chooseRun(1); // the running run picked again
    at(10, 30, 0, 0);
    enter("1");
    chooseRun(2);
    startRunAt(10, 5, 3, 100); // another run with a start of its own
    chooseRun(1);
    at(10, 30, 0, 0);
    enter("2");
    chooseRun(2);
    at(10, 30, 0, 0);
    enter("3");

    Recordset one = rows(1);
    ASSERT_EQ(one.RecordCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(field(one, i, "Millisekunden").toLongLong(), 1799300);
        EXPECT_EQ(field(one, i, "Sekunden").toLongLong(), 1799);
        EXPECT_EQ(field(one, i, "Wertungstime").toString(), "00:29:59");
    }
    EXPECT_EQ(rows(2).Fields("Millisekunden").toLongLong(), 1496900);
}

TEST_F(Result, PlacesCountOnPerRunAcrossRunSwitches) {
    start();
    startRunAt(10, 0, 0);
    at(10, 1, 0);
    enter("1");
    enter("1");
    chooseRun(2);
    EXPECT_TRUE(w->cmdStart->isEnabled());
    w->cmdStart_Click();
    at(10, 2, 0);
    enter("");
    chooseRun(1);
    enter("3");

    Recordset one = rows(1);
    ASSERT_EQ(one.RecordCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(field(one, i, "Platzierung").toInt(), i + 1);
    EXPECT_EQ(field(one, 2, "Startnummer").toInt(), 3);
    Recordset two = rows(2);
    ASSERT_EQ(two.RecordCount(), 1);
    EXPECT_EQ(field(two, 0, "Platzierung").toInt(), 1);
    // An empty field is start number 0, taken as a plain result.
    EXPECT_EQ(field(two, 0, "Startnummer").toInt(), 0);
    EXPECT_EQ(field(two, 0, "Millisekunden").toLongLong(), 60000);
}

TEST_F(Result, AWaveStartMeasuresItsRunnersAndCountsThemWithoutDisturbingTheRunStart) {
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    t->settings().SaveSetting("StartZeiten", "Rows", "1");
    t->settings().SaveSetting("StartZeiten", "1", "1;100;10:05:00;A");
    start();
    startRunAt(10, 0, 0, 700);
    ASSERT_TRUE(w->chkLaufNrStartzeit->isChecked());
    at(10, 30, 0, 0);
    enter("42");
    enter("500");
    enter("10001");

    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(field(rs, 0, "Starttime").toString(), "10:05:00");
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 1500000);
    EXPECT_EQ(field(rs, 0, "MillisekNetto").toLongLong(), 1500000);
    // Without a wave the run start applies, with the milliseconds it was stamped with.
    EXPECT_EQ(field(rs, 1, "Starttime").toString(), "10:00:00");
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 1799300);
    EXPECT_EQ(field(rs, 2, "Millisekunden").toLongLong(), 1799300);
    EXPECT_EQ(w->edtImZiel[0]->text(), "1");
    EXPECT_EQ(setting("ImZiel0"), "1");
}

TEST_F(Result, ARunnerWithoutAWaveCountsForTheWaveOfTheRunStart) {
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    t->settings().SaveSetting("StartZeiten", "Rows", "2");
    t->settings().SaveSetting("StartZeiten", "1", "1;100;10:05:00;A");
    t->settings().SaveSetting("StartZeiten", "2", "101;200;10:00:00;B");
    start();
    startRunAt(10, 0, 0);
    at(10, 30, 0);
    enter("500");
    enter("150");
    EXPECT_EQ(w->edtImZiel[0]->text(), "0");
    EXPECT_EQ(w->edtImZiel[1]->text(), "2");
}

struct NetPassThrough : MainWindowTest {
    void SetUp() override {
        t->settings().SaveSetting(S, "DurchlaufmodusMulti", "-1");
        start();
        ASSERT_TRUE(w->edtStartdauer->isVisibleTo(w.get()));
        ASSERT_EQ(w->edtStartdauer->text(), "3");
        t->dialogs().planInputBox("10:00:00");
        w->mnuSetStartTime_Click();
        w->cmdStart_Click();
    }
};

TEST_F(NetPassThrough, APassInsideTheStartWindowIsOnlyTheRunnersStart) {
    at(10, 1, 0, 400);
    enter("7");
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(setting("7", "DurchlaufmodusMulti"), "10:01:00");
    EXPECT_EQ(t->beeper().beeps, 0);
    EXPECT_EQ(w->edtStartnummer->text(), "");

    at(10, 21, 0, 250);
    enter("7");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 1260250);
    EXPECT_EQ(rs.Fields("MillisekNetto").toLongLong(), 1200250);
    EXPECT_EQ(rs.Fields("ZeitNetto").toString(), "00:20:00");
    EXPECT_EQ(rs.Fields("Starttime").toString(), "10:00:00");
}

TEST_F(NetPassThrough, LateFirstSightingsAndSecondPassesGiveRowsAtOnce) {
    at(10, 20, 0);
    enter("8"); // first seen after the window: net = gross
    at(10, 1, 0);
    enter("9"); // start pass
    at(10, 2, 0);
    enter("9"); // second pass inside the window: a row
    at(10, 2, 30);
    enter(""); // no start number: never a first pass
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 8);
    EXPECT_EQ(field(rs, 0, "MillisekNetto").toLongLong(), field(rs, 0, "Millisekunden").toLongLong());
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 9);
    EXPECT_EQ(field(rs, 1, "MillisekNetto").toLongLong(), 60000);
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 120000);
    EXPECT_EQ(field(rs, 2, "Startnummer").toInt(), 0);
}

TEST_F(NetPassThrough, TheWindowEndsExactlyAfterItsMinutes) {
    at(10, 3, 0, 0); // the window's last moment still counts as the start
    enter("7");
    at(10, 3, 0, 1);
    enter("8");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Startnummer").toInt(), 8);
    EXPECT_EQ(setting("7", "DurchlaufmodusMulti"), "10:03:00");
}

TEST_F(NetPassThrough, APassBeforeTheStartIsTheRunnersStart) {
    at(9, 59, 50);
    enter("7");
    at(9, 59, 58); // still before the start: the later pass counts
    enter("7");
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(setting("7", "DurchlaufmodusMulti"), "09:59:58");
    at(10, 30, 0);
    enter("7");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 1800000);
    EXPECT_EQ(rs.Fields("MillisekNetto").toLongLong(), 1802000);
}

TEST_F(NetPassThrough, AFirstPassThatCannotBeStoredIsReported) {
    // The settings file can no longer be replaced (a full disk).
    ASSERT_TRUE(QFile::remove(t->path("settings.ini")));
    ASSERT_TRUE(QDir(t->folder()).mkdir("settings.ini"));
    at(10, 1, 0);
    EXPECT_FALSE(MainWindowReaderLink(*w).handOverStartnummer("7", QDateTime()));
    EXPECT_EQ(t->dialogs().countContaining("Fehler: 75 - "), 1);
}

TEST_F(Result, ANetStartWindowAcrossMidnightCloses) {
    t->settings().SaveSetting(S, "DurchlaufmodusMulti", "-1");
    start();
    startRunAt(23, 58, 30);
    at(0, 1, 0); // inside: 2.5 minutes after the start
    enter("7");
    at(0, 2, 0); // after the window
    enter("8");
    at(0, 10, 0);
    enter("7");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 8);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 7);
    EXPECT_EQ(field(rs, 1, "MillisekNetto").toLongLong(), 540000);
}

TEST_F(Result, StartTimesByStartNumberNeverOpenANetStartWindow) {
    t->settings().SaveSetting(S, "DurchlaufmodusMulti", "-1");
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    t->settings().SaveSetting("StartZeiten", "Rows", "1");
    t->settings().SaveSetting("StartZeiten", "1", "1;100;10:00:00;A");
    start();
    startRunAt(10, 0, 0);
    ASSERT_TRUE(w->chkLaufNrStartzeit->isChecked());
    at(10, 1, 0);
    enter("7");
    enter("200"); // no wave: the run's start, still no first pass
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 60000);
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 60000);
    EXPECT_EQ(setting("7", "DurchlaufmodusMulti"), "<none>");
    EXPECT_EQ(setting("200", "DurchlaufmodusMulti"), "<none>");
}

TEST_F(NetPassThrough, TheBackupLineAndTheBookingCarryGrossAndNetApart) {
    w->sscLogDatei->setChecked(true);
    at(10, 1, 0);
    enter("7");
    at(10, 21, 0, 250);
    w->sspWertungTimeOut->setText("00:21:00");
    enter("7");
    QFile log(t->path("backup.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(";1260250;1200250;7 "));
}

TEST_F(Result, ATakenResultIsBookedIntoTheRaceProgramWithItsGrossTime) {
    t->settings().SaveSetting(S, "Direkteinbuchung", "-1");
    t->settings().SaveSetting(S, "DBDirekt", t->copyRaceDatabase());
    t->settings().SaveSetting(S, "DurchlaufmodusMulti", "-1");
    start();
    ASSERT_TRUE(w->m_dbRace);
    startRunAt(10, 0, 0, 500);
    at(10, 1, 0);
    enter("12"); // first pass: no row, nothing booked
    at(10, 21, 0, 250);
    enter("12");
    Recordset wt = w->m_dbRace->OpenRecordset("select WT_MillSek from WT where WT_StartNr = 12");
    ASSERT_EQ(wt.RecordCount(), 1);
    EXPECT_EQ(wt.Fields("WT_MillSek").toLongLong(), 1259750);
    EXPECT_EQ(rows().Fields("MillisekNetto").toLongLong(), 1200250);
}

TEST_F(Result, NetPassThroughTickedFromTheMenuOpensAThreeMinuteStartWindow) {
    start();
    ASSERT_FALSE(w->mnuDurchlaufModusMulti->isChecked());
    w->mnuDurchlaufModusMulti_Click();
    ASSERT_TRUE(w->edtStartdauer->isVisibleTo(w.get()));
    startRunAt(10, 0, 0);
    at(10, 1, 0);
    enter("7");
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(setting("7", "DurchlaufmodusMulti"), "10:01:00");
}

TEST_F(NetPassThrough, EndingTheRunForgetsFirstPassesAndCounters) {
    at(10, 1, 0);
    enter("7");
    w->edtImZiel[3]->setText("5");
    ASSERT_EQ(setting("ImZiel3"), "5");
    w->mnuLaufBeenden_Click();
    EXPECT_EQ(setting("7", "DurchlaufmodusMulti"), "<none>");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(setting(QStringLiteral("ImZiel%1").arg(i)), "");
    EXPECT_EQ(w->edtImZiel[3]->text(), "");
}

TEST_F(Result, SinglePassThroughTakesExactlyOneResultFromTheFirstPress) {
    t->settings().SaveSetting(S, "Durchlaufmodus", "-1");
    start();
    ASSERT_TRUE(w->cmdDurchlauf->isVisibleTo(w.get()));
    at(9, 0, 0, 100);
    enter("5");
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(w->cmdDurchlauf->text(), "Lauf stoppen");
    EXPECT_TRUE(w->cmdWertung->isEnabled());
    at(9, 0, 42, 600);
    enter("5");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Startnummer").toInt(), 5);
    EXPECT_EQ(rs.Fields("Millisekunden").toLongLong(), 42500);
    EXPECT_EQ(w->cmdDurchlauf->text(), "Lauf starten");
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    EXPECT_EQ(setting("Lauf1Gestartet"), "0");
}

TEST_F(Result, NoRunStartStoredMeansNoRow) {
    start();
    at(10, 0, 0);
    w->cmdWertung_Click();
    enter("12");
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_TRUE(t->dialogs().messages().isEmpty()) << t->dialogs().messages().join("|").toStdString();
}

TEST_F(Result, AFailingInsertIsReportedAndTheWindowGoesOn) {
    start();
    startRunAt(10, 0, 0);
    t->services().local.gdbLocal->ExecuteSql("alter table Chronvo rename to Weg");
    at(10, 0, 5);
    enter("3");
    ASSERT_EQ(t->dialogs().messages().size(), 1);
    EXPECT_TRUE(t->dialogs().messages().first().startsWith("Fehler: "))
        << t->dialogs().messages().first().toStdString();
    EXPECT_EQ(t->beeper().beeps, 0);
    t->services().local.gdbLocal->ExecuteSql("alter table Weg rename to Chronvo");
    enter("3");
    EXPECT_EQ(rows().RecordCount(), 1);
}

TEST_F(Result, AnotherWriterHoldingTheDatabaseIsReportedSoonAndTheNextResultGoesOn) {
    start();
    startRunAt(10, 0, 0);
    at(10, 0, 5);
    enter("3");
    Workspace other;
    auto holder = other.OpenDatabase(t->dbPath(), false, false, frmChronivo::ConnectString);
    holder->BeginWrite();
    QElapsedTimer waited;
    waited.start();
    enter("4");
    EXPECT_LT(waited.elapsed(), 3 * Database::BusyTimeoutMs);
    ASSERT_EQ(t->dialogs().messages().size(), 1);
    EXPECT_TRUE(t->dialogs().messages().first().startsWith("Fehler: "));
    holder->ExecuteSql("insert into Chronvo (Laufnummer, Platzierung, Startnummer) values (1, 2, 900)");
    holder->CommitWrite();

    enter("5");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(field(rs, 2, "Startnummer").toInt(), 5);
    EXPECT_EQ(field(rs, 2, "Platzierung").toInt(), 3);
    // The grids count the other writer's row too.
    EXPECT_EQ(w->Data1->RecordCount(), 3);
    EXPECT_EQ(w->Data2->RecordCount(), 3);
}

TEST_F(Result, TheBackupLineFollowsTheStoredRowAndItsFailureKeepsTheRow) {
    start();
    w->sscLogDatei->setChecked(true);
    startRunAt(10, 0, 0);
    w->sspWertungTimeOut->setText("00:25:13");
    at(10, 25, 13, 250);
    enter("42");
    QFile log(t->path("backup.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        log.readAll().endsWith("Zeit: 00:25:13  ;1513250;1513250;42        ;17.05.2026 10:25:13\r\n"));

    w->lblLogdatei->setText(t->path("kein/ordner/backup.log"));
    enter("43");
    EXPECT_EQ(rows().RecordCount(), 2);
    EXPECT_EQ(t->dialogs().shown().back().style, 64);
}

TEST_F(Result, TheStartNumberFieldTakesNumbersUpTo32000) {
    start();
    w->edtStartnummer->setText("abc");
    EXPECT_EQ(w->edtStartnummer->text(), "0");
    w->edtStartnummer->setText("32001");
    EXPECT_EQ(w->edtStartnummer->text(), "0");
    w->edtStartnummer->setText("-5");
    EXPECT_EQ(w->edtStartnummer->text(), "-5");
    w->edtStartnummer->setText("32000");
    EXPECT_EQ(w->edtStartnummer->text(), "32000");
    w->edtStartdauer->setText("x");
    EXPECT_EQ(w->edtStartdauer->text(), "3");
    EXPECT_EQ(setting("Lauf1Startdauer"), "3");
}

TEST_F(Result, TheEnterKeyAndTheButtonTakeResults) {
    start();
    startRunAt(10, 0, 0);
    w->edtStartnummer->setText("17");
    QTest::keyClick(w->edtStartnummer, Qt::Key_Return);
    QTest::mouseClick(w->cmdWertung, Qt::LeftButton);
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 17);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 0);
}

TEST_F(Result, TheHandOverTellsTheReaderWhenNoResultWasStored) {
    start();
    startRunAt(10, 0, 0);
    MainWindowReaderLink link(*w);
    at(10, 5, 0);
    EXPECT_TRUE(link.handOverStartnummer("5", QDateTime()));
    EXPECT_EQ(rows().RecordCount(), 1);
    auto db = t->services().local.gdbLocal;
    db->Close();
    EXPECT_FALSE(link.handOverStartnummer("6", QDateTime()));
    EXPECT_EQ(t->dialogs().countContaining("Fehler: "), 1);
    EXPECT_EQ(w->edtStartnummer->text(), "");
}

TEST_F(Result, AReadHandedOverIsTimedByItsArrivalNotByWhenTheWindowGetsToIt) {
    start();
    startRunAt(10, 0, 0);
    MainWindowReaderLink link(*w);
    // The read arrived at 10:05:00.250; the window gets to it 20 s later (a burst before it).
    at(10, 5, 20);
    EXPECT_TRUE(link.handOverStartnummer("5", QDateTime(t->clock().now().date(), QTime(10, 5, 0, 250))));
    // Without an arrival moment the window's own time counts.
    EXPECT_TRUE(link.handOverStartnummer("6", QDateTime()));
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 300250);
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 320000);
}

TEST_F(Result, AReadHandedOverLeavesWhatTheTimekeeperIsTypingAlone) {
    start();
    startRunAt(10, 0, 0);
    MainWindowReaderLink link(*w);
    w->show();
    QApplication::setActiveWindow(w.get());
    w->edtStartnummer->setFocus();
    QTest::keyClicks(w->edtStartnummer, "4");
    at(10, 5, 0);
    EXPECT_TRUE(link.handOverStartnummer("5", QDateTime()));
    EXPECT_EQ(w->edtStartnummer->text(), "4");
    EXPECT_EQ(w->edtStartnummer->cursorPosition(), 1);
    EXPECT_EQ(QApplication::focusWidget(), w->edtStartnummer);
    QTest::keyClicks(w->edtStartnummer, "2");
    QTest::keyClick(w->edtStartnummer, Qt::Key_Return);
    // Typing elsewhere: focus and selection stay there too.
    w->edtViewStartnummer->setFocus();
    w->edtViewStartnummer->setText("123");
    w->edtViewStartnummer->setSelection(1, 1);
    EXPECT_TRUE(link.handOverStartnummer("6", QDateTime()));
    EXPECT_EQ(QApplication::focusWidget(), w->edtViewStartnummer);
    EXPECT_EQ(w->edtViewStartnummer->selectedText(), "2");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 5);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 42);
    EXPECT_EQ(field(rs, 2, "Startnummer").toInt(), 6);
}

TEST_F(Result, InSinglePassThroughTheHandOverTellsTheReaderWhenNoResultWasStored) {
    t->settings().SaveSetting(S, "Durchlaufmodus", "-1");
    start();
    at(9, 0, 0);
    w->cmdDurchlauf_Click();
    ASSERT_TRUE(w->cmdWertung->isEnabled());
    MainWindowReaderLink link(*w);
    t->services().local.gdbLocal->Close();
    at(9, 5, 0);
    EXPECT_FALSE(link.handOverStartnummer("6", QDateTime()));
    EXPECT_EQ(t->dialogs().countContaining("Fehler: "), 1);
    // The run stays open for the result to be taken again.
    EXPECT_TRUE(w->cmdWertung->isEnabled());
}

struct Contact : MainWindowTest {
    FakeSerialPort* port = nullptr;
    void SetUp() override {
        t->settings().SaveSetting("ExtSensor", "ExtSensor", "1");
        t->settings().SaveSetting("ExtSensor", "Port", "3");
        start();
        port = static_cast<FakeSerialPort*>(w->MSComm1.get());
        ASSERT_TRUE(port->PortOpen());
        ASSERT_EQ(port->CommPort(), 3);
    }
};

TEST_F(Contact, OneResultPerRisingEdgeOfEachLine) {
    startRunAt(10, 0, 0);
    // Single pass-through does not apply to the contact.
    w->mnuDurchlaufModus->setChecked(true);
    at(10, 0, 10);
    port->setCTS(true);
    EXPECT_EQ(rows().RecordCount(), 1);
    port->raiseEvent(CommEvent::CTS); // held closed: no second result
    EXPECT_EQ(rows().RecordCount(), 1);
    port->setCTS(false);
    port->setCTS(true);
    EXPECT_EQ(rows().RecordCount(), 2);
    port->setDSR(true);
    port->setCD(true);
    EXPECT_EQ(rows().RecordCount(), 4);
    port->raiseEvent(CommEvent::Receive);
    port->raiseEvent(CommEvent::Break);
    EXPECT_EQ(rows().RecordCount(), 4);
    Recordset rs = rows();
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 10000);
}

TEST_F(Contact, APulseThatEndsWhileItsResultIsTakenFreesTheLatch) {
    startRunAt(10, 0, 0);
    at(10, 0, 10);
    // The contact opens again while the result is still being stored; its falling edge
    // comes in only after the handler, and the next closure must count.
    t->beeper().onBeep = [&] { port->setLineQuietly(CommEvent::CTS, false); };
    port->setCTS(true);
    t->beeper().onBeep = nullptr;
    port->setCTS(true);
    EXPECT_EQ(rows().RecordCount(), 2);
}

TEST_F(Contact, ALostDeviceIsReportedAtOnce) {
    port->unplug();
    EXPECT_FALSE(port->PortOpen());
    ASSERT_EQ(t->dialogs().messages().size(), 1);
    EXPECT_TRUE(t->dialogs().messages().first().startsWith(
        "Fehler: 1011 - Der Kontakteingang an COM3 ist nicht mehr verfügbar"))
        << t->dialogs().messages().first().toStdString();
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
    // Other error events of the contact port are none of the timekeeper's business.
    w->Form_Activate();
    ASSERT_TRUE(port->PortOpen());
    port->raiseEvent(CommEvent::Frame);
    EXPECT_EQ(t->dialogs().messages().size(), 1);
}

TEST_F(Contact, AnEdgeIsTimedWhenTheLineChangedNotWhenItWasHandled) {
    startRunAt(10, 0, 0);
    // The window thread was busy: the edge is handled 40 ms after the port saw it.
    at(10, 0, 5, 40);
    port->setLine(CommEvent::CTS, true, QDateTime(t->clock().now().date(), QTime(10, 0, 5, 0)));
    // A later button result takes the clock again.
    at(10, 0, 6, 500);
    w->cmdWertung_Click();
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 5000);
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 6500);
}

TEST_F(Contact, AClosureWhileAResultsBoxIsOpenIsTakenAfterItWithItsOwnTime) {
    startRunAt(10, 0, 0);
    RealBoxes& boxes = showBoxesForReal();
    // Every result shows a box: the backup file cannot be written.
    w->sscLogDatei->setChecked(true);
    w->lblLogdatei->setText(t->path("kein/ordner/backup.log"));
    const QDate today = t->clock().now().date();
    boxes.whileOpen = [&] { port->setLine(CommEvent::DSR, true, QDateTime(today, QTime(10, 0, 6, 125))); };
    at(10, 0, 5);
    enter("42");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 42);
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 5000);
    // Not the number of the result in front of it, and the moment the line closed.
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 0);
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 6125);
}

TEST_F(Contact, APulseOverBeforeTheWindowGetsToItStillCounts) {
    startRunAt(10, 0, 0);
    const QDate today = t->clock().now().date();
    // The window thread is busy while the contact closes, opens again 30 ms later and
    // closes once more.
    port->setLineLater(CommEvent::CTS, true, QDateTime(today, QTime(10, 0, 5, 0)));
    port->setLineLater(CommEvent::CTS, false, QDateTime(today, QTime(10, 0, 5, 30)));
    port->setLineLater(CommEvent::CTS, true, QDateTime(today, QTime(10, 0, 7, 0)));
    QCoreApplication::processEvents();
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 5000);
    EXPECT_EQ(field(rs, 1, "Millisekunden").toLongLong(), 7000);
}

TEST_F(Contact, EdgesWithoutARunAndOnTheBoardPortTakeNothing) {
    port->setCTS(true);
    EXPECT_EQ(rows().RecordCount(), 0);
    // The timekeeper learns that the closure was not taken.
    EXPECT_EQ(t->dialogs().countContaining("Kontakteingang: Lauf ist noch nicht gestartet!"), 1);
    startRunAt(10, 0, 0);
    t->settings().SaveSetting("ExtAnzeige", "ExtRS232Anzeige", "-1");
    w->SendAnzeigeRS232("00:00:00");
    auto* board = static_cast<FakeSerialPort*>(w->MSComm2.get());
    ASSERT_TRUE(board && board->PortOpen());
    board->setCTS(true);
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(t->dialogs().messages().size(), 1);
}

TEST_F(Contact, PulsesWithoutARunShowOneBoxAtATime) {
    RealBoxes& boxes = showBoxesForReal();
    const auto chatter = [&] {
        for (int i = 0; i < 3; ++i) {
            port->setCTS(false);
            port->setCTS(true);
        }
    };
    const QString noRun = "Kontakteingang: Lauf ist noch nicht gestartet!";
    boxes.whileOpen = chatter;
    port->setCTS(true);
    EXPECT_EQ(t->dialogs().countContaining(noRun), 1);
    // Closed, it shows again. Closures before a start made meanwhile (the automatic starter's
    // countdown runs on) take nothing; one after it is a result.
    boxes.whileOpen = [&] {
        chatter();
        startRunAt(10, 0, 0);
        at(10, 0, 5);
        port->setDSR(true);
    };
    port->setCTS(false);
    port->setCTS(true);
    EXPECT_EQ(t->dialogs().countContaining(noRun), 2);
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(field(rs, 0, "Millisekunden").toLongLong(), 5000);
}

TEST_F(Contact, AMissingPortIsReportedAndTheContactCanBeSwitchedOff) {
    port->setPortOpen(false);
    port->failOpen = true;
    w->Form_Activate();
    EXPECT_EQ(t->dialogs().countContaining("Fehler: 8002"), 1);
    port->failOpen = false;
    t->settings().SaveSetting("ExtSensor", "ExtSensor", "0");
    w->Form_Activate();
    EXPECT_FALSE(port->PortOpen());
}

} // namespace
