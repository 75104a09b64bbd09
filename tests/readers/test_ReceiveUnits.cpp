#include "readers/DebounceTable.h"
#include "readers/LineAssembler.h"

#include <gtest/gtest.h>

namespace {

using Ending = LineAssembler::Ending;
using Drop = LineAssembler::Drop;

// Feeds chunks arriving 10 ms apart and collects the units.
struct Feeder {
    LineAssembler a;
    qint64 now = 1'000'000;
    std::vector<LineAssembler::Dropped> dropped;
    explicit Feeder(Ending e) : a(e) {}
    QStringList operator()(const QString& chunk, qint64 afterMs = 10) {
        now += afterMs;
        LineAssembler::Fed fed = a.feed(chunk, now);
        dropped.insert(dropped.end(), fed.dropped.begin(), fed.dropped.end());
        return fed.units;
    }
};

const QString T1 = "S05uamA1";
const QString T2 = "S05uamB2";

TEST(LineAssembler, NativeFramesAreFoundByTheirLengthWhateverTheChunkingAndLineEnd) {
    Feeder f(Ending::NativeCr);
    // Two in one chunk are two units; a split one is put together; each ends with one CR.
    EXPECT_EQ(f(T1 + "\r" + T2 + "\rS0"), (QStringList{T1 + "\r", T2 + "\r"}));
    EXPECT_EQ(f.a.pending(), "S0");
    EXPECT_EQ(f("5uam"), QStringList());
    EXPECT_EQ(f("C3\r"), QStringList{"S05uamC3\r"});
    // LF alone, CR LF and LF CR end a frame as well; the second half of a line end is no junk.
    EXPECT_EQ(f(T1 + "\n" + T2 + "\r\n" + T1 + "\n\r" + T2 + "\n"),
              (QStringList{T1 + "\r", T2 + "\r", T1 + "\r", T2 + "\r"}));
    EXPECT_EQ(f("\n"), QStringList());
    EXPECT_TRUE(f.dropped.empty());
    EXPECT_EQ(f.a.pending(), "");
    // Lower-case hex digits and an empty payload are frames too.
    EXPECT_EQ(f("S0auam1234567\rS00\r"), (QStringList{"S0auam1234567\r", "S00\r"}));
}

TEST(LineAssembler, NativeJunkIsDroppedAndReportedAndTheNextFrameSurvives) {
    Feeder f(Ending::NativeCr);
    // Junk in front of a frame.
    EXPECT_EQ(f("x7Z" + T1 + "\r"), QStringList{T1 + "\r"});
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].why, Drop::Junk);
    EXPECT_EQ(f.dropped[0].start, "x7Z");
    EXPECT_EQ(f.dropped[0].length, 3);
    // A frame cut short by its line end, then a whole one: only the whole one is a unit.
    f.dropped.clear();
    EXPECT_EQ(f("S2Cuam0FF05\r" + T2 + "\r"), QStringList{T2 + "\r"});
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].start, "S2Cuam0FF05\r");
    // A frame longer than its length says, and "S" not followed by two hex digits.
    f.dropped.clear();
    EXPECT_EQ(f("S03uamXY\rSZZ\r" + T1 + "\r"), QStringList{T1 + "\r"});
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].start, "S03uamXY\rSZZ\r");
    // 200 "Z" and a CR: nothing but junk, nothing kept.
    f.dropped.clear();
    EXPECT_EQ(f(QString(200, 'Z') + "\r"), QStringList());
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].length, 201);
    EXPECT_EQ(f.dropped[0].start.size(), LineAssembler::SampleChars);
    EXPECT_EQ(f.a.pending(), "");
}

TEST(LineAssembler, AFragmentLeftStandingIsDroppedWhenNewTextComesLate) {
    for (const Ending e : {Ending::NativeCr, Ending::AnyLine}) {
        Feeder f(e);
        const QString end = e == Ending::NativeCr ? "\r" : "";
        // The reader stopped in mid-telegram; its next telegram comes 2 s later.
        EXPECT_EQ(f("S05ua"), QStringList());
        EXPECT_EQ(f(T2 + "\r", 2000), QStringList{T2 + end});
        ASSERT_EQ(f.dropped.size(), 1u);
        EXPECT_EQ(f.dropped[0].why, Drop::Stale);
        EXPECT_EQ(f.dropped[0].start, "S05ua");
        // Within the second a fragment is still completed.
        EXPECT_EQ(f("S05ua", 2000), QStringList());
        EXPECT_EQ(f("mA1\r", 900), QStringList{T1 + end});
        EXPECT_EQ(f.dropped.size(), 1u);
    }
}

TEST(LineAssembler, TextLinesEndWithCrLfOrCrLfAndBlankLinesAreNoUnits) {
    Feeder f(Ending::AnyLine);
    EXPECT_EQ(f("A\nB\r\nC\rD"), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(f("D\r"), QStringList{"DD"});
    // The LF of a CR LF split over two chunks makes no empty unit.
    EXPECT_EQ(f("\nE\n\n"), QStringList{"E"});
    // The serial reader's "305" LF "306" LF then "307" CR: three lines.
    EXPECT_EQ(f("305\n306\n"), (QStringList{"305", "306"}));
    EXPECT_EQ(f("307\r"), QStringList{"307"});
    EXPECT_EQ(f.a.pending(), "");
    EXPECT_TRUE(f.dropped.empty());
}

TEST(LineAssembler, AnOverlongLineIsDroppedUpToItsLineEndAndThePendingTextStaysCapped) {
    Feeder f(Ending::AnyLine);
    // 2 MB of digits without a line end, in 1 KB chunks, then a good line.
    const QString kilo(1024, '9');
    qsizetype largest = 0;
    for (int i = 0; i < 2048; ++i) {
        EXPECT_EQ(f(kilo, 0), QStringList());
        largest = std::max(largest, f.a.pending().size());
    }
    EXPECT_LE(largest, LineAssembler::MaxPending);
    EXPECT_EQ(f("999\r1701\r", 0), QStringList{"1701"});
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].why, Drop::Overlong);
    EXPECT_GT(f.dropped[0].length, LineAssembler::MaxPending);
    // A whole overlong line in one chunk goes too.
    EXPECT_EQ(f(QString(LineAssembler::MaxPending + 1, '8') + "\n42\n", 0), QStringList{"42"});
    EXPECT_EQ(f.dropped.size(), 2u);
}

TEST(DebounceTable, BooksAgainOnlyStrictlyAfterTheDebounceTime) {
    DebounceTable t;
    const qint32 t0 = 1767268800;
    EXPECT_TRUE(t.isDue(17, 60, t0, false));
    t.markBooked(17, t0);
    EXPECT_FALSE(t.isDue(17, 60, t0 + 59, false));
    EXPECT_FALSE(t.isDue(17, 60, t0 + 60, false));
    EXPECT_TRUE(t.isDue(17, 60, t0 + 61, false));
    EXPECT_TRUE(t.isDue(18, 60, t0 + 1, false));
    // Start number 0 escapes only where the console says so.
    t.markBooked(0, t0);
    EXPECT_FALSE(t.isDue(0, 60, t0 + 1, false));
    EXPECT_TRUE(t.isDue(0, 60, t0 + 1, true));
    // Outside the table nothing is due and nothing is written.
    EXPECT_FALSE(t.isDue(10001, 60, t0, false));
    EXPECT_FALSE(t.isDue(-1, 60, t0, false));
    t.markBooked(10001, t0);
    EXPECT_TRUE(t.isDue(10000, 60, t0, false));
    t.clear();
    EXPECT_EQ(t.lastBook(17), 0);
}

} // namespace
