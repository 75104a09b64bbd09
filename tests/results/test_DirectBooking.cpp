#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/DirectBooking.h"
#include "support/ErrorOf.h"
#include "support/TestServices.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

constexpr const char* S = "frmChronivo";

struct RaceDb : ::testing::Test {
    TestServices t;
    std::shared_ptr<Database> race;

    void SetUp() override {
        t.settings().SaveSetting(S, "Direkteinbuchung", "-1");
        race = t.services().dbEngine->Workspaces(0).OpenDatabase(t.copyRaceDatabase(), false, false,
                                                                 ";PWD=7rosenhag");
    }
    void TearDown() override {
        if (race)
            race->Close();
    }

    Recordset wt(int startnummer) {
        return race->OpenRecordset("select * from WT where WT_StartNr = :n", {{"n", startnummer}});
    }
    Recordset zz() { return race->OpenRecordset("select * from ZZ order by ZZ_REF"); }
};

TEST(BookedTime, SecondsRoundHalvesToEvenAndTheTimeCountsFromDayZero) {
    using DirectBooking::BookedTimeOf;
    EXPECT_EQ(BookedTimeOf(2500).sekunden, 2);
    EXPECT_EQ(BookedTimeOf(3500).sekunden, 4);
    EXPECT_EQ(BookedTimeOf(2501).sekunden, 3);
    const DirectBooking::BookedTime hour = BookedTimeOf(3599600);
    EXPECT_EQ(hour.sekunden, 3600);
    EXPECT_EQ(hour.zeit, QDateTime(QDate(1899, 12, 30), QTime(1, 0, 0)));
    // A day and more runs into the following day; a result before its start into the day before.
    EXPECT_EQ(BookedTimeOf(90061000).zeit, QDateTime(QDate(1899, 12, 31), QTime(1, 1, 1)));
    EXPECT_EQ(BookedTimeOf(-5000).zeit, QDateTime(QDate(1899, 12, 29), QTime(23, 59, 55)));
}

TEST_F(RaceDb, ABookingStoresTheTimeOnTheRunnersRowAndAddsASplitPointingToIt) {
    ASSERT_TRUE(DirectBooking::Book(t.settings(), race.get(), 42, 3599600));
    Recordset row = wt(42);
    ASSERT_EQ(row.RecordCount(), 1);
    EXPECT_EQ(row.Fields("WT_Sekunden").toInt(), 3600);
    EXPECT_EQ(row.Fields("WT_MillSek").toInt(), 3599600);
    EXPECT_TRUE(row.Fields("WT_Zeit").toString().startsWith("1899-12-30T01:00:00"))
        << row.Fields("WT_Zeit").toString().toStdString();
    Recordset splits = zz();
    ASSERT_EQ(splits.RecordCount(), 1);
    EXPECT_EQ(splits.Fields("WT_REF").toInt(), row.Fields("WT_REF").toInt());
    EXPECT_EQ(splits.Fields("ZZ_MillSek").toInt(), 3599600);
    // Runners of other runs are reached too: the booking is not tied to a run.
    ASSERT_TRUE(DirectBooking::Book(t.settings(), race.get(), 550, 2500));
    EXPECT_EQ(wt(550).Fields("WT_Sekunden").toInt(), 2);
    EXPECT_EQ(zz().RecordCount(), 2);
    // Every other runner's row is untouched.
    EXPECT_EQ(race->OpenRecordset("select * from WT where WT_MillSek is not null").RecordCount(), 2);
}

TEST_F(RaceDb, AStartNumberWithoutARowInTheRaceProgramWritesNothing) {
    EXPECT_FALSE(DirectBooking::Book(t.settings(), race.get(), 777, 1000));
    EXPECT_EQ(zz().RecordCount(), 0);
}

TEST_F(RaceDb, NoStartNumberOrBookingOffNeverTouchesTheRaceDatabase) {
    // A closed database raises on any query, so a query that ran would show.
    race->Close();
    EXPECT_NO_THROW(EXPECT_FALSE(DirectBooking::Book(t.settings(), race.get(), 0, 1000)));
    EXPECT_NO_THROW(EXPECT_FALSE(DirectBooking::Book(t.settings(), race.get(), -3, 1000)));
    EXPECT_NO_THROW(EXPECT_FALSE(DirectBooking::Book(t.settings(), nullptr, 5, 1000)));
    t.settings().SaveSetting(S, "Direkteinbuchung", "0");
    EXPECT_NO_THROW(EXPECT_FALSE(DirectBooking::Book(t.settings(), race.get(), 5, 1000)));
    EXPECT_EQ(DirectBooking::GetLaufName(t.settings(), race.get(), 1), "");
    race.reset();
}

TEST_F(RaceDb, AFailingStepRaisesAndLeavesTheStepsBeforeItDone) {
    QSqlQuery drop(race->connection());
    ASSERT_TRUE(drop.exec("delete from StoredQueries where Name = 'pI_ZZ_OhneReferenz'"));
    race->Close();
    race = t.services().dbEngine->Workspaces(0).OpenDatabase(t.path("VekLauf.mdb"), false, false,
                                                             ";PWD=7rosenhag");
    EXPECT_EQ(errorNumberOf([&] { DirectBooking::Book(t.settings(), race.get(), 7, 61000); }),
              RuntimeError::ItemNotFound);
    EXPECT_EQ(wt(7).Fields("WT_Sekunden").toInt(), 61);
}

TEST_F(RaceDb, RunNamesComeFromTheRaceProgram) {
    EXPECT_EQ(DirectBooking::GetLaufName(t.settings(), race.get(), 2), "Volkslauf 5 km");
    EXPECT_EQ(DirectBooking::GetLaufName(t.settings(), race.get(), 4), "");
}

} // namespace
