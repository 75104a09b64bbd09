#include "platform/SerialPort.h"
#include "platform/TcpSocket.h"
#include "support/FakeSerialPort.h"
#include "support/PtyPair.h"
#include "support/TestServices.h"
#include "timing/frmChronivo.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr const char* A = "ExtAnzeige";

// A display board on loopback: accepts links and keeps every line it receives.
struct Board final {
    QTcpServer server;
    std::vector<QTcpSocket*> peers;
    QStringList lines;
    QByteArray buffer;

    Board() {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                peers.push_back(s);
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] {
                    buffer += s->readAll();
                    for (qsizetype end; (end = buffer.indexOf("\r\n")) >= 0; buffer.remove(0, end + 2))
                        lines << QString::fromLatin1(buffer.left(end));
                });
            }
        });
    }
    bool listen(quint16 port = 0) { return server.listen(QHostAddress::LocalHost, port); }
    // Switched off: stops listening and drops its links.
    void powerOff() {
        server.close();
        for (QTcpSocket* s : peers)
            s->abort();
    }
    // The next line that arrives after this call.
    std::string nextLine() {
        const qsizetype seen = lines.size();
        for (int waited = 0; lines.size() == seen && waited < 3000; waited += 5)
            QTest::qWait(5);
        return lines.size() > seen ? lines[seen].toStdString() : "<no line>";
    }
};

struct DisplayBoards : ::testing::Test {
    TestServices t;
    Board board;
    std::unique_ptr<frmChronivo> w;

    void SetUp() override {
        ASSERT_TRUE(board.listen());
        t.settings().SaveSetting(A, "ExtAnzeige", "1");
        t.settings().SaveSetting(A, "ExtAnzeigeIp", "127.0.0.1");
        t.settings().SaveSetting(A, "ExtAnzeigePort", QString::number(board.server.serverPort()));
    }
    // The splash holds its time on the test clock, so the clock is set once the window is up.
    void start(const QTime& time) {
        w = std::make_unique<frmChronivo>(t.services());
        w->startUp();
        t.clock().setTime(time);
    }
    // The line the board gets once the window has seen the clock at this time.
    std::string lineAt(const QTime& time) {
        t.clock().setTime(time);
        w->Timer2_Timer();
        board.nextLine();
        return board.nextLine();
    }
    quint32 indicator() const { return w->shpAnzeige->property("FillColor").toUInt(); }
};

TEST_F(DisplayBoards, TheBoardGetsTheClockEveryTickAndTheLinkComesBackAfterARestart) {
    t.settings().SaveSetting(A, "ExtAnzeigeIpBlink", "True");
    start(QTime(14, 5, 7));
    EXPECT_EQ(lineAt(QTime(14, 5, 7)), "140507");
    EXPECT_EQ(lineAt(QTime(14, 5, 8)), "14:05:08");
    EXPECT_FALSE(w->shpAnzeige->isHidden());
    EXPECT_EQ(indicator(), 0xFF00u);

    const quint16 port = board.server.serverPort();
    board.powerOff();
    QTRY_COMPARE_WITH_TIMEOUT(indicator(), 0xFFu, 3000);
    // Down for a while: every tick tries anew and the indicator stays red.
    QTest::qWait(350);
    EXPECT_EQ(indicator(), 0xFFu);
    ASSERT_TRUE(board.listen(port));
    EXPECT_EQ(board.nextLine(), "14:05:08");
    QTRY_COMPARE_WITH_TIMEOUT(indicator(), 0xFF00u, 3000);
    EXPECT_EQ(board.peers.size(), 2u);
}

TEST_F(DisplayBoards, ARunShowsTheRaceClockAndEachBoardBlinksByItsOwnSetting) {
    t.settings().SaveSetting(A, "ExtRS232Anzeige", "1");
    t.settings().SaveSetting(A, "ExtRS232Blink", "1");
    t.settings().SaveSetting(A, "ExtRS232Parameter", "4");
    start(QTime(10, 0, 0));
    w->cmdStart_Click();
    EXPECT_EQ(lineAt(QTime(10, 5, 9)), "00:05:09");
    auto* port = qobject_cast<FakeSerialPort*>(w->MSComm2.get());
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->written.endsWith("000509\r\n"));
    EXPECT_EQ(port->CommPort(), 4);
    EXPECT_EQ(port->Settings(), "9600,N,8,1");
    EXPECT_EQ(port->InputLen(), 0);
    EXPECT_EQ(port->opens, 1);
    // Start times by start number: every runner has his own start, so the boards show the time.
    w->chkLaufNrStartzeit->setChecked(true);
    EXPECT_EQ(lineAt(QTime(10, 5, 10)), "10:05:10");
}

