#include "support/TestServices.h"
#include "timing/frmChronivo.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

constexpr const char* S = "frmChronivo";
constexpr int px(int twips) {
    return twips / 15;
}

struct Modes : ::testing::Test {
    TestServices t;
    std::unique_ptr<frmChronivo> w;

    void start() {
        w = std::make_unique<frmChronivo>(t.services());
        w->startUp();
    }
    QString key(const QString& k) { return t.settings().GetSetting(S, k, "<none>"); }
    QColor color(QLabel* l) { return l->palette().color(QPalette::WindowText); }
};

TEST_F(Modes, StoredTogglesAreAppliedOnEveryActivation) {
    t.settings().SaveSetting(S, "Durchlaufmodus", "-1");
    t.settings().SaveSetting(S, "DurchlaufmodusMulti", "True");
    t.settings().SaveSetting(S, "Lauf1Startdauer", "5");
    start();
    EXPECT_TRUE(w->mnuDurchlaufModus->isChecked());
    EXPECT_FALSE(w->cmdDurchlauf->isHidden());
    EXPECT_TRUE(w->cmdStart->isHidden());
    EXPECT_TRUE(w->cmdStartVorgabe->isHidden());
    EXPECT_TRUE(w->cmdAutoStart->isHidden());
    EXPECT_FALSE(w->edtStartdauer->isHidden());
    EXPECT_EQ(w->edtStartdauer->text(), "5");
    t.settings().SaveSetting(S, "Durchlaufmodus", "0");
    t.settings().SaveSetting(S, "DurchlaufmodusMulti", "0");
    w->Form_Activate();
    EXPECT_FALSE(w->mnuDurchlaufModus->isChecked());
    EXPECT_TRUE(w->cmdDurchlauf->isHidden());
    EXPECT_FALSE(w->cmdStart->isHidden());
    EXPECT_TRUE(w->edtStartdauer->isHidden());
}

TEST_F(Modes, PassThroughTogglesFlipTheirTickAndKey) {
    start();
    w->mnuDurchlaufModus_Click();
    EXPECT_EQ(key("Durchlaufmodus"), "-1");
    EXPECT_FALSE(w->cmdDurchlauf->isHidden());
    EXPECT_TRUE(w->cmdStart->isHidden());
    w->mnuDurchlaufModus_Click();
    EXPECT_EQ(key("Durchlaufmodus"), "0");
    EXPECT_TRUE(w->cmdDurchlauf->isHidden());
    EXPECT_FALSE(w->cmdStart->isHidden());

    // Through the menu itself: one click is one flip.
    w->mnuDurchlaufModusMulti->trigger();
    EXPECT_TRUE(w->mnuDurchlaufModusMulti->isChecked());
    EXPECT_EQ(key("DurchlaufmodusMulti"), "-1");
    EXPECT_FALSE(w->edtStartdauer->isHidden());
    w->mnuDurchlaufModusMulti->trigger();
    EXPECT_FALSE(w->mnuDurchlaufModusMulti->isChecked());
    EXPECT_EQ(key("DurchlaufmodusMulti"), "0");
    EXPECT_TRUE(w->edtStartdauer->isHidden());
}

TEST_F(Modes, ExpertModeAsksBeforeSwitchingOnAndSetsTheHeights) {
    start();
    EXPECT_EQ(w->cmdWertung->height(), px(2655));
    EXPECT_EQ(w->dbgZeiten->height(), px(5775));

    t.dialogs().planMsgBox(MsgBoxResult::No);
    w->mnuExpertMode->trigger();
    EXPECT_EQ(t.dialogs().shown().back().style, 68);
    EXPECT_TRUE(t.dialogs().shown().back().text.endsWith("\r\rIn den Expertenmodus wechseln?"));
    EXPECT_FALSE(w->mnuExpertMode->isChecked());
    EXPECT_EQ(key("Expertenmodus"), "<none>");
    EXPECT_EQ(w->cmdWertung->height(), px(2655));

    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    w->mnuExpertMode_Click();
    EXPECT_TRUE(w->mnuExpertMode->isChecked());
    EXPECT_EQ(key("Expertenmodus"), "-1");
    EXPECT_EQ(w->cmdWertung->height(), px(1215));
    EXPECT_EQ(w->cmdDurchlauf->height(), px(1215));
    EXPECT_EQ(w->dbgZeiten->height(), px(4935));
    EXPECT_EQ(w->dbgStartnummern->height(), w->dbgZeiten->height());

    // Split times make the grid shorter still.
    w->mnuTriathlon->setChecked(true);
    w->ApplyExpertModeLayout();
    EXPECT_EQ(w->dbgZeiten->height(), px(4515));
    EXPECT_EQ(w->dbgStartnummern->height(), px(4515));

    // Switching off asks nothing.
    const size_t shown = t.dialogs().shown().size();
    w->mnuExpertMode_Click();
    EXPECT_EQ(t.dialogs().shown().size(), shown);
    EXPECT_EQ(key("Expertenmodus"), "0");
    EXPECT_EQ(w->cmdWertung->height(), px(2655));
    EXPECT_EQ(w->dbgZeiten->height(), px(5775));
}

