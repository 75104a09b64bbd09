// The command texts and frames, the antenna values in the local notation, the two replies
// that are evaluated, and how a bridge program's output becomes lines.
#include "ReaderTestSupport.h"

#include "readers/AntennaValues.h"
#include "readers/BridgeLauncher.h"
#include "readers/CommandFrame.h"

namespace {

using namespace CommandFrame;

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale English(QLocale::English, QLocale::UnitedStates);

TEST(CommandFrames, LengthIsTwoUpperCaseHexDigitsAndOnlyTheCommandCounts) {
    EXPECT_EQ(Frame(""), "S00\r");
    EXPECT_EQ(Frame("UGT0"), "S04UGT0\r");
    EXPECT_EQ(Frame("UAM00"), "S05UAM00\r");
    EXPECT_EQ(Frame(QString(26, 'x')), "S1A" + QString(26, 'x') + "\r");
    EXPECT_EQ(Frame(QString(255, 'a'))->left(3), "SFF");
    EXPECT_EQ(Frame(QString(255, 'a'))->size(), 259);
    EXPECT_FALSE(Frame(QString(256, 'a')));
}

TEST(CommandFrames, TheClockCommandCarriesTheLocalSecondsLeastSignificantByteFirst) {
    EXPECT_EQ(SetClockCommand(QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0))), "UPT0C0615669");
    EXPECT_EQ(Frame(SetClockCommand(QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0)))), "S0CUPT0C0615669\r");
    // One second later only the low byte moves.
    EXPECT_EQ(SetClockCommand(QDateTime(QDate(2026, 1, 1), QTime(12, 0, 1))), "UPT0C1615669");
}

TEST(CommandFrames, RegisterReadsAndWrites) {
    EXPECT_EQ(RegisterReads(), (QStringList{"F06A", "F06B", "F06C", "F06D", "F06E", "F06F", "F070", "F071"}));
    EXPECT_EQ(PowerCommand(0, true, 68), "P06A44");
    EXPECT_EQ(PowerCommand(3, true, 132), "P06D84");
    EXPECT_EQ(PowerCommand(1, false, 100), "P06B00");
    EXPECT_EQ(AttenuationCommand(0, 1), "P06E01");
    EXPECT_EQ(AttenuationCommand(2, 40), "P07028");
    EXPECT_EQ(AttenuationCommand(3, 255), "P071FF");
}

TEST(CommandFrames, TagWriteCommandHoldsTheNumberAs24Digits) {
    EXPECT_EQ(TagWriteCommand("1", "123"), "W010000000006000000000000000000000123");
    EXPECT_EQ(Frame(*TagWriteCommand("1", "123"))->left(3), "S25");
    EXPECT_EQ(TagWriteCommand("4", " 007 "), "W040000000006000000000000000000000007");
    EXPECT_EQ(TagWriteCommand("2", QString(24, '9')), "W020000000006" + QString(24, '9'));
    EXPECT_EQ(TagWriteCommand("2", "0" + QString(24, '9')), "W020000000006" + QString(24, '9'));
    for (const QString& bad : QStringList{"", "abc", "12a", "-5", "1.5", "1e3", "1" + QString(24, '0')})
        EXPECT_FALSE(TagWriteCommand("1", bad)) << bad.toStdString();
}

TEST(CommandFrames, TheNextNumberIsExactForAnyLength) {
    EXPECT_EQ(NextNumberText("123"), "124");
    EXPECT_EQ(NextNumberText("0099"), "100");
    EXPECT_EQ(NextNumberText(QString(24, '9')), "1" + QString(24, '0'));
    EXPECT_EQ(NextNumberText("123456789012345678901234"), "123456789012345678901235");
    EXPECT_EQ(NextNumberText(""), "1");
}

TEST(Replies, RegisterRepliesNeedLowerCaseCodeUpperCaseRegisterAndHexValue) {
    const auto power = ParseRegisterReply("S05f06C50");
    ASSERT_TRUE(power);
    EXPECT_EQ(power->antenna, 2);
    EXPECT_TRUE(power->power);
    EXPECT_EQ(power->value, 0x50);
    const auto attenuation = ParseRegisterReply("S05f071FF");
    ASSERT_TRUE(attenuation);
    EXPECT_EQ(attenuation->antenna, 3);
    EXPECT_FALSE(attenuation->power);
    EXPECT_EQ(attenuation->value, 255);

    EXPECT_FALSE(ParseRegisterReply("S05F06C50")); // the code in upper case
    EXPECT_FALSE(ParseRegisterReply("S05f06c50")); // the register in lower case
    EXPECT_FALSE(ParseRegisterReply("S05f07250")); // no antenna register
    EXPECT_FALSE(ParseRegisterReply("S05f06CZZ")); // no value
    EXPECT_FALSE(ParseRegisterReply("S05f06C5"));  // cut short
}

