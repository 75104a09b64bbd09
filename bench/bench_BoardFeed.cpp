// Jitter of the display-board feed: a loopback board on its own thread timestamps every
// line it receives while the main window runs a race and takes results at a mass finish's
// rate (30 a second) at the Enter key, into a run that already holds 10,000 results, on the
// user-interface thread, the thread that also feeds the boards.
//
// CHRONIVO_BENCH_SECONDS sets the measured time (default 60), CHRONIVO_BENCH_RATE the results
// per second (default 30), CHRONIVO_BENCH_PRELOAD the results already in the run (default 10000).
// The database lies in a folder beside the program (its file system is printed).

#include "BenchSupport.h"
#include "platform/DbEngine.h"
#include "results/ResultEntry.h"
#include "support/TestServices.h"
#include "results/DataControl.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Steady = std::chrono::steady_clock;

// A board that only listens: accepts one link and records the arrival time of each line.
class LoopbackBoard final {
public:
    LoopbackBoard() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 1);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~LoopbackBoard() {
        m_stop = true;
        ::shutdown(m_listen, SHUT_RDWR);
        if (m_peer >= 0)
            ::shutdown(m_peer, SHUT_RDWR);
        m_thread.join();
        ::close(m_listen);
        if (m_peer >= 0)
            ::close(m_peer);
    }
    int port() const { return m_port; }
    // Arrival times from the moment of the call on.
    void startRecording() { m_recording = true; }
    std::vector<Steady::time_point> stopRecording() {
        m_recording = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return m_arrivals;
    }

private:
    void run() {
        m_peer = ::accept(m_listen, nullptr, nullptr);
        char buf[256];
        while (!m_stop && m_peer >= 0) {
            const ssize_t n = ::recv(m_peer, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            const auto now = Steady::now();
            for (ssize_t i = 0; i < n; ++i)
                if (buf[i] == '\n' && m_recording)
                    m_arrivals.push_back(now);
        }
    }

    int m_listen = -1;
    int m_peer = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_recording{false};
    std::vector<Steady::time_point> m_arrivals;
    std::thread m_thread;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

int fromEnvironment(const char* name, int fallback) {
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
}

// The results already taken, written in one go.
void preload(const QString& dbPath, int rows) {
    Workspace ws;
    auto db = ws.OpenDatabase(dbPath, false, false, frmChronivo::ConnectString);
    ws.BeginTrans();
    InsertSampleResults(*db, rows, [](int i) { return 1 + i % 3000; });
    ws.CommitTrans();
    db->Close();
}

void BM_BoardFeedJitter(benchmark::State& state) {
    const int seconds = fromEnvironment("CHRONIVO_BENCH_SECONDS", 60);
    const int rate = std::max(1, fromEnvironment("CHRONIVO_BENCH_RATE", 30));
    const int rows = fromEnvironment("CHRONIVO_BENCH_PRELOAD", 10000);
    for (auto _ : state) {
        LoopbackBoard board;
        TestServices t;
        t.services().clock = std::make_unique<SystemClock>();
        t.settings().SaveSetting("ExtAnzeige", "ExtAnzeige", "1");
        t.settings().SaveSetting("ExtAnzeige", "ExtAnzeigeIp", "127.0.0.1");
        t.settings().SaveSetting("ExtAnzeige", "ExtAnzeigePort", QString::number(board.port()));
        preload(t.dbPath(), rows);
        frmChronivo w(t.services());
        w.startUp();
        w.cmdStart_Click();

        // Let the link come up, then measure.
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();

        // Results at the Enter key, spread evenly: the timer ticks often and a result is taken
        // whenever one is due, so the rate holds whatever a single result costs.
        int results = 0;
        int failed = 0;
        QElapsedTimer since;
        QTimer load;
        load.setTimerType(Qt::PreciseTimer);
        load.setInterval(2);
        QObject::connect(&load, &QTimer::timeout, [&] {
            if (since.elapsed() * rate / 1000 < results)
                return;
            w.edtStartnummer->setText(QString::number(1 + results % 3000));
            w.edtStartnummer_KeyPress(13);
            failed += w.lastResultFailed() ? 1 : 0;
            ++results;
        });
        board.startRecording();
        since.start();
        load.start();
        QEventLoop run;
        QTimer::singleShot(seconds * 1000, &run, &QEventLoop::quit);
        run.exec();
        load.stop();
        const std::vector<Steady::time_point> arrivals = board.stopRecording();

        std::vector<double> gaps;
        for (size_t i = 1; i < arrivals.size(); ++i)
            gaps.push_back(std::chrono::duration<double, std::milli>(arrivals[i] - arrivals[i - 1]).count());
        const auto outside =
            std::count_if(gaps.begin(), gaps.end(), [](double g) { return g < 85 || g > 115; });
        state.counters["lines"] = static_cast<double>(arrivals.size());
        state.counters["results"] = results;
        state.counters["results_per_s"] = results / double(seconds);
        state.counters["failed"] = failed;
        state.counters["rows_at_end"] = w.Data1->RecordCount();
        state.counters["median_ms"] = percentile(gaps, 0.5);
        state.counters["p99_ms"] = percentile(gaps, 0.99);
        state.counters["max_ms"] = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
        state.counters["outside_85_115"] = static_cast<double>(outside);
        w.Form_Unload();
    }
}

BENCHMARK(BM_BoardFeedJitter)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The test services keep their database in the temporary folder: it is the benchmark's
    // folder beside the program.
    const std::unique_ptr<QTemporaryDir> folder = MakeBenchFolder("bench_board_feed");
    qputenv("TMPDIR", QFile::encodeName(folder->path()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
