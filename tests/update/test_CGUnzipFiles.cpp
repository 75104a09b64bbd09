#include "UpdateTestSupport.h"

#include "platform/RuntimeError.h"
#include "support/TestServices.h"
#include "update/CGUnzipFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Unzip : ::testing::Test {
    TestServices t;
    QTemporaryDir src;
    QTemporaryDir out;
    CGUnzipFiles unzip{*t.services().unzipper, t.dialogs()};

    // An archive in the source folder made by the zip command from files written there.
    QString archive(const QString& name, const QMap<QString, QByteArray>& files, QStringList extra = {}) {
        for (auto it = files.begin(); it != files.end(); ++it)
            writeFile(src.filePath(it.key()), it.value());
        EXPECT_TRUE(runZip(src.path(), extra + QStringList{name} + files.keys())) << "zip failed";
        return src.filePath(name);
    }
    QString target(const QString& name) const { return out.filePath(name); }
};

TEST_F(Unzip, PropertiesStartWithTheirDefaultsAndReadBackWhatWasSet) {
    EXPECT_EQ(unzip.ExtractNewer(), 0);
    EXPECT_EQ(unzip.SpaceToUnderScore(), 0);
    EXPECT_EQ(unzip.PromptOverwrite(), 0);
    EXPECT_EQ(unzip.MessageLevel(), 2);
    EXPECT_EQ(unzip.WriteToStdOut(), 0);
    EXPECT_EQ(unzip.TestZip(), 0);
    EXPECT_EQ(unzip.ExtractList(), 0);
    EXPECT_EQ(unzip.ExtractOnlyNewer(), 0);
    EXPECT_EQ(unzip.DisplayComment(), 0);
    EXPECT_EQ(unzip.HonorDirectories(), 1);
    EXPECT_EQ(unzip.OverWriteFiles(), 1);
    EXPECT_EQ(unzip.ConvertCRtoCRLF(), 0);
    EXPECT_EQ(unzip.Verbose(), 0);
    EXPECT_EQ(unzip.CaseSensitive(), 1);
    EXPECT_EQ(unzip.Privilege(), 0);
    EXPECT_EQ(unzip.ZipFileName(), "");
    EXPECT_EQ(unzip.ExtractDir(), "");

    // Flags hold 1 or 0, also those this unpacker has no use for.
    unzip.setConvertCRtoCRLF(true);
    unzip.setCaseSensitive(false);
    unzip.setPrivilege(2);
    EXPECT_EQ(unzip.ConvertCRtoCRLF(), 1);
    EXPECT_EQ(unzip.CaseSensitive(), 0);
    EXPECT_EQ(unzip.Privilege(), 2);
}

TEST_F(Unzip, FoldersAreRecreatedOrFlattenedAndSameNamesReplacedWithoutAsking) {
    const QString zip =
        archive("tree.zip", {{"top.txt", "oben"}, {"a/mid.txt", "mitte"}, {"a/b/top.txt", "tief"}});

    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0) << unzip.GetLastMessage().toStdString();
    EXPECT_EQ(readFile(target("top.txt")), "oben");
    EXPECT_EQ(readFile(target("a/mid.txt")), "mitte");
    EXPECT_EQ(readFile(target("a/b/top.txt")), "tief");

    QTemporaryDir flat;
    writeFile(flat.filePath("mid.txt"), "alt");
    unzip.setHonorDirectories(false);
    EXPECT_EQ(unzip.Unzip({}, flat.path()), 0);
    EXPECT_EQ(QDir(flat.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"mid.txt", "top.txt"}));
    EXPECT_EQ(readFile(flat.filePath("mid.txt")), "mitte");
    // Of two entries with the same name the one later in the archive wins: the zip command
    // took the names in sorted order, so "top.txt" came after "a/b/top.txt".
    EXPECT_EQ(readFile(flat.filePath("top.txt")), "oben");
    // Arguments given once stay for later calls.
    EXPECT_EQ(unzip.ZipFileName(), zip);
    EXPECT_EQ(unzip.ExtractDir(), flat.path());
    EXPECT_TRUE(t.dialogs().shown().empty());
}

