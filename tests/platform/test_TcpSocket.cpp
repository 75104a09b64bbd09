#include "platform/ChildProcess.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "platform/TcpSocket.h"
#include "support/PtyPair.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

// The descriptor of this process's socket whose far end is remotePort and own end localPort.
int localSocketTo(quint16 remotePort, quint16 localPort) {
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in local{};
        sockaddr_in remote{};
        socklen_t len = sizeof(local);
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) != 0 || local.sin_family != AF_INET)
            continue;
        len = sizeof(remote);
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &len) != 0)
            continue;
        if (ntohs(remote.sin_port) == remotePort && ntohs(local.sin_port) == localPort)
            return fd;
    }
    return -1;
}

struct TcpSocketTest : ::testing::Test {
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QtTcpSocket sock;

    void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

    void connectToServer() {
        QSignalSpy connected(&sock, &TcpSocket::Connected);
        sock.Connect("127.0.0.1", server.serverPort());
        // Connect returns at once; the outcome comes as an event.
        EXPECT_NE(sock.State(), SocketState::Connected);
        ASSERT_TRUE(connected.wait(3000));
        EXPECT_EQ(sock.State(), SocketState::Connected);
        ASSERT_TRUE(server.hasPendingConnections() || server.waitForNewConnection(3000));
        peer = server.nextPendingConnection();
        ASSERT_NE(peer, nullptr);
    }
};

TEST_F(TcpSocketTest, ConnectSendReceiveAndPeerClose) {
    sock.setNoDelay(true);
    sock.setLinger(true, 5);
    connectToServer();

    // The options set before the connection exist on the connected socket.
    const int fd = localSocketTo(peer->localPort(), peer->peerPort());
    ASSERT_GE(fd, 0);
    int noDelay = 0;
    socklen_t len = sizeof(noDelay);
    ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &len), 0);
    EXPECT_NE(noDelay, 0);
    linger l{};
    len = sizeof(l);
    ASSERT_EQ(::getsockopt(fd, SOL_SOCKET, SO_LINGER, &l, &len), 0);
    EXPECT_EQ(l.l_onoff, 1);
    EXPECT_EQ(l.l_linger, 5);

    QSignalSpy arrived(peer, &QTcpSocket::readyRead);
    sock.SendData("12:34:56\r\n");
    ASSERT_TRUE(arrived.wait(3000));
    EXPECT_EQ(peer->readAll(), QByteArray("12:34:56\r\n"));

    QSignalSpy data(&sock, &TcpSocket::DataArrival);
    peer->write("S2Euam");
    peer->flush();
    ASSERT_TRUE(data.wait(3000));
    EXPECT_EQ(sock.GetData(), QByteArray("S2Euam"));
    EXPECT_EQ(sock.BytesReceived(), 0);

    QSignalSpy closed(&sock, &TcpSocket::Closed);
    peer->close();
    ASSERT_TRUE(closed.wait(3000));
}

TEST_F(TcpSocketTest, ABacklogIsTakenWholeAndInOrder) {
    connectToServer();
    QByteArray got;
    int events = 0;
    QObject::connect(&sock, &TcpSocket::DataArrival, [&] {
        got += sock.GetData();
        ++events;
    });
    QByteArray backlog;
    for (int i = 0; backlog.size() < 256 * 1024; ++i)
        backlog += QByteArray::number(i) + '\r';
    peer->write(backlog);
    peer->flush();
    for (int i = 0; i < 500 && got.size() < backlog.size(); ++i)
        QTest::qWait(5);
    EXPECT_EQ(got, backlog);
    EXPECT_GE(events, 1);
}

