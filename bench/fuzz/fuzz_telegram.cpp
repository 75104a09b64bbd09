// A unit as the consoles receive it: telegram checks, the ID cut with header lengths from the
// input, the read time, and the adapters of the bridge programs and the serial line.
#include "FuzzInput.h"
#include "readers/ReaderAdapters.h"
#include "readers/TagReadTelegram.h"

#include <QDateTime>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QString header = QString::number(data[0] % 64 - 4);
    const bool nativeCr = data[1] & 1;
    const QString unit = fuzzText(data + 2, size - 2);
    const QDateTime now(QDate(2026, 5, 17), QTime(10, 25, 13));

    if (TagReadTelegram::IsTagRead(unit)) {
        TagReadTelegram::AntennaOf(unit);
        TagReadTelegram::ReadTimeOf(unit);
    }
    TagReadTelegram::CutTransponderId(unit, header, nativeCr);
    TagReadTelegram::CutTransponderId(unit, fuzzText(data + 2, std::min<size_t>(size - 2, 4)), nativeCr);
    TagReadTelegram::DecodeReadTimeHex(unit.left(8));
    for (auto kind : {ReaderAdapters::Kind::Native, ReaderAdapters::Kind::Pairs12,
                      ReaderAdapters::Kind::Pairs6, ReaderAdapters::Kind::Format26}) {
        const ReaderAdapters::Adapted adapted =
            ReaderAdapters::PrepareMessage(kind, unit, now, 1 + data[1] % 4);
        // What an adapter builds is a telegram the console can read again.
        if (adapted.accepted && kind != ReaderAdapters::Kind::Native)
            TagReadTelegram::CutTransponderId(adapted.telegram, header, false);
    }
    return 0;
}