TEST_F(Unzip, EntriesLeavingTheTargetFolderAreRefusedAndTheRestUnpacked) {
    QDir(src.path()).mkpath("x/y");
    writeFile(src.filePath("evil.txt"), "böse");
    writeFile(src.filePath("x/y/good.txt"), "gut");
    QProcess zip;
    zip.setWorkingDirectory(src.filePath("x/y"));
    zip.start("zip", {"-q", "../../slip.zip", "../../evil.txt", "good.txt"});
    ASSERT_TRUE(zip.waitForFinished() && zip.exitCode() == 0);

    for (const bool folders : {true, false}) {
        QTemporaryDir parent;
        const QString dir = parent.filePath("a/ziel");
        QDir().mkpath(dir);
        unzip.setHonorDirectories(folders);
        EXPECT_EQ(unzip.Unzip(src.filePath("slip.zip"), dir), 1);
        // Where "../../evil.txt" would land, and where flattening would put it.
        EXPECT_FALSE(QFileInfo::exists(parent.filePath("evil.txt")));
        EXPECT_FALSE(QFileInfo::exists(QDir(dir).filePath("evil.txt")));
        EXPECT_EQ(readFile(QDir(dir).filePath("good.txt")), "gut");
        EXPECT_TRUE(unzip.GetLastMessage().contains("../../evil.txt"))
            << unzip.GetLastMessage().toStdString();
        EXPECT_TRUE(unzip.GetLastMessage().endsWith("\r\n"));
    }

    // An absolute entry name (the zip command strips them, so the archive is made otherwise).
    QProcess py;
    py.start(python3(),
             {"-c",
              "import zipfile,sys\n"
              "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
              "  z.writestr('/abs.txt','x'); z.writestr('C:/drive.txt','x'); z.writestr('ok.txt','y')",
              src.filePath("abs.zip")});
    ASSERT_TRUE(py.waitForFinished() && py.exitCode() == 0);
    EXPECT_EQ(unzip.Unzip(src.filePath("abs.zip"), out.path()), 1);
    EXPECT_FALSE(QFileInfo::exists("/abs.txt") && readFile("/abs.txt") == "x");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"ok.txt"});
    EXPECT_TRUE(unzip.GetLastMessage().contains("/abs.txt"));
    EXPECT_TRUE(unzip.GetLastMessage().contains("C:/drive.txt"));
}

TEST_F(Unzip, DamagedOrMissingArchivesAnswerAnErrorAndLeaveNoHalfFile) {
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += QByteArray::number(i * 7919 % 10007) + ' ';
    const QString zip = archive("ganz.zip", {{"daten.txt", big}});

    EXPECT_EQ(unzip.Unzip(src.filePath("fehlt.zip"), out.path()), 9);
    EXPECT_TRUE(unzip.GetLastMessage().contains("fehlt.zip"));

    // Cut short: the central directory is gone.
    QFile::copy(zip, src.filePath("kurz.zip"));
    QFile::resize(src.filePath("kurz.zip"), QFileInfo(zip).size() / 2);
    EXPECT_EQ(unzip.Unzip(src.filePath("kurz.zip"), out.path()), 9);
    EXPECT_FALSE(unzip.GetLastMessage().isEmpty());

    // Damaged data inside an intact directory: the file is not left behind half written.
    QByteArray bytes = readFile(zip);
    bytes[bytes.size() / 3] = static_cast<char>(bytes[bytes.size() / 3] ^ 0x55);
    writeFile(src.filePath("kaputt.zip"), bytes);
    EXPECT_EQ(unzip.Unzip(src.filePath("kaputt.zip"), out.path()), 2);
    EXPECT_FALSE(QFileInfo::exists(target("daten.txt")));
    EXPECT_TRUE(unzip.GetLastMessage().contains("daten.txt"));
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());

    // Each call starts with an empty message.
    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0);
    EXPECT_EQ(unzip.GetLastMessage(), "");
    EXPECT_EQ(readFile(target("daten.txt")), big);
}

TEST_F(Unzip, ExistingFilesAreAskedForOrKeptWhenOverwritingIsOff) {
    const QString zip = archive("drei.zip", {{"a.txt", "neu-a"}, {"b.txt", "neu-b"}, {"c.txt", "neu-c"}});
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        writeFile(target(n), "alt");
    unzip.setOverWriteFiles(false);

    // Without the question nothing existing is touched.
    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0);
    EXPECT_EQ(readFile(target("a.txt")), "alt");

    // Yes for a, No for b, Cancel for c and every further file.
    unzip.setPromptOverwrite(true);
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    t.dialogs().planMsgBox(MsgBoxResult::No);
    t.dialogs().planMsgBox(MsgBoxResult::Cancel);
    EXPECT_EQ(unzip.Unzip(), 0);
    EXPECT_EQ(readFile(target("a.txt")), "neu-a");
    EXPECT_EQ(readFile(target("b.txt")), "alt");
    EXPECT_EQ(readFile(target("c.txt")), "alt");
    ASSERT_EQ(t.dialogs().shown().size(), 3u);
    EXPECT_EQ(t.dialogs().shown()[0].text, "Overwrite " + target("a.txt") + "?");
    EXPECT_EQ(t.dialogs().shown()[0].style, 48 + 3);
}

