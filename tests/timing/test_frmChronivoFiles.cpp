#include "MainWindowFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>

namespace {

using Files = MainWindowTest;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(Files, ChoosingTheBackupFileStartsItWithAStartLineEvenWhileTheBackupIsOff) {
    start();
    ASSERT_FALSE(w->sscLogDatei->isChecked());
    t->dialogs().planFile(t->path("lauf.log"));
    at(11, 12, 13);
    w->mnuLogDatei_Click();
    EXPECT_EQ(t->dialogs().lastFileRequest.fileName, t->path("backup.log")); // preset
    EXPECT_EQ(setting("LogDatei"), t->path("lauf.log"));
    EXPECT_EQ(w->lblLogdatei->text(), t->path("lauf.log"));
    EXPECT_EQ(readAll(t->path("lauf.log")), "------ Chronvo gestartet um: 11:12:13 ------\r\n");

    // Results go to the new file; the line takes the start display of that moment.
    w->sscLogDatei->setChecked(true);
    w->lblStartTimeOut->setText("11:00:00");
    w->WriteLogRecord(w->lblLogdatei->text(), 4, "123456789012", "00:12:13", "2", 733000, 733000, "x");
    EXPECT_TRUE(readAll(t->path("lauf.log"))
                    .endsWith("Lauf: 2    Startzeit: 11:00:00  Platz: 4         Startnummer: 1234567890"
                              "Zeit: 00:12:13  ;733000;733000;1234567890;x\r\n"));

    // A cancelled dialog keeps the file and writes nothing.
    const QByteArray before = readAll(t->path("lauf.log"));
    t->dialogs().planFile("");
    w->mnuLogDatei_Click();
    EXPECT_EQ(setting("LogDatei"), t->path("lauf.log"));
    EXPECT_EQ(readAll(t->path("lauf.log")), before);
}

TEST_F(Files, TheDatabaseCopyIsNamedByTheSecondAndReplacesACopyOfTheSameSecond) {
    start();
    startRunAt(14, 0, 0);
    at(14, 30, 0);
    enter("7");
    t->clock().set(QDateTime(QDate(2026, 12, 6), QTime(14, 30, 5)));
    w->mnuDatabaseBackup_Click();
    const QString copy = t->dbPath() + "_20261206143005";
    EXPECT_EQ(t->dialogs().messages(), QStringList({"Folgende Backup-Datei wird erstellt:\r\r" + copy,
                                                    "Backup erfolgreich erstellt!"}));

    at(14, 31, 0);
    enter("8");
    t->clock().set(QDateTime(QDate(2026, 12, 6), QTime(14, 30, 5)));
    w->mnuDatabaseBackup_Click();
    auto db = t->services().dbEngine->Workspaces(0).OpenDatabase(copy, false, true, frmChronivo::ConnectString);
    EXPECT_EQ(db->OpenRecordset("select * from Chronvo").RecordCount(), 2);
    db->Close();

    // A copy that cannot be written is reported as such.
    t->services().local.gsDbPath = t->path("kein/ordner/Chronvo.mdb");
    w->mnuDatabaseBackup_Click();
    EXPECT_EQ(t->dialogs().shown().back().text, "Fehler beim erstellen des Backups!!");
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
}

} // namespace
