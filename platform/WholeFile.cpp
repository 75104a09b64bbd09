#include "platform/WholeFile.h"

#include "platform/DatabaseCopy.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The process's umask, without changing it: umask() can only read it by setting it, and for a
// moment another thread (SQLite, the network) would create its files with the wrong mask. The
// kernel shows it in /proc; only where that line is missing is it read by setting it back.
mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (!line.startsWith("Umask:"))
                continue;
            bool ok = false;
            const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok && mask <= 0777)
                return mode_t(mask);
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The mode the written file gets: a replaced file keeps its own (read from the file, not from
// what this account may do with it, which says nothing for root), a new one what a plain
// create gives. The set-id and sticky bits stay behind: the new file is this account's.
bool modeFor(const QString& target, mode_t& mode) {
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
        mode = st.st_mode & 0777;
        return true;
    }
    if (errno != ENOENT)
        return false;
    mode = 0666 & ~currentUmask();
    return true;
}

// Sets the mode of the temporary file this account has just made. A file system that keeps no
// modes (a FAT stick, where an export usually goes) refuses the change with EPERM or ENOTSUP even
// to the file's owner; there the file gets what the mount gives every file, and the export must
// not fail for it.
bool setMode(int fd, mode_t mode) {
    if (::fchmod(fd, mode) == 0)
        return true;
    return errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP;
}

// The rename is part of the file's content only once its folder is on disk too.
void syncFolder(const QString& path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The temporary names a file gets while it is written whole (here and in the settings store):
// its name, a dot and six random letters or digits, hidden by a leading dot or not.
int removeSaveFileTemps(const QString& target) {
    const QFileInfo info(target);
    if (info.fileName().isEmpty())
        return 0;
    const QRegularExpression temp(
        QStringLiteral("^\\.?%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(info.fileName())));
    QDir folder = info.absoluteDir();
    int removed = 0;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (temp.match(name).hasMatch() && folder.remove(name))
            ++removed;
    return removed;
}

} // namespace

namespace WholeFile {

bool Write(const QString& path, const QByteArray& bytes, QString* error) {
    // A link names the file the user means: that file is replaced, keeping its permissions.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    SafeFile file(target);
    // The temporary file is made for this account alone; the file in place must be readable
    // by whoever could read it before, or by a plain new file's readers.
    mode_t mode = 0;
    QString reason;
    bool ok = file.open();
    if (ok && (!modeFor(target, mode) || !setMode(file.file().handle(), mode))) {
        ok = false;
        reason = SystemErrorText(errno);
    }
    ok = ok && file.file().write(bytes) == bytes.size() && file.commit();
    if (ok) {
        syncFolder(target);
        return true;
    }
    if (reason.isEmpty())
        reason = file.errorString();
    if (error)
        *error = reason.isEmpty() ? QStringLiteral("Die Datei wurde nicht vollständig geschrieben.") : reason;
    return false;
}

int RemoveLeftovers(const QString& databasePath, const QString& settingsFile,
                    const QStringList& writtenFiles) {
    int removed = DatabaseCopy::RemoveLeftovers(databasePath);
    // The settings store writes under its lock file: holding it, no other instance is in the
    // middle of a write. A store that is no file (the registry) leaves nothing behind.
    if (!settingsFile.isEmpty() && QFileInfo(settingsFile).isFile()) {
        QLockFile lock(settingsFile + ".lock");
        if (lock.tryLock(100))
            removed += removeSaveFileTemps(settingsFile);
    }
    for (const QString& file : writtenFiles)
        if (!file.trimmed().isEmpty())
            removed += removeSaveFileTemps(file);
    return removed;
}

} // namespace WholeFile
