// Corrections of a run: typed-in rows at a place, start numbers moved against the times, gross
// times moved, the net time from a wave's start. Database cases run on a copy of the built file.
#include "platform/DbEngine.h"
#include "results/ResultEntry.h"
#include "results/RunCorrection.h"
#include "support/ErrorOf.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

namespace {

using RunCorrection::Direction;
using Numbers = std::vector<qint32>;

TEST(StartnummerShift, DownAndUpAlongThePlaces) {
    const Numbers run{7, 3, 9};
    EXPECT_EQ(RunCorrection::ShiftStartnummern(run, Direction::Down, -1), (Numbers{0, 7, 3}));
    EXPECT_EQ(RunCorrection::ShiftStartnummern(run, Direction::Down, 0), (Numbers{0, 7, 3}));
    EXPECT_EQ(RunCorrection::ShiftStartnummern(run, Direction::Down, 1), (Numbers{7, 7, 3}));
    EXPECT_EQ(RunCorrection::ShiftStartnummern(run, Direction::Up, 1), (Numbers{3, 9, 0}));
    EXPECT_EQ(RunCorrection::ShiftStartnummern(run, Direction::Up, 0), (Numbers{3, 9, 0}));
    // Up without a chosen row moves the whole run, as down does.
    EXPECT_EQ(RunCorrection::ShiftStartnummern(run, Direction::Up, -1), (Numbers{3, 9, 0}));
    EXPECT_EQ(RunCorrection::ShiftStartnummern({7, 3, 9, 4}, Direction::Up, 2), (Numbers{7, 9, 4, 0}));
    EXPECT_EQ(RunCorrection::ShiftStartnummern({5}, Direction::Up, 0), (Numbers{0}));
    EXPECT_TRUE(RunCorrection::ShiftStartnummern({}, Direction::Down, -1).empty());
}

TEST(StartnummerShift, PlanFollowsThePlacesAcrossGapsAndRowsWithoutANumber) {
    // Grid order is not place order here, place 3 was deleted, and one row has no number.
    const std::vector<RunCorrection::GridRow> rows{{10, 4, 9}, {11, 1, 7}, {12, 2, 0}, {13, 5, 3}};
    // Place 2 (grid row 2) chosen, down: places 2, 4, 5 take the numbers of 1, 2, 4.
    RunCorrection::StartnummerShift plan =
        RunCorrection::PlanStartnummerShift(rows, Direction::Down, 2, true);
    using Writes = std::vector<std::pair<qint64, qint32>>;
    EXPECT_EQ(plan.writes, (Writes{{12, 7}, {10, 0}, {13, 9}}));
    EXPECT_EQ(plan.dropped, 3); // the last number would lose its result: not to be written
    // The current row had no number: afterwards it is the first row carrying 0, place 4.
    EXPECT_EQ(plan.currentRowAfter, 0);

    // The same rows, nothing selected, up: every row takes its successor's number.
    plan = RunCorrection::PlanStartnummerShift(rows, Direction::Up, 1, false);
    EXPECT_EQ(plan.writes, (Writes{{11, 0}, {12, 9}, {10, 3}, {13, 0}}));
    EXPECT_EQ(plan.dropped, 7);
    // Start number 7 left the run: the current row becomes the last one.
    EXPECT_EQ(plan.currentRowAfter, 3);

    plan = RunCorrection::PlanStartnummerShift(rows, Direction::Down, 1, true);
    EXPECT_EQ(plan.currentRowAfter, 2); // 7 now stands at place 2
    EXPECT_EQ(plan.dropped, 3);
    // Only a row without a number drops out: nothing is lost.
    plan = RunCorrection::PlanStartnummerShift({{1, 1, 7}, {2, 2, 3}, {3, 3, 0}}, Direction::Down, -1, false);
    EXPECT_EQ(plan.dropped, 0);
    EXPECT_EQ(RunCorrection::PlanStartnummerShift({}, Direction::Down, -1, false).currentRowAfter, -1);
}

TEST(InsertPanel, FieldChecksAndTimeInMilliseconds) {
    RunCorrection::InsertFields f{"3", "0", "00:01:05", "65000", "", ""};
    EXPECT_TRUE(RunCorrection::InsertFieldsValid(f));
    for (auto broken : {&RunCorrection::InsertFields::platz, &RunCorrection::InsertFields::millSekBrutto}) {
        RunCorrection::InsertFields g = f;
        g.*broken = "0";
        EXPECT_FALSE(RunCorrection::InsertFieldsValid(g));
        g.*broken = "";
        EXPECT_FALSE(RunCorrection::InsertFieldsValid(g));
    }
    f.startnummer = "-1";
    EXPECT_FALSE(RunCorrection::InsertFieldsValid(f));
    f.startnummer = "12";
    for (const char* time : {"", "25:00:00", "1 Minute"}) {
        f.zeitBrutto = time;
        EXPECT_FALSE(RunCorrection::InsertFieldsValid(f)) << time;
    }
    f.zeitBrutto = "1:02:03";
    f.zeitNetto = "keine";
    EXPECT_TRUE(RunCorrection::InsertFieldsValid(f));

    EXPECT_EQ(RunCorrection::MillisecondsOfTime("23:59:59"), 86399000);
    EXPECT_EQ(RunCorrection::MillisecondsOfTime("0:01:05"), 65000);
    EXPECT_EQ(errorNumberOf([] { RunCorrection::MillisecondsOfTime("1:75:00"); }),
              RuntimeError::TypeMismatch);

    EXPECT_TRUE(RunCorrection::WholeNumberParameter(" ").isNull());
    EXPECT_EQ(RunCorrection::WholeNumberParameter(" 12 ").toLongLong(), 12);
    EXPECT_EQ(RunCorrection::WholeNumberParameter("7x").toString(), "7x");
}

TEST(InsertPanel, NumbersThatDoNotFitTheirExportFieldsAreRefused) {
    // Places are 16 bits in the export record, the other numbers 32 bits.
    const RunCorrection::InsertFields ok{"32767", "2147483647", "00:00:01", "2147483647", "", "-2147483648"};
    EXPECT_TRUE(RunCorrection::InsertFieldsValid(ok));
    using F = RunCorrection::InsertFields;
    for (const auto& [field, text] :
         {std::pair{&F::platz, "32768"}, std::pair{&F::platz, "2147483647"}, std::pair{&F::platz, "0.4"},
          std::pair{&F::startnummer, "99999999999"}, std::pair{&F::millSekBrutto, "2147483648"},
          std::pair{&F::millSekNetto, "2147483648"}}) {
        F f = ok;
        f.*field = text;
        EXPECT_FALSE(RunCorrection::InsertFieldsValid(f)) << text;
    }
}

TEST(NetFromWave, WholeSecondsFromTheWaveStartWithoutWrapping) {
    EXPECT_EQ(RunCorrection::NetSecondsFromWave("10:00:00", 61000, "10:00:05"), 56);
    // 61.5 s and 62.5 s both end at 62 s: halves go to the even second.
    EXPECT_EQ(RunCorrection::NetSecondsFromWave("10:00:00", 61500, "10:00:05"), 57);
    EXPECT_EQ(RunCorrection::NetSecondsFromWave("10:00:00", 62500, "10:00:05"), 57);
    EXPECT_EQ(RunCorrection::NetSecondsFromWave("23:59:00", 120000, "23:59:30"), 90);
    EXPECT_EQ(RunCorrection::NetSecondsFromWave("", 1000, "10:00:00"), std::nullopt);
    EXPECT_EQ(RunCorrection::NetSecondsFromWave("10:00:00", 1000, ""), std::nullopt);
}

// ----- on the database ----------------------------------------------------------------------

struct CorrectionDb : ::testing::Test {
    TestServices t;
    std::shared_ptr<Database> db = t.openLocal();
    Workspace& ws = *t.services().local.gwsLocal;

