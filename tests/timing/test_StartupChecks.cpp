#include "MainWindowFixture.h"

#include "platform/RuntimeError.h"
#include "support/DamagedDatabase.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The database file is there but cannot take results: the load reports it and stops, and
// nothing can be started.
struct UnusableDatabase : MainWindowTest {
    void expectLoadStopped() {
        EXPECT_EQ(w->cboLaufnummer->count(), 0);
        EXPECT_FALSE(w->windowTitle().contains("für Lauf V"));
        EXPECT_FALSE(w->cmdStart->isEnabled());
        EXPECT_FALSE(w->hasLocalDatabase());
    }
};

TEST_F(UnusableDatabase, AReadOnlyFileIsReportedAtStartUp) {
    const ReadOnlyGuard file(t->dbPath());
    if (!file.effective())
        GTEST_SKIP() << "cannot make a file read-only for this user";
    start();
    EXPECT_EQ(t->dialogs().countContaining("Fehler: "), 1) << t->dialogs().messages().join("|").toStdString();
    EXPECT_EQ(
        t->dialogs().countContaining(QStringLiteral("Fehler: %1 - Die Datenbank '%2' kann nicht geschrieben "
                                                    "werden: Die Datenbank ist schreibgeschützt")
                                         .arg(RuntimeError::EngineError)
                                         .arg(t->dbPath())),
        1)
        << t->dialogs().messages().join("|").toStdString();
    expectLoadStopped();
}

TEST_F(UnusableDatabase, AReadOnlyProgramFolderIsReportedAtStartUp) {
    // The program folder holds only the database; settings and backup stay writable.
    const QString folder = t->path("programm");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::rename(t->dbPath(), folder + "/Chronvo.mdb"));
    t->services().programFolder = folder;
    const ReadOnlyGuard guard(folder);
    if (!guard.effective())
        GTEST_SKIP() << "cannot make a folder read-only for this user";
    start();
    EXPECT_EQ(t->dialogs().countContaining("Fehler: "), 1) << t->dialogs().messages().join("|").toStdString();
    EXPECT_EQ(t->dialogs().countContaining("kann nicht geschrieben werden"), 1);
    expectLoadStopped();
}

TEST_F(UnusableDatabase, ADamagedFileIsReportedAtStartUpAndNotFilled) {
    ASSERT_TRUE(damageResultTable(t->dbPath()));
    start();
    EXPECT_EQ(
        t->dialogs().countContaining(QStringLiteral("Fehler: %1 - ").arg(RuntimeError::UnrecognizedFormat)),
        1)
        << t->dialogs().messages().join("|").toStdString();
    EXPECT_EQ(t->dialogs().countContaining("ist beschädigt"), 1);
    expectLoadStopped();
}

} // namespace