TEST_F(TcpSocketTest, AResetByThePeerIsError10054AndAnOrderlyCloseIsAClose) {
    connectToServer();
    QSignalSpy closed(&sock, &TcpSocket::Closed);
    QSignalSpy error(&sock, &TcpSocket::Error);
    // Closing with a zero linger time makes the peer's system send a reset.
    linger l{1, 0};
    ASSERT_EQ(::setsockopt(static_cast<int>(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l),
              0);
    peer->abort();
    ASSERT_TRUE(error.wait(3000));
    EXPECT_EQ(error.first().at(0).toInt(), SocketError::ConnectionReset);
    EXPECT_EQ(error.first().at(1).toString(), "Die Verbindung wurde von der Gegenstelle zurückgesetzt");
    EXPECT_EQ(closed.size(), 0);
    EXPECT_EQ(sock.State(), SocketState::Error);

    // The next connection ends in an ordinary close, and the socket's own side is gone too.
    sock.Close();
    connectToServer();
    error.clear();
    peer->close();
    ASSERT_TRUE(closed.wait(3000));
    EXPECT_EQ(error.size(), 0);
    QSignalSpy peerGone(peer, &QTcpSocket::disconnected);
    EXPECT_TRUE(peer->state() == QAbstractSocket::UnconnectedState || peerGone.wait(3000));
}

TEST_F(TcpSocketTest, DataSentRightBeforeTheCloseStillReachesThePeer) {
    connectToServer();
    sock.SendData("e");
    sock.Close();
    EXPECT_EQ(sock.State(), SocketState::Closed);
    QByteArray got;
    for (int i = 0; i < 300 && got.isEmpty(); ++i) {
        peer->waitForReadyRead(10);
        got += peer->readAll();
    }
    EXPECT_EQ(got, QByteArray("e"));
}

TEST_F(TcpSocketTest, ARefusedConnectionIsError10061AndSendingUnconnectedRaises) {
    const quint16 port = server.serverPort();
    server.close();
    QSignalSpy error(&sock, &TcpSocket::Error);
    sock.Connect("127.0.0.1", port);
    ASSERT_TRUE(error.wait(3000));
    EXPECT_EQ(error.first().at(0).toInt(), SocketError::ConnectionRefused);
    EXPECT_EQ(error.first().at(1).toString(), "Die Verbindung wurde von der Gegenstelle abgelehnt");
    EXPECT_EQ(sock.State(), SocketState::Error);
    long number = 0;
    try {
        sock.SendData("x");
    } catch (const RuntimeError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, SocketError::WrongProtocolState);
    sock.Close();
    EXPECT_EQ(sock.State(), SocketState::Closed);
}

TEST_F(TcpSocketTest, ConnectingTwiceOrToABadPortRaises) {
    long number = 0;
    try {
        sock.Connect("127.0.0.1", 0);
    } catch (const RuntimeError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, SocketError::InvalidArgument);
    connectToServer();
    EXPECT_THROW(sock.Connect("127.0.0.1", server.serverPort()), RuntimeError);
}

// Each program this process starts, a bridge or the program itself started anew, keeps no
// connection and no port: a board or reader must see the link end when the program lets it go.
TEST_F(TcpSocketTest, NoProgramStartedFromHereInheritsAConnectionOrAPort) {
    connectToServer();
    PtyPair pty;
    QtSerialPort port([&](int) { return pty.deviceA(); });
    if (pty.ok()) {
        port.setCommPort(1);
        port.setPortOpen(true);
    }
    QTemporaryDir dir;
    // A shell that lists what it was given, beyond the standard three, into the file once whole.
    const auto listing = [&](const QString& name) {
        return QStringLiteral("cd /proc/$$/fd && for n in *; do if [ $n -gt 2 ]; then readlink $n; fi; done "
                              "> %1.part; mv %1.part %1")
            .arg(dir.filePath(name));
    };
    QtChildProcess child;
    ASSERT_EQ(child.Start(QStringLiteral("sh -c \"%1\"").arg(listing("child"))), 0);
    ASSERT_TRUE(StartDetachedProgram("sh", {"-c", listing("detached")}));
    for (const QString name : {"child", "detached"}) {
        QFile file(dir.filePath(name));
        for (int waited = 0; !file.exists() && waited < 5000; waited += 10)
            QTest::qWait(10);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString held = QString::fromLocal8Bit(file.readAll());
        EXPECT_FALSE(held.contains("socket:")) << name.toStdString() << ": " << held.toStdString();
        if (pty.ok())
            EXPECT_FALSE(held.contains(QFileInfo(pty.deviceA()).canonicalFilePath())) << held.toStdString();
    }
}

TEST_F(TcpSocketTest, EveryErrorIsDescribedInGermanUnderItsClassicNumber) {
    const auto raised = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const RuntimeError& e) {
            return std::pair{e.number(), e.description()};
        }
        return std::pair{0L, QString()};
    };
    EXPECT_EQ(raised([&] { sock.Connect("127.0.0.1", 70000); }),
              std::pair(long(SocketError::InvalidArgument), QString("Das Argument ist ungültig")));
    EXPECT_EQ(raised([&] { sock.SendData("x"); }),
              std::pair(long(SocketError::WrongProtocolState),
                        QString("Falsches Protokoll oder falscher Verbindungszustand für die angeforderte "
                                "Transaktion oder Anforderung")));
    connectToServer();
    EXPECT_EQ(raised([&] { sock.Connect("127.0.0.1", server.serverPort()); }),
              std::pair(40020L, QString("Ungültige Operation im aktuellen Zustand")));

}

} // namespace
