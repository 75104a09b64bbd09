#include "UpdateTestSupport.h"

#include "platform/Http.h"
#include "support/TestServices.h"
#include "update/OnlineUpdate.h"
#include "update/ProgramFiles.h"
#include "update/frmAbout.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString Offer = "Auf unserer Homepage steht die Version %1 für Sie bereit!\r"
                      "Soll diese Programm Version installiert werden?";
const QString Restart = "Bitte starten Sie das Programm neu, damit die Änderungen aktiv werden!";
const QString NotLoaded = "Das Update konnte nicht geladen werden: ";

TEST(VersionList, OffersEveryLineOfTheProductInOrder) {
    EXPECT_EQ(VersionOffers("1#0.9\n3#1.2.34\n7#5.0\n3#1.3.0", 3), (QStringList{"1.2.34", "1.3.0"}));
    // The index is the number at the field's start; CR LF line ends and further fields are fine.
    EXPECT_EQ(VersionOffers("3abc#2.0#Kommentar\r\n03#2.1\r\n#3.0\n", 3), (QStringList{"2.0", "2.1"}));
    EXPECT_EQ(VersionOffers("x#1.0\n#2.0", 0), (QStringList{"1.0", "2.0"}));
    EXPECT_TRUE(VersionOffers("", 3).isEmpty());
    EXPECT_TRUE(VersionOffers("13#1.0\n4#2.0", 3).isEmpty());
}

TEST(VersionList, OnlyTheExactCommandLineTestSelectsTheTestServer) {
    EXPECT_EQ(UpdateBaseUrl("TEST", "http://normal/"), "http://localhost/files/");
    for (const char* other : {"test", "TEST ", " TEST", "TEST x", ""})
        EXPECT_EQ(UpdateBaseUrl(other, "http://normal/"), "http://normal/") << other;
    const std::optional<ProductRow> row = LookupProduct(ThisProductNumber, "chronivo");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->productIndex, 3);
    EXPECT_EQ(row->archiveName, "chronivo.zip");
    EXPECT_FALSE(LookupProduct(4, "chronivo"));
}

// A program folder with a running program file, a temp folder and an update server.
struct Update : ::testing::Test {
    TestServices t;
    QTemporaryDir temp;
    QTemporaryDir web;
    QTemporaryDir build;
    TempFolderScope tempScope{temp.path()};
    LoopbackHttp server{web.path()};
    QString program = t.services().programFile;
    QString tempDir = QDir::toNativeSeparators(temp.path()) + QDir::separator();

    void SetUp() override {
        ASSERT_TRUE(server.running());
        t.services().updateBaseUrl = server.url();
        writeFile(program, "ALTES PROGRAMM");
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner | QFile::ExeUser);
        t.clock().set(QDateTime(QDate(2026, 5, 17), QTime(14, 3, 9)));
        // The archive holds the program file and a file in a folder, unpacked flat.
        writeFile(build.filePath("chronivo"), programBytes("NEUES PROGRAMM"));
        writeFile(build.filePath("doku/liesmich.txt"), "Hinweise");
        ASSERT_TRUE(runZip(build.path(), {web.filePath("chronivo.zip"), "chronivo", "doku/liesmich.txt"}));
    }
    void versions(const QByteArray& text) { writeFile(web.filePath("versions.txt"), text); }
    QStringList programFolder() const {
        return QDir(t.folder()).entryList({"chronivo*"}, QDir::Files | QDir::Hidden, QDir::Name);
    }
    int shown(const QString& text) { return t.dialogs().messages().count(text); }
};

