// A mass finish at a native reader: a loopback reader sends tag reads, mostly repeats of a few
// hundred tags, for a while, either as fast as the link takes them or at a fixed rate. The
// program reports how many telegrams the console handled per second and whether any was lost,
// how long each new start number took from the reader's send (and from its telegram's
// arrival) to its row stored by the main window, and how late a 5 ms timer of the
// user-interface thread ran meanwhile. The run already holds --preload results.
//
//   bench_reader_console [--seconds 10] [--tags 300] [--rate 0] [--main 1] [--preload 10000]
//   bench_reader_console --burst 5000 [--preload 10000]
// rate 0 sends as fast as the link takes; main 0 leaves the main window out and times the
// console alone up to its hand-over. burst N sends N reads of distinct assigned tags in one
// packet and reports the start numbers booked per second. The database lies in a folder
// beside the program (its file system is printed).
#include "BenchSupport.h"
#include "platform/DbEngine.h"
#include "platform/Recordset.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "readers/MainWindowLink.h"
#include "readers/ReaderConsole.h"
#include "readers/ReaderConsoles.h"
#include "readers/TagReadTelegram.h"
#include "results/ResultEntry.h"
#include "support/FakeClock.h"
#include "support/FakeDialogs.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

double ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Options {
    int seconds = 10;
    int tags = 300;
    int rate = 0;
    int main = 1;
    int preload = 10000;
    int burst = 0;
};

// Burst tags are assigned to start numbers 1, 2, ...: tag BurstTagBase + n books n.
constexpr int BurstTagBase = 100000;

// The rows the main window stored after row `afterId`, in the order stored: their start numbers.
std::vector<int> storedStartnummern(Database& db, qint64 afterId) {
    std::vector<int> result;
    for (Recordset rows = db.OpenRecordset("SELECT Startnummer FROM Chronvo WHERE ID > :id ORDER BY ID",
                                           {{"id", afterId}});
         !rows.isEOF(); rows.MoveNext())
        result.push_back(rows.Fields(0).toInt());
    return result;
}

// Without the main window: a run is going, and a hand-over is the booking.
struct ConsoleOnly final : MainWindowLink {
    std::map<int, SteadyClock::time_point>& booked;
    explicit ConsoleOnly(std::map<int, SteadyClock::time_point>& b) : booked(b) {}
    bool isResultButtonEnabled() const override { return true; }
    bool handOverStartnummer(const QString& n, const QDateTime& /*arrivedAt*/) override {
        booked.emplace(n.toInt(), SteadyClock::now());
        return true;
    }
    bool isEndingProgram() const override { return false; }
};

// ----- the loopback reader -----------------------------------------------------------------

class FakeReader {
public:
    static constexpr long ReadsPerTag = 40;

    explicit FakeReader(const Options& o) : m_options(o) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_listen, 1);
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~FakeReader() {
        m_thread.join();
        ::close(m_listen);
    }
    int port() const { return m_port; }
    bool done() const { return m_done; }
    long sent() const { return m_sent; }
    double sendingSeconds() const { return m_sendingSeconds; }
    size_t tagsSent() {
        std::lock_guard lock(m_mutex);
        return m_firstSent.size();
    }
    bool wasSent(int tag) {
        std::lock_guard lock(m_mutex);
        return m_firstSent.count(tag) > 0;
    }
    SteadyClock::time_point firstSent(int tag) {
        std::lock_guard lock(m_mutex);
        return m_firstSent.at(tag);
    }

