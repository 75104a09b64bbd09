#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// How one unpacking runs. Numbers and flags as the unzip wrapper's properties hold them.
struct UnzipOptions {
    bool ExtractNewer = false;      // only files newer than the ones on disk, or new, no questions
    bool SpaceToUnderScore = false; // blanks in names become underscores
    bool PromptOverwrite = false;   // ask before overwriting (when OverWriteFiles is off)
    int MessageLevel = 2;           // 0 every line, 1 fewer, 2 only warnings and errors
    bool WriteToStdOut = false;     // the contents go to the print callback, no file is written
    bool TestZip = false;           // only read every entry and check it, no file is written
    int ExtractList = 0;            // non-zero: only list the entries through the message callback
    bool ExtractOnlyNewer = false;  // freshen: only replace existing files by newer entries
    bool DisplayComment = false;    // print the archive's comment
    bool HonorDirectories = true;   // false: every file flat into the target folder
    bool OverWriteFiles = true;     // replace existing files without asking
    // Kept for callers that set them; this unpacker has no use for them: it makes no line-end
    // translation, prints no archive information beyond the listing, matches no name lists
    // (every entry is unpacked) and restores no access lists.
    bool ConvertCRtoCRLF = false;
    bool Verbose = false;
    bool CaseSensitive = true;
    int Privilege = 0;
};

// One entry of a listing.
struct UnzipListEntry {
    qint64 uncompressedSize = 0;
    qint64 compressedSize = 0;
    int ratio = 0; // percent saved by compression
    QDateTime modified;
    QString method;
    quint32 crc = 0;
    bool encrypted = false;
    QString fileName;
};

// Answers of the replace question.
namespace UnzipReplace {
constexpr int No = 100;   // keep this file
constexpr int Yes = 102;  // overwrite this file
constexpr int All = 103;  // overwrite this and every further file
constexpr int None = 104; // overwrite no file from here on
} // namespace UnzipReplace

// Result codes of an unpacking.
namespace UnzipCode {
constexpr int Ok = 0;
constexpr int Warning = 1;       // some entries were refused or skipped, the rest is unpacked
constexpr int ArchiveError = 2;  // an entry's data is damaged (checksum, cut short)
constexpr int NoArchive = 9;     // the archive is missing, unreadable or not a zip archive
constexpr int BadOptions = 10;   // no archive named
constexpr int NothingFound = 11; // the archive holds no entries
constexpr int DiskError = 50;    // a file could not be written
} // namespace UnzipCode

// What the unpacker tells its caller while it runs. All calls come from the calling thread.
class UnzipCallbacks {
public:
    virtual ~UnzipCallbacks() = default;
    // Text output, one line or more, each line ended by LF.
    virtual void print(const QString& text) = 0;
    // An existing file would be overwritten; answers one of UnzipReplace.
    virtual int replace(const QString& fileName) = 0;
    // An entry is encrypted: answers 0 with the password filled in, or 1 to decline.
    virtual int password(QByteArray& password, const QString& prompt, const QString& fileName) = 0;
    // One entry of a listing.
    virtual void message(const UnzipListEntry& entry) = 0;
    // Each entry before it is handled.
    virtual void service(const QString& fileName, qint64 size) = 0;
};

class Unzipper {
public:
    virtual ~Unzipper() = default;
    // Unpacks every entry of the archive into the folder ("" for the current folder) and
    // answers one of UnzipCode. An entry whose path would leave the folder (absolute, a
    // drive, or through "..") is refused and reported; the other entries are unpacked.
    virtual int unzip(const QString& archive, const QString& folder, const UnzipOptions& options,
                      UnzipCallbacks& callbacks) = 0;
};

// The unpacker on libzip. A file is written under a temporary name and put in place only
// when its data checked out, so a damaged entry never leaves a half-written file.
class LibzipUnzipper final : public Unzipper {
public:
    // A program archive unpacks to tens of megabytes; one that would unpack to more than
    // `maxBytes` in all is refused.
    explicit LibzipUnzipper(qint64 maxBytes = MaxUnpackedBytes) : m_maxBytes(maxBytes) {}
    static constexpr qint64 MaxUnpackedBytes = qint64(400) << 20;

    int unzip(const QString& archive, const QString& folder, const UnzipOptions& options,
              UnzipCallbacks& callbacks) override;

private:
    qint64 m_maxBytes;
};
