#include "platform/DbEngine.h"
#include "platform/EngineErrors.h"
#include "platform/RuntimeError.h"
#include "support/DamagedDatabase.h"
#include "support/TestServices.h"

#include <QFile>
#include <QSqlError>

#include <gtest/gtest.h>

#include <optional>

namespace {

std::optional<RuntimeError> errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e;
    }
    return std::nullopt;
}

void insertRow(Database& db, const QVariant& startnummer, int platz = 1) {
    QueryDef q = db.QueryDefs("pI_Chronvo");
    q.setParameter("iLaufnummer", 1);
    q.setParameter("iStartnummer", startnummer);
    q.setParameter("iPlatzierung", platz);
    q.setParameter("iSystemtime", "10:00:01");
    q.setParameter("iStartTime", "10:00:00");
    q.setParameter("iSekunden", 1);
    q.setParameter("iWertungstime", "00:00:01");
    q.setParameter("iMillisekunden", 1000 + platz);
    q.setParameter("iZeitNetto", "00:00:01");
    q.setParameter("iMillisekNetto", 1000);
    q.Execute(dbFailOnError);
}

TEST(EngineErrors, FailuresOfRealQueriesReadInGermanUnderTheUsualNumber) {
    TestServices t;
    auto db = t.openLocal();

    const auto refused = errorOf([&] { insertRow(*db, "abc"); });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->number(), RuntimeError::EngineError);
    EXPECT_TRUE(refused->description().startsWith("Der Wert verletzt eine Gültigkeitsregel der Datenbank"))
        << refused->description().toStdString();
    EXPECT_FALSE(refused->description().contains("CHECK constraint failed"))
        << refused->description().toStdString();

    // A full disk: the file may not grow past its present size.
    Recordset pages = db->OpenRecordset("PRAGMA page_count");
    const qint64 pageCount = pages.Fields(0).toLongLong();
    db->OpenRecordset(QStringLiteral("PRAGMA max_page_count = %1").arg(pageCount));
    const auto full = errorOf([&] {
        for (int i = 1; i < 100000; ++i)
            insertRow(*db, i, i);
    });
    ASSERT_TRUE(full);
    EXPECT_EQ(full->number(), RuntimeError::EngineError);
    EXPECT_EQ(full->description(), "Der Datenträger ist voll: die Datenbank kann nicht geschrieben werden.");
    db->Close();

    DbEngine other;
    auto readOnly = other.Workspaces(0).OpenDatabase(t.dbPath(), false, true, ";PWD=7rosenhag");
    const auto denied = errorOf([&] { insertRow(*readOnly, 5); });
    ASSERT_TRUE(denied);
    EXPECT_EQ(denied->number(), RuntimeError::EngineError);
    EXPECT_TRUE(denied->description().startsWith("Die Datenbank ist schreibgeschützt"))
        << denied->description().toStdString();
    readOnly->Close();
}