TEST_F(Update, AcceptedOfferReplacesTheProgramAndKeepsTheOldOneUnderItsTimeStamp) {
    versions("1#0.9.0\n3#1.2.34\n");
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    frmAbout about(t.services());
    about.cmdCheckNewVersion_Click();

    EXPECT_EQ(t.dialogs().messages(), (QStringList{Offer.arg("1.2.34"), Restart}));
    EXPECT_EQ(t.dialogs().shown()[0].style, 68);
    EXPECT_EQ(readFile(program), programBytes("NEUES PROGRAMM"));
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    EXPECT_EQ(readFile(program + "_20260517140309"), "ALTES PROGRAMM");
    EXPECT_EQ(programFolder(), (QStringList{"chronivo", "chronivo_20260517140309"}));
    // The private folder the update worked in is gone again.
    EXPECT_TRUE(
        QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());

    // A second update on the same day keeps both backups.
    writeFile(build.filePath("chronivo"), programBytes("NOCH NEUER"));
    QFile::remove(web.filePath("chronivo.zip"));
    ASSERT_TRUE(runZip(build.path(), {web.filePath("chronivo.zip"), "chronivo"}));
    t.clock().set(QDateTime(QDate(2026, 5, 17), QTime(16, 0, 0)));
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    about.cmdCheckNewVersion_Click();
    EXPECT_EQ(readFile(program), programBytes("NOCH NEUER"));
    EXPECT_EQ(readFile(program + "_20260517160000"), programBytes("NEUES PROGRAMM"));
    EXPECT_EQ(readFile(program + "_20260517140309"), "ALTES PROGRAMM");
}

