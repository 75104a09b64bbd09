#include "MainWindowFixture.h"

#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "support/TestServices.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

int startLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(f.readAll().count("------ Chronvo gestartet um: "));
}

// A window started on a test folder that may lack the database.
struct Startup : MainWindowTest {
    void make(bool withDatabase = true) { t = std::make_unique<TestServices>(withDatabase); }
};

TEST_F(Startup, OpensTheDatabaseAndFillsCaptionAndRunSelector) {
    make();
    start();
    EXPECT_TRUE(t->dialogs().messages().isEmpty()) << t->dialogs().messages().join("|").toStdString();
    ASSERT_TRUE(t->services().local.gdbLocal);
    EXPECT_TRUE(t->services().local.gdbLocal->isOpen());
    EXPECT_EQ(t->services().local.gsDbPath, t->dbPath());
    EXPECT_TRUE(w->windowTitle().startsWith("Vek. Chronivo für Lauf V "));
    EXPECT_TRUE(w->windowTitle().contains(QRegularExpression("V \\d+\\.\\d+\\.\\d+$")));
    ASSERT_EQ(w->cboLaufnummer->count(), 10);
    EXPECT_EQ(runItem(0), "1;");
    EXPECT_EQ(runItem(9), "10;");
    EXPECT_EQ(w->cboLaufnummer->currentText(), "1");
    EXPECT_EQ(w->currentLauf(), 1);
    // The splash held its time through the clock, so the test did not wait for it.
    EXPECT_GE(t->clock().slept(), 2500);
    EXPECT_EQ(t->settings().GetSetting("LastUser", "AppPath"), t->folder());
    // Not running: the start buttons are free and the result button is not.
    EXPECT_TRUE(w->cmdStart->isEnabled());
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    EXPECT_FALSE(w->Timer1->isActive());
}

TEST_F(Startup, AMissingDatabaseShowsTheErrorAndStopsTheLoadWithoutCreatingOne) {
    make(false);
    start();
    const QStringList msgs = t->dialogs().messages();
    ASSERT_FALSE(msgs.isEmpty());
    EXPECT_TRUE(
        msgs.first().startsWith(QStringLiteral("Fehler: %1 - ").arg(RuntimeError::CannotOpenDatabase)))
        << msgs.first().toStdString();
    EXPECT_FALSE(QFile::exists(t->dbPath()));
    // The steps after opening the database were not done.
    EXPECT_EQ(w->cboLaufnummer->count(), 0);
    EXPECT_FALSE(w->windowTitle().contains("für Lauf V"));
}

TEST_F(Startup, DirectBookingWithoutAPathIsSwitchedOffWithOneMessage) {
    make();
    t->settings().SaveSetting(S, "Direkteinbuchung", "-1");
    start();
    EXPECT_EQ(t->dialogs().countContaining("Keine Vek. Lauf - Datenbank für Direkteinbuchung angegeben!\r"
                                           "Direkteinbuchung wird ausgeschaltet!"),
              1);
    EXPECT_FALSE(t->settings().GetBool(S, "Direkteinbuchung", true));
    EXPECT_EQ(runItem(0), "1;");
}

TEST_F(Startup, DirectBookingWithAMissingFileIsSwitchedOff) {
    make();
    t->settings().SaveSetting(S, "Direkteinbuchung", "True");
    t->settings().SaveSetting(S, "DBDirekt", t->path("nicht-da.mdb"));
    start();
    EXPECT_EQ(t->dialogs().countContaining("Angegebene Vek. Lauf - Datenbank nicht gefunden!\r"
                                           "Direkteinbuchung wird ausgeschaltet!"),
              1);
    EXPECT_EQ(t->settings().GetSetting(S, "Direkteinbuchung"), "0");
}

TEST_F(Startup, DirectBookingOnNamesTheRunsAfterTheRaceDatabase) {
    make();
    t->settings().SaveSetting(S, "Direkteinbuchung", "-1");
    t->settings().SaveSetting(S, "DBDirekt", t->copyRaceDatabase());
    start();
    EXPECT_TRUE(t->dialogs().messages().isEmpty()) << t->dialogs().messages().join("|").toStdString();
    EXPECT_EQ(runItem(0), "1;Hauptlauf 10 km");
    EXPECT_EQ(runItem(3), "4;");
    EXPECT_TRUE(w->m_dbRace && w->m_dbRace->isOpen());
}

