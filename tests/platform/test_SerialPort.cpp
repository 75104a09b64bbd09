#include "platform/RuntimeError.h"
#include "support/ErrorOf.h"
#include "platform/SerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/PtyPair.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#endif

namespace {

TEST(SerialPort, SettingsAndPortNumbersAreCheckedLikeTheClassicControl) {
    FakeSerialPort p;
    EXPECT_EQ(errorNumberOf([&] { p.setSettings("9600,N,8,1"); }), 0);
    EXPECT_EQ(errorNumberOf([&] { p.setSettings("19200,e,7,2"); }), 0);
    EXPECT_EQ(errorNumberOf([&] { p.setSettings("9600;N;8;1"); }), 380);
    EXPECT_EQ(errorNumberOf([&] { p.setSettings("schnell,N,8,1"); }), 380);
    EXPECT_EQ(errorNumberOf([&] { p.setSettings("9600,X,8,1"); }), 380);
    EXPECT_EQ(p.Settings(), "19200,e,7,2");
    EXPECT_EQ(errorNumberOf([&] { p.setCommPort(0); }), 8002);
    p.setCommPort(3);
    p.setPortOpen(true);
    EXPECT_EQ(errorNumberOf([&] { p.setPortOpen(true); }), 8005);
    EXPECT_EQ(errorNumberOf([&] { p.setCommPort(4); }), 8005);
    p.setPortOpen(false);
    p.setPortOpen(false); // closing a closed port is no error
    EXPECT_EQ(errorNumberOf([&] { p.Input(); }), 8012);
}

TEST(SerialPort, ComPortNumbersMapToDevices) {
#ifdef Q_OS_WIN
    EXPECT_EQ(SerialDeviceForPort(3), "COM3");
#else
    qunsetenv("CHRONIVO_COM3");
    EXPECT_EQ(SerialDeviceForPort(1), "/dev/ttyS0");
    EXPECT_EQ(SerialDeviceForPort(3), "/dev/ttyS2");
    qputenv("CHRONIVO_COM3", "/dev/ttyUSB0");
    EXPECT_EQ(SerialDeviceForPort(3), "/dev/ttyUSB0");
    qunsetenv("CHRONIVO_COM3");
#endif
}

TEST(SerialPort, AMissingDeviceIsAnOpenError) {
    QtSerialPort p([](int) { return QString("/nonexistent/tty-chronivo"); });
    EXPECT_NE(errorNumberOf([&] { p.setPortOpen(true); }), 0);
    EXPECT_FALSE(p.PortOpen());
}

TEST(SerialPort, AnOpenFailureNamesItsCause) {
#ifdef Q_OS_LINUX
    PtyPair pty;
    if (!pty.ok())
        GTEST_SKIP() << "socat not available";
    const auto openError = [](const QString& device) {
        try {
            QtSerialPort([&](int) { return device; }).setPortOpen(true);
        } catch (const RuntimeError& e) {
            return (QString::number(e.number()) + " - " + e.description()).toStdString();
        }
        return std::string();
    };
    EXPECT_EQ(openError("/nonexistent/tty-chronivo"), "8002 - Ungültige Anschlussnummer");
    QtSerialPort holder([&](int) { return pty.deviceA(); });
    holder.setPortOpen(true);
    EXPECT_EQ(openError(pty.deviceA()), "8005 - Anschluss bereits geöffnet");
    const QString device = QFileInfo(pty.deviceB()).canonicalFilePath();
    ASSERT_TRUE(QFile::setPermissions(device, {}));
    const int ownFsuid = setfsuid(65534); // root is refused only as another file-system user
    const bool refused = setfsuid(-1) != 0;
    const std::string denied = openError(device);
    setfsuid(ownFsuid);
    if (!refused)
        GTEST_SKIP() << "cannot open as another user here";
    EXPECT_EQ(denied, ("70 - Zugriff auf den Anschluss verweigert: " + device).toStdString());
#else
    GTEST_SKIP() << "needs pseudo-terminals";
#endif
}

TEST(SerialPort, DataTravelsBothWaysThroughAPseudoTerminal) {
    PtyPair pty;
    if (!pty.ok())
        GTEST_SKIP() << "socat not available";
    QtSerialPort p([&](int) { return pty.deviceA(); });
    p.setCommPort(5);
    p.setSettings("9600,N,8,1");
    p.setRThreshold(1);
    p.setPortOpen(true);
    ASSERT_TRUE(p.PortOpen());
    PtyEnd far(pty.deviceB());
    ASSERT_TRUE(far.isOpen());

    p.Output("00:00:00\r\n");
    EXPECT_EQ(far.readAtLeast(10, 3000), QByteArray("00:00:00\r\n"));

    QSignalSpy spy(&p, &SerialPort::OnComm);
    far.write("E2003412\r");
    QElapsedTimer t;
    t.start();
    QByteArray got;
    while (got.size() < 9 && t.elapsed() < 3000) {
        spy.wait(50);
        if (p.InBufferCount() > 0)
            got += p.Input();
    }
    EXPECT_EQ(got, QByteArray("E2003412\r"));
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(p.CommEvent(), CommEvent::Receive);

    // InputLen limits what one Input() takes.
    p.setInputLen(3);
    far.write("ABCDEF");
    t.restart();
    while (p.InBufferCount() < 6 && t.elapsed() < 3000)
        spy.wait(20);
    EXPECT_EQ(p.Input(), QByteArray("ABC"));
    EXPECT_EQ(p.Input(), QByteArray("DEF"));
}

TEST(SerialPort, ADeviceThatGoesAwayClosesThePortAndRaisesItsError) {
    auto pty = std::make_unique<PtyPair>();
    if (!pty->ok())
        GTEST_SKIP() << "socat not available";
    const QString device = pty->deviceA();
    QtSerialPort p([&](int) { return device; });
    p.setRThreshold(1);
    p.setPortOpen(true);
    ASSERT_TRUE(p.PortOpen());
    std::vector<int> events;
    QObject::connect(&p, &SerialPort::OnComm, [&] { events.push_back(p.CommEvent()); });
    pty.reset(); // the far side of the line disappears, as a pulled adapter does
    QElapsedTimer t;
    t.start();
    while (p.PortOpen() && t.elapsed() < 3000)
        QSignalSpy(&p, &SerialPort::OnComm).wait(50);
    EXPECT_FALSE(p.PortOpen());
    EXPECT_EQ(events, std::vector<int>{CommEvent::DCB});
}

TEST(SerialPort, FakeLinesRaiseOneEventPerChange) {
    FakeSerialPort p;
    p.setPortOpen(true);
    std::vector<int> events;
    QObject::connect(&p, &SerialPort::OnComm, [&] { events.push_back(p.CommEvent()); });
    p.setCD(true);
    p.setCD(true);
    p.setCTS(true);
    p.setCD(false);
    p.setDSR(true);
    EXPECT_EQ(events, (std::vector<int>{CommEvent::CD, CommEvent::CTS, CommEvent::CD, CommEvent::DSR}));
    EXPECT_TRUE(p.CTSHolding());
    EXPECT_FALSE(p.CDHolding());
}

} // namespace
