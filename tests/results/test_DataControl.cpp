#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/DataControl.h"
#include "results/ResultEntry.h"
#include "results/ResultViews.h"
#include "support/TestServices.h"

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

} // namespace
