#include "platform/DatabaseCopy.h"
#include "support/TestServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A plain SQLite connection of its own, as another program (or this one) writing results.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 5000);
    }
    ~Raw() { sqlite3_close_v2(db); }
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    QString text(const char* sql) {
        sqlite3_stmt* st = nullptr;
        QString out;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return out;
    }
};

constexpr const char* InsertRow = "insert into Chronvo (Laufnummer, Platzierung, Startnummer, Millisekunden) "
                                  "values (1, 1, 7, 1000)";

TEST(DatabaseCopy, ACopyTakenWhileResultsAreWrittenOpensWhole) {
    TestServices t;
    const QString copy = t.path("Chronvo.mdb_copy");
    std::atomic<int> committed{0};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        Raw w(t.dbPath());
        w.exec("PRAGMA synchronous=FULL");
        while (!stop) {
            if (w.exec(InsertRow) == SQLITE_OK)
                ++committed;
        }
    });
    while (committed < 50)
        std::this_thread::yield();
    for (int round = 0; round < 3; ++round) {
        const int before = committed;
        QString error;
        ASSERT_TRUE(DatabaseCopy::Copy(t.dbPath(), copy, &error)) << error.toStdString();
        Raw c(copy);
        EXPECT_EQ(c.text("PRAGMA integrity_check"), "ok");
        EXPECT_GE(c.text("select count(*) from Chronvo").toInt(), before);
        EXPECT_GT(c.text("select count(*) from StoredQueries").toInt(), 0);
    }
    stop = true;
    writer.join();
    // Nothing but the copy is left in the folder.
    EXPECT_EQ(QDir(t.folder()).entryList({".Chronvo*"}, QDir::Files | QDir::Hidden).size(), 0);
}

TEST(DatabaseCopy, ReplacesAnOlderCopyAndKeepsItWhenTheCopyFails) {
    TestServices t;
    const QString copy = t.path("Chronvo.mdb_20261206143005");
    {
        QFile old(copy);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    ASSERT_TRUE(DatabaseCopy::Copy(t.dbPath(), copy));
    EXPECT_EQ(Raw(copy).text("PRAGMA integrity_check"), "ok");
    const qint64 size = QFileInfo(copy).size();

    QString error;
    EXPECT_FALSE(DatabaseCopy::Copy(t.path("fehlt.mdb"), copy, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QFileInfo(copy).size(), size);
    EXPECT_FALSE(DatabaseCopy::Copy(t.dbPath(), t.path("kein/ordner/kopie")));
}

TEST(DatabaseCopy, ACopyHasTheModeOfTheOriginal) {
    TestServices t;
    using P = QFile::Permission;
    for (const QFile::Permissions mode :
         {P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther,
          P::ReadOwner | P::WriteOwner | P::ReadGroup,
          P::ReadOwner | P::WriteOwner | P::ReadGroup | P::WriteGroup, P::ReadOwner | P::ReadGroup,
          P::ReadOwner | P::WriteOwner | P::ReadOther}) {
        ASSERT_TRUE(QFile::setPermissions(t.dbPath(), mode));
        ASSERT_TRUE(DatabaseCopy::Copy(t.dbPath(), t.path("kopie.mdb")));
        EXPECT_EQ(QFile::permissions(t.path("kopie.mdb")) & 0x7077, mode);
    }
}

} // namespace
