// Cost of cutting received text into units when a peer streams garbage: 20 MB without a line
// end, and 20 MB of frame starts that never fit, each in 64 KB chunks as a socket delivers them,
// then one good unit. Prints the slowest and the mean chunk and whether the good unit came out;
// the work per chunk must stay proportional to the chunk.
//
//   bench_line_assembler [--megabytes 20]
#include "readers/LineAssembler.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using SteadyClock = std::chrono::steady_clock;

void run(const char* name, LineAssembler::Ending ending, const QString& chunk, int chunks,
         const QString& good) {
    LineAssembler a(ending);
    double worst = 0;
    double total = 0;
    qint64 now = 0;
    for (int i = 0; i < chunks; ++i) {
        const auto t0 = SteadyClock::now();
        a.feed(chunk, now++);
        const double ms = std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count();
        worst = std::max(worst, ms);
        total += ms;
    }
    const LineAssembler::Fed last = a.feed(good, now);
    std::printf("%-36s chunks %d, worst %.3f ms, mean %.3f ms, pending %lld, good unit %s\n", name, chunks,
                worst, total / chunks, static_cast<long long>(a.pending().size()),
                last.units.size() == 1 ? "kept" : "LOST");
}

} // namespace

int main(int argc, char** argv) {
    int megabytes = 20;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--megabytes") == 0)
            megabytes = std::atoi(argv[i + 1]);
    constexpr int ChunkBytes = 64 * 1024;
    const int chunks = megabytes * 1024 * 1024 / ChunkBytes;

    run("text lines, no line end", LineAssembler::Ending::AnyLine, QString(ChunkBytes, QLatin1Char('7')),
        chunks, QStringLiteral("\r1701\r"));
    run("native frames, no line end", LineAssembler::Ending::NativeCr, QString(ChunkBytes, QLatin1Char('7')),
        chunks, QStringLiteral("S05uamA1\r"));
    QString starts;
    while (starts.size() < ChunkBytes)
        starts += QStringLiteral("SFF");
    run("native frames, frame starts only", LineAssembler::Ending::NativeCr, starts.left(ChunkBytes), chunks,
        QStringLiteral("\rS05uamA1\r"));
    return 0;
}