TEST_F(Unzip, PasswordIsAskedOncePerCallAndAnEmptyAnswerSkipsEncryptedFiles) {
    const QString zip = archive("geheim.zip", {{"eins.txt", "1"}, {"zwei.txt", "2"}}, {"-P", "sesam"});

    t.dialogs().planInputBox("sesam");
    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0) << unzip.GetLastMessage().toStdString();
    EXPECT_EQ(readFile(target("eins.txt")), "1");
    EXPECT_EQ(readFile(target("zwei.txt")), "2");
    EXPECT_EQ(t.dialogs().countContaining("Please Enter The Password!"), 1);

    QTemporaryDir other;
    t.dialogs().planInputBox("");
    EXPECT_EQ(unzip.Unzip(zip, other.path()), 1);
    EXPECT_TRUE(QDir(other.path()).entryList(QDir::Files).isEmpty());
    // Declined once: no further question in the same call.
    EXPECT_EQ(t.dialogs().countContaining("Please Enter The Password!"), 2);
}

TEST_F(Unzip, ListingTestingStdOutAndTheComment) {
    writeFile(src.filePath("alpha.txt"), "Inhalt A");
    writeFile(src.filePath("ordner/beta.txt"), "B");
    const QDateTime made(QDate(2026, 3, 4), QTime(5, 6, 8));
    QFile alpha(src.filePath("alpha.txt"));
    ASSERT_TRUE(alpha.open(QIODevice::ReadWrite));
    alpha.setFileTime(made, QFileDevice::FileModificationTime);
    alpha.close();
    ASSERT_TRUE(runZip(src.path(), {"liste.zip", "alpha.txt", "ordner/beta.txt"}));
    const QString zip = src.filePath("liste.zip");

    unzip.setExtractList(1);
    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0);
    const QStringList lines = unzip.GetLastMessage().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("Filename:"));
    EXPECT_TRUE(lines[0].contains("Size") && lines[0].contains("Date") && lines[0].contains("Time"));
    EXPECT_TRUE(lines[1].startsWith("alpha.txt"));
    EXPECT_TRUE(lines[1].contains(" 8  "));
    EXPECT_TRUE(lines[1].contains("04/03/2026  05:06")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("ordner/beta.txt"));

    unzip.setExtractList(0);
    unzip.setTestZip(true);
    unzip.setMessageLevel(0);
    EXPECT_EQ(unzip.Unzip(), 0);
    EXPECT_EQ(unzip.GetLastMessage().count("OK"), 2);

    unzip.setTestZip(false);
    unzip.setWriteToStdOut(true);
    unzip.setMessageLevel(2);
    EXPECT_EQ(unzip.Unzip(), 0);
    EXPECT_TRUE(unzip.GetLastMessage().contains("Inhalt A"));
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    // The archive's comment only when asked for.
    QProcess py;
    py.start(python3(), {"-c",
                         "import zipfile,sys\n"
                         "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                         "  z.comment=b'Version 1.2.34'; z.writestr('c.txt','c')",
                         src.filePath("kommentar.zip")});
    ASSERT_TRUE(py.waitForFinished() && py.exitCode() == 0);
    unzip.setWriteToStdOut(false);
    EXPECT_EQ(unzip.Unzip(src.filePath("kommentar.zip")), 0);
    EXPECT_FALSE(unzip.GetLastMessage().contains("Version 1.2.34"));
    unzip.setDisplayComment(true);
    EXPECT_EQ(unzip.Unzip(), 0);
    EXPECT_TRUE(unzip.GetLastMessage().contains("Version 1.2.34"));
}

TEST_F(Unzip, NewerAndFreshenModesCompareTimesAndBlanksBecomeUnderscores) {
    const QString zip = archive("zeit.zip", {{"alt.txt", "aus dem Archiv"}, {"neu datei.txt", "neu"}});
    writeFile(target("alt.txt"), "auf der Platte");
    QFile disk(target("alt.txt"));
    ASSERT_TRUE(disk.open(QIODevice::ReadWrite));
    disk.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
    disk.close();

    unzip.setExtractOnlyNewer(true);
    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"alt.txt"});
    EXPECT_EQ(readFile(target("alt.txt")), "auf der Platte");

    unzip.setExtractOnlyNewer(false);
    unzip.setExtractNewer(true);
    unzip.setSpaceToUnderScore(true);
    EXPECT_EQ(unzip.Unzip(), 0);
    EXPECT_EQ(readFile(target("alt.txt")), "auf der Platte");
    EXPECT_EQ(readFile(target("neu_datei.txt")), "neu");
}

