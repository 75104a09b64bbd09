#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Event codes of a comm port, as the handlers of OnComm read them from CommEvent().
namespace CommEvent {
constexpr int Send = 1;
constexpr int Receive = 2;
constexpr int CTS = 3;
constexpr int DSR = 4;
constexpr int CD = 5;
constexpr int Ring = 6;
constexpr int EOF_ = 7;
constexpr int Break = 1001;
constexpr int CTSTimeout = 1002;
constexpr int DSRTimeout = 1003;
constexpr int Frame = 1004;
constexpr int Overrun = 1006;
constexpr int CDTimeout = 1007;
constexpr int RxOver = 1008;
constexpr int RxParity = 1009;
constexpr int TxFull = 1010;
constexpr int DCB = 1011;
} // namespace CommEvent

// A serial port as the windows use it: a port number, a settings text such as "9600,N,8,1",
// open and closed, text in and out, the modem-status lines, and one OnComm signal whose
// cause is read from CommEvent(). Opening and setting raise RuntimeError like the classic
// control (8002 invalid port number, 8005 port already open, 8012 port not open, 380 bad
// settings text) and 70 for a device this user may not open. A device that goes away while
// the port is open (a USB adapter pulled) closes the port and raises CommEvent::DCB, the error
// of a port whose device can no longer be read, so that nobody keeps waiting on a dead line.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    int CommPort() const { return m_commPort; }
    void setCommPort(int port);
    QString Settings() const { return m_settings; }
    void setSettings(const QString& settings);
    // Characters Input() takes at most; 0 takes everything that is there.
    int InputLen() const { return m_inputLen; }
    void setInputLen(int n) { m_inputLen = n; }
    // A receive event is raised when at least this many characters wait; 0 raises none.
    int RThreshold() const { return m_rThreshold; }
    void setRThreshold(int n) { m_rThreshold = n; }
    int SThreshold() const { return m_sThreshold; }
    void setSThreshold(int n) { m_sThreshold = n; }
    // 0 none, 1 XON/XOFF, 2 RTS, 3 both.
    int Handshaking() const { return m_handshaking; }
    void setHandshaking(int h) { m_handshaking = h; }
    bool RTSEnable() const { return m_rtsEnable; }
    void setRTSEnable(bool on);
    bool DTREnable() const { return m_dtrEnable; }
    void setDTREnable(bool on);

    virtual bool PortOpen() const = 0;
    // Opens or closes the port; opening an open port raises 8005.
    void setPortOpen(bool open);

    // Takes waiting input (at most InputLen characters) as text of single bytes.
    virtual QByteArray Input() = 0;
    virtual int InBufferCount() const = 0;
    virtual void Output(const QByteArray& data) = 0;

    virtual bool CDHolding() const = 0;
    virtual bool CTSHolding() const = 0;
    virtual bool DSRHolding() const = 0;

    int CommEvent() const { return m_commEvent; }
    // When the event being delivered was seen on the line; invalid when the port does not
    // know (then the handler's own clock reading is the best there is).
    const QDateTime& EventTime() const { return m_eventTime; }
    // The level a modem line had when its change was seen; nothing when the port does not
    // know (then the line as it stands now is the best there is). A short pulse may be over
    // before its event is handled.
    std::optional<bool> EventLevel() const { return m_eventLevel; }

signals:
    // One signal per event; handlers read CommEvent() while it is delivered.
    void OnComm();

protected:
    virtual void openPort() = 0;
    virtual void closePort() = 0;
    virtual void applyLines() {}
    // Raises OnComm with the given event code.
    void raise(int eventCode, const QDateTime& seenAt = QDateTime(),
               std::optional<bool> level = std::nullopt);
    // The device went away: closes the port, then tells the handlers.
    void deviceLost();

    struct LineSettings {
        qint32 baud = 9600;
        char parity = 'N';
        int dataBits = 8;
        double stopBits = 1;
    };
    // Parses "9600,N,8,1"; raises 380 for anything else.
    static LineSettings parseSettings(const QString& settings);

private:
    int m_commPort = 1;
    QString m_settings = "9600,N,8,1";
    int m_inputLen = 0;
    int m_rThreshold = 0;
    int m_sThreshold = 0;
    int m_handshaking = 0;
    bool m_rtsEnable = false;
    bool m_dtrEnable = true;
    int m_commEvent = 0;
    QDateTime m_eventTime;
    std::optional<bool> m_eventLevel;
};

// The device of port number n: "COMn" on Windows. Elsewhere the environment variable
// CHRONIVO_COMn names it when set (e.g. CHRONIVO_COM3=/dev/ttyUSB0), else /dev/ttyS(n-1).
QString SerialDeviceForPort(int n);

// A real port on QSerialPort. The modem-status lines are watched on a thread of their own
// that reads them every millisecond while the port is open and stamps each change with
// `now` where it sees it: a contact closure carries its moment even when the window thread
// is busy when it happens. The receive event comes from the event loop, also from the loop
// of a message box that a handler of an earlier one shows, so input is heard of as it
// arrives. At most ReadBufferBytes of input wait untaken; beyond that the port stops reading
// and the line's handshake holds the sender back.
class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    static constexpr qint64 ReadBufferBytes = 64 * 1024;

    explicit QtSerialPort(std::function<QString(int)> deviceForPort = SerialDeviceForPort,
                          std::function<QDateTime()> now = &QDateTime::currentDateTime,
                          QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool PortOpen() const override;
    QByteArray Input() override;
    int InBufferCount() const override;
    void Output(const QByteArray& data) override;
    bool CDHolding() const override;
    bool CTSHolding() const override;
    bool DSRHolding() const override;

protected:
    void openPort() override;
    void closePort() override;
    void applyLines() override;

private:
    void startLineWatch();
    void stopLineWatch();
    void onLineChanged(int eventCode, const QDateTime& seenAt, bool high);
    void onReadyRead();

    struct Impl;
    std::unique_ptr<Impl> d;
    std::function<QString(int)> m_deviceForPort;
    std::function<QDateTime()> m_now;
};

using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;
