// The stored queries of the local database, run against a copy of the built file.
#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

namespace {

struct LocalQueries : ::testing::Test {
    TestServices t;
    std::shared_ptr<Database> db = t.openLocal();

    void insert(int lauf, int platz, int startnummer, int ms) {
        QueryDef q = db->QueryDefs("pI_Chronvo");
        q.setParameter("iLaufnummer", lauf);
        q.setParameter("iStartnummer", startnummer);
        q.setParameter("iPlatzierung", platz);
        q.setParameter("iSystemtime", "10:00:00");
        q.setParameter("iStartTime", "09:00:00");
        q.setParameter("iSekunden", ms / 1000);
        q.setParameter("iWertungstime", "01:00:00");
        q.setParameter("iMillisekunden", ms);
        q.setParameter("iZeitNetto", "00:59:00");
        q.setParameter("iMillisekNetto", ms - 60000);
        q.Execute(dbFailOnError);
    }

    QVariant nextPlatz(const QVariant& lauf) {
        QueryDef q = db->QueryDefs("pS_GetNextPlatz");
        q.setParameter("iLaufnummer", lauf);
        Recordset rs = q.OpenRecordset();
        return rs.RecordCount() > 0 ? rs.Fields("Ausdr1") : QVariant();
    }

    // place -> start number of the run, in place order
    std::vector<std::pair<int, int>> places(int lauf) {
        std::vector<std::pair<int, int>> out;
        Recordset rs = db->OpenRecordset(
            "select Platzierung, Startnummer from Chronvo where Laufnummer = :n order by Platzierung",
            {{"n", lauf}});
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
            out.emplace_back(rs.Fields(0).toInt(), rs.Fields(1).toInt());
        return out;
    }

