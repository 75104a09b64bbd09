#include "platform/SerialPort.h"

#include "platform/PostedAnnouncement.h"
#include "platform/RuntimeError.h"

#include <QPointer>
#include <QSerialPort>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

// ----- SerialPort ---------------------------------------------------------------------------

void SerialPort::setCommPort(int port) {
    if (PortOpen())
        throw RuntimeError(8005, "Anschluss bereits geöffnet");
    if (port < 1 || port > 255)
        throw RuntimeError(8002, "Ungültige Anschlussnummer");
    m_commPort = port;
}

void SerialPort::setSettings(const QString& settings) {
    parseSettings(settings);
    m_settings = settings;
}

void SerialPort::setRTSEnable(bool on) {
    m_rtsEnable = on;
    if (PortOpen())
        applyLines();
}

void SerialPort::setDTREnable(bool on) {
    m_dtrEnable = on;
    if (PortOpen())
        applyLines();
}

void SerialPort::setPortOpen(bool open) {
    if (open == PortOpen()) {
        if (open)
            throw RuntimeError(8005, "Anschluss bereits geöffnet");
        return;
    }
    if (open)
        openPort();
    else
        closePort();
}

void SerialPort::raise(int eventCode, const QDateTime& seenAt, std::optional<bool> level) {
    m_commEvent = eventCode;
    m_eventTime = seenAt;
    m_eventLevel = level;
    emit OnComm();
    m_eventTime = QDateTime();
    m_eventLevel.reset();
}

void SerialPort::deviceLost() {
    if (!PortOpen())
        return;
    closePort();
    raise(CommEvent::DCB);
}

SerialPort::LineSettings SerialPort::parseSettings(const QString& settings) {
    const QStringList f = settings.split(',');
    LineSettings s;
    bool ok = f.size() == 4;
    if (ok)
        s.baud = f[0].trimmed().toInt(&ok);
    if (ok) {
        const QString p = f[1].trimmed().toUpper();
        ok = p.size() == 1 && QString("NEOMS").contains(p);
        if (ok)
            s.parity = p[0].toLatin1();
    }
    if (ok)
        s.dataBits = f[2].trimmed().toInt(&ok);
    if (ok)
        s.stopBits = f[3].trimmed().toDouble(&ok);
    ok = ok && s.baud > 0 && s.dataBits >= 4 && s.dataBits <= 8 &&
         (s.stopBits == 1 || s.stopBits == 1.5 || s.stopBits == 2);
    if (!ok)
        throw RuntimeError(380, "Ungültiger Eigenschaftswert");
    return s;
}

QString SerialDeviceForPort(int n) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    const QByteArray mapped = qgetenv(QStringLiteral("CHRONIVO_COM%1").arg(n).toLatin1().constData());
    if (!mapped.isEmpty())
        return QString::fromLocal8Bit(mapped);
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

// ----- QtSerialPort -------------------------------------------------------------------------

namespace {

// QSerialPort names a port that another program holds (its lock file, an exclusive open) and
// a device this user may not open with the same error; only the system's answer to an open
// tells them apart. On Windows that error is a port in use.
bool mayNotOpen(const QString& device) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EACCES || errno == EPERM;
#else
    Q_UNUSED(device);
    return false;
#endif
}

} // namespace

struct QtSerialPort::Impl {
    QSerialPort port;
    std::thread lineWatch;
    std::atomic<bool> stopWatch{false};
    std::optional<PostedAnnouncement> announcement;
};

QtSerialPort::QtSerialPort(std::function<QString(int)> deviceForPort, std::function<QDateTime()> now,
                           QObject* parent)
    : SerialPort(parent), d(std::make_unique<Impl>()), m_deviceForPort(std::move(deviceForPort)),
      m_now(std::move(now)) {
    d->announcement.emplace(this, [this] {
        if (d->port.isOpen() && RThreshold() > 0 && d->port.bytesAvailable() >= RThreshold())
            raise(CommEvent::Receive);
    });
    connect(&d->port, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&d->port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // A pulled adapter shows as a resource error, a line whose far end vanished as read
        // errors that repeat for ever; neither port delivers anything again.
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError) {
            // What came before is still handed over.
            if (d->port.isOpen() && d->port.bytesAvailable() > 0 && RThreshold() > 0)
                raise(CommEvent::Receive);
            deviceLost();
        }
    });
}

QtSerialPort::~QtSerialPort() {
    stopLineWatch();
    if (d->port.isOpen())
        d->port.close();
}

bool QtSerialPort::PortOpen() const {
    return d->port.isOpen();
}

