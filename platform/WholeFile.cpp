#include "platform/WholeFile.h"

#include "platform/DatabaseCopy.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

namespace {

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
    bool ok = file.open();
    if (ok && QFileInfo::exists(target))
        file.file().setPermissions(QFileInfo(target).permissions());
    ok = ok && file.file().write(bytes) == bytes.size() && file.commit();
    if (ok) {
        syncFolder(target);
        return true;
    }
    if (error)
        *error = file.errorString().isEmpty()
                     ? QStringLiteral("Die Datei wurde nicht vollständig geschrieben.")
                     : file.errorString();
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
