// Records of the results export file: any 50 bytes read as a record, and a record packed
// again gives the same bytes.
#include "results/ExportFile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    for (size_t at = 0; at + ExportFile::RecordSize <= size; at += ExportFile::RecordSize) {
        const ExportFile::ExportRecord record = ExportFile::Unpack(bytes + at);
        const QByteArray packed = ExportFile::Pack(record);
        if (packed.size() != ExportFile::RecordSize || std::memcmp(packed.constData(), bytes + at, 50) != 0)
            std::abort();
        ExportFile::FieldText(record.Wertungstime);
        ExportFile::FieldText(record.ZeitNetto);
        ExportFile::DateText(record.Systemtime);
        ExportFile::WithinSevenHours(record.Millisekunden);
    }
    return 0;
}
