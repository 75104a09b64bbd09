// The receive path's reassembly: the input is cut into chunks at every 0xFF byte (the fuzzer
// chooses the chunking), each chunk arriving a little later than the one before; the first
// byte picks the framing and whether the pauses are long enough to make fragments stale.
#include "FuzzInput.h"
#include "readers/LineAssembler.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const auto ending = (data[0] & 1) ? LineAssembler::Ending::NativeCr : LineAssembler::Ending::AnyLine;
    const qint64 pause = (data[0] & 2) ? 1500 : 3;
    LineAssembler assembler(ending);
    qint64 now = 0;
    size_t from = 1;
    for (size_t i = 1; i <= size; ++i) {
        if (i < size && data[i] != 0xFF)
            continue;
        const LineAssembler::Fed fed = assembler.feed(fuzzText(data + from, i - from), now);
        for (const QString& unit : fed.units) {
            // A unit never carries a line end of its own, and is never longer than the cap.
            if (unit.size() > LineAssembler::MaxPending)
                std::abort();
            if (ending == LineAssembler::Ending::AnyLine && (unit.contains('\r') || unit.contains('\n')))
                std::abort();
        }
        if (assembler.pending().size() > LineAssembler::MaxPending)
            std::abort();
        now += pause;
        from = i + 1;
    }
    return 0;
}
