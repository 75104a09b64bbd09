#include "readers/DebounceTable.h"
#include "readers/LineAssembler.h"

#include <gtest/gtest.h>

namespace {

using Ending = LineAssembler::Ending;

TEST(LineAssembler, NativeTelegramsKeepTheirCrAndSurviveAnyChunking) {
    LineAssembler a(Ending::NativeCr);
    // Two in one chunk are two units; a split one is put together.
    EXPECT_EQ(a.feed("S01A\rS01B\rS0"), (QStringList{"S01A\r", "S01B\r"}));
    EXPECT_EQ(a.pending(), "S0");
    EXPECT_EQ(a.feed("1C"), QStringList());
    EXPECT_EQ(a.feed("\r"), QStringList{"S01C\r"});
    EXPECT_EQ(a.pending(), "");
    a.feed("half");
    a.clear();
    EXPECT_EQ(a.feed("S01D\r"), QStringList{"S01D\r"});
}

TEST(LineAssembler, BridgeLinesEndWithCrLfEvenWhenItIsSplit) {
    LineAssembler a(Ending::CrLf);
    EXPECT_EQ(a.feed("A\r\nB\r\nC"), (QStringList{"A", "B"}));
    EXPECT_EQ(a.feed("C\r"), QStringList());
    EXPECT_EQ(a.feed("\nD\r\n"), (QStringList{"CC", "D"}));
    // Empty lines are units too; the console decides what they mean.
    EXPECT_EQ(a.feed("\r\n"), QStringList{""});
}

TEST(LineAssembler, SerialLinesDropTheLfThatFollowsTheCr) {
    LineAssembler a(Ending::Cr);
    EXPECT_EQ(a.feed("12345\r\n678"), QStringList{"12345"});
    EXPECT_EQ(a.feed("\r"), QStringList{"678"});
    EXPECT_EQ(a.feed("111\r"), QStringList{"111"});
    EXPECT_EQ(a.feed("\n222\r"), QStringList{"222"});
    EXPECT_EQ(a.feed("12"), QStringList());
    EXPECT_EQ(a.feed("3\r45\r"), (QStringList{"123", "45"}));
}

TEST(LineAssembler, MercuryBridgeLinesEndWithWhateverLineEndTheBridgeWrites) {
    LineAssembler a(Ending::AnyLine);
    EXPECT_EQ(a.feed("A\nB\r\nC\rD"), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(a.feed("D\r"), QStringList{"DD"});
    EXPECT_EQ(a.feed("\nE\n\n"), QStringList{"E"});
    EXPECT_EQ(a.pending(), "");
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