TEST_F(Unzip, NumberPropertiesBeyondSixteenBitsEndTheCall) {
    const QString zip = archive("eins.zip", {{"f.txt", "x"}});
    unzip.setMessageLevel(32768);
    try {
        unzip.Unzip(zip, out.path());
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_FALSE(QFileInfo::exists(target("f.txt")));
}

// An archive written by Python's zipfile: each entry with its Unix mode (file type included).
QString unixArchive(const QString& path, const QStringList& entries) {
    QProcess py;
    py.start(python3(), QStringList{"-c",
                                    "import zipfile,sys\n"
                                    "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                                    "  for e in sys.argv[2:]:\n"
                                    "    name, mode, data = e.split(':', 2)\n"
                                    "    i = zipfile.ZipInfo(name); i.create_system = 3\n"
                                    "    i.external_attr = int(mode, 8) << 16; z.writestr(i, data)",
                                    path} +
                            entries);
    EXPECT_TRUE(py.waitForFinished() && py.exitCode() == 0) << py.readAllStandardError().toStdString();
    return path;
}

TEST_F(Unzip, LinksAndDevicesAreRefusedAndNoFileBecomesWritableForOthers) {
    const QString zip =
        unixArchive(src.filePath("typen.zip"),
                    {"chronivo:120777:/bin/sh", "geraet:20666:", "rohr:10644:", "prog:100777:#!/bin/sh"});
    for (const bool folders : {true, false}) {
        QTemporaryDir dir;
        unzip.setHonorDirectories(folders);
        EXPECT_EQ(unzip.Unzip(zip, dir.path()), 1);
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden),
            QStringList{"prog"});
        const QString message = unzip.GetLastMessage();
        for (const char* name : {"chronivo", "geraet", "rohr"})
            EXPECT_TRUE(
                message.contains(QString("keine gewöhnliche Datei (Verknüpfung oder Gerät): ") + name))
                << message.toStdString();
        const QFile::Permissions p = QFile::permissions(QDir(dir.path()).filePath("prog"));
        EXPECT_TRUE(p.testFlag(QFile::ExeOther) && p.testFlag(QFile::ReadGroup));
        EXPECT_FALSE(p.testFlag(QFile::WriteGroup) || p.testFlag(QFile::WriteOther));
    }
}

TEST_F(Unzip, WhatAnArchiveUnpacksToIsBoundedAndTheWindowKeepsPainting) {
    const QString zip =
        archive("gross.zip", {{"a.bin", QByteArray(600, 'a')}, {"b.bin", QByteArray(600, 'b')}});
    int ticks = 0;
    QTimer paint;
    QObject::connect(&paint, &QTimer::timeout, [&] { ++ticks; });
    paint.start(0);
    EXPECT_EQ(unzip.Unzip(zip, out.path()), 0);
    EXPECT_GT(ticks, 0);

    QTemporaryDir dir;
    LibzipUnzipper bounded(1000);
    CGUnzipFiles small{bounded, t.dialogs()};
    EXPECT_EQ(small.Unzip(zip, dir.path()), 2);
    EXPECT_TRUE(small.GetLastMessage().contains("zu groß")) << small.GetLastMessage().toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST_F(Unzip, ReasonsAreGermanAndTwoEntriesOfOneNameAreNamedAsSuch) {
    writeFile(src.filePath("text.zip"), "Dies ist kein Archiv, aber lang genug, um wie eines auszusehen.");
    EXPECT_EQ(unzip.Unzip(src.filePath("text.zip"), out.path()), 9);
    EXPECT_TRUE(unzip.GetLastMessage().contains("kein Zip-Archiv")) << unzip.GetLastMessage().toStdString();

    const QString twice =
        unixArchive(src.filePath("doppelt.zip"), {"a.txt:100644:eins", "a.txt:100644:zwei"});
    EXPECT_EQ(unzip.Unzip(twice, out.path()), 9);
    EXPECT_TRUE(unzip.GetLastMessage().contains("enthält zwei Einträge mit demselben Namen"))
        << unzip.GetLastMessage().toStdString();
    for (const char* english : {"Not a zip", "already exists", "rror"})
        EXPECT_FALSE(unzip.GetLastMessage().contains(english));
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
