// The lines of the files the program reads: time-file and start-number-file lines read from
// a device, tag reads and their read times, and the version list of the update check.
#include "FuzzInput.h"
#include "results/FileImport.h"
#include "update/OnlineUpdate.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    FileImport::ReadLines(device, [](const QString& line) {
        if (line.size() > FileImport::MaxLineLength)
            std::abort();
        if (FileImport::IsTagRead(line))
            FileImport::ParseTagRead(line);
    });
    const QString text = fuzzText(data, size);
    FileImport::ReadTimeOfDay(text.left(8));
    VersionOffers(text, size > 0 ? data[0] % 8 : 0);
    return 0;
}
