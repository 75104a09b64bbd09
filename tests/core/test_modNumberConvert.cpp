#include "core/modNumberConvert.h"

#include <gtest/gtest.h>

using namespace modNumberConvert;

TEST(modNumberConvert, DecToBin) {
    EXPECT_EQ(DecToBin("0"), "0");
    EXPECT_EQ(DecToBin(""), "0");
    EXPECT_EQ(DecToBin("5"), "101");
    EXPECT_EQ(DecToBin("255"), "11111111");
    EXPECT_EQ(DecToBin("007"), "111");
    EXPECT_EQ(DecToBin("2147483647"), QString(31, QLatin1Char('1')));
    // Only plain digits: no sign, blank, point, or value beyond 32 bits.
    for (const char* invalid : {"-1", "+1", " 5", "5 ", "1.5", "abc", "2147483648"})
        EXPECT_EQ(DecToBin(invalid), "") << invalid;
}

TEST(modNumberConvert, BinToDec) {
    EXPECT_EQ(BinToDec(""), "0");
    EXPECT_EQ(BinToDec("101"), "5");
    EXPECT_EQ(BinToDec("00011"), "3");
    EXPECT_EQ(BinToDec("102"), "");
    EXPECT_EQ(BinToDec(" 1"), "");
    // Beyond 64 bits the digits stay exact.
    EXPECT_EQ(BinToDec(QString(64, QLatin1Char('1'))), "18446744073709551615");
    EXPECT_EQ(BinToDec("1" + QString(70, QLatin1Char('0'))), "1180591620717411303424");
    for (int v = 0; v <= 1000; ++v)
        ASSERT_EQ(BinToDec(DecToBin(QString::number(v))), QString::number(v));
}

TEST(modNumberConvert, NibblesOfEveryByte) {
    EXPECT_EQ(GetHighNibble("171"), 10);
    EXPECT_EQ(GetLowNibble("171"), 11);
    for (int v = 0; v <= 255; ++v) {
        ASSERT_EQ(GetHighNibble(QString::number(v)), v / 16) << v;
        ASSERT_EQ(GetLowNibble(QString::number(v)), v % 16) << v;
    }
}

TEST(modNumberConvert, NibblesOfInvalidAndLargerValues) {
    EXPECT_EQ(GetHighNibble("abc"), 0);
    EXPECT_EQ(GetLowNibble("abc"), 0);
    EXPECT_EQ(GetLowNibble("-15"), 0);
    // 256 is "100000000": the first four and the fifth to eighth digits, not the low byte.
    EXPECT_EQ(GetHighNibble("256"), 8);
    EXPECT_EQ(GetLowNibble("256"), 0);
}