    void insert(int lauf, int platz, int startnummer, int ms, const char* start = "10:00:00") {
        QueryDef q = db->QueryDefs("pI_Chronvo");
        q.setParameter("iLaufnummer", lauf);
        q.setParameter("iStartnummer", startnummer);
        q.setParameter("iPlatzierung", platz);
        q.setParameter("iSystemtime", "10:30:00");
        q.setParameter("iStartTime", start);
        q.setParameter("iSekunden", ms / 1000);
        q.setParameter("iWertungstime", "gross");
        q.setParameter("iMillisekunden", ms);
        q.setParameter("iZeitNetto", "net");
        q.setParameter("iMillisekNetto", 1);
        q.Execute(dbFailOnError);
    }
    // "place|start number|ms|seconds|gross text|net ms|net text|start" of each row of the run.
    QStringList rows(int lauf) {
        Recordset rs = db->OpenRecordset(
            "select * from Chronvo where Laufnummer = :l order by Platzierung, ID", {{"l", lauf}});
        QStringList out;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            QStringList f;
            for (const char* name : {"Platzierung", "Startnummer", "Millisekunden", "Sekunden",
                                     "Wertungstime", "MillisekNetto", "ZeitNetto", "Starttime"})
                f << rs.Fields(name).toString();
            out << f.join('|');
        }
        return out;
    }
};

