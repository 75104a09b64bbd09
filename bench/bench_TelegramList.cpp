// Memory of the consoles' telegram list: how many bytes each kept telegram costs when a reader
// sends for hours. Appends native tag-read telegrams (47 characters, as the grid shows them)
// a few milliseconds apart and reports the bytes per telegram twice: as the list counts its
// pages, and as the C library's heap grew meanwhile. Also the time per append and per random
// row read, which a repaint of the grid costs.
//
//   bench_telegram_list [--rows 1000000]
#include "readers/InfoTextModel.h"
#include "readers/TagReadTelegram.h"

#include <QCoreApplication>
#include <QDateTime>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

using SteadyClock = std::chrono::steady_clock;

size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

QString telegram(int tag, int antenna, const QDateTime& at) {
    return QStringLiteral("S2Cuam0FF050%1").arg(antenna) +
           TagReadTelegram::ReadTimeHex(TagReadTelegram::VbTimeToNetTime(at)) +
           QStringLiteral("%1").arg(tag, 26, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rows = 1'000'000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rows") == 0)
            rows = std::atoi(argv[i + 1]);

    // The texts are made first, so that only the list's own growth is measured.
    std::vector<QString> texts;
    std::vector<qint64> times;
    texts.reserve(1000);
    const QDateTime start(QDate(2026, 5, 17), QTime(10, 0, 0));
    for (int i = 0; i < 1000; ++i)
        texts.push_back(telegram(1 + i % 300, 1 + i % 4, start.addSecs(i)));
    times.reserve(static_cast<size_t>(rows));
    std::mt19937 random(17);
    qint64 t = start.toMSecsSinceEpoch();
    for (int i = 0; i < rows; ++i) {
        t += 1 + static_cast<qint64>(random() % 5); // about 1,100 reads per second
        times.push_back(t);
    }

    InfoTextModel list;
    const size_t before = heapInUse();
    const auto t0 = SteadyClock::now();
    for (int i = 0; i < rows; ++i)
        list.append(texts[static_cast<size_t>(i) % texts.size()], times[static_cast<size_t>(i)]);
    const auto t1 = SteadyClock::now();
    const size_t after = heapInUse();

    // Random rows, as a grid repaint fetches them.
    constexpr int Reads = 100'000;
    qsizetype checksum = 0;
    const auto r0 = SteadyClock::now();
    for (int i = 0; i < Reads; ++i)
        checksum += list.text(static_cast<int>(random() % static_cast<unsigned>(rows))).size();
    const auto r1 = SteadyClock::now();

    const double appendNs = std::chrono::duration<double, std::nano>(t1 - t0).count() / rows;
    const double readNs = std::chrono::duration<double, std::nano>(r1 - r0).count() / Reads;
    std::printf("telegrams kept:                 %d (%lld characters each)\n", list.count(),
                static_cast<long long>(texts.front().size()));
    std::printf("list's own count:               %.1f bytes per telegram\n",
                static_cast<double>(list.memoryBytes()) / rows);
    std::printf("heap growth (mallinfo2):        %.1f bytes per telegram\n",
                static_cast<double>(after - before) / rows);
    std::printf("append:                         %.0f ns per telegram\n", appendNs);
    std::printf("random row read:                %.0f ns per row (checksum %lld)\n", readNs,
                static_cast<long long>(checksum));
    std::printf("target:                         at most 64 bytes per telegram\n");
    return 0;
}