TEST_F(Modes, SplitTimeModeSavesTheTickAndRestartsTheProgram) {
    start();
    w->mnuTriathlon_Click();
    EXPECT_EQ(key("Triathlonmodus"), "-1");
    EXPECT_EQ(t.dialogs().countContaining("Chronvo wird neu gestartet!"), 1);
    EXPECT_TRUE(w->isUnloaded());
    EXPECT_EQ(t.restarts, 1);
    // The unload saved the layout before the new instance could read it.
    EXPECT_NE(key("ColWith0"), "<none>");
    EXPECT_NE(key("Form Top"), "<none>");
}

TEST_F(Modes, TheClockColourLeavesAStoppedRaceClockRed) {
    start();
    // A run that ended turns the race clock red.
    QPalette red = w->sspWertungTimeOut->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    w->sspWertungTimeOut->setPalette(red);

    t.dialogs().planColor(QColor(0x10, 0x20, 0x30));
    w->mnuPrefsDisplay_Click();
    EXPECT_EQ(key("Displaycolor"), QString::number(0x302010));
    EXPECT_EQ(color(w->lblSysTimeOut), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(color(w->lblStartTimeOut), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(color(w->sspWertungTimeOut), QColor(255, 0, 0));

    // During a run all three change, and a run started later uses the new colour.
    w->cmdStart_Click();
    EXPECT_EQ(color(w->sspWertungTimeOut), QColor(0x10, 0x20, 0x30));
    t.dialogs().planColor(QColor(0xFF, 0xFF, 0x00));
    w->mnuPrefsDisplay_Click();
    EXPECT_EQ(color(w->sspWertungTimeOut), QColor(0xFF, 0xFF, 0x00));
    // The next activation reads the stored colour back.
    w->Form_Activate();
    EXPECT_EQ(color(w->lblSysTimeOut), QColor(0xFF, 0xFF, 0x00));
}

TEST_F(Modes, TheGridFontIsStoredAndBothGridsTakeItOnActivation) {
    start();
    QFont chosen("DejaVu Serif", 13);
    chosen.setBold(true);
    chosen.setUnderline(true);
    t.dialogs().planFont(chosen);
    w->mnuPrefsGridFont_Click();
    EXPECT_EQ(w->dbgZeiten->font().family(), "DejaVu Serif");
    EXPECT_TRUE(w->dbgZeiten->font().bold());
    EXPECT_EQ(key("dbgZeiten.Font.Name"), "DejaVu Serif");
    EXPECT_EQ(key("dbgZeiten.Font.Size"), "13");
    EXPECT_EQ(key("dbgZeiten.Font.Bold"), "True");
    EXPECT_EQ(key("dbgZeiten.Font.Italic"), "False");
    EXPECT_EQ(key("dbgZeiten.Font.Strikethrough"), "False");
    EXPECT_EQ(key("dbgZeiten.Font.FontUnderline"), "True");
    w->Form_Activate();
    EXPECT_EQ(w->dbgStartnummern->font().family(), "DejaVu Serif");
    EXPECT_EQ(w->dbgStartnummern->font().pointSizeF(), 13.0);
}

TEST_F(Modes, ColumnWidthsSurviveTheProgramAndExtraColumnsKeepTheirs) {
    start();
    QHeaderView* header = w->dbgZeiten->horizontalHeader();
    ASSERT_GE(header->count(), 3);
    const int third = header->sectionSize(2);
    t.settings().SaveSetting(S, "ColWith0", "1500");
    t.settings().SaveSetting(S, "ColWith1", "900");
    t.settings().DeleteSetting(S, "ColWith2");
    w->LoadGridColWidths();
    EXPECT_EQ(header->sectionSize(0), 100);
    EXPECT_EQ(header->sectionSize(1), 60);
    EXPECT_EQ(header->sectionSize(2), third);
    header->resizeSection(1, 77);
    w->SaveFormLayout();
    EXPECT_EQ(key("ColWith1"), QString::number(77 * 15));
    EXPECT_EQ(key("ColWith2"), QString::number(third * 15));
}

// ----- direct booking from the main window -----------------------------------------------

TEST_F(Modes, TheDirectBookingTickIsFlippedStoredAndAsksForARestart) {
    start();
    w->mnuDirekteinbuchung->trigger();
    EXPECT_TRUE(w->mnuDirekteinbuchung->isChecked());
    EXPECT_EQ(key("Direkteinbuchung"), "-1");
    w->mnuDirekteinbuchung_Click();
    EXPECT_FALSE(w->mnuDirekteinbuchung->isChecked());
    EXPECT_EQ(key("Direkteinbuchung"), "0");
    EXPECT_EQ(t.dialogs().countContaining("Chronivo bitte neu starten!"), 2);
    EXPECT_EQ(t.dialogs().shown().back().style, 64);
}

TEST_F(Modes, TheRaceDatabasePathIsChosenInAFileDialog) {
    t.settings().SaveSetting(S, "DBDirekt", "/alt/VekLauf.mdb");
    start();
    t.dialogs().planFile("");
    w->mnuPathDatabase_Click();
    EXPECT_EQ(t.dialogs().lastFileRequest.fileName, "/alt/VekLauf.mdb");
    EXPECT_EQ(key("DBDirekt"), "/alt/VekLauf.mdb");
    t.dialogs().planFile(" /neu/Lauf 2026.mdb");
    w->mnuPathDatabase_Click();
    EXPECT_EQ(key("DBDirekt"), " /neu/Lauf 2026.mdb");
}

struct Booking : Modes {
    QString racePath;
    void SetUp() override {
        racePath = t.copyRaceDatabase();
        t.settings().SaveSetting(S, "Direkteinbuchung", "-1");
        t.settings().SaveSetting(S, "DBDirekt", racePath);
        start();
        ASSERT_TRUE(w->m_dbRace);
    }
    int splits() { return w->m_dbRace->OpenRecordset("select * from ZZ").RecordCount(); }
};

TEST_F(Booking, EachResultIsBookedWhileTheSettingIsOn) {
    w->DirektEinbuchen(12, 754321);
    Recordset row = w->m_dbRace->OpenRecordset("select * from WT where WT_StartNr = 12");
    EXPECT_EQ(row.Fields("WT_MillSek").toInt(), 754321);
    EXPECT_EQ(row.Fields("WT_Sekunden").toInt(), 754);
    EXPECT_EQ(splits(), 1);
    // Switched off in the menu: the next result is not booked, without a restart.
    w->mnuDirekteinbuchung_Click();
    w->DirektEinbuchen(13, 1000);
    EXPECT_EQ(splits(), 1);
    EXPECT_TRUE(
        w->m_dbRace->OpenRecordset("select * from WT where WT_StartNr = 13").Fields("WT_MillSek").isNull());
}

TEST_F(Booking, AFailingBookingIsShownAndTheProgramGoesOn) {
    QSqlQuery drop(w->m_dbRace->connection());
    ASSERT_TRUE(drop.exec("drop table ZZ"));
    w->DirektEinbuchen(12, 5000);
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_TRUE(t.dialogs().messages().first().startsWith("Fehler: "))
        << t.dialogs().messages().first().toStdString();
    EXPECT_EQ(t.dialogs().shown().back().style, 16);
    // The steps before the failure stay done; there is no transaction.
    EXPECT_EQ(
        w->m_dbRace->OpenRecordset("select * from WT where WT_StartNr = 12").Fields("WT_MillSek").toInt(),
        5000);
    EXPECT_FALSE(w->isUnloaded());
}

} // namespace
