#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SettingsStoreTest : ::testing::Test {
    QTemporaryDir dir;
    QString file() const { return dir.filePath("s.ini"); }
};

TEST_F(SettingsStoreTest, ValuesSurviveAReopenAndMissingKeysGiveTheDefault) {
    {
        SettingsStore s("Vek. Chronivo", file());
        s.SaveSetting("frmChronivo", "LogDatei", "C:\\Chronivo.log");
        s.SaveSetting("ExtRS232", "ExtRS232Parameter", "9600,N,8,1");
        s.SaveSetting("frmChronivo", "Form Top", "1200");
        s.SaveSetting("frmChronivo", "dbgZeiten.Font.Name", "Arial");
    }
    SettingsStore s("Vek. Chronivo", file());
    EXPECT_EQ(s.GetSetting("frmChronivo", "LogDatei", "x"), "C:\\Chronivo.log");
    EXPECT_EQ(s.GetSetting("ExtRS232", "ExtRS232Parameter"), "9600,N,8,1");
    EXPECT_EQ(s.GetSetting("frmChronivo", "Form Top"), "1200");
    EXPECT_EQ(s.GetSetting("frmChronivo", "dbgZeiten.Font.Name"), "Arial");
    EXPECT_EQ(s.GetSetting("frmChronivo", "Missing", "def"), "def");
    EXPECT_EQ(s.GetSetting("Nowhere", "Missing", "3"), "3");
}

TEST_F(SettingsStoreTest, ACommaListWrittenByHandReadsAsOneText) {
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[ExtAnzeige]\nExtRS232Parameter=9600,N,8,1\n");
    }
    SettingsStore s("Vek. Chronivo", file());
    EXPECT_EQ(s.GetSetting("ExtAnzeige", "ExtRS232Parameter"), "9600,N,8,1");
}

TEST_F(SettingsStoreTest, BooleansReadFromEveryStoredForm) {
    SettingsStore s("Vek. Chronivo", file());
    const std::vector<std::pair<QString, bool>> cases = {{"-1", true},   {"0", false},     {"1", true},
                                                         {"True", true}, {"False", false}, {"true", true},
                                                         {"2", true}};
    for (const auto& [text, expected] : cases) {
        s.SaveSetting("m", "k", text);
        EXPECT_EQ(s.GetBool("m", "k", !expected), expected) << text.toStdString();
    }
    s.SaveBool("m", "mode", true);
    EXPECT_EQ(s.GetSetting("m", "mode"), "-1");
    s.SaveBool("m", "mode", false);
    EXPECT_EQ(s.GetSetting("m", "mode"), "0");
    // Garbage and missing keys give the default instead of failing.
    s.SaveSetting("m", "k", "vielleicht");
    EXPECT_TRUE(s.GetBool("m", "k", true));
    EXPECT_FALSE(s.GetBool("m", "k", false));
    EXPECT_FALSE(s.GetBool("m", "none", false));
}

TEST_F(SettingsStoreTest, DeletingASectionRemovesOnlyItAndAMissingOneIsNoError) {
    SettingsStore s("Vek. Chronivo", file());
    s.SaveSetting("StartZeiten", "Rows", "2");
    s.SaveSetting("StartZeiten", "1", "1;100;10:00:00;A");
    s.SaveSetting("frmChronivo", "LaufNrStartzeit", "1");
    s.DeleteSection("StartZeiten");
    s.DeleteSection("StartZeiten");
    s.DeleteSection("NeverThere");
    EXPECT_EQ(s.GetSetting("StartZeiten", "Rows", "0"), "0");
    EXPECT_EQ(s.GetSetting("StartZeiten", "1", ""), "");
    EXPECT_EQ(s.GetSetting("frmChronivo", "LaufNrStartzeit"), "1");
    s.DeleteSetting("frmChronivo", "LaufNrStartzeit");
    s.DeleteSetting("frmChronivo", "LaufNrStartzeit");
    EXPECT_EQ(s.GetSetting("frmChronivo", "LaufNrStartzeit", "none"), "none");
}

TEST_F(SettingsStoreTest, ReplacingASectionDropsItsOldKeysKeepsTheOthersAndReportsAFailedWrite) {
    SettingsStore s("Vek. Chronivo", file());
    s.SaveSetting("StartZeiten", "3", "alt");
    s.SaveSetting("frmChronivo", "LaufNrStartzeit", "1");
    EXPECT_TRUE(s.ReplaceSection("StartZeiten", {{"1", "neu"}, {"Rows", "1"}}));
    SettingsStore reopened("Vek. Chronivo", file());
    EXPECT_EQ(reopened.GetSetting("StartZeiten", "1"), "neu");
    EXPECT_EQ(reopened.GetSetting("StartZeiten", "3", "<none>"), "<none>");
    EXPECT_EQ(reopened.GetSetting("frmChronivo", "LaufNrStartzeit"), "1");

    // A store whose file cannot be written says so, each time, and works again afterwards.
    const QString blocked = dir.filePath("blocked.ini");
    ASSERT_TRUE(QDir().mkpath(blocked));
    SettingsStore b("Vek. Chronivo", blocked);
    EXPECT_FALSE(b.ReplaceSection("StartZeiten", {{"Rows", "0"}}));
    EXPECT_FALSE(b.ReplaceSection("StartZeiten", {{"Rows", "0"}}));
    ASSERT_TRUE(QDir(blocked).removeRecursively());
    EXPECT_TRUE(b.ReplaceSection("StartZeiten", {{"Rows", "2"}}));
    EXPECT_EQ(SettingsStore("Vek. Chronivo", blocked).GetSetting("StartZeiten", "Rows"), "2");
}

TEST_F(SettingsStoreTest, AWriteThatCannotBeStoredIsReportedAndTheNextOneJudgedOnItsOwn) {
    // A regular file where the store's folder should be: nothing can be written there.
    QFile blocker(dir.filePath("voll"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore s("Vek. Chronivo", dir.filePath("voll/s.ini"));
    EXPECT_FALSE(s.SaveSetting("frmChronivo", "Lauf1Gestartet", "1"));
    EXPECT_EQ(s.GetSetting("frmChronivo", "Lauf1Gestartet", "0"), "0");
    ASSERT_TRUE(blocker.remove());
    EXPECT_TRUE(s.SaveSetting("frmChronivo", "Lauf1Gestartet", "1"));
    EXPECT_TRUE(s.sync());
    EXPECT_EQ(SettingsStore("Vek. Chronivo", dir.filePath("voll/s.ini"))
                  .GetSetting("frmChronivo", "Lauf1Gestartet"),
              "1");
}

} // namespace