TEST_F(Startup, ARunLeftRunningIsResumedWithItsStoredStartTime) {
    make();
    t->settings().SaveSetting(S, "Lauf1Gestartet", "1");
    t->settings().SaveSetting(S, "Lauf1Startzeit", "10:00:00");
    t->clock().setTime(QTime(10, 20, 30, 456));
    start();
    EXPECT_EQ(w->lblStartTimeOut->text(), "10:00:00");
    EXPECT_FALSE(w->cmdStart->isEnabled());
    EXPECT_FALSE(w->cmdStartVorgabe->isEnabled());
    EXPECT_TRUE(w->cmdWertung->isEnabled());
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->m_stRunStart.wHour, 10);
    EXPECT_EQ(w->m_stRunStart.wMinute, 0);
    EXPECT_EQ(w->m_stRunStart.wSecond, 0);
    EXPECT_EQ(w->m_stRunStart.wMilliseconds, 0);
    // The resume keeps the run's state as it was.
    EXPECT_EQ(t->settings().GetSetting(S, "Lauf1Startzeit"), "10:00:00");
}

TEST_F(Startup, EveryActivationAppendsOneStartLine) {
    make();
    start();
    const QString log = t->path("backup.log");
    EXPECT_EQ(startLines(log), 1);
    w->Form_Activate();
    w->Form_Activate();
    EXPECT_EQ(startLines(log), 3);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("------ Chronvo gestartet um: 10:00:02 ------\r\n"));
}

TEST_F(Startup, GarbageSettingsReadAsZeroInsteadOfFailing) {
    make();
    t->settings().SaveSetting(S, "LaufNrStartzeit", "ja bitte");
    t->settings().SaveSetting(S, "Displaycolor", "rot");
    t->settings().SaveSetting(S, "Expertenmodus", "vielleicht");
    t->settings().SaveSetting(S, "Lauf1Gestartet", "nein");
    start();
    EXPECT_TRUE(t->dialogs().messages().isEmpty()) << t->dialogs().messages().join("|").toStdString();
    EXPECT_EQ(w->m_lDisplayColor, 0u);
    EXPECT_TRUE(w->cmdStart->isEnabled());
    EXPECT_FALSE(w->lblInfo->isVisibleTo(w.get()));
}

TEST_F(Startup, StartTimesByStartNumberShowTheWaveButtons) {
    make();
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    t->settings().SaveSetting("StartZeiten", "Rows", "2");
    t->settings().SaveSetting("StartZeiten", "1", "1;100;10:00:00;A");
    t->settings().SaveSetting("StartZeiten", "2", "101;200;10:05:00;B");
    start();
    EXPECT_TRUE(w->lblInfo->isVisibleTo(w.get()));
    EXPECT_FALSE(w->lblStartTimeOut->isVisibleTo(w.get()));
    EXPECT_EQ(w->cmdSetStartZeit[0]->text(), "A startet 10:00:00 (1-100)");
    EXPECT_TRUE(w->cmdSetStartZeit[1]->isVisibleTo(w.get()));
    EXPECT_FALSE(w->cmdSetStartZeit[2]->isVisibleTo(w.get()));
    EXPECT_EQ(w->StartZeit[100], "10:00:00");
    EXPECT_EQ(w->StartZeit[101], "10:05:00");
    EXPECT_EQ(w->StartZeit[201], "");
}

TEST_F(Startup, TheEndButtonClosesTheDatabaseAndUnloads) {
    make();
    start();
    auto db = t->services().local.gdbLocal;
    w->cmdEnde_Click();
    EXPECT_FALSE(db->isOpen());
    EXPECT_TRUE(w->isUnloaded());
    EXPECT_TRUE(t->settings().GetSetting(S, "Form Top", "").size() > 0);
}

} // namespace

namespace {

TEST_F(Startup, ComingBackFromAProgramWindowActivatesButNotFromAMessageBox) {
    make();
    start();
    const QString log = t->path("backup.log");
    ASSERT_EQ(startLines(log), 1);
    QApplication::setActiveWindow(w.get());
    QCoreApplication::processEvents();
    const int before = startLines(log);

    QDialog ownDialog;
    Skin::MarkProgramWindow(ownDialog);
    ownDialog.show();
    QCoreApplication::processEvents(); // the platform may activate a shown window late
    QApplication::setActiveWindow(&ownDialog);
    QApplication::setActiveWindow(w.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(startLines(log), before + 1);

    QDialog box; // stands for a message box: not one of the program's windows
    box.show();
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(&box);
    QApplication::setActiveWindow(w.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(startLines(log), before + 1);
}

} // namespace
