#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files the program writes are replaced whole or left as they were: the new content goes to a
// temporary file beside the target, is synced and then renamed over the target. A kill, a
// full disk or a pulled stick in between leaves the old file as it was.
namespace WholeFile {

// True when path holds exactly bytes now (an existing file keeps its permission bits, a new
// one gets 0666 less the umask, as a plain create would give it); otherwise
// false with the reason in *error (when given), the old file untouched and no temporary file
// left behind.
bool Write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Removes the temporary files that writes cut short by a kill leave behind: those of the
// copies of the database at databasePath, those of the settings file, and those of Write
// beside each of writtenFiles. A temporary file another process is still writing stays.
// Returns how many files were removed.
int RemoveLeftovers(const QString& databasePath, const QString& settingsFile,
                    const QStringList& writtenFiles);

} // namespace WholeFile