TEST_F(Update, EveryLineOfTheProductIsOfferedAndNoLeavesEverythingAsItWas) {
    versions("3#1.0.0\n5#9.9\n3#1.0.0\n");
    t.dialogs().planMsgBox(MsgBoxResult::No);
    t.dialogs().planMsgBox(MsgBoxResult::No);
    OnlineUpdate update(t.services());
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_EQ(t.dialogs().messages(), (QStringList{Offer.arg("1.0.0"), Offer.arg("1.0.0")}));
    EXPECT_EQ(programFolder(), QStringList{"chronivo"});
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(Update, MissingEmptyOrErrorPageVersionListsEndWithTheirMessage) {
    OnlineUpdate update(t.services());
    versions("");
    EXPECT_FALSE(update.CheckForUpdate());
    versions("<html><title>404 not found</title></html>\n3#1.0");
    EXPECT_FALSE(update.CheckForUpdate());
    // No server at all: the address can never resolve.
    t.services().updateBaseUrl = "http://updates.chronivo.invalid/";
    EXPECT_FALSE(update.CheckForUpdate());
    // This server's error page for a missing list names no product: nothing is offered.
    t.services().updateBaseUrl = server.url("nirgends/");
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_EQ(t.dialogs().messages(), (QStringList{"Keine Versionsinformationen im Internet gefunden!",
                                                   "Keine Versions Informationen gefunden!",
                                                   "Keine Versionsinformationen im Internet gefunden!"}));
    EXPECT_EQ(programFolder(), QStringList{"chronivo"});
}

TEST_F(Update, ADownloadCutShortIsNeitherUnpackedNorKept) {
    versions("3#2.0\n");
    t.services().updateBaseUrl = server.url("kurz/");
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    OnlineUpdate update(t.services());
    EXPECT_FALSE(update.CheckForUpdate());
    ASSERT_EQ(t.dialogs().messages().size(), 2);
    EXPECT_TRUE(t.dialogs().messages()[1].startsWith(NotLoaded)) << t.dialogs().messages()[1].toStdString();
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Update, AFailedDownloadSaysWhyAndThatTheProgramStaysAsItIs) {
    versions("3#2.0\n");
    for (const char* folder : {"fehlt", "ohne"})
        writeFile(web.filePath(folder) + "/versions.txt", "3#2.0\n");
    writeFile(build.filePath("ohne.txt"), "kein Programm");
    ASSERT_TRUE(runZip(build.path(), {web.filePath("ohne/chronivo.zip"), "ohne.txt"}));
    const struct {
        const char* base;
        qint64 maxBytes;
        const char* reason;
    } cases[] = {{"reset/", QtHttp::MaxDownloadBytes, "Verbindung"},
                 {"fehlt/", QtHttp::MaxDownloadBytes, "Status 404"},
                 {"", 100, "größer als erlaubt"},
                 {"ohne/", QtHttp::MaxDownloadBytes, "keine Programmdatei chronivo"}};
    for (const auto& c : cases) {
        t.services().updateBaseUrl = server.url(c.base);
        t.services().http = std::make_unique<QtHttp>(2000, QtHttp::DefaultOverallMs, c.maxBytes);
        t.dialogs().planMsgBox(MsgBoxResult::Yes);
        OnlineUpdate update(t.services());
        EXPECT_FALSE(update.CheckForUpdate());
        const QString said = t.dialogs().shown().back().text;
        EXPECT_TRUE(said.startsWith(NotLoaded) && said.contains(c.reason) &&
                    said.endsWith("\rDas Programm bleibt in der bisherigen Version."))
            << said.toStdString();
        EXPECT_EQ(t.dialogs().shown().back().style, 16);
    }
    EXPECT_EQ(t.dialogs().shown().size(), 8u);
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
    EXPECT_EQ(programFolder(), QStringList{"chronivo"});
}

TEST_F(Update, ClosingTheAboutBoxWhileTheArchiveLoadsEndsTheDownloadAndChangesNothing) {
    versions("3#2.0\n");
    // The server sends half the archive, then nothing; the update would wait long for more.
    t.services().updateBaseUrl = server.url("stau/");
    t.services().http = std::make_unique<QtHttp>(30000);
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    frmAbout about(t.services());
    about.show();
    // Once the offer is answered the download is all the update waits for: Escape then.
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (t.dialogs().shown().size() == 1) {
            escape.stop();
            QTest::keyClick(&about, Qt::Key_Escape);
        }
    });
    escape.start(20);
    const QDeadlineTimer patience(15000);
    about.cmdCheckNewVersion->click();
    EXPECT_FALSE(patience.hasExpired());
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(t.dialogs().messages(), QStringList{Offer.arg("2.0")});
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
    EXPECT_EQ(programFolder(), QStringList{"chronivo"});
    EXPECT_TRUE(QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_F(Update, AProgramFileLeftFromAnEarlierUpdateIsNotInstalledWhenUnpackingFails) {
    versions("3#2.0\n");
    writeFile(tempDir + "chronivo", "VERALTET");
    // Served whole, but the archive itself is cut short.
    QFile::resize(web.filePath("chronivo.zip"), QFileInfo(web.filePath("chronivo.zip")).size() / 2);
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    frmAbout about(t.services());
    about.cmdCheckNewVersion_Click();
    ASSERT_EQ(t.dialogs().shown().size(), 2u);
    EXPECT_EQ(t.dialogs().shown()[1].style, 0);
    EXPECT_TRUE(t.dialogs().shown()[1].text.contains("chronivo.zip"))
        << t.dialogs().shown()[1].text.toStdString();
    EXPECT_EQ(shown(Restart), 0);
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
    // Not the update's own file: left alone.
    EXPECT_EQ(readFile(tempDir + "chronivo"), "VERALTET");
}

TEST_F(Update, AFailingCopyKeepsTheOldProgramAndSaysSo) {
    versions("3#2.0\n");
    // Something in the way of the copy next to the program.
    writeFile(program + ".neu/blockiert", "x");
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    frmAbout about(t.services());
    about.cmdCheckNewVersion_Click();
    ASSERT_EQ(t.dialogs().shown().size(), 2u);
    EXPECT_EQ(t.dialogs().shown()[1].style, 16);
    EXPECT_TRUE(
        t.dialogs().shown()[1].text.startsWith("Die neue Programmversion konnte nicht installiert werden!"));
    EXPECT_EQ(shown(Restart), 0);
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
    EXPECT_EQ(programFolder(), QStringList{"chronivo"});
}

TEST(ProgramReplacement, AFailedMoveIntoPlacePutsTheOldFileBack) {
    QTemporaryDir dir;
    const QString target = dir.filePath("prog");
    const QString backup = target + "_20260517140309";
    writeFile(target, "alt");
    writeFile(dir.filePath("neu"), "neu");
    int renames = 0;
    const RenameFile secondFails = [&](const QString& from, const QString& to) {
        return ++renames != 2 && QFile::rename(from, to);
    };
    QString error;
    EXPECT_FALSE(ReplaceProgramFile(dir.filePath("neu"), target, backup, error, secondFails));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(target), "alt");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"neu", "prog"}));

    EXPECT_TRUE(CopyFileApi(dir.filePath("neu"), dir.filePath("kopie"), false));
    EXPECT_FALSE(CopyFileApi(dir.filePath("neu"), target, false));
    EXPECT_EQ(readFile(target), "alt");
    EXPECT_TRUE(CopyFileApi(dir.filePath("neu"), target, true));
    EXPECT_EQ(readFile(target), "neu");
    EXPECT_FALSE(CopyFileApi(dir.filePath("fehlt"), target, true));
}

