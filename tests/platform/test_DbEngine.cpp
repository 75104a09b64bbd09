#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "support/ErrorOf.h"
#include "support/TestServices.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTime>

#include <gtest/gtest.h>

namespace {

void insertResult(Database& db, int lauf, int platz, const QVariant& startnummer, int ms = 1000) {
    QueryDef q = db.QueryDefs("pI_Chronvo");
    q.setParameter("iLaufnummer", lauf);
    q.setParameter("iStartnummer", startnummer);
    q.setParameter("iPlatzierung", platz);
    q.setParameter("iSystemtime", QTime(10, 0, 1));
    q.setParameter("iStartTime", "10:00:00");
    q.setParameter("iSekunden", ms / 1000);
    q.setParameter("iWertungstime", "00:00:01");
    q.setParameter("iMillisekunden", ms);
    q.setParameter("iZeitNetto", "00:00:01");
    q.setParameter("iMillisekNetto", ms);
    q.Execute(dbFailOnError);
    EXPECT_EQ(q.RecordsAffected(), 1);
    q.Close();
}

int countRows(Database& db, int lauf) {
    return db.OpenRecordset("select * from Chronvo where Laufnummer = :n", {{"n", lauf}}).RecordCount();
}

TEST(ParsedSql, NamedParametersBecomePositionalOutsideQuotes) {
    const ParsedSql p =
        ParsedSql::parse("select ':x' as a, \"b:c\" from t where a = :iA or b = :iB or c = :iA");
    EXPECT_EQ(p.positionalSql, "select ':x' as a, \"b:c\" from t where a = ? or b = ? or c = ?");
    EXPECT_EQ(p.occurrences, (QStringList{"iA", "iB", "iA"}));
    EXPECT_EQ(p.names, (QStringList{"iA", "iB"}));
}

TEST(DbEngine, AMissingFileIsAnOpenErrorAndIsNeverCreated) {
    TestServices t(false);
    Workspace& ws = t.services().dbEngine->Workspaces(0);
    EXPECT_EQ(errorNumberOf([&] { ws.OpenDatabase(t.dbPath(), false, false, ";PWD=x"); }),
              RuntimeError::CannotOpenDatabase);
    EXPECT_FALSE(QFile::exists(t.dbPath()));
    // A file that is no database is refused as well.
    QFile junk(t.dbPath());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a database file, just some text that is long enough");
    junk.close();
    EXPECT_NE(errorNumberOf([&] { ws.OpenDatabase(t.dbPath(), false, false, ";PWD=x"); }), 0);
}

TEST(DbEngine, QueriesAreFoundByNameAndParametersByNameInAnyOrder) {
    TestServices t;
    auto db = t.openLocal();
    EXPECT_EQ(db->Connect(), ";PWD=7rosenhag");
    EXPECT_EQ(errorNumberOf([&] { db->QueryDefs("pX_DoesNotExist"); }), RuntimeError::ItemNotFound);
    QueryDef q = db->QueryDefs("ps_getnextplatz"); // names are not case-sensitive
    EXPECT_EQ(q.Name(), "pS_GetNextPlatz");
    EXPECT_EQ(errorNumberOf([&] { q.setParameter("iNoSuchParameter", 1); }), RuntimeError::ItemNotFound);

    // The same insert with the parameters set in reverse order stores the same row.
    QueryDef ins = db->QueryDefs("pI_Chronvo");
    const QStringList names = ins.ParameterNames();
    ASSERT_EQ(names.size(), 10);
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        ins.setParameter(*it, it->contains("time", Qt::CaseInsensitive) || *it == "iZeitNetto"
                                  ? QVariant("00:00:05")
                                  : QVariant(7));
    ins.Execute(dbFailOnError);
    Recordset rs = db->OpenRecordset("select Laufnummer, Startnummer, Starttime from Chronvo");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("Laufnummer").toInt(), 7);
    EXPECT_EQ(rs.Fields("Starttime").toString(), "00:00:05");
}

TEST(DbEngine, RecordsetMovesAndFields) {
    TestServices t;
    auto db = t.openLocal();
    for (int i = 1; i <= 3; ++i)
        insertResult(*db, 1, i, 10 + i);
    Recordset rs = db->OpenRecordset("select Startnummer from Chronvo order by Platzierung");
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.Fields(0).toInt(), 11);
    rs.MoveLast();
    EXPECT_EQ(rs.Fields("startnummer").toInt(), 13);
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
    EXPECT_EQ(errorNumberOf([&] { rs.Fields(0); }), RuntimeError::NoCurrentRecord);
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.isBOF());
    EXPECT_EQ(errorNumberOf([&] { rs.Fields("Nope"); }), RuntimeError::ItemNotFound);

    Recordset empty = db->OpenRecordset("select * from Chronvo where Laufnummer = 9");
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.isBOF());
    EXPECT_TRUE(empty.isEOF());
}

TEST(DbEngine, AFailingActionQueryChangesNothingAndRaises) {
    TestServices t;
    auto db = t.openLocal();
    QueryDef ins = db->QueryDefs("pI_Chronvo");
    ins.setParameter("iLaufnummer", 1);
    ins.setParameter("iStartnummer", "abc"); // not a number
    EXPECT_NE(errorNumberOf([&] { ins.Execute(dbFailOnError); }), 0);
    EXPECT_EQ(countRows(*db, 1), 0);
}

