#include "core/modGlobal.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace modGlobal;

namespace {

void writeFile(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(modGlobal, SplitStringKeepsEmptyPieces) {
    EXPECT_EQ(SplitString("a,,b,", ","), QStringList({"a", "", "b", ""}));
    EXPECT_EQ(SplitString(""), QStringList({""}));
    EXPECT_EQ(SplitString("a b  c"), QStringList({"a", "b", "", "c"}));
    EXPECT_EQ(SplitString("a<>b<>c", "<>"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(SplitString("aXbxc", "x"), QStringList({"aXb", "c"}));
    EXPECT_EQ(SplitString("a b", ""), QStringList({"a b"}));
}

TEST(modGlobal, NextTokenCutsOnlyWhenFound) {
    QString text = ";a;b", delimiter = ";";
    int mode = BinaryCompare;
    EXPECT_EQ(NextToken(text, delimiter, mode), "");
    EXPECT_EQ(NextToken(text, delimiter, mode), "a");
    EXPECT_EQ(text, "b");
    EXPECT_EQ(NextToken(text, delimiter, mode), "~TWA");
    EXPECT_EQ(text, "b");

    text = "aXb";
    delimiter = "x";
    EXPECT_EQ(NextToken(text, delimiter, mode), "~TWA");
    mode = TextCompare;
    EXPECT_EQ(NextToken(text, delimiter, mode), "a");
    EXPECT_EQ(text, "b");
    EXPECT_EQ(delimiter, "x");
}

TEST(modGlobal, SplitToArrayLimitsAndRemainder) {
    auto split = [](const QString& text, QString delimiter, int limit, int mode = BinaryCompare) {
        QStringList parts{"stale"};
        const QStringList result = SplitToArray(text, parts, delimiter, limit, mode);
        EXPECT_EQ(parts, result);
        return result;
    };
    EXPECT_EQ(split("a;b;c", ";", 1), QStringList({"a", "b;c"}));
    EXPECT_EQ(split("a;b;c", ";", -1), QStringList({"a", "b", "c"}));
    EXPECT_EQ(split("a;b;", ";", -1), QStringList({"a", "b", ""}));
    EXPECT_EQ(split("a;b;c", ";", 0), QStringList({"a;b;c"}));
    EXPECT_EQ(split("abc", ";", 100), QStringList({"abc"}));
    // A piece that looks like the end marker stops the cutting and is lost.
    EXPECT_EQ(split("a;~TWA;b;c", ";", -1), QStringList({"a", "b;c"}));
    // The presence test ignores case; the cutting uses the caller's mode.
    EXPECT_EQ(split("aXb", "x", -1, BinaryCompare), QStringList({"aXb"}));
    EXPECT_EQ(split("aXb", "x", -1, TextCompare), QStringList({"a", "b"}));
}

TEST(modGlobal, SplitToArrayEmptyDelimiterBecomesBlank) {
    QStringList parts;
    QString delimiter;
    int limit = -1, mode = BinaryCompare;
    EXPECT_EQ(SplitToArray("a b c", parts, delimiter, limit, mode), QStringList({"a", "b", "c"}));
    EXPECT_EQ(delimiter, " ");
}

TEST(modGlobal, ReplaceText) {
    EXPECT_EQ(ReplaceText("aXbXc", "X", "XX", 1, -1, BinaryCompare), "aXXbXXc");
    EXPECT_EQ(ReplaceText("aXbXc", "X", "XX", 3, -1, BinaryCompare), "bXXc");
    EXPECT_EQ(ReplaceText("aXbXc", "X", "XX", 6), "");
    EXPECT_EQ(ReplaceText("aXbXc", "X", "-", 1, 1), "a-bXc");
    EXPECT_EQ(ReplaceText("aXbXc", "X", "-", 1, 0), "aXbXc");
    EXPECT_EQ(ReplaceText("aXbxc", "x", "-", 1, -1, TextCompare), "a-b-c");
    EXPECT_EQ(ReplaceText("aXbxc", "x", "-", 1, -1, BinaryCompare), "aXb-c");
    EXPECT_EQ(ReplaceText("aXbXc", "", "-", 3), "bXc");
    try {
        ReplaceText("aXbXc", "X", "-", 0);
        FAIL() << "start 0 must raise";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_EQ(e.description(), "Ungültiger Prozeduraufruf oder ungültiges Argument");
    }
}

TEST(modGlobal, FileExistsOnlyForNormalFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(dir.filePath("normal.txt"));
    writeFile(dir.filePath(".hidden"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_TRUE(FileExists(dir.filePath("normal.txt")));
    EXPECT_FALSE(FileExists(dir.filePath(".hidden")));
    EXPECT_FALSE(FileExists(dir.filePath("folder")));
    EXPECT_FALSE(FileExists(dir.filePath("missing.txt")));
    EXPECT_FALSE(FileExists(dir.filePath("missing/normal.txt")));
    EXPECT_FALSE(FileExists(""));
}

TEST(modGlobal, GetFileModifiedDateToWholeSecond) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("stamp.txt");
    writeFile(path);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2023, 7, 14), QTime(13, 45, 30, 750)),
                                     QFileDevice::FileModificationTime));
    }
    const QDateTime modified = GetFileModifiedDate(path);
    EXPECT_EQ(modified, QDateTime(QDate(2023, 7, 14), QTime(13, 45, 30)));
    EXPECT_EQ(modified.timeSpec(), Qt::LocalTime);

    EXPECT_EQ(ZeroDate(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(GetFileModifiedDate(dir.filePath("missing.txt")), ZeroDate());
    EXPECT_EQ(GetFileModifiedDate(dir.path()), ZeroDate());

    // An unreadable file answers the zero date (not testable when running with full rights).
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(GetFileModifiedDate(path), ZeroDate());
    }
}

TEST(modGlobal, WriteLogAppendsOneLinePerCall) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Reader.txt");
    WriteLog(path, "Verbunden", QDateTime(QDate(2024, 3, 5), QTime(7, 15, 9)));
    WriteLog(path, "Prüfen", QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("20240305071509 - Verbunden\r\n"
                                         "20241231235958 - Pr\xFC"
                                         "fen\r\n"));
}

TEST(modGlobal, WriteLogIgnoresErrors) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDateTime now(QDate(2024, 3, 5), QTime(7, 15, 9));
    WriteLog(dir.filePath("missing/Reader.txt"), "lost", now);
    WriteLog(dir.path(), "lost", now);
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/Reader.txt")));
}

#ifndef Q_OS_WIN
TEST(modGlobal, GetTempDirEndsWithSeparator) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    const QString temp = GetTempDir();
    if (wasSet)
        qputenv("TMPDIR", saved);
    else
        qunsetenv("TMPDIR");

    EXPECT_EQ(temp, QDir::toNativeSeparators(dir.path()) + QDir::separator());
    WriteLog(temp + "Reader.txt", "x", QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_TRUE(QFile::exists(dir.filePath("Reader.txt")));
}
#endif
