#pragma once

#include <QString>

#include <functional>

// File operations of the program replacement.

// Windows on 64 bits: false turns the file-system redirection of a 32-bit process off and
// keeps the previous state; true restores a kept state and forgets it. Errors are ignored;
// elsewhere it does nothing.
void SetWow64Redirection(bool enable);

// Copies a file. With overwrite false the copy fails when the target exists; with true an
// existing target is replaced. True on success.
bool CopyFileApi(const QString& source, const QString& target, bool overwrite);

// True when `file` is something this system can start as a program: a regular file (not a
// link), not empty, and of the running program's kind (on Windows: an MZ program; on ELF
// systems: an ELF file of the same class, byte order and machine that is an executable, or a
// position-independent one asking for an interpreter, whose program headers and loadable
// segments lie within the file and whose entry point lies in an executable loadable segment).
// Otherwise false with the reason in `reason`.
bool IsRunnableProgram(const QString& file, QString& reason);

// How the replacement renames; tests put a failing one in.
using RenameFile = std::function<bool(const QString& from, const QString& to)>;

// Puts newFile in place of target without ever leaving no program behind: the new file is
// copied next to the target under a temporary name first; only when that copy is complete is
// the target renamed to backupName and the copy renamed into place. The new file takes the
// target's permissions, so it stays executable. When any step fails everything is put back
// as it was, `error` says which step failed, and the answer is false.
bool ReplaceProgramFile(const QString& newFile, const QString& target, const QString& backupName,
                        QString& error, const RenameFile& rename = {});