TEST(Replies, ClockReplyIsFoundInAnyCaseAndNeedsEightHexDigits) {
    EXPECT_EQ(ParseClockReply("S0Bugt0C0615669\r"), QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0)));
    EXPECT_EQ(ParseClockReply("S0BUGT0C0615669"), QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0)));
    EXPECT_FALSE(ParseClockReply("S0Bxyz0C0615669"));
    EXPECT_FALSE(ParseClockReply("S0Bugt0C06156"));
    EXPECT_FALSE(ParseClockReply("S0Bugt0C06156Q9"));
}

TEST(AntennaNotation, PowerShowsMilliwattsAndTheRegisterValue) {
    // A decimal comma cuts the fraction of the milliwatts, a decimal point keeps it.
    EXPECT_EQ(AntennaValues::MilliwattText(68, German), "50");
    EXPECT_EQ(AntennaValues::MilliwattText(100, German), "316");
    EXPECT_EQ(AntennaValues::MilliwattText(132, German), "1995");
    EXPECT_EQ(AntennaValues::MilliwattText(68, English), "50.1187233627272");
    EXPECT_EQ(AntennaValues::MilliwattText(80, English), "100");
    EXPECT_EQ(AntennaValues::PowerToolTip(68, German), "H44/17");
    EXPECT_EQ(AntennaValues::PowerToolTip(69, German), "H45/17,25");
    EXPECT_EQ(AntennaValues::PowerToolTip(69, English), "H45/17.25");
}

TEST(AntennaNotation, AttenuationIsReadAndWrittenInTheLocalNotation) {
    EXPECT_EQ(AntennaValues::AttenuationText(255, German), "63,75");
    EXPECT_EQ(AntennaValues::AttenuationText(40, German), "10");
    EXPECT_EQ(AntennaValues::QuarterDbOf("0,25", German), 1);
    EXPECT_EQ(AntennaValues::QuarterDbOf("10", German), 40);
    EXPECT_EQ(AntennaValues::QuarterDbOf("63,75", German), 255);
    EXPECT_EQ(AntennaValues::QuarterDbOf(" 0 ", German), 0);
    EXPECT_EQ(AntennaValues::QuarterDbOf("0.25", English), 1);
    // Between two steps the nearest step, halves to the even one.
    EXPECT_EQ(AntennaValues::QuarterDbOf("0,125", German), 0);
    EXPECT_EQ(AntennaValues::QuarterDbOf("0,375", German), 2);
    for (const QString& bad : QStringList{"", "abc", "0.25", "1.000", "-0,25", "63,8", "64"})
        EXPECT_FALSE(AntennaValues::QuarterDbOf(bad, German)) << bad.toStdString();
}

QStringList feedAll(BridgeOutputLines& lines, const QList<QByteArray>& reads) {
    QStringList out;
    for (const QByteArray& read : reads)
        out << lines.feed(read);
    return out;
}

TEST(BridgeOutput, LinesArePutTogetherAcrossReadsAndBlankLinesDropped) {
    BridgeOutputLines lines;
    EXPECT_EQ(feedAll(lines, {"A\r\nB\r\n"}), (QStringList{"A", "B"}));
    EXPECT_EQ(feedAll(lines, {"A\r\nB"}), QStringList{"A"});
    // B waits for the rest of its line.
    EXPECT_EQ(feedAll(lines, {"-Ende\r", "\n\r\n\nC\nD\r"}), (QStringList{"B-Ende", "C", "D"}));
    EXPECT_TRUE(lines.finish().isEmpty());
    EXPECT_EQ(feedAll(lines, {"letzte"}), QStringList{});
    EXPECT_EQ(lines.finish(), QStringList{"letzte"});
}

TEST(BridgeOutput, ALineWithoutEndIsShownInPiecesOfTheCap) {
    BridgeOutputLines lines;
    const QByteArray huge(BridgeOutputLines::MaxLineBytes + 10, 'x');
    const QStringList out = feedAll(lines, {huge.left(100), huge.mid(100), "\n"});
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0].size(), BridgeOutputLines::MaxLineBytes);
    EXPECT_EQ(out[1].size(), 10);
}

} // namespace
