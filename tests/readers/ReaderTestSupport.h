#pragma once

#include "platform/RuntimeError.h"
#include "readers/MainWindowLink.h"
#include "readers/ReaderConsole.h"
#include "readers/ReaderConsoles.h"
#include "readers/TagReadTelegram.h"
#include "support/TestServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QDateTime& time, std::ostream* os) {
    *os << time.toString(Qt::ISODateWithMs).toStdString();
}

// The main window as a console sees it: whether a run is going, and every start number
// handed over.
struct FakeMainWindow final : MainWindowLink {
    bool running = true;
    bool ending = false;
    QStringList handedOver;
    // When each handed-over read arrived at the console.
    QList<QDateTime> arrivals;
    // Runs at every hand-over, before it is recorded (e.g. to let the clock move on).
    std::function<void()> onHandOver;
    // Set to make the next hand-overs fail as a refused result would.
    bool failHandOver = false;
    // Set to make the main window report that it could not store the result.
    bool refuseHandOver = false;

    bool isResultButtonEnabled() const override { return running; }
    bool handOverStartnummer(const QString& startnummer, const QDateTime& arrivedAt) override {
        if (onHandOver)
            onHandOver();
        if (failHandOver)
            throw RuntimeError(RuntimeError::EngineError, "Datenbank gesperrt");
        if (refuseHandOver)
            return false;
        handedOver << startnummer;
        arrivals << arrivedAt;
        return true;
    }
    bool isEndingProgram() const override { return ending; }
};

// Lets events run until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// A native reader telegram for the tag number, read at antenna `antenna` at `time`, ended by CR.
inline QByteArray nativeTelegram(int tag, int antenna = 1,
                                 const QDateTime& time = QDateTime(QDate(2026, 5, 17), QTime(10, 0, 0))) {
    const QString body = QStringLiteral("uam0FF050%1").arg(antenna) +
                         TagReadTelegram::ReadTimeHex(TagReadTelegram::VbTimeToNetTime(time)) +
                         QStringLiteral("%1").arg(tag, 26, 10, QLatin1Char('0'));
    return (QStringLiteral("S%1").arg(body.size(), 2, 16, QLatin1Char('0')).toUpper() + body + "\r")
        .toLatin1();
}

// The ID the consoles cut from a telegram of that tag number with the default header of 22.
inline QString idOf(int tag) {
    return QStringLiteral("%1").arg(tag, 25, 10, QLatin1Char('0'));
}

// Where the fake reader listens: a loopback address given as an address, so that no host
// name has to be looked up (a bare machine may lack a hosts file), and other than 127.0.0.1,
// which the native console takes for a reader simulated on this PC.
inline const QString ReaderHost = QStringLiteral("127.0.0.2");

// A reader, or a bridge program, on a loopback port, as the consoles' TCP link reaches it.
class FakeReaderServer final {
public:
    FakeReaderServer() { EXPECT_TRUE(m_server.listen(QHostAddress(ReaderHost), 0)); }
    quint16 port() const { return m_server.serverPort(); }
    bool waitForPeer() {
        if (!waitUntil([this] { return m_server.hasPendingConnections(); }))
            return false;
        m_peer = m_server.nextPendingConnection();
        return m_peer != nullptr;
    }
    QTcpSocket* peer() { return m_peer; }
    void send(const QByteArray& data) {
        m_peer->write(data);
        m_peer->flush();
    }
    QByteArray received() {
        QCoreApplication::processEvents();
        if (m_peer)
            m_got += m_peer->readAll();
        return m_got;
    }
    void close() { m_server.close(); }

private:
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    QByteArray m_got;
};

// One console on its own temp folder, settings, database and clock. Reader.txt goes into the
// test's folder.
struct ConsoleTest : ::testing::Test {
    TestServices t;
    FakeMainWindow main;
    std::unique_ptr<ReaderConsole> console;

    ConsoleTest() {
        qputenv("TMPDIR", QFile::encodeName(t.folder()));
        t.openLocal();
    }
    ~ConsoleTest() override {
        console.reset();
        qunsetenv("TMPDIR");
    }

    template <class Console = ReaderConsole> Console& open(ReaderKind kind) {
        console = CreateReaderConsole(kind, t.services(), main);
        console->Form_Load();
        return static_cast<Console&>(*console);
    }

    // The reader log without the time stamps.
    QStringList logLines() const {
        QFile f(t.path("Reader.txt"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLatin1(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
        for (QString& l : lines)
            l = l.mid(17);
        return lines;
    }

    // Connects the console's socket to the fake reader and waits until the link is up.
    void connectTo(ReaderConsole& c, FakeReaderServer& reader, const QString& host = ReaderHost) {
        c.edtRFIDIpAddr->setText(host);
        c.edtRFIDIpPort->setText(QString::number(reader.port()));
        c.cmdConnect_Click();
        ASSERT_TRUE(reader.waitForPeer());
        ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Green; }));
    }

    void assign(const QString& id, int startnummer) {
        QueryDef q = t.services().local.gdbLocal->QueryDefs("pI_Transponder");
        q.setParameter("iTransponderID", id);
        q.setParameter("iStartnummer", startnummer);
        q.Execute();
    }
};
