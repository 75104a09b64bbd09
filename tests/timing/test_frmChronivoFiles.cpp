#include "MainWindowFixture.h"
#include "results/ExportFile.h"
#include "support/FileSizeLimit.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
    auto db =
        t->services().dbEngine->Workspaces(0).OpenDatabase(copy, false, true, frmChronivo::ConnectString);
    EXPECT_EQ(db->OpenRecordset("select * from Chronvo").RecordCount(), 2);
    db->Close();

    // A copy that cannot be written is reported as such.
    t->services().local.gsDbPath = t->path("kein/ordner/Chronvo.mdb");
    w->mnuDatabaseBackup_Click();
    EXPECT_EQ(t->dialogs().shown().back().text, "Fehler beim erstellen des Backups!!");
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
}

TEST_F(Files, TheStartRemovesTemporaryFilesThatAKillLeftBehind) {
    const QStringList leftovers = {
        ".Chronvo.mdb_20261206143005.AbC123", ".Chronvo.mdb_20261206143005.AbC123-journal",
        ".Chronvo.mdb_20261206150000.Zz9Yy8-journal", "settings.ini.xYz789", "fastsave.log.QwErTy"};
    const QStringList kept = {"Chronvo.mdb_20261206143005", ".Chronvo.mdb_20261206143006.InUse1",
                              "settings.ini.bak", "fastsave.log.1", "notes.txt"};
    for (const QString& name : leftovers + kept) {
        QFile f(t->path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // A copy another instance is still making holds its temporary file locked.
    const int inUse = ::open(QFile::encodeName(t->path(kept[1])).constData(), O_RDONLY);
    ASSERT_EQ(::flock(inUse, LOCK_EX), 0);
    start();
    ::close(inUse);
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFile::exists(t->path(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFile::exists(t->path(name))) << name.toStdString();
}

// Five results in run 1, the second and fourth without start number.
struct Export : MainWindowTest {
    void SetUp() override {
        start();
        startRunAt(10, 0, 0);
        for (int i = 1; i <= 5; ++i) {
            at(10, 20, i);
            enter(i % 2 ? QString::number(i) : QString());
        }
    }
    QString exp = t->path("lauf.exp");
    ExportFile::ExportRecord record(const QByteArray& file, int i) {
        return ExportFile::Unpack(file.constData() + i * ExportFile::RecordSize);
    }
};

TEST_F(Export, RowsWithoutStartNumberAreWrittenOnlyWhenTheUserSaysYes) {
    t->dialogs().planMsgBox(MsgBoxResult::No);
    w->mnuSaveDatabase_Click();
    EXPECT_EQ(t->dialogs().shown().back().style, 20);
    EXPECT_TRUE(t->dialogs().messages().back().startsWith("Es gibt >> 2 << Wertungen ohne Startnummer !\r"));
    EXPECT_FALSE(QFile::exists(exp));

    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    t->dialogs().planFile(exp);
    w->mnuSaveDatabase_Click();
    EXPECT_EQ(QFileInfo(t->dialogs().lastFileRequest.fileName).fileName(), "Chronivo.exp"); // preset
    const QByteArray file = readAll(exp);
    ASSERT_EQ(file.size(), 5 * ExportFile::RecordSize);
    EXPECT_EQ(record(file, 1).Startnummer, 0);
    EXPECT_EQ(record(file, 3).Startnummer, 0);
    EXPECT_EQ(record(file, 4).Startnummer, 5);
    EXPECT_EQ(record(file, 4).Platzierung, 5);
    EXPECT_EQ(record(file, 4).Millisekunden, 1205000);
    EXPECT_EQ(ExportFile::FieldText(record(file, 4).ZeitNetto), "00:20:05");
    EXPECT_TRUE(t->dialogs().allPlansUsed());
}

TEST_F(Export, AnOlderLongerFileKeepsNothingBehindTheNewRecordsAndCancelTouchesNothing) {
    t->services().local.gdbLocal->ExecuteSql("update Chronvo set Startnummer = 9");
    {
        QFile old(exp);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(20 * ExportFile::RecordSize, 'x'));
    }
    t->dialogs().planFile("");
    w->mnuSaveDatabase_Click();
    EXPECT_EQ(readAll(exp).size(), 20 * ExportFile::RecordSize);
    t->dialogs().planFile(exp);
    w->mnuSaveDatabase_Click();
    EXPECT_EQ(readAll(exp).size(), 5 * ExportFile::RecordSize);
}

TEST_F(Export, TheSevenHourQuestionCanEndTheExportWhileFastSaveWritesEveryRow) {
    t->services().local.gdbLocal->ExecuteSql(
        "update Chronvo set Startnummer = Platzierung, Millisekunden = 25200001 where Platzierung in (2, 4)");
    t->dialogs().planFile(exp);
    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    t->dialogs().planMsgBox(MsgBoxResult::No);
    w->mnuSaveDatabase_Click();
    EXPECT_EQ(
        t->dialogs().messages().first(),
        QString::fromUtf8("Startnummer: 2 hat ein ungültige Zeit!\rEs können kein Laufzeiten größer 7 "
                          "Stunden verwaltet werden!\rZeit wird nicht gespeichert!\r\rWeitermachen???"));
    EXPECT_EQ(t->dialogs().shown()[1].style, 68);
    // Places 1 and 3 were written before the answer No at place 4.
    const QByteArray file = readAll(exp);
    ASSERT_EQ(file.size(), 2 * ExportFile::RecordSize);
    EXPECT_EQ(record(file, 1).Platzierung, 3);

    // Fast save: no dialog at all, every row, the net time text empty.
    w->cmdFastSave_Click();
    const QByteArray fast = readAll(t->path("fastsave.log"));
    ASSERT_EQ(fast.size(), 5 * ExportFile::RecordSize);
    EXPECT_EQ(record(fast, 3).Millisekunden, 25200001);
    EXPECT_EQ(fast.mid(3 * ExportFile::RecordSize + 42, 8), QByteArray(8, '\0'));
    EXPECT_TRUE(t->dialogs().allPlansUsed());
}

TEST_F(Export, AWriteThatFailsKeepsTheOldFileAndSaysSo) {
    const QString fast = t->path("fastsave.log");
    const QByteArray good(3 * ExportFile::RecordSize, 'g');
    for (const QString& name : {exp, fast}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(good);
    }
    const auto unchanged = [&] {
        EXPECT_EQ(readAll(exp), good);
        EXPECT_EQ(readAll(fast), good);
        EXPECT_EQ(QDir(t->folder()).entryList({"*.exp*", "*.log.*"}, QDir::Files | QDir::Hidden).size(), 1);
    };
    // The first row can't be written.
    t->services().local.gdbLocal->ExecuteSql("update Chronvo set Startnummer = 9");
    t->services().local.gdbLocal->ExecuteSql("update Chronvo set Wertungstime = Null where Platzierung = 1");
    t->dialogs().planFile(exp);
    w->mnuSaveDatabase_Click();
    w->cmdFastSave_Click();
    ASSERT_EQ(t->dialogs().messages().size(), 2);
    EXPECT_TRUE(t->dialogs().messages()[0].startsWith("Fehler: 94 - "));
    EXPECT_TRUE(t->dialogs().messages()[1].startsWith("Fehler: 94 - "));
    unchanged();

    // The disk is full after two records.
    t->services().local.gdbLocal->ExecuteSql(
        "update Chronvo set Wertungstime = '00:20:01' where Platzierung = 1");
    t->dialogs().planFile(exp);
    {
        FileSizeLimit fullDisk(2 * ExportFile::RecordSize);
        w->mnuSaveDatabase_Click();
        w->cmdFastSave_Click();
    }
    ASSERT_EQ(t->dialogs().messages().size(), 4);
    EXPECT_TRUE(
        t->dialogs().messages()[2].startsWith("Fehler: 75 - Fehler beim Zugriff auf Pfad/Datei: " + exp));
    EXPECT_TRUE(
        t->dialogs().messages()[3].startsWith("Fehler: 75 - Fehler beim Zugriff auf Pfad/Datei: " + fast));
    unchanged();
}

TEST_F(Export, FastSavePathAndItsAbsence) {
    QStringList captions;
    for (const QLabel* label : w->fraFastSave->findChildren<QLabel*>())
        captions << label->text();
    EXPECT_TRUE(captions.contains(QString::fromUtf8("Schnellspeicherung der Import-Datei für Vek. Lauf")))
        << captions.join('|').toStdString();
    EXPECT_EQ(w->cmdFastSave->toolTip(), "Erfasste Wertungen sofort speichern");

    t->dialogs().planFile(t->path("schnell.bin"));
    w->mnufastSave_Click();
    EXPECT_EQ(t->dialogs().lastFileRequest.fileName, t->path("fastsave.log")); // preset
    EXPECT_EQ(setting("FastSaveDatei"), t->path("schnell.bin"));
    EXPECT_EQ(w->lblFastSave->text(), t->path("schnell.bin"));
    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->cmdFastSave_Click();
    EXPECT_EQ(readAll(t->path("schnell.bin")).size(), 5 * ExportFile::RecordSize);

    t->settings().SaveSetting(S, "FastSaveDatei", "  ");
    w->cmdFastSave_Click();
    EXPECT_EQ(t->dialogs().messages().back(),
              QString::fromUtf8("Keinen Pfad für Schnellspeicherung angegeben!"));

    chooseRun(3);
    t->settings().SaveSetting(S, "FastSaveDatei", t->path("leer.bin"));
    w->cmdFastSave_Click();
    EXPECT_EQ(t->dialogs().messages().back(), "Keine Zeiten zum speichern gefunden!");
    EXPECT_FALSE(QFile::exists(t->path("leer.bin")));
}

TEST_F(Export, ReadingBackInsertsWholeRecordsIntoTheSelectedRun) {
    t->services().local.gdbLocal->ExecuteSql("update Chronvo set Startnummer = Platzierung + 100");
    t->dialogs().planFile(exp);
    w->mnuSaveDatabase_Click();
    QByteArray file = readAll(exp);
    // 120 bytes: two records and a cut piece of a third.
    {
        QFile cut(t->path("cut.exp"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(file.left(120));
    }
    chooseRun(2);
    t->dialogs().planFile(t->path("cut.exp"));
    w->mnuLoadDatei_Click();
    Recordset rs = rows(2);
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 102);
    EXPECT_EQ(field(rs, 1, "Systemtime").toString(), "10:20:02");
    EXPECT_EQ(field(rs, 1, "ZeitNetto").toString(), "00:20:02");
    EXPECT_EQ(w->Data1->RecordCount(), 2);

    // A record whose date is no number is refused with the error; the one before it stays.
    const double nan = std::nan("");
    std::memcpy(file.data() + ExportFile::RecordSize + 2, &nan, 8);
    {
        QFile bad(t->path("bad.exp"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(file);
    }
    chooseRun(4);
    t->dialogs().planFile(t->path("bad.exp"));
    w->mnuLoadDatei_Click();
    EXPECT_EQ(rows(4).RecordCount(), 1);
    EXPECT_TRUE(t->dialogs().messages().back().startsWith("Fehler: 13 - "));

    // The dialog offers the name last used; an empty file inserts nothing.
    QFile(t->path("leer.exp")).open(QIODevice::WriteOnly);
    t->dialogs().planFile(t->path("leer.exp"));
    w->mnuLoadDatei_Click();
    EXPECT_EQ(t->dialogs().lastFileRequest.fileName, t->path("bad.exp"));
    EXPECT_EQ(rows(4).RecordCount(), 1);
}

// A tag-read line of a time file: four characters, then the reader's telegram with the read
// at that time of 2026-01-01 on the reader's clock and the transponder's ID.
QByteArray tagLine(const QTime& time, const QString& id, const char* uam = "uam") {
    const qint64 s = QDateTime(QDate(2026, 1, 1), time, Qt::UTC).toSecsSinceEpoch();
    const QString hex = QStringLiteral("%1").arg(s, 8, 16, QChar('0')).toUpper();
    const QString pairs = hex.mid(6, 2) + hex.mid(4, 2) + hex.mid(2, 2) + hex.mid(0, 2);
    return ("0001S2C" + QString(uam) + "READER1" + pairs + "00" + id.rightJustified(24, '0')).toLatin1();
}

struct TimeFile : MainWindowTest {
    void SetUp() override {
        start();
        w->mnuLoadZeitDatei_Click();
    }
    void typeStart(const QString& text) {
        t->dialogs().planInputBox(text);
        w->cmdZeitdateiLaufstart_Click();
    }
    void import(const QByteArray& content) {
        QFile f(t->path("zeiten.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        t->dialogs().planFile(t->path("zeiten.txt"));
        w->cmdZeitdateiImport_Click();
    }
    void loadStartnummern(const QByteArray& content) {
        QFile f(t->path("nummern.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        t->dialogs().planFile(f.fileName());
        w->mnuLoadStartnummern_Click();
    }
    QString lastMessage() { return t->dialogs().messages().value(t->dialogs().messages().size() - 1); }
};

TEST_F(TimeFile, ThePanelTakesTheStartOnlyAsHhMmSs) {
    EXPECT_TRUE(w->fraZeitdatei->isVisible());
    EXPECT_FALSE(w->cmdStart->isVisible());
    EXPECT_FALSE(w->cmdAutoStart->isVisible());
    EXPECT_FALSE(w->tmrBlinker->isActive());
    EXPECT_FALSE(w->cmdInsert->isEnabled());

    w->cmdZeitdateiImport_Click();
    EXPECT_EQ(t->dialogs().messages().back(), "Bitte eine Start-Zeit eingaben!");
    for (const char* refused : {"7:05:00", "25:00:00", "12.05.26"}) {
        typeStart(refused);
        EXPECT_EQ(t->dialogs().messages().back(),
                  QString::fromUtf8("Kein gültiges Datum!!!\rBitte Datumsformat überprüfen!!!"));
        EXPECT_EQ(w->lblDummy1[2]->text(), "hh:mm:ss");
    }
    typeStart("07:05:00");
    EXPECT_EQ(w->lblDummy1[2]->text(), "07:05:00");
    typeStart("  ");
    EXPECT_EQ(w->lblDummy1[2]->text(), "07:05:00");

    w->cmdZeitdateiCancel_Click();
    EXPECT_FALSE(w->fraZeitdatei->isVisible());
    EXPECT_TRUE(w->cmdStart->isVisible());
    EXPECT_TRUE(w->cmdAutoStart->isVisible());
    EXPECT_TRUE(w->tmrBlinker->isActive());
    EXPECT_TRUE(w->cmdInsert->isEnabled());

    // In single pass-through mode the start buttons stay hidden when the panel closes.
    w->mnuDurchlaufModus_Click();
    w->mnuLoadZeitDatei_Click();
    w->cmdZeitdateiCancel_Click();
    EXPECT_FALSE(w->cmdStart->isVisible());
    EXPECT_TRUE(w->cmdDurchlauf->isVisible());
}

// A long file shows its count growing read by read, but is not drawn once per read: on a real
// display that drawing made the import several times slower.
TEST_F(TimeFile, TheCounterCountsEveryReadWithoutADrawingPerRead) {
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    w->edtCounter->installEventFilter(&counter);
    QStringList shown;
    QObject::connect(w->edtCounter, &QLineEdit::textChanged, [&](const QString& text) { shown << text; });
    QByteArray file;
    for (int i = 0; i < 2000; ++i)
        file += tagLine(QTime(12, 0, 0).addSecs(i / 10), QString::number(i % 500 + 1)) + "\r\n";
    typeStart("11:30:00");
    import(file);
    ASSERT_EQ(shown.size(), 2000);
    EXPECT_EQ(shown.front(), "1");
    EXPECT_EQ(shown.back(), "2000");
    EXPECT_GE(counter.paints, 1);
    EXPECT_LT(counter.paints, 200);
}

TEST_F(TimeFile, EachTagReadWithAStartNumberBecomesARowAtItsPositionInTheFile) {
    QueryDef assign = t->services().local.gdbLocal->QueryDefs("pI_Transponder");
    assign.setParameter("iTransponderID", "0000000000000000ABCDEF12");
    assign.setParameter("iStartnummer", 7);
    assign.Execute();
    const QByteArray file = "Reader gestartet\r\n" + tagLine(QTime(12, 0, 0), "42") + "\r" +
                            tagLine(QTime(11, 29, 50), "ABCDEF12", "UAM") + "\r\n" +
                            tagLine(QTime(12, 1, 0), "KEINER") + "\r\n" + "Antenne 2 aus\r\n" +
                            tagLine(QTime(12, 2, 0), "43") + "\r\n" + tagLine(QTime(12, 3, 0), "44") +
                            "\r\n" + "uam ohne Zeit\r\n";
    ASSERT_TRUE(file.contains("C0615669")); // 12:00:00
    typeStart("11:30:00");
    at(15, 0, 0);
    import(file);
    EXPECT_EQ(w->edtCounter->text(), "6");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 4);
    QList<int> places;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
        places << rs.Fields("Platzierung").toInt();
    EXPECT_EQ(places, QList<int>({1, 2, 4, 5}));
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 42);
    EXPECT_EQ(field(rs, 0, "Sekunden").toInt(), 1800);
    EXPECT_EQ(field(rs, 0, "Wertungstime").toString(), "00:30:00");
    EXPECT_EQ(field(rs, 0, "Millisekunden").toInt(), 1800000);
    EXPECT_EQ(field(rs, 0, "Starttime").toString(), "11:30:00");
    EXPECT_EQ(field(rs, 0, "Systemtime").toString(), "17.05.2026 15:00:00");
    // Without a net start of their own the rows carry their gross time as net.
    EXPECT_EQ(field(rs, 0, "MillisekNetto").toInt(), 1800000);
    EXPECT_EQ(field(rs, 0, "ZeitNetto").toString(), "00:30:00");
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 7);
    EXPECT_EQ(field(rs, 1, "Sekunden").toInt(), -10);
    EXPECT_EQ(field(rs, 1, "Wertungstime").toString(), "23:59:50");
    EXPECT_EQ(w->Data1->RecordCount(), 4);

    // Another start against the same file, in another run; the panel stays open.
    chooseRun(2);
    typeStart("11:30:10");
    import(file);
    Recordset run2 = rows(2);
    EXPECT_EQ(field(run2, 0, "Sekunden").toInt(), 1790);
    EXPECT_TRUE(w->fraZeitdatei->isVisible());

    // The imported run goes to the race program like any other.
    chooseRun(1);
    w->cmdFastSave_Click();
    EXPECT_EQ(readAll(t->path("fastsave.log")).size(), 4 * ExportFile::RecordSize);
    EXPECT_EQ(t->dialogs().countContaining("Fehler"), 0);
}

TEST_F(TimeFile, AReadBeyondWhatTheExportHoldsGetsItsPlaceAndOnlyTheExportStops) {
    QByteArray file;
    for (int i = 0; i < 32767; ++i)
        file += tagLine(QTime(12, 0, 0), "KEINER") + "\r\n"; // no start number: no row
    typeStart("11:30:00");
    import(file + tagLine(QTime(12, 0, 1), "42") + "\r\n");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Platzierung").toInt(), 32768);
    w->cmdFastSave_Click();
    EXPECT_EQ(lastMessage(), "Fehler: 6 - Überlauf");
}

TEST_F(TimeFile, ADamagedReadKeepsItsPlaceAndIsReportedAndAReadErrorStoresNothing) {
    typeStart("11:30:00");
    QByteArray damaged = tagLine(QTime(12, 0, 30), "40");
    damaged.replace(17, 8, "C06156ZZ");
    import(tagLine(QTime(12, 0, 0), "42") + "\r\n" + damaged + "\r\n" + tagLine(QTime(12, 1, 0), "43") +
           "\r\n");
    EXPECT_EQ(w->edtCounter->text(), "3");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(field(rs, 1, "Platzierung").toInt(), 3);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 43);
    EXPECT_TRUE(lastMessage().endsWith("Zeile 2")) << lastMessage().toStdString();

    // A device that fails while the file is read: nothing of it is stored.
    t->dialogs().planFile("/proc/self/mem");
    w->cmdZeitdateiImport_Click();
    EXPECT_TRUE(lastMessage().startsWith("Fehler: 57 - "));
    EXPECT_EQ(rows().RecordCount(), 2);
    // So does loading an export file back.
    const qsizetype shown = t->dialogs().messages().size();
    t->dialogs().planFile("/proc/self/mem");
    w->mnuLoadDatei_Click();
    ASSERT_EQ(t->dialogs().messages().size(), shown + 1);
    EXPECT_TRUE(lastMessage().startsWith("Fehler: 57 - ")) << lastMessage().toStdString();
    EXPECT_EQ(rows().RecordCount(), 2);
}

TEST_F(TimeFile, AFileThatMayNotBeReadIsReportedAsSuchByBothImports) {
    typeStart("11:30:00");
    QString locked = t->path("gesperrt.txt");
    QFile f(locked);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    f.setPermissions({});
    if (QFile(locked).open(QIODevice::ReadOnly))
        locked = "/proc/sys/vm/drop_caches"; // running as root: a file only written, even by root
    if (!QFileInfo::exists(locked))
        GTEST_SKIP() << "no file here that may not be read";
    for (const auto& importFile : {std::function<void()>([&] { w->cmdZeitdateiImport_Click(); }),
                                   std::function<void()>([&] { w->mnuLoadStartnummern_Click(); }),
                                   std::function<void()>([&] { w->mnuLoadDatei_Click(); })}) {
        t->dialogs().planFile(locked);
        importFile();
        EXPECT_EQ(lastMessage(), "Fehler: 70 - Zugriff verweigert: " + locked);
    }
}

TEST_F(TimeFile, AStartNumberLineThatIsNoNumberOrTooBigIsNamedWithItsLine) {
    w->cmdZeitdateiCancel_Click();
    startRunAt(10, 0, 0);
    for (int i = 1; i <= 3; ++i)
        enter(QString::number(i));
    loadStartnummern("5\r\n99999999999\r\n7\r\n");
    EXPECT_EQ(lastMessage(), "Fehler: 6 - Zeile 2: Startnummer zu groß: \"99999999999\"");
    loadStartnummern("8\r\nNr. 9\r\n");
    EXPECT_EQ(lastMessage(), "Fehler: 13 - Zeile 2 ist keine Startnummer: \"Nr. 9\"");
    Recordset rs = rows();
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 8);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 2);
}

TEST_F(TimeFile, AStartNumberFileWritesPlacesInFinishingOrder) {
    w->cmdZeitdateiCancel_Click();
    startRunAt(10, 0, 0);
    for (int i = 1; i <= 3; ++i) {
        at(10, 10, i);
        enter(QString::number(i));
    }
    QFile f(t->path("nummern.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("12\r\n-1\r\n7\r\n");
    f.close();
    t->dialogs().planFile("");
    w->mnuLoadStartnummern_Click();
    Recordset unchanged = rows();
    EXPECT_EQ(field(unchanged, 0, "Startnummer").toInt(), 1);
    t->dialogs().planFile(t->path("nummern.txt"));
    w->mnuLoadStartnummern_Click();
    Recordset rs = rows();
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 12);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 2);
    EXPECT_EQ(field(rs, 2, "Startnummer").toInt(), 7);
    EXPECT_EQ(w->Data2->RecordCount(), 3);

    // A line that is no number stops the import with the error; its place keeps its start
    // number, the places before it are written, an empty line means no start number.
    loadStartnummern("\r\n21\r\n3b\r\n23\r\n");
    ASSERT_EQ(t->dialogs().countContaining("Fehler: "), 1);
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
    rs = rows();
    EXPECT_EQ(field(rs, 0, "Startnummer").toInt(), 0);
    EXPECT_EQ(field(rs, 1, "Startnummer").toInt(), 21);
    EXPECT_EQ(field(rs, 2, "Startnummer").toInt(), 7);
}

} // namespace
