#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Socket states as the windows test them.
namespace SocketState {
constexpr int Closed = 0;
constexpr int Open = 1;
constexpr int Listening = 2;
constexpr int ConnectionPending = 3;
constexpr int ResolvingHost = 4;
constexpr int HostResolved = 5;
constexpr int Connecting = 6;
constexpr int Connected = 7;
constexpr int Closing = 8;
constexpr int Error = 9;
} // namespace SocketState

// Classic socket error numbers reported by the Error signal, each with a German description.
namespace SocketError {
constexpr int ConnectionAborted = 10053; // aborted due to timeout or other failure
constexpr int ConnectionReset = 10054;
constexpr int TimedOut = 10060;
constexpr int ConnectionRefused = 10061;
constexpr int HostNotFound = 11001;
constexpr int InvalidArgument = 10014;
constexpr int WrongProtocolState = 40006; // send on a socket that is not connected
} // namespace SocketError

// A TCP client socket as the windows use it: Connect returns at once and the outcome
// arrives as a Connect, Close or Error signal; data arrives with DataArrival and is taken
// with GetData. DataArrival comes from the event loop, also from the loop of a message box
// that a handler of an earlier DataArrival shows, so data is heard of as it arrives; data
// received before the peer closed is announced before the close. Data left untaken stays
// with the socket until GetData or Close. Everything runs on the thread that owns the socket.
class TcpSocket : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TcpSocket() override = default;

    // Raises RuntimeError(40020) when the socket is not closed, 10014 for a bad port.
    virtual void Connect(const QString& host, int port) = 0;
    // Raises RuntimeError(40006) when not connected. Queued; never waits for the peer.
    virtual void SendData(const QByteArray& data) = 0;
    // Everything received and not yet taken.
    virtual QByteArray GetData() = 0;
    virtual int BytesReceived() const = 0;
    virtual void Close() = 0;
    virtual int State() const = 0;
    virtual QString RemoteHost() const = 0;
    virtual int RemotePort() const = 0;
    void setLocalPort(int port) { m_localPort = port; }
    int LocalPort() const { return m_localPort; }

    // Socket options, applied as soon as the connection exists.
    virtual void setNoDelay(bool on) = 0;
    virtual void setLinger(bool on, int seconds) = 0;

signals:
    void Connected();
    void DataArrival(int bytesTotal);
    void Closed();
    void Error(int number, const QString& description);

private:
    int m_localPort = 0;
};

// A socket on QTcpSocket. It holds at most ReadBufferBytes untaken; while that much waits it
// stops reading, and the connection's own flow control slows the peer down.
class QtTcpSocket final : public TcpSocket {
    Q_OBJECT
public:
    static constexpr qint64 ReadBufferBytes = 64 * 1024;

    explicit QtTcpSocket(QObject* parent = nullptr);
    ~QtTcpSocket() override;

    void Connect(const QString& host, int port) override;
    void SendData(const QByteArray& data) override;
    QByteArray GetData() override;
    int BytesReceived() const override;
    void Close() override;
    int State() const override;
    QString RemoteHost() const override;
    int RemotePort() const override;
    void setNoDelay(bool on) override;
    void setLinger(bool on, int seconds) override;

private:
    void applyOptions();
    void announceData();

    struct Impl;
    std::unique_ptr<Impl> d;
};

using TcpSocketFactory = std::function<std::unique_ptr<TcpSocket>()>;