private:
    void run() {
        const int peer = ::accept(m_listen, nullptr, nullptr);
        std::mt19937 random(17);
        const auto start = SteadyClock::now();
        const auto end = start + std::chrono::seconds(m_options.seconds);
        int last = 1;
        QByteArray batch;
        if (m_options.burst > 0) {
            for (int n = 1; n <= m_options.burst; ++n)
                batch += telegram(BurstTagBase + n, 1);
            const auto now = SteadyClock::now();
            {
                std::lock_guard lock(m_mutex);
                for (int n = 1; n <= m_options.burst; ++n)
                    m_firstSent.emplace(BurstTagBase + n, now);
            }
            sendAll(peer, batch);
            m_sent = m_options.burst;
        }
        while (m_options.burst == 0 && SteadyClock::now() < end) {
            // The runners pass the line one after another; each tag is read about 40 times while
            // it is in the field, mostly several times in a row. After the last runner the field
            // starts again, whose reads the debounce then holds back.
            long due = 32;
            if (m_options.rate > 0) {
                due = long(ms(SteadyClock::now() - start) * m_options.rate / 1000.0) - m_sent;
                if (due <= 0) {
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                    continue;
                }
            }
            batch.clear();
            std::vector<int> firstHere;
            for (long i = 0; i < due; ++i) {
                const int centre = 1 + int((m_sent + i) / ReadsPerTag % m_options.tags);
                int tag = last;
                if (random() % 10 >= 7)
                    tag = std::clamp(centre + int(random() % 7) - 3, 1, m_options.tags);
                last = tag;
                batch += telegram(tag, 1 + int(random() % 4));
                firstHere.push_back(tag);
            }
            const auto now = SteadyClock::now();
            {
                std::lock_guard lock(m_mutex);
                for (int tag : firstHere)
                    m_firstSent.emplace(tag, now);
            }
            sendAll(peer, batch);
            m_sent += due;
        }
        m_sendingSeconds = ms(SteadyClock::now() - start) / 1000.0;
        ::shutdown(peer, SHUT_WR);
        m_done = true;
        // Keep the link until the console has read everything.
        char sink[64];
        while (::recv(peer, sink, sizeof sink, 0) > 0) {
        }
        ::close(peer);
    }

    static void sendAll(int peer, const QByteArray& batch) {
        for (qsizetype off = 0; off < batch.size();) {
            const ssize_t n = ::send(peer, batch.constData() + off, size_t(batch.size() - off), 0);
            if (n <= 0)
                break;
            off += n;
        }
    }

    static QByteArray telegram(int tag, int antenna) {
        const QString body =
            QStringLiteral("uam0FF050%1").arg(antenna) +
            TagReadTelegram::ReadTimeHex(TagReadTelegram::VbTimeToNetTime(QDateTime::currentDateTime())) +
            QStringLiteral("%1").arg(tag, 26, 10, QLatin1Char('0'));
        return ("S2C" + body + "\r").toLatin1();
    }

    Options m_options;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
    std::atomic<long> m_sent{0};
    std::atomic<double> m_sendingSeconds{0};
    std::mutex m_mutex;
    std::map<int, SteadyClock::time_point> m_firstSent;
};

// ----- the console's socket, with the time each telegram arrived ---------------------------

class TimedSocket final : public TcpSocket {
public:
    TimedSocket() {
        connect(&m_inner, &TcpSocket::Connected, this, &TcpSocket::Connected);
        connect(&m_inner, &TcpSocket::Closed, this, &TcpSocket::Closed);
        connect(&m_inner, &TcpSocket::Error, this, &TcpSocket::Error);
        connect(&m_inner, &TcpSocket::DataArrival, this, &TcpSocket::DataArrival);
    }
    void Connect(const QString& host, int port) override { m_inner.Connect(host, port); }
    void SendData(const QByteArray& data) override { m_inner.SendData(data); }
    QByteArray GetData() override {
        const QByteArray data = m_inner.GetData();
        const auto now = SteadyClock::now();
        m_pending += data;
        qsizetype start = 0;
        for (qsizetype cr; (cr = m_pending.indexOf('\r', start)) >= 0; start = cr + 1) {
            const int tag = m_pending.mid(cr - 26, 26).toInt();
            firstArrival.emplace(tag, now);
            ++telegrams;
        }
        m_pending.remove(0, start);
        return data;
    }
    int BytesReceived() const override { return m_inner.BytesReceived(); }
    void Close() override { m_inner.Close(); }
    int State() const override { return m_inner.State(); }
    QString RemoteHost() const override { return m_inner.RemoteHost(); }
    int RemotePort() const override { return m_inner.RemotePort(); }
    void setNoDelay(bool on) override { m_inner.setNoDelay(on); }
    void setLinger(bool on, int seconds) override { m_inner.setLinger(on, seconds); }

    std::map<int, SteadyClock::time_point> firstArrival;
    long telegrams = 0;

private:
    QtTcpSocket m_inner;
    QByteArray m_pending;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p / 100.0 * double(v.size())))];
}

