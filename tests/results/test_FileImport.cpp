#include "results/FileImport.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

using namespace FileImport;

QStringList linesOf(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QStringList out;
    ReadLines(buffer, [&](const QString& line) { out << line; });
    return out;
}

TEST(FileLines, EndAtCrCrLfOrLfAndLongLinesAreCapped) {
    EXPECT_EQ(linesOf("a\rb\r\nc\nd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("a\r\n\r\nb\r\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(linesOf(""), QStringList());
    EXPECT_EQ(linesOf("\xFC\r"), QStringList({QString::fromUtf8("ü")}));
    // A CR LF split across two reads of the device is still one line end.
    QByteArray big(70000, 'x');
    big[65535] = '\r';
    big[65536] = '\n';
    const QStringList split = linesOf(big);
    ASSERT_EQ(split.size(), 2);
    EXPECT_EQ(split[0].size(), MaxLineLength);
    EXPECT_EQ(split[1].size(), MaxLineLength);
}

TEST(TimeFileLines, TheTelegramIsReadByPositionFromTheFifthCharacter) {
    // Four leading characters, then "S", the length, "uam", the reader field, the antenna,
    // the read time and the 26-character ID field.
    const QString line = "0001S2CuamREADER1C061566900ABCDEFGHIJKLMNOPQRSTUVWX";
    const std::optional<TagRead> read = ParseTagRead(line);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->readTime, QTime(12, 0, 0)); // 2026-01-01 12:00:00 on the reader's clock
    EXPECT_EQ(read->transponderId, "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_TRUE(ParseTagRead(QString(line).replace("uam", "UAM")));
    EXPECT_EQ(ParseTagRead(line.left(40))->transponderId, "ABCDEFGHIJKLM");

    EXPECT_FALSE(ParseTagRead(QString(line).replace("uam", "xyz")));
    EXPECT_FALSE(ParseTagRead(QString(line).replace("C0615669", "C06156G9")));
    EXPECT_FALSE(ParseTagRead(QString(line).replace("C0615669", "C0 -1569")));
    EXPECT_FALSE(ParseTagRead("uam kurz"));
    // The highest bit set reads as a time before 1970.
    EXPECT_EQ(ReadTimeOfDay("FFFFFFFF"), QTime(23, 59, 59));
}

} // namespace