TEST(EngineErrors, EachFailureAUserMeetsHasItsOwnGermanText) {
    const struct {
        int code;
        const char* engineText;
        long number;
        const char* start;
    } cases[] = {
        {8, "attempt to write a readonly database", RuntimeError::EngineError,
         "Die Datenbank ist schreibgeschützt"},
        {13, "database or disk is full", RuntimeError::EngineError, "Der Datenträger ist voll"},
        {5, "database is locked", RuntimeError::EngineError, "Die Datenbank ist von einem anderen"},
        {6, "database table is locked", RuntimeError::EngineError, "Die Datenbank ist von einem anderen"},
        {275, "CHECK constraint failed: Laufnummer", RuntimeError::EngineError,
         "Der Wert verletzt eine Gültigkeitsregel der Datenbank (Laufnummer)."},
        {2067, "UNIQUE constraint failed: Chronvo.Laufnummer", RuntimeError::DuplicateKey,
         "Die Änderungen wurden"},
        {11, "database disk image is malformed", RuntimeError::EngineError,
         "Die Datenbankdatei ist beschädigt."},
        {26, "file is not a database", RuntimeError::EngineError, "Die Datenbankdatei ist beschädigt."},
        {14, "unable to open database file", RuntimeError::EngineError,
         "Die Datenbankdatei kann nicht geöffnet"},
        // Extended codes keep their primary meaning.
        {266, "disk I/O error", RuntimeError::EngineError, "Lese- oder Schreibfehler"},
        // A driver that gives no code: the engine's message tells.
        {0, "database is locked", RuntimeError::EngineError, "Die Datenbank ist von einem anderen"},
        {1, "attempt to write a readonly database", RuntimeError::EngineError,
         "Die Datenbank ist schreibgeschützt"},
    };
    for (const auto& c : cases) {
        const RuntimeError e = EngineErrors::fromEngine(c.code, c.engineText);
        EXPECT_EQ(e.number(), c.number) << c.engineText;
        EXPECT_TRUE(e.description().startsWith(QString::fromUtf8(c.start)))
            << c.engineText << " -> " << e.description().toStdString();
    }
    // Anything else keeps the engine's own words rather than hiding them.
    EXPECT_EQ(EngineErrors::fromEngine(1, "no such table: X").description(), "no such table: X");
    const RuntimeError viaQt = EngineErrors::fromSql(
        QSqlError("driver", "database or disk is full", QSqlError::StatementError, "13"));
    EXPECT_TRUE(viaQt.description().startsWith("Der Datenträger ist voll"));
}

TEST(EngineErrors, TheStartUpCheckPassesASoundWritableFileAndLeavesItUnchanged) {
    TestServices t;
    auto db = t.openLocal();
    db->Close();
    QFile before(t.dbPath());
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();

    DbEngine engine;
    auto opened = engine.Workspaces(0).OpenDatabase(t.dbPath(), false, false, ";PWD=7rosenhag");
    EXPECT_FALSE(errorOf([&] { opened->CheckWritableAndSound(); }));
    opened->Close();
    QFile after(t.dbPath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
    EXPECT_FALSE(QFile::exists(t.dbPath() + "-journal"));
}

TEST(EngineErrors, TheStartUpCheckRefusesAReadOnlyFileABlockedFolderAndADamagedFile) {
    TestServices t;
    DbEngine engine;
    Workspace& ws = engine.Workspaces(0);
    const QString path = t.dbPath();

    auto readOnly = ws.OpenDatabase(path, false, true, ";PWD=7rosenhag");
    const auto ro = errorOf([&] { readOnly->CheckWritableAndSound(); });
    ASSERT_TRUE(ro);
    EXPECT_TRUE(ro->description().startsWith("Die Datenbank '" + path + "' kann nicht geschrieben werden: "))
        << ro->description().toStdString();
    readOnly->Close();

    {
        // A folder without write rights: the file opens, but its first change needs a journal.
        const ReadOnlyGuard folder(t.folder());
        if (!folder.effective())
            GTEST_SKIP() << "cannot make a folder read-only for this user";
        auto blocked = ws.OpenDatabase(path, false, false, ";PWD=7rosenhag");
        const auto noJournal = errorOf([&] { blocked->CheckWritableAndSound(); });
        ASSERT_TRUE(noJournal);
        EXPECT_TRUE(noJournal->description().contains("kann nicht geschrieben werden"))
            << noJournal->description().toStdString();
        blocked->Close();
    }

    ASSERT_TRUE(damageResultTable(path));
    auto damaged = ws.OpenDatabase(path, false, false, ";PWD=7rosenhag");
    const auto bad = errorOf([&] { damaged->CheckWritableAndSound(); });
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->number(), RuntimeError::UnrecognizedFormat);
    EXPECT_TRUE(bad->description().contains("ist beschädigt")) << bad->description().toStdString();
    damaged->Close();
}

} // namespace
