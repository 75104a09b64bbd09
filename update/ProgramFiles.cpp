#include "update/ProgramFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

#ifdef Q_OS_WIN
// The redirection state kept between turning it off and on again; null when none is held.
PVOID g_wow64State = nullptr;
#else
QByteArray header(const QString& file, int size) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.read(size) : QByteArray();
}

// Where the fields the program loader relies on lie in the two ELF classes.
struct ElfLayout {
    int headerSize;
    int entry, phoff, phentsize, phnum; // in the file header
    int phdrSize;
    int pOffset, pVaddr, pFilesz, pMemsz, pFlags; // in one program header
    int word;                                     // size of an address or offset
};
constexpr ElfLayout Elf32Layout{52, 24, 28, 42, 44, 32, 4, 8, 16, 20, 24, 4};
constexpr ElfLayout Elf64Layout{64, 24, 32, 54, 56, 56, 8, 16, 32, 40, 4, 8};

// An unsigned field of `size` bytes at `at`; the caller has checked that it lies in `b`.
quint64 field(const QByteArray& b, qsizetype at, int size, bool little) {
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | static_cast<unsigned char>(b[at + (little ? size - 1 - i : i)]);
    return value;
}

// The loader's view of an ELF file of this machine's class, byte order and processor: an
// executable, or a position-independent one that names its interpreter (a shared library
// names none and cannot be started), whose program headers and loadable segments lie in the
// file and whose entry point lies in an executable loadable segment.
// `h` is the start of the file as read, at least 20 bytes.
bool isStartableElf(QFile& f, const QByteArray& h, const ElfLayout& l, bool little, QString& reason) {
    const quint64 size = static_cast<quint64>(f.size());
    const auto incomplete = [&reason] {
        reason = QStringLiteral("die Programmdatei ist unvollständig");
        return false;
    };
    if (h.size() < l.headerSize)
        return incomplete();
    constexpr quint64 Executable = 2, PositionIndependent = 3;
    const quint64 type = field(h, 16, 2, little);
    if (type != Executable && type != PositionIndependent) {
        reason = QStringLiteral("keine ausführbare Programmdatei");
        return false;
    }
    const quint64 phoff = field(h, l.phoff, l.word, little);
    const quint64 phnum = field(h, l.phnum, 2, little);
    // The loader reads at most 64 KiB of program headers, each of exactly its class's size.
    if (field(h, l.phentsize, 2, little) != quint64(l.phdrSize) || phnum == 0 || phnum * l.phdrSize > 65536)
        return incomplete();
    const quint64 tableSize = phnum * l.phdrSize;
    if (phoff > size || tableSize > size - phoff || !f.seek(static_cast<qint64>(phoff)))
        return incomplete();
    const QByteArray table = f.read(static_cast<qint64>(tableSize));
    if (table.size() != static_cast<qsizetype>(tableSize))
        return incomplete();
    const quint64 entry = field(h, l.entry, l.word, little);
    constexpr quint64 Load = 1, Interpreter = 3, ExecuteFlag = 1;
    bool interpreter = false;
    bool loadable = false;
    bool entryExecutable = false;
    for (quint64 i = 0; i < phnum; ++i) {
        const qsizetype at = static_cast<qsizetype>(i * l.phdrSize);
        const quint64 kind = field(table, at, 4, little);
        if (kind != Load && kind != Interpreter)
            continue;
        const quint64 offset = field(table, at + l.pOffset, l.word, little);
        const quint64 filesz = field(table, at + l.pFilesz, l.word, little);
        if (offset > size || filesz > size - offset)
            return incomplete();
        if (kind == Interpreter) {
            interpreter = true;
            continue;
        }
        loadable = true;
        const quint64 vaddr = field(table, at + l.pVaddr, l.word, little);
        const quint64 memsz = field(table, at + l.pMemsz, l.word, little);
        if ((field(table, at + l.pFlags, 4, little) & ExecuteFlag) && entry >= vaddr && entry - vaddr < memsz)
            entryExecutable = true;
    }
    if (!loadable)
        return incomplete();
    if (type == PositionIndependent && !interpreter) {
        reason = QStringLiteral("eine Programmbibliothek, kein Programm");
        return false;
    }
    if (!entryExecutable) {
        reason = QStringLiteral("der Startpunkt liegt nicht in ausführbarem Code");
        return false;
    }
    return true;
}
#endif

} // namespace

