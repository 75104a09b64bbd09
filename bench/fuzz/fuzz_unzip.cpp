// Unpacking an archive that came over the network: whatever the bytes, the unpacker answers
// a code, writes nothing outside its target folder and leaves no half-written file behind.
#include "platform/Unzip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

class QuietCallbacks final : public UnzipCallbacks {
public:
    void print(const QString&) override {}
    int replace(const QString&) override { return UnzipReplace::All; }
    int password(QByteArray&, const QString&, const QString&) override { return 1; }
    void message(const UnzipListEntry&) override {}
    void service(const QString&, qint64) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryDir dir;
    const QString archive = dir.filePath("update.zip");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }
    QDir(dir.path()).mkdir("ziel");
    UnzipOptions options;
    options.HonorDirectories = size > 0 && (data[0] & 1);
    QuietCallbacks callbacks;
    LibzipUnzipper unzipper;
    const int code = unzipper.unzip(archive, dir.filePath("ziel"), options, callbacks);
    if (code < 0)
        std::abort();
    // Only the archive and the target folder stand beside each other.
    const QStringList top =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (top.size() != 2)
        std::abort();
    return 0;
}