    long action(const QString& name, const QVariantMap& params) {
        QueryDef q = db->QueryDefs(name);
        for (auto it = params.begin(); it != params.end(); ++it)
            q.setParameter(it.key(), it.value());
        q.Execute(dbFailOnError);
        return q.RecordsAffected();
    }
};

TEST_F(LocalQueries, NextPlaceIsNullForAnEmptyRunAndFollowsTheHighestPlace) {
    EXPECT_TRUE(nextPlatz(1).isNull());
    insert(1, 1, 11, 1000);
    insert(1, 2, 12, 2000);
    insert(2, 1, 21, 1500);
    EXPECT_EQ(nextPlatz(1).toInt(), 3);
    EXPECT_EQ(nextPlatz(2).toInt(), 2);
    EXPECT_EQ(nextPlatz("1").toInt(), 3); // the run given as text
    EXPECT_TRUE(nextPlatz(3).isNull());
}

TEST_F(LocalQueries, PlaceShiftMakesRoomAndPlaceDeleteLeavesTheOthers) {
    for (int p = 1; p <= 4; ++p)
        insert(1, p, 100 + p, p * 1000);
    insert(2, 2, 200, 5000);
    {
        QueryDef q = db->QueryDefs("pS_Check_Platzierung");
        q.setParameter("iLaufnummer", 1);
        q.setParameter("iPlatzierung", "3");
        EXPECT_EQ(q.OpenRecordset().RecordCount(), 1);
        q.setParameter("iPlatzierung", "9");
        EXPECT_EQ(q.OpenRecordset().RecordCount(), 0);
    }
    EXPECT_EQ(action("pU_Platzierung", {{"iLaufnummer", 1}, {"iPlatzierung", "2"}}), 3);
    EXPECT_EQ(places(1), (std::vector<std::pair<int, int>>{{1, 101}, {3, 102}, {4, 103}, {5, 104}}));
    EXPECT_EQ(places(2), (std::vector<std::pair<int, int>>{{2, 200}})); // other runs untouched

    EXPECT_EQ(action("pD_Platzierung", {{"iLaufnummer", 1}, {"iPlatzierung", "4"}}), 1);
    EXPECT_EQ(places(1), (std::vector<std::pair<int, int>>{{1, 101}, {3, 102}, {5, 104}}));
    EXPECT_EQ(action("pD_Chronvo", {{"iLaufnummer", 1}}), 3);
    EXPECT_TRUE(places(1).empty());
    EXPECT_EQ(places(2).size(), 1u);
}

TEST_F(LocalQueries, GetAllValuesWithZeroGivesTheWholeRunElseFromThatTimeOn) {
    insert(1, 1, 11, 1000);
    insert(1, 2, 12, 2500);
    insert(1, 3, 13, 4000);
    insert(2, 1, 21, 3000);
    QueryDef q = db->QueryDefs("pS_GetAllValues");
    q.setParameter("iLaufnummer", 1);
    q.setParameter("iMillisekunden", 0);
    Recordset all = q.OpenRecordset();
    all.MoveLast();
    all.MoveFirst();
    EXPECT_EQ(all.RecordCount(), 3);
    for (const char* field : {"Laufnummer", "Platzierung", "Startnummer", "Systemtime", "Starttime",
                              "Sekunden", "Millisekunden", "Wertungstime", "MilliSekNetto"})
        EXPECT_NO_THROW(all.Fields(field)) << field;
    EXPECT_EQ(all.Fields("MilliSekNetto").toInt(), 1000 - 60000);

    q.setParameter("iMillisekunden", 2500);
    Recordset later = q.OpenRecordset();
    ASSERT_EQ(later.RecordCount(), 2);
    EXPECT_EQ(later.Fields("Startnummer").toInt(), 12);
    later.MoveNext();
    EXPECT_EQ(later.Fields("Startnummer").toInt(), 13);
}

TEST_F(LocalQueries, TimeCorrectionFindsTheRowByKeyRunAndMilliseconds) {
    insert(1, 1, 11, 1000);
    insert(1, 2, 12, 2000);
    insert(2, 1, 21, 2000);
    const QVariant id = db->OpenRecordset("select ID from Chronvo where Startnummer = 12").Fields(0);
    QVariantMap korr{
        {"iID", id},      {"iLaufnummer", 1},           {"iStartMillsek", 2000}, {"iMillisekunden", 2600},
        {"iSekunden", 3}, {"iWertungstime", "00:00:03"}};
    EXPECT_EQ(action("pU_TimeKorr", korr), 1);
    EXPECT_EQ(action("pU_TimeKorr", korr), 0); // the row no longer holds the old time
    Recordset rs =
        db->OpenRecordset("select Millisekunden, Sekunden, Wertungstime from Chronvo where Startnummer = 12");
    EXPECT_EQ(rs.Fields(0).toInt(), 2600);
    EXPECT_EQ(rs.Fields(1).toInt(), 3);
    EXPECT_EQ(rs.Fields(2).toString(), "00:00:03");
}

TEST_F(LocalQueries, StartNumberCountWertungAndUpdates) {
    insert(1, 1, 7, 1000);
    insert(1, 2, 7, 2000);
    insert(1, 3, 8, 3000);
    {
        QueryDef q = db->QueryDefs("pS_Check_StartNr");
        q.setParameter("iLaufnummer", 1);
        q.setParameter("iStartNr", 7);
        EXPECT_EQ(q.OpenRecordset().Fields(0).toInt(), 2);
        q.setParameter("iStartNr", 99);
        EXPECT_EQ(q.OpenRecordset().Fields(0).toInt(), 0);
    }
    {
        QueryDef q = db->QueryDefs("pS_GetWertung");
        q.setParameter("iLaufnummer", 1);
        q.setParameter("iStartNr", 8);
        Recordset rs = q.OpenRecordset();
        EXPECT_EQ(rs.Fields("Millisekunden").toInt(), 3000);
        EXPECT_EQ(rs.Fields("Starttime").toString(), "09:00:00");
    }
    EXPECT_EQ(action("pU_Wertung", {{"iLaufnummer", 1},
                                    {"iStartnummer", 8},
                                    {"iStartTime", "09:30:00"},
                                    {"iSekunden", 5},
                                    {"iMillisekunden", 5000},
                                    {"iWertungstime", "00:00:05"},
                                    {"iMillisekNetto", 4000},
                                    {"iZeitNetto", "00:00:04"}}),
              1);
    // The start number of one place, as the start-number file sets it from a text line.
    EXPECT_EQ(action("pU_Startnummer", {{"iLaufnummer", 1}, {"iPlatzierung", 2}, {"iStartnummer", "42"}}), 1);
    EXPECT_EQ(places(1), (std::vector<std::pair<int, int>>{{1, 7}, {2, 42}, {3, 8}}));
    Recordset rs =
        db->OpenRecordset("select Starttime, MillisekNetto, ZeitNetto from Chronvo where Startnummer = 8");
    EXPECT_EQ(rs.Fields(0).toString(), "09:30:00");
    EXPECT_EQ(rs.Fields(1).toInt(), 4000);
    EXPECT_EQ(rs.Fields(2).toString(), "00:00:04");
}

TEST_F(LocalQueries, TransponderRowsOnePerIdAndZeroMeansAll) {
    auto add = [&](const QString& id, const QVariant& nr) {
        action("pI_Transponder", {{"iTransponderID", id}, {"iStartnummer", nr}});
    };
    add("00000000000000000000000123", 5);
    add("E2003412", "17");
    long err = 0;
    try {
        add("E2003412", 18);
    } catch (const RuntimeError& e) {
        err = e.number();
    }
    EXPECT_EQ(err, RuntimeError::DuplicateKey);

    QueryDef lookup = db->QueryDefs("pS_Startnummer");
    lookup.setParameter("iTransponderID", "E2003412");
    EXPECT_EQ(lookup.OpenRecordset().Fields("Startnummer").toInt(), 17);
    lookup.setParameter("iTransponderID", "unknown");
    EXPECT_EQ(lookup.OpenRecordset().RecordCount(), 0);

    QueryDef all = db->QueryDefs("pS_TransponderGetAllValues");
    all.setParameter("iTransponderID", "0");
    Recordset rs = all.OpenRecordset();
    ASSERT_EQ(rs.RecordCount(), 2);
    ASSERT_EQ(rs.FieldCount(), 3);
    EXPECT_EQ(rs.Fields(1).toString(), "00000000000000000000000123");
    EXPECT_EQ(rs.Fields(2).toInt(), 5);
    all.setParameter("iTransponderID", "E2003412");
    EXPECT_EQ(all.OpenRecordset().RecordCount(), 1);

    EXPECT_EQ(action("pD_Transponder", {{"iTransponderID", "E2003412"}}), 1);
    add("X1", 1);
    add("X2", 2);
    EXPECT_EQ(action("pD_Transponder", {{"iTransponderID", "0"}}), 3);
    all.setParameter("iTransponderID", "0");
    EXPECT_EQ(all.OpenRecordset().RecordCount(), 0);
}

TEST_F(LocalQueries, ATransponderStartNumberThatIsNoNumberIsRefused) {
    EXPECT_THROW(action("pI_Transponder", {{"iTransponderID", "A"}, {"iStartnummer", "zwölf"}}),
                 RuntimeError);
}

} // namespace
