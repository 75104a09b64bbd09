#include "platform/WholeFile.h"

#include "platform/DatabaseCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

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

// The temporary names QSaveFile (and with it the settings store) gives a file: its name, a
// dot and six random letters or digits.
int removeSaveFileTemps(const QString& target) {
    const QFileInfo info(target);
    if (info.fileName().isEmpty())
        return 0;
    const QRegularExpression temp(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(info.fileName())));
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
    // QSaveFile writes into a file of its own beside the target, syncs it on commit and
    // renames it over the target; a failure at any point discards it. Unbuffered, and the
    // size checked before the commit: a write the disk cut short after some bytes does not
    // count as an error in Qt's buffered writes.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() &&
        file.size() == bytes.size() && file.commit()) {
        syncFolder(path);
        return true;
    }
    if (error)
        *error = file.error() == QFileDevice::NoError
                     ? QStringLiteral("Die Datei wurde nicht vollständig geschrieben.")
                     : file.errorString();
    file.cancelWriting();
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
