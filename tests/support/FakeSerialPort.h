#pragma once

#include "platform/SerialPort.h"

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
    void setCD(bool high);
    void setCTS(bool high);
    void setDSR(bool high);
    // Sets the line without raising its event (a pulse that ended before the handler read it).
    void setLineQuietly(int eventCode, bool high);
    void feed(const QByteArray& data);
    void raiseEvent(int code) { raise(code); }
    QByteArray written;
    bool failOpen = false;
    int opens = 0;

protected:
    void openPort() override;
    void closePort() override { m_open = false; }

private:
    bool m_open = false;
    bool m_cd = false;
    bool m_cts = false;
    bool m_dsr = false;
    QByteArray m_input;
};
