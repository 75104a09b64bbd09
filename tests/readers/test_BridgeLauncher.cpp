// The tab "Reader": a bridge program started as a child process, its output shown line by
// line while the program keeps working, stopping it, and the recorded Motorola bridge. The
// bridge is a script of the tests (fake_bridge.py).
#include "ReaderTestSupport.h"

#include "core/Convert.h"
#include "platform/ChildProcess.h"
#include "readers/TcpReaderConsole.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>

namespace {

QString bridgeCommand(const QString& mode) {
    return "python3 " + QStringLiteral(CHRONIVO_TEST_SOURCE_DIR) + "/readers/fake_bridge.py " + mode;
}

struct Bridge : ConsoleTest {
    std::vector<std::unique_ptr<ChildProcess>> others;

    ~Bridge() override {
        if (console)
            console->cmdMercuryBeenden_Click();
        for (auto& p : others)
            p->Terminate();
    }

    QLineEdit* commandField(ReaderConsole& c) {
        return qobject_cast<QLineEdit*>(c.bridgeField("edtMercuryCmd"));
    }
    bool showsRunning(ReaderConsole& c) {
        const bool green = commandField(c)->palette().color(QPalette::Base) == QColor(0, 255, 0);
        EXPECT_EQ(green, !c.cmdMercuryStart->isEnabled());
        EXPECT_EQ(green, c.cmdMercuryBeenden->isEnabled());
        return green;
    }
    bool waitForRow(ReaderConsole& c, const QString& row) {
        return waitUntil([&] { return c.bridgeRows().contains(row); }, 5000);
    }
    ChildProcess& startOther() {
        others.push_back(std::make_unique<QtChildProcess>());
        EXPECT_EQ(others.back()->Start(bridgeCommand("lines")), 0);
        return *others.back();
    }
};

TEST_F(Bridge, OutputIsShownLineByLineWhileTheConsoleKeepsWorking) {
    ReaderConsole& c = open(ReaderKind::Mercury);
    commandField(c)->setText(bridgeCommand("lines"));
    EXPECT_FALSE(showsRunning(c));
    c.cmdMercuryStart_Click();
    // The handler is back at once; the bridge runs on.
    EXPECT_TRUE(c.isBridgeRunning());
    EXPECT_TRUE(showsRunning(c));
    ASSERT_TRUE(waitForRow(c, "Antennen: 127.0.0.1 5000 10 1 2000"));
    // A line split over two writes is one row; the empty line is none.
    EXPECT_EQ(c.bridgeRows(),
              (QStringList{"Bridge startet", "Reader verbunden", "Antennen: 127.0.0.1 5000 10 1 2000"}));

    c.cmdMercuryBeenden_Click();
    ASSERT_TRUE(waitUntil([&] { return !c.isBridgeRunning(); }));
    ASSERT_TRUE(waitUntil([&] { return !showsRunning(c); }));
    EXPECT_EQ(c.bridgeRows().size(), 3);
    EXPECT_TRUE(t.dialogs().messages().isEmpty());
}

TEST_F(Bridge, ABridgeThatEndsShowsItsLastLineEvenWithoutLineEnd) {
    ReaderConsole& c = open(ReaderKind::Mercury);
    commandField(c)->setText(bridgeCommand("exit"));
    c.cmdMercuryStart_Click();
    ASSERT_TRUE(waitUntil([&] { return !showsRunning(c); }, 5000));
    EXPECT_EQ(c.bridgeRows(), (QStringList{"A", "B fertig"}));
    // Started again, the grid starts empty.
    c.cmdMercuryStart_Click();
    EXPECT_TRUE(c.bridgeRows().isEmpty());
    ASSERT_TRUE(waitForRow(c, "B fertig"));
}

TEST_F(Bridge, AProgramThatCannotStartIsReportedAndStartingStaysPossible) {
    ReaderConsole& c = open(ReaderKind::Mercury);
    // "beenden" while nothing runs does nothing.
    c.cmdMercuryBeenden_Click();
    commandField(c)->setText(t.path("fehlt/bridge.exe"));
    c.cmdMercuryStart_Click();
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_EQ(t.dialogs().messages().first(), "Error: CreateProcessA - error: 2\rCommand: " +
                                                  t.path("fehlt/bridge.exe") + " 127.0.0.1 5000 10 1 2000");
    EXPECT_FALSE(showsRunning(c));
    EXPECT_FALSE(c.isBridgeRunning());
}

TEST_F(Bridge, TheMotorolaBridgeServesReadsAndTakesItsLetters) {
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress(ReaderHost), 0));
        port = probe.serverPort();
    }
    auto& c = open<TcpReaderConsole>(ReaderKind::Motorola);
    EXPECT_EQ(commandField(c)->text(), "Motorola\\MotorolaServer.exe");
    commandField(c)->setText(bridgeCommand("serve"));
    c.edtRFIDIpAddr->setText(ReaderHost);
    c.edtRFIDIpPort->setText(QString::number(port));
    c.cmdMercuryStart_Click();
    // The console's own port is the bridge's last argument.
    ASSERT_TRUE(waitForRow(c, QStringLiteral("bereit 169.254.1.1 5084 %1").arg(port)));
    const QString recorded = t.settings().GetSetting("Motorola", "hProcess");
    EXPECT_TRUE(recorded.startsWith(QString::number(Convert::ValLong(recorded)) + "/"))
        << recorded.toStdString();

    c.cmdConnect_Click();
    ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Green; }));
    c.Command1_Click();
    ASSERT_TRUE(waitUntil([&] { return c.telegramRows().size() == 1; }));
    EXPECT_TRUE(c.telegramRows().first().endsWith("00000000000000000000000123"));
    c.cmdUhrzeitSchreiben_Click();
    ASSERT_TRUE(waitForRow(c, "Uhrzeit gesetzt"));

    // "beenden" tells the bridge to stop reporting, drops the link and ends the bridge.
    c.cmdMercuryBeenden_Click();
    EXPECT_EQ(c.Command1->property("BackColor").value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
    ASSERT_TRUE(waitUntil([&] { return !showsRunning(c); }));
}