TEST_F(Update, WithoutAdministratorRightsNothingIsAsked) {
    versions("3#2.0\n");
    t.administrator = false;
    frmAbout about(t.services());
    about.cmdCheckNewVersion_Click();
    EXPECT_EQ(t.dialogs().messages(), QStringList{"Sie benötigen Admin-Brechtigung für diese Funktion!!!"});
    EXPECT_EQ(t.dialogs().shown()[0].style, 64);
    EXPECT_EQ(readFile(program), "ALTES PROGRAMM");
}

TEST_F(Update, HttpChecksStatusAndKeepsTheWindowPaintingUntilASilentServerTimesOut) {
    versions("3#2.0\n");
    OnlineUpdate update(t.services());
    EXPECT_EQ(update.OpenURL(server.url("versions.txt")), "3#2.0\n");
    EXPECT_TRUE(update.DownloadFile(server.url("chronivo.zip"), tempDir + "a.zip"));
    EXPECT_EQ(readFile(tempDir + "a.zip"), readFile(web.filePath("chronivo.zip")));
    // A missing file is no download, and an earlier file of that name stays as it was.
    EXPECT_FALSE(update.DownloadFile(server.url("fehlt.zip"), tempDir + "a.zip"));
    EXPECT_EQ(readFile(tempDir + "a.zip"), readFile(web.filePath("chronivo.zip")));

    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    int ticks = 0;
    QTimer paint;
    QObject::connect(&paint, &QTimer::timeout, [&] { ++ticks; });
    paint.start(20);
    EXPECT_EQ(update.OpenURL(QString("http://127.0.0.1:%1/versions.txt").arg(silent.serverPort())), "");
    EXPECT_FALSE(update.DownloadFile(QString("http://127.0.0.1:%1/x.zip").arg(silent.serverPort()),
                                     tempDir + "x.zip"));
    EXPECT_GT(ticks, 0);
    EXPECT_FALSE(QFileInfo::exists(tempDir + "x.zip"));
    // The request names the agent and asks past every cache.
    QTcpSocket* peer = silent.nextPendingConnection();
    ASSERT_NE(peer, nullptr);
    if (!peer->bytesAvailable())
        peer->waitForReadyRead(1000);
    const QByteArray request = peer->readAll();
    EXPECT_TRUE(request.contains("User-Agent: VB OpenUrl\r\n")) << request.toStdString();
    EXPECT_TRUE(request.contains("Cache-Control: no-cache\r\n")) << request.toStdString();
}

