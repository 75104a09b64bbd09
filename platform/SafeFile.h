#pragma once

#include <QString>
#include <QTemporaryFile>

// A file written under a fresh name beside its target and put in place by one rename. The
// fresh name is created exclusively, so nothing planted there beforehand is written through,
// and the rename replaces whatever stands at the target's name, a link included, without
// following it. Until commit() the target stays as it was; an uncommitted file is removed.
class SafeFile final {
public:
    explicit SafeFile(const QString& target);

    // Creates the fresh file; false with errorString() when that fails.
    bool open();
    // The open file, for writing and for setting its permissions and times before commit().
    QFileDevice& file() { return m_temp; }
    // Flushes and syncs the data, then renames the file into place; false with errorString()
    // when any step fails, leaving the target as it was.
    bool commit();
    const QString& errorString() const { return m_error; }

private:
    QString m_target;
    QTemporaryFile m_temp;
    QString m_error;
};

// A German description of a system error number (errno).
QString SystemErrorText(int errnum);