void report(const char* what, const std::vector<double>& v) {
    std::printf("%-44s n=%-6zu p50=%7.3f ms  p99=%7.3f ms  max=%7.3f ms\n", what, v.size(), percentile(v, 50),
                percentile(v, 99), v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--seconds")
            options.seconds = value;
        else if (name == "--tags")
            options.tags = value;
        else if (name == "--rate")
            options.rate = value;
        else if (name == "--main")
            options.main = value;
        else if (name == "--preload")
            options.preload = value;
        else if (name == "--burst")
            options.burst = value;
    }

    QApplication app(argc, argv);
    // The console's log file goes into the benchmark's folder too.
    const std::unique_ptr<QTemporaryDir> folder = MakeBenchFolder("bench_reader_console");
    const QTemporaryDir& dir = *folder;
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    QFile::copy(CHRONIVO_BUILT_DB, dir.filePath("Chronvo.mdb"));
    QFile::setPermissions(dir.filePath("Chronvo.mdb"), QFile::ReadOwner | QFile::WriteOwner);
    {
        // The results already taken, and the burst's tags assigned, written in one go.
        Workspace ws;
        auto db = ws.OpenDatabase(dir.filePath("Chronvo.mdb"), false, false, frmChronivo::ConnectString);
        ws.BeginTrans();
        InsertSampleResults(*db, options.preload, [](int i) { return 1 + i % 3000; });
        for (int n = 1; n <= options.burst; ++n) {
            QueryDef q = db->QueryDefs("pI_Transponder");
            // The native console's ID is the telegram from its 23rd character: the last 25
            // digits of the 26-digit ID field.
            q.setParameter("iTransponderID",
                           QStringLiteral("%1").arg(BurstTagBase + n, 25, 10, QLatin1Char('0')));
            q.setParameter("iStartnummer", n);
            q.Execute(dbFailOnError);
        }
        ws.CommitTrans();
        db->Close();
    }

    std::vector<SteadyClock::time_point> beepedAt;
    Services services;
    services.settings = std::make_unique<SettingsStore>("Vek. Chronivo", dir.filePath("settings.ini"));
    services.settings->SaveSetting("frmChronivo", "LogDatei", dir.filePath("backup.log"));
    services.settings->SaveSetting("frmChronivo", "FastSaveDatei", dir.filePath("fastsave.log"));
    services.dbEngine = std::make_unique<DbEngine>();
    // Information boxes are counted; any other box would wait for a person.
    auto dialogs = std::make_unique<FakeDialogs>();
    FakeDialogs* shown = dialogs.get();
    services.dialogs = std::move(dialogs);
    services.clock = std::make_unique<SystemClock>();
    // The main window beeps once for every result it has stored, after the row and its refresh:
    // the k-th beep is the moment the k-th new row of the result table was stored.
    auto beeper = std::make_unique<FakeBeeper>();
    beeper->onBeep = [&beepedAt] { beepedAt.push_back(SteadyClock::now()); };
    services.beeper = std::move(beeper);
    services.createSerialPort = [] { return std::make_unique<QtSerialPort>(); };
    TimedSocket* socket = nullptr;
    services.createTcpSocket = [&] {
        auto s = std::make_unique<TimedSocket>();
        socket = s.get();
        return s;
    };
    services.programFolder = dir.path();
    services.programFile = dir.filePath("chronivo");

    std::map<int, SteadyClock::time_point> booked;
    ConsoleOnly consoleOnly(booked);
    qint64 rowsBefore = 0;
    std::unique_ptr<frmChronivo> mainWindow;
    std::unique_ptr<ReaderConsole> ownConsole;
    ReaderConsole* console = nullptr;
    if (options.main) {
        // The main window takes every booked start number as a result of a running run and
        // stores it as a row; the rows are read back once the reader is done.
        mainWindow = std::make_unique<frmChronivo>(services);
        mainWindow->startUp();
        mainWindow->cmdStart_Click();
        mainWindow->mnuRFIDDialog_Click();
        console = mainWindow->readerConsole(ReaderKind::RFID);
        rowsBefore = services.local.database()
                         .OpenRecordset("SELECT COALESCE(MAX(ID), 0) FROM Chronvo")
                         .Fields(0)
                         .toLongLong();
        beepedAt.clear();
    } else {
        LocalDatabase& local = services.local;
        local.gsDbPath = dir.filePath("Chronvo.mdb");
        local.gwsLocal = &services.dbEngine->Workspaces(0);
        local.gdbLocal = local.gwsLocal->OpenDatabase(local.gsDbPath, false, false, ";PWD=7rosenhag");
        ownConsole = CreateReaderConsole(ReaderKind::RFID, services, consoleOnly);
        console = ownConsole.get();
        console->showConsole();
    }

    FakeReader reader(options);
    console->edtRFIDIpAddr->setText("localhost");
    console->edtRFIDIpPort->setText(QString::number(reader.port()));
    console->tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    console->cmdConnect_Click();

    std::vector<double> lateness;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(5);
    SteadyClock::time_point lastTick = SteadyClock::now();
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = SteadyClock::now();
        lateness.push_back(std::max(0.0, ms(now - lastTick) - 5.0));
        lastTick = now;
    });
    tick.start();

    // Wait on the event loop, as the program does: a check every 20 ms ends the wait once the
    // reader is done and the console has handled everything it sent, or when the console has
    // handled nothing for 5 s (what it has not handled by then counts as lost).
    QEventLoop waiting;
    QTimer check;
    long lastCount = -1;
    qint64 lastProgressMs = 0;
    QElapsedTimer handling;
    handling.start();
    QObject::connect(&check, &QTimer::timeout, [&] {
        const long count = console->telegramCount();
        if (count != lastCount) {
            lastCount = count;
            lastProgressMs = handling.elapsed();
        }
        if (reader.done() && (count >= reader.sent() || handling.elapsed() - lastProgressMs > 5000))
            waiting.quit();
    });
    check.start(20);
    waiting.exec();
    // Until the last telegram the console handled (seen to within the check's 20 ms).
    const double handlingSeconds = double(lastProgressMs) / 1000.0;
    tick.stop();

    const long handled = console->telegramCount();
    // Each new row with the beep that ended its storing; a start number stored twice counts
    // from its first row.
    size_t rowsStored = 0;
    bool rowsMatchBeeps = true;
    if (options.main) {
        const std::vector<int> rows = storedStartnummern(services.local.database(), rowsBefore);
        rowsStored = rows.size();
        rowsMatchBeeps = rows.size() == beepedAt.size();
        if (rowsMatchBeeps)
            for (size_t k = 0; k < rows.size(); ++k)
                booked.emplace(rows[k], beepedAt[k]);
    }
    std::vector<double> fromArrival;
    std::vector<double> fromSend;
    SteadyClock::time_point lastBooking{};
    for (const auto& [startnummer, at] : booked) {
        const int tag = options.burst > 0 ? BurstTagBase + startnummer : startnummer;
        if (!reader.wasSent(tag))
            continue; // booked under a number no tag stands for: counted as not booked below
        if (socket->firstArrival.count(tag))
            fromArrival.push_back(ms(at - socket->firstArrival.at(tag)));
        fromSend.push_back(ms(at - reader.firstSent(tag)));
        lastBooking = std::max(lastBooking, at);
    }

    std::printf("mode: %s, %d s, %d tags\n",
                options.rate > 0 ? qPrintable(QString("%1 telegrams/s").arg(options.rate))
                                 : "as fast as the link takes",
                options.seconds, options.tags);
    std::printf("telegrams sent %ld, received %ld, handled %ld, lost %ld\n", reader.sent(), socket->telegrams,
                handled, reader.sent() - handled);
    std::printf("rate handled: %.0f telegrams/s (sending took %.2f s, handling %.2f s)\n",
                double(handled) / std::max(reader.sendingSeconds(), handlingSeconds), reader.sendingSeconds(),
                handlingSeconds);
    std::printf("rows in the run before: %d\n", options.preload);
    if (options.main) {
        std::printf("rows stored %zu, results taken (beeps) %zu\n", rowsStored, beepedAt.size());
        if (!rowsMatchBeeps)
            std::printf("rows stored and results taken differ: no row can be timed\n");
    }
    std::printf("start numbers booked %zu of %zu tags sent (%zu arrived), not booked %zu; message boxes %d\n",
                booked.size(), reader.tagsSent(), socket->firstArrival.size(),
                reader.tagsSent() - booked.size(), int(shown->messages().size()));
    if (options.burst > 0 && !booked.empty()) {
        const double seconds = ms(lastBooking - reader.firstSent(BurstTagBase + 1)) / 1000.0;
        std::printf(
            "burst of %d distinct tags: all booked after %.2f s, %.0f start numbers booked per second\n",
            options.burst, seconds, double(booked.size()) / seconds);
    }
    report("booking after the telegram's arrival", fromArrival);
    report("booking after the reader sent it", fromSend);
    report("lateness of a 5 ms timer of the main window", lateness);
    std::fflush(stdout);
    // The reader keeps its end open until the console lets go.
    console->cmdDisconnect_Click();
    const bool allBooked = options.main == 0 || (rowsMatchBeeps && rowsStored == reader.tagsSent() &&
                                                 booked.size() == reader.tagsSent());
    return handled == reader.sent() && allBooked ? 0 : 1;
}
