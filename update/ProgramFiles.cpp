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
#endif

} // namespace

namespace {

QByteArray header(const QString& file, int size) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.read(size) : QByteArray();
}

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
    // ELF: magic, class, byte order and version in the first seven bytes; the file type
    // (executable or position-independent) at 16 and the machine at 18, both two bytes.
    constexpr int HeaderSize = 20;
    const QByteArray mine = header(QCoreApplication::applicationFilePath(), HeaderSize);
    const QByteArray theirs = header(file, HeaderSize);
#ifdef Q_OS_WIN
    Q_UNUSED(mine);
    if (!theirs.startsWith("MZ")) {
        reason = QStringLiteral("kein Windows-Programm");
        return false;
    }
    return true;
#else
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
    if (theirs[4] != mine[4]) {
        reason = QStringLiteral("ein Programm für eine andere Bitbreite");
        return false;
    }
    if (theirs[5] != mine[5] || theirs[6] != mine[6]) {
        reason = QStringLiteral("ein Programm für eine andere Byte-Reihenfolge");
        return false;
    }
    const bool little = mine[5] == 1;
    const auto half = [little](const QByteArray& b, int at) {
        const int lo = static_cast<unsigned char>(b[little ? at : at + 1]);
        const int hi = static_cast<unsigned char>(b[little ? at + 1 : at]);
        return hi << 8 | lo;
    };
    constexpr int Executable = 2;
    constexpr int PositionIndependent = 3;
    if (half(theirs, 16) != Executable && half(theirs, 16) != PositionIndependent) {
        reason = QStringLiteral("keine ausführbare Programmdatei");
        return false;
    }
    if (half(theirs, 18) != half(mine, 18)) {
        reason = QStringLiteral("ein Programm für einen anderen Prozessor");
        return false;
    }
    return true;
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