TEST_F(Bridge, OnlyTheRecordedMotorolaBridgeItselfIsEndedWhenTheConsoleOpens) {
    ChildProcess& left = startOther();
    t.settings().SaveSetting("Motorola", "hProcess", left.Identity());
    open(ReaderKind::Motorola);
    ASSERT_TRUE(waitUntil([&] { return !left.IsRunning(); }));
    EXPECT_EQ(t.settings().GetSetting("Motorola", "hProcess"), "0");

    // A process that merely carries the recorded number is left alone.
    ChildProcess& other = startOther();
    const QString number = other.Identity().section('/', 0, 0);
    t.settings().SaveSetting("Motorola", "hProcess", number + "/1");
    open(ReaderKind::Motorola);
    waitUntil([] { return false; }, 200);
    EXPECT_TRUE(other.IsRunning());
}

TEST_F(Bridge, ClosingTheMercuryConsoleLeavesItsBridgeRunningTheMotorolaConsoleStopsIt) {
    ReaderConsole& mercury = open(ReaderKind::Mercury);
    commandField(mercury)->setText(bridgeCommand("lines"));
    mercury.cmdMercuryStart_Click();
    ASSERT_TRUE(waitForRow(mercury, "Bridge startet"));
    mercury.close();
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(mercury.isBridgeRunning());
    // Reopened, it shows the bridge running and can end it.
    mercury.showConsole();
    EXPECT_TRUE(showsRunning(mercury));
    mercury.cmdMercuryBeenden_Click();
    ASSERT_TRUE(waitUntil([&] { return !mercury.isBridgeRunning(); }));

    ReaderConsole& motorola = open(ReaderKind::Motorola);
    commandField(motorola)->setText(bridgeCommand("lines"));
    motorola.cmdMercuryStart_Click();
    ASSERT_TRUE(waitForRow(motorola, "Bridge startet"));
    motorola.close();
    ASSERT_TRUE(waitUntil([&] { return !motorola.isBridgeRunning(); }));
}

} // namespace
