#include "platform/SerialPort.h"

#include "platform/RuntimeError.h"

#include <QSerialPort>
#include <QTimer>

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

void SerialPort::raise(int eventCode) {
    m_commEvent = eventCode;
    emit OnComm();
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

struct QtSerialPort::Impl {
    QSerialPort port;
    QTimer lineWatch;
    bool cd = false;
    bool cts = false;
    bool dsr = false;
};

QtSerialPort::QtSerialPort(std::function<QString(int)> deviceForPort, QObject* parent)
    : SerialPort(parent), d(std::make_unique<Impl>()), m_deviceForPort(std::move(deviceForPort)) {
    d->lineWatch.setInterval(1);
    d->lineWatch.setTimerType(Qt::PreciseTimer);
    connect(&d->lineWatch, &QTimer::timeout, this, &QtSerialPort::pollLines);
    connect(&d->port, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&d->port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // A device that disappears (USB adapter pulled) ends the link like a closed port.
        if (e == QSerialPort::ResourceError && d->port.isOpen())
            closePort();
    });
}

QtSerialPort::~QtSerialPort() {
    if (d->port.isOpen())
        d->port.close();
}

bool QtSerialPort::PortOpen() const {
    return d->port.isOpen();
}

void QtSerialPort::openPort() {
    const LineSettings s = parseSettings(Settings());
    d->port.setPortName(m_deviceForPort(CommPort()));
    if (!d->port.open(QIODevice::ReadWrite)) {
        const auto error = d->port.error();
        d->port.clearError();
        if (error == QSerialPort::DeviceNotFoundError)
            throw RuntimeError(8002, "Ungültige Anschlussnummer");
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
    const QSerialPort::PinoutSignals pins = d->port.pinoutSignals();
    d->cd = pins & QSerialPort::DataCarrierDetectSignal;
    d->cts = pins & QSerialPort::ClearToSendSignal;
    d->dsr = pins & QSerialPort::DataSetReadySignal;
    d->lineWatch.start();
}

void QtSerialPort::closePort() {
    d->lineWatch.stop();
    d->port.close();
}

void QtSerialPort::applyLines() {
    if (!d->port.isOpen())
        return;
    d->port.setDataTerminalReady(DTREnable());
    if (!(Handshaking() & 2))
        d->port.setRequestToSend(RTSEnable());
}

void QtSerialPort::pollLines() {
    if (!d->port.isOpen())
        return;
    const QSerialPort::PinoutSignals pins = d->port.pinoutSignals();
    if (d->port.error() == QSerialPort::UnsupportedOperationError) {
        // A device without modem lines (a pseudo-terminal): nothing to watch.
        d->port.clearError();
        d->lineWatch.stop();
        return;
    }
    const bool cd = pins & QSerialPort::DataCarrierDetectSignal;
    const bool cts = pins & QSerialPort::ClearToSendSignal;
    const bool dsr = pins & QSerialPort::DataSetReadySignal;
    // Each line is compared on its own, so simultaneous changes raise one event each.
    if (cd != d->cd) {
        d->cd = cd;
        raise(CommEvent::CD);
    }
    if (cts != d->cts) {
        d->cts = cts;
        raise(CommEvent::CTS);
    }
    if (dsr != d->dsr) {
        d->dsr = dsr;
        raise(CommEvent::DSR);
    }
}

void QtSerialPort::onReadyRead() {
    if (RThreshold() > 0 && d->port.bytesAvailable() >= RThreshold())
        raise(CommEvent::Receive);
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