TEST_F(CorrectionDb, ARowTypedInMakesRoomAtATakenPlaceAndIsOneUnit) {
    for (int p = 1; p <= 5; ++p)
        insert(1, p, 10 + p, p * 1000);
    insert(2, 1, 99, 1000);
    RunCorrection::InsertFields f{"1", "42", "00:00:12", "12345", "00:00:11", "11000"};
    RunCorrection::InsertOutcome out = RunCorrection::InsertAtPlace(ws, *db, 1, f, "09:00:00");
    EXPECT_TRUE(out.placeTaken);
    EXPECT_EQ(out.moved, 5);
    EXPECT_EQ(out.inserted, 1);
    QStringList run = rows(1);
    ASSERT_EQ(run.size(), 6);
    // 12.345 s stored as whole seconds; the typed texts as they stand.
    EXPECT_EQ(run[0], "1|42|12345|12|00:00:12|11000|00:00:11|09:00:00");
    EXPECT_EQ(run[1].section('|', 0, 1), "2|11");
    EXPECT_EQ(run[5].section('|', 0, 1), "6|15");
    EXPECT_EQ(rows(2).size(), 1);

    // A free place moves nothing; empty net fields take the gross time (so the run can still
    // be exported), a start number 0 is kept.
    out = RunCorrection::InsertAtPlace(ws, *db, 1, {"9", "0", "00:00:20", "20500", "", ""}, "");
    EXPECT_FALSE(out.placeTaken);
    EXPECT_EQ(out.moved, 0);
    run = rows(1);
    EXPECT_EQ(run.last(), "9|0|20500|20|00:00:20|20500|00:00:20|"); // 20.5 s to the even 20
    EXPECT_EQ(run.size(), 7);

    // A start number the engine refuses rolls the move back with the row.
    EXPECT_NE(errorNumberOf([&] {
                  RunCorrection::InsertAtPlace(ws, *db, 1, {"2", "7x", "00:00:01", "1000", "", ""}, "");
              }),
              0);
    EXPECT_EQ(rows(1), run);
    EXPECT_FALSE(ws.inTransaction());
}

TEST_F(CorrectionDb, NoPlaceBeyondTheExportRangeIsHandedOutOrMadeByMovingRows) {
    insert(1, 32766, 5, 1000);
    EXPECT_EQ(ResultEntry::NextPlace(*db, 1), 32767);
    insert(1, 32767, 6, 2000);
    // A result at the finish is kept beyond what the export holds, but never wraps.
    EXPECT_EQ(ResultEntry::NextPlace(*db, 1), 32768);
    insert(2, 2147483647, 7, 1000); // stored by an older version
    EXPECT_EQ(errorNumberOf([&] { ResultEntry::NextPlace(*db, 2); }), 6);
    // Making room at a taken place would push the last row past the range: nothing moves.
    const QStringList before = rows(1);
    EXPECT_EQ(errorNumberOf([&] {
                  RunCorrection::InsertAtPlace(ws, *db, 1, {"32766", "8", "00:00:01", "1000", "", ""}, "");
              }),
              6);
    EXPECT_EQ(rows(1), before);
}

