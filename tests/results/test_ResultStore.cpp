#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/ResultEntry.h"
#include "support/TestServices.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <set>
#include <thread>

namespace {

ResultEntry::Row rowOf(qint32 startnummer) {
    ResultEntry::Row row;
    row.startnummer = startnummer;
    row.systemtime = "10:00:00";
    row.starttime = "09:00:00";
    row.times = ResultEntry::ComputeTimes(60, 60);
    return row;
}

// Two program instances (or a reader hand-over and the keyboard) writing one file at once,
// each taking a few hundred results a second.
TEST(ResultStore, TwoWritersNeverGetTheSamePlace) {
    TestServices t;
    constexpr int PerWriter = 150;
    std::atomic<int> failures{0};
    std::latch bothOpen(2);
    const auto writer = [&](int first) {
        Workspace ws;
        auto db = ws.OpenDatabase(t.dbPath(), false, false, ";PWD=7rosenhag");
        bothOpen.arrive_and_wait();
        for (int i = 0; i < PerWriter; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(i % 3));
            try {
                ResultEntry::InsertNext(*db, rowOf(first + i));
            } catch (const RuntimeError& e) {
                ADD_FAILURE() << e.number() << " " << e.description().toStdString();
                ++failures;
            }
        }
        db->Close();
    };
    std::thread a(writer, 1000);
    std::thread b(writer, 2000);
    a.join();
    b.join();

    EXPECT_EQ(failures, 0);
    auto db = t.openLocal();
    const Recordset rs = db->OpenRecordset("select Platzierung from Chronvo where Laufnummer = 1");
    ASSERT_EQ(rs.RecordCount(), 2 * PerWriter);
    std::set<int> places;
    for (const auto& row : rs.rows())
        places.insert(row[0].toInt());
    EXPECT_EQ(places.size(), size_t(2 * PerWriter));
    EXPECT_EQ(*places.begin(), 1);
    EXPECT_EQ(*places.rbegin(), 2 * PerWriter);
}

TEST(ResultStore, AWriterHoldingTheLockMakesTheResultFailSoonWithNothingStored) {
    TestServices t;
    auto db = t.openLocal();
    ResultEntry::InsertNext(*db, rowOf(1));

    Workspace other;
    auto holder = other.OpenDatabase(t.dbPath(), false, false, ";PWD=7rosenhag");
    holder->BeginWrite();
    QElapsedTimer waited;
    waited.start();
    EXPECT_THROW(ResultEntry::InsertNext(*db, rowOf(2)), RuntimeError);
    // Bounded, so the window never hangs for seconds on one result.
    EXPECT_LT(waited.elapsed(), 3 * Database::BusyTimeoutMs);
    holder->CommitWrite();

    // Nothing of the failed attempt stayed, and the next result takes the next place.
    const ResultEntry::Stored next = ResultEntry::InsertNext(*db, rowOf(3));
    EXPECT_EQ(next.platzierung, 2);
    const Recordset rs = db->OpenRecordset("select Startnummer from Chronvo order by Platzierung");
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.rows()[1][0].toInt(), 3);
}

TEST(ResultStore, TheFirstRowOfAStartNumberIsToldApart) {
    TestServices t;
    auto db = t.openLocal();
    EXPECT_TRUE(ResultEntry::InsertNext(*db, rowOf(7)).firstOfStartnummer);
    EXPECT_FALSE(ResultEntry::InsertNext(*db, rowOf(7)).firstOfStartnummer);
    ResultEntry::Row otherRun = rowOf(7);
    otherRun.laufnummer = 2;
    const ResultEntry::Stored stored = ResultEntry::InsertNext(*db, otherRun);
    EXPECT_TRUE(stored.firstOfStartnummer);
    EXPECT_EQ(stored.platzierung, 1);
}

} // namespace