TEST(DbEngine, ARolledBackTransactionLeavesNothingAndACommittedOneIsInAPlainCopy) {
    TestServices t;
    auto db = t.openLocal();
    Workspace& ws = *t.services().local.gwsLocal;
    ws.BeginTrans();
    insertResult(*db, 1, 1, 5);
    insertResult(*db, 1, 2, 6);
    EXPECT_EQ(countRows(*db, 1), 2);
    ws.Rollback();
    EXPECT_EQ(countRows(*db, 1), 0);

    ws.BeginTrans();
    insertResult(*db, 2, 1, 7);
    ws.CommitTrans();
    insertResult(*db, 2, 2, 8); // outside any transaction: its own unit

    // Copying the file while the database stays open must give every committed row.
    const QString copy = t.path("copy.mdb");
    ASSERT_TRUE(QFile::copy(t.dbPath(), copy));
    DbEngine other;
    auto copied = other.Workspaces(0).OpenDatabase(copy, false, true, ";PWD=7rosenhag");
    EXPECT_EQ(countRows(*copied, 2), 2);
    copied->Close();

    // A commit is on disk when it returns, the journal's removal included, so a power cut
    // right after it cannot roll the result back.
    EXPECT_EQ(db->OpenRecordset("PRAGMA journal_mode").Fields(0).toString(), "delete");
    EXPECT_EQ(db->OpenRecordset("PRAGMA synchronous").Fields(0).toInt(), 3); // EXTRA
}

TEST(DbEngine, ACommitThatFailsRollsBackAndLeavesNothingLocked) {
    TestServices t;
    auto db = t.openLocal();
    Workspace& ws = *t.services().local.gwsLocal;
    {
        // Another program reading the file: its read lock keeps our commit from finishing.
        QSqlDatabase reader = QSqlDatabase::addDatabase("QSQLITE", "other-program");
        reader.setDatabaseName(t.dbPath());
        ASSERT_TRUE(reader.open());
        QSqlQuery read(reader);
        ASSERT_TRUE(read.exec("BEGIN"));
        ASSERT_TRUE(read.exec("select count(*) from Chronvo") && read.next());
        read.finish();
        ws.BeginTrans();
        insertResult(*db, 1, 1, 5);
        EXPECT_NE(errorNumberOf([&] { ws.CommitTrans(); }), 0);
        EXPECT_FALSE(ws.inTransaction());
        EXPECT_TRUE(read.exec("COMMIT"));
        // The other program can write again at once: we hold no lock.
        EXPECT_TRUE(read.exec("insert into Chronvo (Laufnummer, Platzierung, Startnummer) values (3, 1, 1)"));
        read.clear();
        reader.close();
    }
    QSqlDatabase::removeDatabase("other-program");
    EXPECT_EQ(countRows(*db, 1), 0); // the failed transaction left nothing
    ws.BeginTrans();
    insertResult(*db, 1, 1, 6);
    ws.CommitTrans();
    EXPECT_EQ(countRows(*db, 1), 1);
    EXPECT_EQ(countRows(*db, 3), 1);
}

TEST(DbEngine, TestsStartFromAnUnusedDatabaseNeverFromTheProgramsWorkingFile) {
    // The program writes into the databases beside it; what the tests copy lies elsewhere.
    const QString programFolder = QFileInfo(CHRONIVO_PROGRAM_FOLDER).absoluteFilePath();
    EXPECT_NE(QFileInfo(CHRONIVO_BUILT_DB).absolutePath(), programFolder);
    EXPECT_NE(QFileInfo(CHRONIVO_BUILT_RACE_DB).absolutePath(), programFolder);
    TestServices t;
    auto db = t.openLocal();
    EXPECT_EQ(db->OpenRecordset("select count(*) from Chronvo").Fields(0).toInt(), 0);
    EXPECT_EQ(db->OpenRecordset("select count(*) from Transponder").Fields(0).toInt(), 0);
}

TEST(DbEngine, ABuildOverADatabaseWithResultsKeepsEveryRowAndBringsItsQueriesUpToDate) {
    TestServices t;
    auto db = t.openLocal();
    for (int p = 1; p <= 3; ++p)
        insertResult(*db, 1, p, 10 + p, p * 1000);
    // Queries of an older build: one changed, one missing, one no longer used.
    QSqlQuery(db->connection()).exec("update StoredQueries set Sql = 'select 0' where Name = 'pD_Chronvo'");
    QSqlQuery(db->connection()).exec("delete from StoredQueries where Name = 'pS_GetNextPlatz'");
    QSqlQuery(db->connection()).exec("insert into StoredQueries values ('pS_Alt', 'select 1')");
    db->Close();
    const QStringList args = QStringList{t.dbPath()} + QString(CHRONIVO_LOCAL_SQL).split('|');
    ASSERT_EQ(QProcess::execute(CHRONIVO_MKDB, args), 0);

    db = t.openLocal();
    EXPECT_EQ(countRows(*db, 1), 3);
    const QString all = "select group_concat(Name || Sql) from (select * from StoredQueries order by Name)";
    Workspace ws;
    auto pristine = ws.OpenDatabase(CHRONIVO_BUILT_DB, false, true, ";PWD=7rosenhag");
    EXPECT_EQ(db->OpenRecordset(all).Fields(0).toString(), pristine->OpenRecordset(all).Fields(0).toString());
}

TEST(DbEngine, AClosedDatabaseRefusesQueries) {
    TestServices t;
    auto db = t.openLocal();
    QueryDef q = db->QueryDefs("pS_GetNextPlatz");
    db->Close();
    EXPECT_FALSE(db->isOpen());
    EXPECT_EQ(errorNumberOf([&] { db->QueryDefs("pS_GetNextPlatz"); }), RuntimeError::DatabaseClosed);
    EXPECT_EQ(errorNumberOf([&] { q.OpenRecordset(); }), RuntimeError::DatabaseClosed);
}

} // namespace
