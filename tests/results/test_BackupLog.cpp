#include "results/BackupLog.h"
#include "results/Cp1252.h"
#include "support/FakeDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Cp1252Text, TheRaceProgramsCodePageBothWays) {
    EXPECT_EQ(Cp1252::Encode(QString::fromUtf8("Zürich € – Groß")),
              QByteArray("Z\xFCrich \x80 \x96 Gro\xDF"));
    EXPECT_EQ(Cp1252::Encode(QString::fromUtf8("→")), QByteArray("?"));
    QByteArray every(256, 0);
    for (int i = 0; i < 256; ++i)
        every[i] = static_cast<char>(i);
    EXPECT_EQ(Cp1252::Encode(Cp1252::Decode(every)), every);
    EXPECT_EQ(Cp1252::Decode("\x80\x9F"), QString::fromUtf8("€Ÿ"));
}

TEST(BackupFile, LinesAreAppendedInTheCodePageWithCrLf) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    const QString path = dir.filePath("backup.log");
    BackupLog::AppendLogLine(dialogs, path, BackupLog::StartLine("10:00:00"));
    BackupLog::AppendLogLine(dialogs, path, QString::fromUtf8("Startnummer: Müller"));
    EXPECT_EQ(readAll(path), QByteArray("------ Chronvo gestartet um: 10:00:00 ------\r\n"
                                        "Startnummer: M\xFCller\r\n"));
    EXPECT_TRUE(dialogs.shown().empty());

    BackupLog::AppendLogLine(dialogs, dir.filePath("fehlt/backup.log"), "x");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().style, 64);
}

TEST(BackupFile, AFailedLineNamesTheBackupFileAndSaysItWasNotWritten) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    const QString missingFolder = dir.filePath("fehlt/backup.log");
    BackupLog::AppendLogLine(dialogs, missingFolder, "x");
#ifdef Q_OS_LINUX
    // A full disk: the file opens, the line does not fit.
    BackupLog::AppendLogLine(dialogs, "/dev/full", "x");
#endif
    for (const auto& shown : dialogs.shown()) {
        EXPECT_TRUE(shown.text.startsWith("Zusatzsicherung: Die Datei \""));
        EXPECT_TRUE(shown.text.contains("\" konnte nicht geschrieben werden!\r")) << shown.text.toStdString();
        EXPECT_EQ(shown.style, 64);
    }
    ASSERT_GE(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(missingFolder));
#ifdef Q_OS_LINUX
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_TRUE(dialogs.shown()[1].text.contains("/dev/full"));
    // The system's reason comes in German too.
    EXPECT_FALSE(dialogs.shown()[1].text.contains("No space left")) << dialogs.shown()[1].text.toStdString();
#endif
}

TEST(BackupFile, TheDefaultNameCarriesTheDateAndIsAFileInTheHomeFolder) {
    const QFileInfo info(BackupLog::DefaultPath(QDate(2026, 12, 7)));
#ifndef Q_OS_WIN
    EXPECT_EQ(info.absolutePath(), QDir::homePath());
#endif
    EXPECT_EQ(info.fileName(), "Chronivo07.12.2026.log");
}

} // namespace
