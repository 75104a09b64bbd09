#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/DirectBooking.h"
#include "support/ErrorOf.h"
#include "support/TestServices.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

TEST(BookedTime, SecondsRoundHalvesToEvenAndTheTimeCountsFromDayZero) {
    using DirectBooking::BookedTimeOf;
    EXPECT_EQ(BookedTimeOf(2500).sekunden, 2);
    EXPECT_EQ(BookedTimeOf(3500).sekunden, 4);
    EXPECT_EQ(BookedTimeOf(3599600).sekunden, 3600);
    EXPECT_EQ(BookedTimeOf(3599600).zeit, QDateTime(QDate(1899, 12, 30), QTime(1, 0, 0)));
    EXPECT_EQ(BookedTimeOf(90061000).zeit, QDateTime(QDate(1899, 12, 31), QTime(1, 1, 1)));
    EXPECT_EQ(BookedTimeOf(-5000).zeit, QDateTime(QDate(1899, 12, 29), QTime(23, 59, 55)));
}

struct RaceDb : ::testing::Test {
    TestServices t;
    QString path = t.copyRaceDatabase();
    std::shared_ptr<Database> race;

    void SetUp() override {
        t.settings().SaveSetting("frmChronivo", "Direkteinbuchung", "-1");
        open();
    }
    void open() {
        race = t.services().dbEngine->Workspaces(0).OpenDatabase(path, false, false, ";PWD=7rosenhag");
    }
    Recordset wt(int sn) {
        return race->OpenRecordset("select * from WT where WT_StartNr = :n", {{"n", sn}});
    }
    int splits() { return race->OpenRecordset("select * from ZZ").RecordCount(); }
    bool book(int sn, int ms) { return DirectBooking::Book(t.settings(), race.get(), sn, ms); }
};

TEST_F(RaceDb, ABookingStoresTheTimeOnTheRunnersRowAndAddsASplitPointingToIt) {
    ASSERT_TRUE(book(42, 3599600));
    Recordset row = wt(42);
    EXPECT_EQ(row.Fields("WT_Sekunden").toInt(), 3600);
    EXPECT_EQ(row.Fields("WT_MillSek").toInt(), 3599600);
    EXPECT_TRUE(row.Fields("WT_Zeit").toString().startsWith("1899-12-30T01:00:00"));
    Recordset split = race->OpenRecordset("select * from ZZ");
    ASSERT_EQ(split.RecordCount(), 1);
    EXPECT_EQ(split.Fields("WT_REF"), row.Fields("WT_REF"));
    EXPECT_EQ(split.Fields("ZZ_MillSek").toInt(), 3599600);
    // Runners of every run are reached: the booking is not tied to a run.
    ASSERT_TRUE(book(550, 2500));
    EXPECT_EQ(wt(550).Fields("WT_Sekunden").toInt(), 2);
    EXPECT_EQ(race->OpenRecordset("select * from WT where WT_MillSek is not null").RecordCount(), 2);
    // A start number the race program does not know: nothing is written.
    EXPECT_FALSE(book(777, 1000));
    EXPECT_EQ(splits(), 2);
}

TEST_F(RaceDb, NoStartNumberOrBookingOffNeverTouchesTheRaceDatabase) {
    // A closed database raises on any query, so a query that ran would show.
    race->Close();
    EXPECT_FALSE(book(0, 1000));
    EXPECT_FALSE(book(-3, 1000));
    EXPECT_FALSE(DirectBooking::Book(t.settings(), nullptr, 5, 1000));
    t.settings().SaveSetting("frmChronivo", "Direkteinbuchung", "0");
    EXPECT_FALSE(book(5, 1000));
}

TEST_F(RaceDb, AFailingStepRaisesAndLeavesTheStepsBeforeItDone) {
    QSqlQuery(race->connection()).exec("delete from StoredQueries where Name = 'pI_ZZ_OhneReferenz'");
    race->Close();
    open();
    EXPECT_EQ(errorNumberOf([&] { book(7, 61000); }), RuntimeError::ItemNotFound);
    EXPECT_EQ(wt(7).Fields("WT_Sekunden").toInt(), 61);
}

} // namespace