void QtSerialPort::openPort() {
    const LineSettings s = parseSettings(Settings());
    const QString device = m_deviceForPort(CommPort());
    d->port.setPortName(device);
    d->port.setReadBufferSize(ReadBufferBytes);
    if (!d->port.open(QIODevice::ReadWrite)) {
        const auto error = d->port.error();
        d->port.clearError();
        if (error == QSerialPort::DeviceNotFoundError)
            throw RuntimeError(8002, "Ungültige Anschlussnummer");
        if (error == QSerialPort::PermissionError && mayNotOpen(device))
            throw RuntimeError(RuntimeError::PermissionDenied,
                               "Zugriff auf den Anschluss verweigert: " + device);
        if (error == QSerialPort::PermissionError)
            throw RuntimeError(8005, "Anschluss bereits geöffnet");
        throw RuntimeError(8010, "Die Hardware ist nicht verfügbar (wird von einem anderen Gerät gesperrt)");
    }
    d->port.setBaudRate(s.baud);
    d->port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
    d->port.setParity(s.parity == 'E'   ? QSerialPort::EvenParity
                      : s.parity == 'O' ? QSerialPort::OddParity
                      : s.parity == 'M' ? QSerialPort::MarkParity
                      : s.parity == 'S' ? QSerialPort::SpaceParity
                                        : QSerialPort::NoParity);
    d->port.setStopBits(s.stopBits == 2     ? QSerialPort::TwoStop
                        : s.stopBits == 1.5 ? QSerialPort::OneAndHalfStop
                                            : QSerialPort::OneStop);
    d->port.setFlowControl(Handshaking() & 2   ? QSerialPort::HardwareControl
                           : Handshaking() & 1 ? QSerialPort::SoftwareControl
                                               : QSerialPort::NoFlowControl);
    applyLines();
    startLineWatch();
}

void QtSerialPort::closePort() {
    stopLineWatch();
    d->port.close();
}

void QtSerialPort::applyLines() {
    if (!d->port.isOpen())
        return;
    d->port.setDataTerminalReady(DTREnable());
    if (!(Handshaking() & 2))
        d->port.setRequestToSend(RTSEnable());
}

void QtSerialPort::startLineWatch() {
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(d->port.handle());
    int initial = 0;
    if (fd < 0 || ::ioctl(fd, TIOCMGET, &initial) != 0)
        return; // a device without modem lines (a pseudo-terminal): nothing to watch
    d->stopWatch = false;
    auto now = m_now;
    QPointer<QtSerialPort> self(this);
    d->lineWatch = std::thread([this, fd, initial, now, self] {
        static constexpr std::pair<int, int> lines[] = {
            {TIOCM_CD, CommEvent::CD}, {TIOCM_CTS, CommEvent::CTS}, {TIOCM_DSR, CommEvent::DSR}};
        int previous = initial;
        while (!d->stopWatch.load()) {
            int state = 0;
            if (::ioctl(fd, TIOCMGET, &state) != 0)
                return;
            if (state != previous) {
                const QDateTime seenAt = now();
                // Each line is compared on its own, so simultaneous changes raise one event each.
                for (const auto& [bit, code] : lines) {
                    if ((state & bit) != (previous & bit)) {
                        const bool high = (state & bit) != 0;
                        QMetaObject::invokeMethod(
                            self.data(),
                            [self, code = code, seenAt, high] {
                                if (self)
                                    self->onLineChanged(code, seenAt, high);
                            },
                            Qt::QueuedConnection);
                    }
                }
                previous = state;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
#endif
}

void QtSerialPort::stopLineWatch() {
    d->stopWatch = true;
    if (d->lineWatch.joinable())
        d->lineWatch.join();
}

void QtSerialPort::onLineChanged(int eventCode, const QDateTime& seenAt, bool high) {
    if (d->port.isOpen())
        raise(eventCode, seenAt, high);
}

void QtSerialPort::onReadyRead() {
    d->announcement->post();
}

QByteArray QtSerialPort::Input() {
    if (!d->port.isOpen())
        throw RuntimeError(8012, "Das Gerät ist nicht geöffnet");
    return InputLen() > 0 ? d->port.read(InputLen()) : d->port.readAll();
}

int QtSerialPort::InBufferCount() const {
    return d->port.isOpen() ? static_cast<int>(d->port.bytesAvailable()) : 0;
}

void QtSerialPort::Output(const QByteArray& data) {
    if (!d->port.isOpen())
        throw RuntimeError(8012, "Das Gerät ist nicht geöffnet");
    // Queued for writing by the event loop; nothing here waits for the line.
    if (d->port.write(data) != data.size())
        throw RuntimeError(8010, "Die Hardware ist nicht verfügbar (wird von einem anderen Gerät gesperrt)");
}

bool QtSerialPort::CDHolding() const {
    return d->port.isOpen() && (d->port.pinoutSignals() & QSerialPort::DataCarrierDetectSignal);
}

bool QtSerialPort::CTSHolding() const {
    return d->port.isOpen() && (d->port.pinoutSignals() & QSerialPort::ClearToSendSignal);
}

bool QtSerialPort::DSRHolding() const {
    return d->port.isOpen() && (d->port.pinoutSignals() & QSerialPort::DataSetReadySignal);
}