bool IsRunnableProgram(const QString& file, QString& reason) {
    const QFileInfo info(file);
    if (info.isSymLink() || !info.isFile()) {
        reason = QStringLiteral("keine gewöhnliche Datei");
        return false;
    }
    if (info.size() == 0) {
        reason = QStringLiteral("die Datei ist leer");
        return false;
    }
    // Opened and its start read once, as far as the larger ELF file header goes; a file that
    // cannot be read reads as empty.
    constexpr int LargestElfHeader = 64;
    QFile f(file);
    const QByteArray theirs = f.open(QIODevice::ReadOnly) ? f.read(LargestElfHeader) : QByteArray();
#ifdef Q_OS_WIN
    if (!theirs.startsWith("MZ")) {
        reason = QStringLiteral("kein Windows-Programm");
        return false;
    }
    return true;
#else
    // ELF: magic, class, byte order and version in the first seven bytes; the machine at 18.
    constexpr int HeaderSize = 20;
    const QByteArray mine = header(QCoreApplication::applicationFilePath(), HeaderSize);
    if (!mine.startsWith("\x7f"
                         "ELF")) {
        // Not an ELF system: at least the same kind of program file as the running one.
        if (mine.size() < 4 || !theirs.startsWith(mine.left(4))) {
            reason = QStringLiteral("kein Programmformat dieses Systems");
            return false;
        }
        return true;
    }
    if (theirs.size() < HeaderSize || !theirs.startsWith("\x7f"
                                                         "ELF")) {
        reason = QStringLiteral("kein Programmformat dieses Systems");
        return false;
    }
    if (theirs[4] != mine[4] || (mine[4] != 1 && mine[4] != 2)) {
        reason = QStringLiteral("ein Programm für eine andere Bitbreite");
        return false;
    }
    if (theirs[5] != mine[5] || theirs[6] != mine[6]) {
        reason = QStringLiteral("ein Programm für eine andere Byte-Reihenfolge");
        return false;
    }
    const bool little = mine[5] == 1;
    if (field(theirs, 18, 2, little) != field(mine, 18, 2, little)) {
        reason = QStringLiteral("ein Programm für einen anderen Prozessor");
        return false;
    }
    return isStartableElf(f, theirs, mine[4] == 2 ? Elf64Layout : Elf32Layout, little, reason);
#endif
}

void SetWow64Redirection(bool enable) {
#ifdef Q_OS_WIN
    // Looked up at run time: older 32-bit Windows lacks these functions.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return;
    if (!enable) {
        using Disable = BOOL(WINAPI*)(PVOID*);
        auto disable = reinterpret_cast<Disable>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection"));
        PVOID old = nullptr;
        if (disable && disable(&old))
            g_wow64State = old;
    } else if (g_wow64State) {
        using Revert = BOOL(WINAPI*)(PVOID);
        auto revert = reinterpret_cast<Revert>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection"));
        if (revert)
            revert(g_wow64State);
        g_wow64State = nullptr;
    }
#else
    Q_UNUSED(enable);
#endif
}

bool CopyFileApi(const QString& source, const QString& target, bool overwrite) {
    if (!QFileInfo(source).isFile())
        return false;
    if (QFileInfo::exists(target)) {
        if (!overwrite || !QFile::remove(target))
            return false;
    }
    if (!QFile::copy(source, target))
        return false;
    if (QFileInfo(target).size() != QFileInfo(source).size()) {
        QFile::remove(target);
        return false;
    }
    return true;
}

bool ReplaceProgramFile(const QString& newFile, const QString& target, const QString& backupName,
                        QString& error, const RenameFile& rename) {
    const RenameFile move =
        rename ? rename : [](const QString& from, const QString& to) { return QFile::rename(from, to); };
    const QString staging = target + QStringLiteral(".neu");
    SetWow64Redirection(false);
    const bool copied = CopyFileApi(newFile, staging, true);
    SetWow64Redirection(true);
    if (!copied) {
        QFile::remove(staging);
        error = QStringLiteral("Die neue Programmdatei konnte nicht nach %1 kopiert werden.").arg(staging);
        return false;
    }
    const bool hadTarget = QFileInfo::exists(target);
    if (hadTarget) {
        QFile::setPermissions(staging, QFile::permissions(target));
        if (!move(target, backupName)) {
            QFile::remove(staging);
            error = QStringLiteral("Das Programm konnte nicht in %1 umbenannt werden.").arg(backupName);
            return false;
        }
    }
    if (!move(staging, target)) {
        QFile::remove(staging);
        error = QStringLiteral("Die neue Programmdatei konnte nicht nach %1 gebracht werden.").arg(target);
        if (hadTarget && !move(backupName, target))
            error += QStringLiteral(" Das bisherige Programm liegt unter %1.").arg(backupName);
        return false;
    }
    return true;
}
