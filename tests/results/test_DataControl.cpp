#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/DataControl.h"
#include "results/ResultEntry.h"
#include "results/ResultViews.h"
#include "support/TestServices.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

struct Paging : ::testing::Test {
    TestServices t;
    std::shared_ptr<Database> db = t.openLocal();
    DataControl data;

    void SetUp() override {
        data.setDatabase(db);
        ResultViews::BindResultColumns(data);
    }
    void insert(qint32 lauf, qint32 platz, qint32 startnummer) {
        ResultEntry::Row row;
        row.laufnummer = lauf;
        row.platzierung = platz;
        row.startnummer = startnummer;
        row.systemtime = "10:00:00";
        row.starttime = "09:00:00";
        row.times = ResultEntry::ComputeTimes(platz, platz);
        ResultEntry::Insert(*db, row);
    }
    void show(const ResultViews::Source& source) {
        ResultViews::Apply(data, source);
        data.Refresh();
    }
};

TEST_F(Paging, RowsAcrossPageBoundariesComeInTheirOrder) {
    // Inserted out of order, so the order can only come from the record source.
    for (int p = 300; p >= 1; --p)
        insert(1, p, p + 1000);
    insert(2, 1, 1);
    show(ResultViews::ResultList(1));
    ASSERT_EQ(data.RecordCount(), 300);
    for (int r : {0, 127, 128, 255, 256, 299}) {
        EXPECT_EQ(data.value(r, "Platzierung").toInt(), r + 1) << r;
        EXPECT_EQ(data.data(data.index(r, 1)).toInt(), r + 1001) << r;
    }
    EXPECT_FALSE(data.value(300, "Platzierung").isValid());
    EXPECT_EQ(data.rowTexts(0),
              (QStringList{"1", "1001", "00:00:01", "1000", "1000", "00:00:01", "10:00:00"}));
}

TEST_F(Paging, ARefreshShowsWhatTheDatabaseHoldsNow) {
    for (int p = 1; p <= 130; ++p)
        insert(1, p, p);
    show(ResultViews::ResultList(1));
    ASSERT_EQ(data.value(129, "Startnummer").toInt(), 130);
    QSignalSpy resets(&data, &QAbstractItemModel::modelReset);

    insert(1, 131, 777);
    db->ExecuteSql("update Chronvo set Startnummer = 55 where Platzierung = 1");
    data.Refresh();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(data.RecordCount(), 131);
    EXPECT_EQ(data.value(130, "Startnummer").toInt(), 777);
    EXPECT_EQ(data.value(0, "Startnummer").toInt(), 55);

    db->ExecuteSql("delete from Chronvo where Platzierung > 10");
    data.Refresh();
    EXPECT_EQ(data.RecordCount(), 10);
    EXPECT_EQ(data.rowCount(), 10);
}

TEST_F(Paging, TheCountGridCountsRowsPerStartNumber) {
    insert(1, 1, 4);
    insert(1, 2, 2);
    insert(1, 3, 4);
    insert(2, 1, 4);
    db->ExecuteSql("insert into Chronvo (Laufnummer, Platzierung) values (1, 4)");
    DataControl counts;
    counts.setDatabase(db);
    ResultViews::BindCountColumns(counts);
    ResultViews::Apply(counts, ResultViews::CountPerStartnummer(1));
    counts.Refresh();
    // Rows without a start number form a group of their own.
    ASSERT_EQ(counts.RecordCount(), 3);
    EXPECT_EQ(counts.rowTexts(0), (QStringList{"", "1"}));
    EXPECT_EQ(counts.rowTexts(1), (QStringList{"2", "1"}));
    EXPECT_EQ(counts.rowTexts(2), (QStringList{"4", "2"}));
}

// Rows in the second half are read from the end of the run; they must be exactly the rows
// the forward order puts there, also where places were given twice.
TEST_F(Paging, RowsReadFromTheEndStandWhereTheSourceOrderPutsThem) {
    for (int i = 0; i < 300; ++i)
        insert(1, 1 + (i * 7) % 150, 1000 + i); // every place twice, out of order
    insert(2, 1, 1);
    show(ResultViews::ResultList(1));
    ASSERT_EQ(data.RecordCount(), 300);
    const Recordset expected =
        db->OpenRecordset("select ID from Chronvo where Laufnummer = 1 order by Platzierung, ID");
    for (int r = 299; r >= 0; --r)
        ASSERT_EQ(data.value(r, "ID"), expected.rows()[r][0]) << r;

    // The count grid from the end: the group without a start number sorts first.
    db->ExecuteSql("insert into Chronvo (Laufnummer, Platzierung) values (1, 151)");
    DataControl counts;
    counts.setDatabase(db);
    ResultViews::BindCountColumns(counts);
    ResultViews::Apply(counts, ResultViews::CountPerStartnummer(1));
    counts.Refresh();
    ASSERT_EQ(counts.RecordCount(), 301);
    EXPECT_EQ(counts.rowTexts(300), (QStringList{"1299", "1"}));
    EXPECT_EQ(counts.rowTexts(200), (QStringList{"1199", "1"}));
    EXPECT_EQ(counts.rowTexts(0), (QStringList{"", "1"}));
}

