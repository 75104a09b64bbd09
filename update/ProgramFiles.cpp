#include "update/ProgramFiles.h"

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
