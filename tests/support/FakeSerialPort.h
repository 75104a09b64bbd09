#pragma once

#include "platform/SerialPort.h"

#include <QList>

// A port without hardware: the test sets the modem lines and feeds input, and reads what
// the program wrote. Line changes raise the same events as a real port.
class FakeSerialPort final : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;

    bool PortOpen() const override { return m_open; }
    QByteArray Input() override;
    int InBufferCount() const override { return static_cast<int>(m_input.size()); }
    void Output(const QByteArray& data) override;
    bool CDHolding() const override { return m_cd; }
    bool CTSHolding() const override { return m_cts; }
    bool DSRHolding() const override { return m_dsr; }

    // Test side.
    // Changes a modem line (CommEvent::CD, CTS or DSR) and raises its event when it changed.
    void setLine(int eventCode, bool high, const QDateTime& seenAt = QDateTime());
    void setCD(bool high) { setLine(CommEvent::CD, high); }
    void setCTS(bool high) { setLine(CommEvent::CTS, high); }
    void setDSR(bool high) { setLine(CommEvent::DSR, high); }
    // Sets the line without raising its event (a pulse that ended before the handler read it).
    void setLineQuietly(int eventCode, bool high);
    // Changes the line now and raises its event from the event loop later, as a real port's
    // line watch does while the window thread is busy.
    void setLineLater(int eventCode, bool high, const QDateTime& seenAt);
    void feed(const QByteArray& data);
    void raiseEvent(int code) { raise(code); }
    // The adapter is pulled out.
    void unplug() { deviceLost(); }
    QByteArray written;
    bool failOpen = false;
    // Port numbers that some other program holds: opening them fails.
    QList<int> heldPorts;
    int opens = 0;

protected:
    void openPort() override;
    void closePort() override { m_open = false; }

private:
    bool* line(int eventCode);

    bool m_open = false;
    bool m_cd = false;
    bool m_cts = false;
    bool m_dsr = false;
    QByteArray m_input;
};
