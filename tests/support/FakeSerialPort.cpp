#include "support/FakeSerialPort.h"

#include "platform/RuntimeError.h"

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
    m_open = true;
    ++opens;
}

void FakeSerialPort::setCD(bool high) {
    if (high == m_cd)
        return;
    m_cd = high;
    if (m_open)
        raise(CommEvent::CD);
}

void FakeSerialPort::setCTS(bool high) {
    if (high == m_cts)
        return;
    m_cts = high;
    if (m_open)
        raise(CommEvent::CTS);
}

void FakeSerialPort::setDSR(bool high) {
    if (high == m_dsr)
        return;
    m_dsr = high;
    if (m_open)
        raise(CommEvent::DSR);
}

void FakeSerialPort::setLineQuietly(int eventCode, bool high) {
    if (eventCode == CommEvent::CD)
        m_cd = high;
    else if (eventCode == CommEvent::CTS)
        m_cts = high;
    else if (eventCode == CommEvent::DSR)
        m_dsr = high;
}

void FakeSerialPort::feed(const QByteArray& data) {
    m_input += data;
    if (m_open && RThreshold() > 0 && m_input.size() >= RThreshold())
        raise(CommEvent::Receive);
}