TEST_F(CorrectionDb, TimeShiftMovesEachRowOfTheRunOnceFromTheChosenTime) {
    insert(1, 1, 1, 60000);
    insert(1, 2, 2, 65000);
    insert(1, 3, 3, 67000); // lands on 65,000 after the shift: must not be moved twice
    insert(1, 4, 4, 70000);
    insert(2, 1, 5, 65000); // another run with the same milliseconds
    EXPECT_EQ(RunCorrection::ShiftTimes(ws, *db, 1, 65000, -2), 3);
    EXPECT_EQ(rows(1),
              (QStringList{"1|1|60000|60|gross|1|net|10:00:00", "2|2|63000|63|00:01:03|1|net|10:00:00",
                           "3|3|65000|65|00:01:05|1|net|10:00:00", "4|4|68000|68|00:01:08|1|net|10:00:00"}));
    EXPECT_EQ(rows(2), (QStringList{"1|5|65000|65|gross|1|net|10:00:00"}));

    // 0 means every row of the run, given as a number or as text.
    EXPECT_EQ(RunCorrection::ShiftTimes(ws, *db, 1, 0, 1), 4);
    EXPECT_EQ(rows(1)[0].section('|', 2, 3), "61000|61");
    EXPECT_EQ(RunCorrection::ShiftTimes(ws, *db, 1, 999999, 1), 0);

    // A time beyond the 32-bit range moves no row at all.
    const QStringList before = rows(1);
    EXPECT_EQ(errorNumberOf([&] { RunCorrection::ShiftTimes(ws, *db, 1, 0, 2147483); }), 6);
    EXPECT_EQ(rows(1), before);
    EXPECT_FALSE(ws.inTransaction());
}

TEST_F(CorrectionDb, GetAllValuesTakesTheTextZeroAsEveryRow) {
    insert(1, 1, 1, -500); // a result before the run's start
    insert(1, 2, 2, 1000);
    QueryDef q = db->QueryDefs("pS_GetAllValues");
    q.setParameter("iLaufnummer", 1);
    q.setParameter("iMillisekunden", "0");
    EXPECT_EQ(q.OpenRecordset().RecordCount(), 2);
    q.setParameter("iMillisekunden", "1000");
    EXPECT_EQ(q.OpenRecordset().RecordCount(), 1);
}

TEST_F(CorrectionDb, StartNumbersAreWrittenByKeyInOneUnit) {
    insert(1, 1, 7, 1000);
    insert(1, 2, 3, 2000);
    Recordset ids = db->OpenRecordset("select ID from Chronvo order by Platzierung");
    const qint64 first = ids.Fields(0).toLongLong();
    RunCorrection::WriteStartnummern(ws, *db, {{first + 1, 8}, {first, 0}});
    EXPECT_EQ(rows(1)[0].section('|', 0, 1), "1|0");
    EXPECT_EQ(rows(1)[1].section('|', 0, 1), "2|8");
}

TEST_F(CorrectionDb, NetRecomputeGivesEachRowOfTheNumberItsOwnTimeFromTheWave) {
    insert(1, 1, 12, 61000);
    insert(1, 2, 12, 90000); // the same start number again (a split time or a mistake)
    insert(1, 3, 13, 61000);
    const std::map<qint64, qint32> done = RunCorrection::RecalcNet(*db, 1, 12, "10:00:05");
    EXPECT_EQ(done.size(), 2u);
    EXPECT_EQ(rows(1), (QStringList{"1|12|56000|56|00:00:56|56000|00:00:56|10:00:05",
                                    "2|12|85000|85|00:01:25|85000|00:01:25|10:00:05",
                                    "3|13|61000|61|gross|1|net|10:00:00"}));
    // Again: nothing changes, the rows already run from the wave.
    RunCorrection::RecalcNet(*db, 1, 12, "10:00:05");
    EXPECT_EQ(rows(1)[0], "1|12|56000|56|00:00:56|56000|00:00:56|10:00:05");
    // No wave start, or no start number: nothing is touched.
    EXPECT_TRUE(RunCorrection::RecalcNet(*db, 1, 13, "").empty());
    EXPECT_TRUE(RunCorrection::RecalcNet(*db, 1, 0, "10:00:00").empty());
    EXPECT_EQ(rows(1)[2], "3|13|61000|61|gross|1|net|10:00:00");
}

} // namespace
