#include "support/FakeSerialPort.h"

#include "platform/RuntimeError.h"

#include <QTimer>

QByteArray FakeSerialPort::Input() {
    if (!m_open)
        throw RuntimeError(8012, "Das Gerät ist nicht geöffnet");
    const int n = InputLen() > 0 ? std::min<int>(InputLen(), static_cast<int>(m_input.size()))
                                 : static_cast<int>(m_input.size());
    const QByteArray out = m_input.left(n);
    m_input.remove(0, n);
    return out;
}

void FakeSerialPort::Output(const QByteArray& data) {
    if (!m_open)
        throw RuntimeError(8012, "Das Gerät ist nicht geöffnet");
    written += data;
}

void FakeSerialPort::openPort() {
    parseSettings(Settings());
    if (failOpen)
        throw RuntimeError(8002, "Ungültige Anschlussnummer");
    if (heldPorts.contains(CommPort()))
        throw RuntimeError(8005, "Anschluss bereits geöffnet");
    m_open = true;
    ++opens;
}

bool* FakeSerialPort::line(int eventCode) {
    switch (eventCode) {
    case CommEvent::CD:
        return &m_cd;
    case CommEvent::CTS:
        return &m_cts;
    case CommEvent::DSR:
        return &m_dsr;
    default:
        return nullptr;
    }
}

void FakeSerialPort::setLine(int eventCode, bool high, const QDateTime& seenAt) {
    bool* l = line(eventCode);
    if (!l || *l == high)
        return;
    *l = high;
    if (m_open)
        raise(eventCode, seenAt, high);
}

void FakeSerialPort::setLineQuietly(int eventCode, bool high) {
    if (bool* l = line(eventCode))
        *l = high;
}

void FakeSerialPort::setLineLater(int eventCode, bool high, const QDateTime& seenAt) {
    bool* l = line(eventCode);
    if (!l || *l == high)
        return;
    *l = high;
    QTimer::singleShot(0, this, [this, eventCode, high, seenAt] {
        if (m_open)
            raise(eventCode, seenAt, high);
    });
}

void FakeSerialPort::feed(const QByteArray& data) {
    m_input += data;
    if (m_open && RThreshold() > 0 && m_input.size() >= RThreshold())
        raise(CommEvent::Receive);
}
