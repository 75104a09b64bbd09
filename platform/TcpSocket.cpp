#include "platform/TcpSocket.h"

#include "platform/PostedAnnouncement.h"
#include "platform/RuntimeError.h"

#include <QTcpSocket>

#include <optional>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <unistd.h>
#endif

struct QtTcpSocket::Impl {
    QTcpSocket socket;
    // A second descriptor of the connection, kept while it is up. Qt reports a reset by the
    // peer as an ordinary close and drops its descriptor before it says so; this one still
    // shows whether the peer closed (a FIN) or reset the connection.
    int watch = -1;
    bool errorState = false;
    std::optional<PostedAnnouncement> announcement;
    bool noDelay = false;
    bool lingerOn = false;
    int lingerSeconds = 0;
    QString host;
    int port = 0;
};

namespace {

void closeWatch(int& watch) {
#ifdef Q_OS_LINUX
    if (watch >= 0)
        ::close(watch);
#endif
    watch = -1;
}

// After Qt saw the connection end: true when the peer reset it rather than closing it.
bool wasReset(int watch) {
#ifdef Q_OS_LINUX
    if (watch < 0)
        return false;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(watch, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return false;
    // A FIN leaves the connection half open until we close it; a reset ends it at once.
    return info.tcpi_state == TCP_CLOSE;
#else
    Q_UNUSED(watch);
    return false;
#endif
}

QString resetText() {
    return QStringLiteral("Die Verbindung wurde von der Gegenstelle zurückgesetzt");
}

std::pair<int, QString> classicError(QAbstractSocket::SocketError e) {
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError:
        return {SocketError::ConnectionRefused,
                QStringLiteral("Die Verbindung wurde von der Gegenstelle abgelehnt")};
    case QAbstractSocket::HostNotFoundError:
        return {SocketError::HostNotFound, QStringLiteral("Der Host wurde nicht gefunden")};
    case QAbstractSocket::SocketTimeoutError:
        return {SocketError::TimedOut, QStringLiteral("Zeitüberschreitung beim Verbindungsaufbau")};
    case QAbstractSocket::NetworkError:
        return {SocketError::ConnectionAborted,
                QStringLiteral("Die Verbindung wurde wegen Zeitüberschreitung oder eines anderen Fehlers "
                               "abgebrochen")};
    default:
        return {SocketError::ConnectionReset, resetText()};
    }
}

} // namespace

QtTcpSocket::QtTcpSocket(QObject* parent) : TcpSocket(parent), d(std::make_unique<Impl>()) {
    d->socket.setReadBufferSize(ReadBufferBytes);
    connect(&d->socket, &QTcpSocket::connected, this, [this] {
#ifdef Q_OS_LINUX
        closeWatch(d->watch);
        // Close-on-exec like Qt's own descriptor: a started program must not keep the link.
        d->watch = ::fcntl(static_cast<int>(d->socket.socketDescriptor()), F_DUPFD_CLOEXEC, 0);
#endif
        applyOptions();
        emit Connected();
    });
    connect(&d->socket, &QTcpSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        // The watch must not keep a connection open that Qt has closed.
        if (state == QAbstractSocket::UnconnectedState)
            closeWatch(d->watch);
    });
    d->announcement.emplace(this, [this] {
        if (d->socket.bytesAvailable() > 0)
            emit DataArrival(static_cast<int>(d->socket.bytesAvailable()));
    });
    connect(&d->socket, &QTcpSocket::readyRead, this, &QtTcpSocket::announceData);
    connect(&d->socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // The peer closing the link is a close, not an error; a reset by the peer is one.
        const bool reset = e == QAbstractSocket::RemoteHostClosedError && wasReset(d->watch);
        closeWatch(d->watch);
        // What came before the end is announced first.
        if (d->socket.bytesAvailable() > 0)
            emit DataArrival(static_cast<int>(d->socket.bytesAvailable()));
        if (e == QAbstractSocket::RemoteHostClosedError) {
            if (!reset) {
                emit Closed();
                return;
            }
            d->errorState = true;
            emit Error(SocketError::ConnectionReset, resetText());
            return;
        }
        d->errorState = true;
        const auto [number, text] = classicError(e);
        emit Error(number, text);
    });
}

QtTcpSocket::~QtTcpSocket() {
    closeWatch(d->watch);
    d->socket.blockSignals(true);
    d->socket.abort();
}

void QtTcpSocket::announceData() {
    d->announcement->post();
}

void QtTcpSocket::Connect(const QString& host, int port) {
    if (d->socket.state() != QAbstractSocket::UnconnectedState)
        throw RuntimeError(40020, "Ungültige Operation im aktuellen Zustand");
    if (port <= 0 || port > 65535)
        throw RuntimeError(SocketError::InvalidArgument, "Das Argument ist ungültig");
    d->errorState = false;
    d->host = host;
    d->port = port;
    if (LocalPort() > 0)
        d->socket.bind(QHostAddress::AnyIPv4, static_cast<quint16>(LocalPort()));
    d->socket.connectToHost(host, static_cast<quint16>(port));
}

void QtTcpSocket::SendData(const QByteArray& data) {
    if (d->socket.state() != QAbstractSocket::ConnectedState)
        throw RuntimeError(SocketError::WrongProtocolState,
                           "Falsches Protokoll oder falscher Verbindungszustand für die angeforderte "
                           "Transaktion oder Anforderung");
    d->socket.write(data);
}

QByteArray QtTcpSocket::GetData() {
    return d->socket.readAll();
}

int QtTcpSocket::BytesReceived() const {
    return static_cast<int>(d->socket.bytesAvailable());
}

void QtTcpSocket::Close() {
    d->errorState = false;
    // Data sent just before the close (a bridge's stop letter) is handed to the system
    // first; the close itself still never waits for the peer.
    if (d->socket.state() == QAbstractSocket::ConnectedState)
        d->socket.flush();
    closeWatch(d->watch);
    // Closing is immediate: a board or reader that is gone must not hold the window.
    d->socket.abort();
}

int QtTcpSocket::State() const {
    if (d->errorState)
        return SocketState::Error;
    switch (d->socket.state()) {
    case QAbstractSocket::UnconnectedState:
        return SocketState::Closed;
    case QAbstractSocket::HostLookupState:
        return SocketState::ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return SocketState::Connecting;
    case QAbstractSocket::ConnectedState:
        return SocketState::Connected;
    case QAbstractSocket::BoundState:
        return SocketState::Open;
    case QAbstractSocket::ListeningState:
        return SocketState::Listening;
    case QAbstractSocket::ClosingState:
        return SocketState::Closing;
    }
    return SocketState::Closed;
}

QString QtTcpSocket::RemoteHost() const {
    return d->host;
}

int QtTcpSocket::RemotePort() const {
    return d->port;
}

void QtTcpSocket::setNoDelay(bool on) {
    d->noDelay = on;
    applyOptions();
}

void QtTcpSocket::setLinger(bool on, int seconds) {
    d->lingerOn = on;
    d->lingerSeconds = seconds;
    applyOptions();
}

void QtTcpSocket::applyOptions() {
    if (d->socket.state() != QAbstractSocket::ConnectedState)
        return;
    d->socket.setSocketOption(QAbstractSocket::LowDelayOption, d->noDelay ? 1 : 0);
    const qintptr fd = d->socket.socketDescriptor();
    if (fd < 0)
        return;
    linger l{};
    l.l_onoff = d->lingerOn ? 1 : 0;
    l.l_linger = static_cast<decltype(l.l_linger)>(d->lingerSeconds);
    ::setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof(l));
}