TEST_F(Paging, AfterAnotherProgramWroteEveryRowShownIsFromOneMoment) {
    for (int p = 1; p <= 200; ++p)
        insert(1, p, p);
    show(ResultViews::ResultList(1));
    ASSERT_EQ(data.value(2, "Platzierung").toInt(), 3);
    // Another program takes two places out and adds five at the end; no refresh follows.
    {
        Workspace other;
        auto second = other.OpenDatabase(t.dbPath(), false, false, ";PWD=7rosenhag");
        second->ExecuteSql("delete from Chronvo where Platzierung in (3, 150)");
        second->ExecuteSql(
            "insert into Chronvo (Laufnummer, Platzierung) values (1, 201), (1, 202), (1, 203), "
            "(1, 204), (1, 205)");
    }
    const Recordset now =
        db->OpenRecordset("select Platzierung from Chronvo where Laufnummer = 1 order by Platzierung");
    ASSERT_EQ(now.RecordCount(), 203);
    for (int r = data.rowCount() - 1; r >= 0; --r)
        ASSERT_EQ(data.value(r, "Platzierung").toInt(), now.rows()[r][0].toInt()) << r;
    // The grid takes the new count as soon as it gets to it.
    QCoreApplication::processEvents();
    ASSERT_EQ(data.rowCount(), 203);
    EXPECT_EQ(data.value(202, "Platzierung").toInt(), 205);
    EXPECT_EQ(data.value(2, "Platzierung").toInt(), 4);
}

struct Counting : Paging {
    DataControl counts;
    void SetUp() override {
        Paging::SetUp();
        counts.setDatabase(db);
        ResultViews::BindCountColumns(counts);
        for (int p = 1; p <= 130; ++p)
            insert(1, p, p % 10);
        show(ResultViews::ResultList(1));
        ResultViews::Apply(counts, ResultViews::CountPerStartnummer(1));
        counts.Refresh();
    }
    ResultEntry::Stored storeAndFollow(qint32 startnummer) {
        ResultEntry::Row row;
        row.startnummer = startnummer;
        row.times = ResultEntry::ComputeTimes(500, 500);
        const ResultEntry::Stored stored = ResultEntry::InsertNext(*db, row);
        data.RefreshAdded(1, stored.before, stored.after);
        counts.RefreshAdded(stored.firstOfStartnummer ? 1 : 0, stored.before, stored.after);
        return stored;
    }
};

TEST_F(Counting, NewResultsMoveTheCountsOn) {
    ASSERT_EQ(counts.RecordCount(), 10);
    EXPECT_EQ(storeAndFollow(4).platzierung, 131);
    storeAndFollow(77);
    storeAndFollow(77);
    EXPECT_EQ(data.RecordCount(), 133);
    EXPECT_EQ(data.value(132, "Platzierung").toInt(), 133);
    EXPECT_EQ(data.value(132, "Startnummer").toInt(), 77);
    ASSERT_EQ(counts.RecordCount(), 11);
    EXPECT_EQ(counts.rowTexts(10), (QStringList{"77", "2"}));
}

TEST_F(Counting, RowsWrittenBesideTheNewResultAreCountedAgain) {
    // Another program on the same file.
    Workspace other;
    auto second = other.OpenDatabase(t.dbPath(), false, false, ";PWD=7rosenhag");
    second->ExecuteSql("insert into Chronvo (Laufnummer, Platzierung, Startnummer) values (1, 131, 500)");
    storeAndFollow(501);
    EXPECT_EQ(data.RecordCount(), 132);
    EXPECT_EQ(counts.RecordCount(), 12);

    // This program, past the views.
    db->ExecuteSql("delete from Chronvo where Startnummer = 3");
    storeAndFollow(502);
    EXPECT_EQ(data.RecordCount(), 120);
    EXPECT_EQ(counts.RecordCount(), 12);
    EXPECT_EQ(data.value(119, "Startnummer").toInt(), 502);

    // A refresh without a write of our own counts again only after someone wrote.
    counts.RefreshRows();
    EXPECT_EQ(counts.RecordCount(), 12);
    second->ExecuteSql("insert into Chronvo (Laufnummer, Platzierung, Startnummer) values (1, 200, 600)");
    counts.RefreshRows();
    EXPECT_EQ(counts.RecordCount(), 13);

    // Another source than the one counted.
    ResultViews::Apply(data, ResultViews::Filter(1, "502"));
    storeAndFollow(502);
    EXPECT_EQ(data.RecordCount(), 2);
}

} // namespace
