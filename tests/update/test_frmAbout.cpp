#include "UpdateTestSupport.h"

#include "support/TestServices.h"
#include "timing/MainWindowFixture.h"
#include "update/frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(frmAbout, ShowsTitleVersionWithoutLeadingZerosAndTheProgramFilesDate) {
    TestServices t;
    writeFile(t.services().programFile, "programm");
    QFile f(t.services().programFile);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime);
    f.close();
    const QString savedVersion = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("1.02.034");

    frmAbout about(t.services());
    about.Form_Load();
    QCoreApplication::setApplicationVersion(savedVersion);

    EXPECT_EQ(about.windowTitle(), "Über Vek. Chronivo");
    EXPECT_EQ(about.lblTitle->text(), "Vek. Chronivo");
    EXPECT_EQ(about.lblVersion->text(), "Version 1.2.34");
    EXPECT_EQ(about.lblFiletime->text(), "03.02.2026 04:05:06");
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(about.cmdSysInfo->text(), "&System Info...");
    EXPECT_EQ(about.cmdCheckNewVersion->text(), "neue Version?");
}

TEST(frmAbout, SystemInformationIsStartedFromEitherRegistryPlaceOrReportedMissing) {
    TestServices t;
    frmAbout about(t.services());
    const QString first = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
    const QString second = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

    about.cmdSysInfo_Click();
    EXPECT_EQ(t.dialogs().messages(), QStringList{"System Information Is Unavailable At This Time"});

    // The second place names a folder, but the program is not in it.
    QTemporaryDir tools;
    t.registry[second] = tools.path();
    about.cmdSysInfo_Click();
    EXPECT_EQ(t.dialogs().messages().size(), 2);
    EXPECT_TRUE(t.startedPrograms.isEmpty());

    writeFile(tools.filePath("MSINFO32.EXE"), "x");
    about.cmdSysInfo_Click();
    EXPECT_EQ(t.startedPrograms, QStringList{tools.filePath("MSINFO32.EXE")});

    t.registry[first] = "C:\\Programme\\msinfo32.exe";
    about.cmdSysInfo_Click();
    EXPECT_EQ(t.startedPrograms.last(), "C:\\Programme\\msinfo32.exe");
    EXPECT_EQ(t.dialogs().messages().size(), 2);
}

TEST_F(MainWindowTest, TheHelpMenuShowsTheAboutBoxModallyUntilOK) {
    start();
    QString caption;
    bool modal = false;
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (auto* about = qobject_cast<frmAbout*>(shown)) {
            caption = about->windowTitle();
            modal = about->isModal();
            about->cmdOK->click();
            poll.stop();
        } else if (++tries > 250 && shown) {
            shown->close(); // not the about box: do not hang the test
            poll.stop();
        }
    });
    poll.start(20);
    w->mnuAboutChronivo->trigger();
    EXPECT_EQ(caption, "Über Vek. Chronivo");
    EXPECT_TRUE(modal);
    EXPECT_EQ(w->mnuAboutChronivo->text(), "&Über Vek. Chronivo");
}

} // namespace