TEST_F(Update, OnlyARegularProgramForThisMachineIsInstalled) {
    versions("3#2.0\n");
    QByteArray foreignMachine = programBytes("X");
    foreignMachine[18] = static_cast<char>(foreignMachine[18] ^ 0x7f);
    QByteArray otherClass = programBytes("X");
    otherClass[4] = static_cast<char>(otherClass[4] == 2 ? 1 : 2);
    // A shared library of this machine, and a program's first bytes with nothing behind them.
    QString library;
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("/libzip.so"))
            library = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
    ASSERT_FALSE(library.isEmpty());
    QFile self(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    const QByteArray headOnly = self.read(64) + QByteArray(4096, '\0');
    QString reason;
    EXPECT_TRUE(IsRunnableProgram(self.fileName(), reason)) << reason.toStdString();
    const struct {
        const char* name;
        QByteArray content; // the link's target when the entry is a link
        bool link;
    } cases[] = {{"Verknüpfung", "/bin/sh", true},
                 {"leer", "", false},
                 {"Skript", "#!/bin/sh\necho hallo\n", false},
                 {"fremde Maschine", foreignMachine, false},
                 {"andere Bitbreite", otherClass, false},
                 {"Bibliothek", readFile(library), false},
                 {"nur der Kopf", headOnly, false}};
    frmAbout about(t.services());
    for (const auto& c : cases) {
        QFile::remove(build.filePath("chronivo"));
        QFile::remove(web.filePath("chronivo.zip"));
        if (c.link)
            ASSERT_TRUE(QFile::link(QString::fromUtf8(c.content), build.filePath("chronivo")));
        else
            writeFile(build.filePath("chronivo"), c.content);
        ASSERT_TRUE(runZip(build.path(), {"-y", web.filePath("chronivo.zip"), "chronivo"}));
        const size_t before = t.dialogs().shown().size();
        t.dialogs().planMsgBox(MsgBoxResult::Yes);
        about.cmdCheckNewVersion_Click();
        EXPECT_EQ(readFile(program), "ALTES PROGRAMM") << c.name;
        EXPECT_EQ(programFolder(), QStringList{"chronivo"}) << c.name;
        // The offer, then the reason: the link is refused by unpacking, the rest before installing.
        ASSERT_EQ(t.dialogs().shown().size(), before + 2) << c.name;
        const QString reason = t.dialogs().shown().back().text;
        EXPECT_TRUE(reason.contains(c.link ? "Verknüpfung" : "kein ausführbares Programm"))
            << reason.toStdString();
    }
    EXPECT_EQ(shown(Restart), 0);
}

TEST_F(Update, WorksInAPrivateFolderAndNeverWritesThroughLinksPlantedInTheTempFolder) {
    versions("3#2.0\n");
    const QDir elsewhere(build.filePath("fremd"));
    for (const char* name : {"chronivo.zip", "liesmich.txt", "chronivo"}) {
        writeFile(elsewhere.filePath(name), "fremd");
        ASSERT_TRUE(QFile::link(elsewhere.filePath(name), tempDir + name));
    }
    // Seen while the update runs: the folder it works in is its own alone.
    QStringList privateFolders;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (const QFileInfo& d : QDir(temp.path()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (!privateFolders.contains(d.fileName()) &&
                d.permissions() == (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                                    QFile::WriteUser | QFile::ExeUser))
                privateFolders << d.fileName();
    });
    look.start(0);
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    OnlineUpdate update(t.services());
    EXPECT_TRUE(update.CheckForUpdate());
    EXPECT_EQ(readFile(program), programBytes("NEUES PROGRAMM"));
    for (const char* name : {"chronivo.zip", "liesmich.txt", "chronivo"})
        EXPECT_EQ(readFile(elsewhere.filePath(name)), "fremd") << name;
    EXPECT_EQ(privateFolders.size(), 1);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{"chronivo", "chronivo.zip", "liesmich.txt"}));
}

TEST(Http, ADownloadIsBoundedInSizeAndInOverallTime) {
    QTemporaryDir dir;
    writeFile(dir.filePath("gross.zip"), QByteArray(3000, 'x'));
    LoopbackHttp server(dir.path());
    ASSERT_TRUE(server.running());
    QtHttp small(2000, 60000, 2000);
    EXPECT_FALSE(small.DownloadFile(server.url("gross.zip"), dir.filePath("a.zip")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("a.zip")));

    // One byte now and then never goes silent long enough for the silence limit.
    QTcpServer trickle;
    ASSERT_TRUE(trickle.listen(QHostAddress::LocalHost));
    QTcpSocket* peer = nullptr;
    QTimer drip;
    QObject::connect(&trickle, &QTcpServer::newConnection, [&] {
        peer = trickle.nextPendingConnection();
        peer->write("HTTP/1.1 200 OK\r\nContent-Length: 30\r\n\r\n");
        drip.start(200);
    });
    QObject::connect(&drip, &QTimer::timeout, [&] { peer->write("x"); });
    QtHttp slow(1000, 1500);
    EXPECT_FALSE(slow.DownloadFile(QString("http://127.0.0.1:%1/b.zip").arg(trickle.serverPort()),
                                   dir.filePath("b.zip")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("b.zip")));
}

} // namespace