TEST_F(DisplayBoards, SwitchingTheBoardOffHidesTheIndicatorAndEndsTheFeed) {
    start(QTime(14, 5, 7));
    board.nextLine();
    t.settings().SaveSetting(A, "ExtAnzeige", "0");
    QTRY_VERIFY_WITH_TIMEOUT(w->shpAnzeige->isHidden(), 3000);
    QTest::qWait(150);
    const qsizetype received = board.lines.size();
    QTest::qWait(300);
    EXPECT_EQ(board.lines.size(), received);
}

// A board link that connects nowhere and keeps what it was asked.
struct RecordingSocket final : TcpSocket {
    QString host;
    int port = -1;
    bool noDelay = false;
    bool linger = false;
    int lingerSeconds = 0;
    void Connect(const QString& h, int p) override {
        host = h;
        port = p;
    }
    void SendData(const QByteArray&) override {}
    QByteArray GetData() override { return {}; }
    int BytesReceived() const override { return 0; }
    void Close() override {}
    int State() const override { return SocketState::Connecting; }
    QString RemoteHost() const override { return host; }
    int RemotePort() const override { return port; }
    void setNoDelay(bool on) override { noDelay = on; }
    void setLinger(bool on, int seconds) override {
        linger = on;
        lingerSeconds = seconds;
    }
};

TEST(DisplayBoardDefaults, BoardsWithNothingButTheirSwitchAndTheClockColour) {
    TestServices t;
    t.settings().SaveSetting(A, "ExtAnzeige", "1");
    t.settings().SaveSetting(A, "ExtRS232Anzeige", "1");
    RecordingSocket* socket = nullptr;
    t.services().createTcpSocket = [&] {
        auto s = std::make_unique<RecordingSocket>();
        socket = s.get();
        return s;
    };
    frmChronivo w(t.services());
    w.startUp();
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(socket->host, "localhost");
    EXPECT_EQ(socket->port, 23);
    // A clock line leaves at once, and the last one still reaches the board at the end.
    EXPECT_TRUE(socket->noDelay);
    EXPECT_TRUE(socket->linger);
    EXPECT_EQ(socket->lingerSeconds, 5);
    w.Timer3_Timer();
    ASSERT_TRUE(w.MSComm2);
    EXPECT_EQ(w.MSComm2->CommPort(), 1);
    EXPECT_EQ(w.m_lDisplayColor, 0x80FF80u);
    EXPECT_EQ(w.lblSysTimeOut->palette().color(QPalette::WindowText), QColor(0x80, 0xFF, 0x80));
}

TEST(DisplayBoardsRS232, AMissingPortIsTriedAgainOnEveryTickWithoutAMessage) {
    TestServices t;
    t.settings().SaveSetting(A, "ExtRS232Anzeige", "-1");
    FakeSerialPort* port = nullptr;
    t.services().createSerialPort = [&] {
        auto p = std::make_unique<FakeSerialPort>();
        p->failOpen = true;
        port = p.get();
        return p;
    };
    frmChronivo w(t.services());
    w.startUp();
    ASSERT_NE(port, nullptr);
    w.Timer3_Timer();
    EXPECT_FALSE(port->PortOpen());
    port->failOpen = false;
    w.Timer3_Timer();
    EXPECT_TRUE(port->written.endsWith("\r\n"));
    EXPECT_TRUE(t.dialogs().messages().isEmpty());
}

TEST(DisplayBoardsRS232, TheBoardGetsZerosAtActivationThenTheClockThroughAPseudoTerminal) {
    PtyPair pty;
    if (!pty.ok())
        GTEST_SKIP() << "socat not available";
    TestServices t;
    t.settings().SaveSetting(A, "ExtRS232Anzeige", "True");
    t.settings().SaveSetting(A, "ExtRS232Parameter", "3");
    int portAsked = 0;
    t.services().createSerialPort = [&] {
        return std::make_unique<QtSerialPort>([&](int n) {
            portAsked = n;
            return pty.deviceA();
        });
    };
    PtyEnd far(pty.deviceB());
    ASSERT_TRUE(far.isOpen());
    frmChronivo w(t.services());
    w.startUp();
    t.clock().setTime(QTime(9, 30, 15));
    QByteArray got = far.readFor(400);
    EXPECT_EQ(portAsked, 3);
    EXPECT_TRUE(got.contains("00:00:00\r\n")) << got.toStdString();
    EXPECT_TRUE(got.endsWith("09:30:15\r\n")) << got.toStdString();
    // Every activation sends the zeros again.
    w.Form_Activate();
    got = far.readAtLeast(10, 3000);
    EXPECT_TRUE(got.startsWith("00:00:00\r\n")) << got.toStdString();
}

} // namespace
