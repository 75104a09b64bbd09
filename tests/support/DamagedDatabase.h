#pragma once

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Damages the page that holds the result table of a database file, leaving the stored queries
// readable: the file still opens, but the engine's check finds the broken page. Returns false
// when the file could not be prepared.
inline bool damageResultTable(const QString& path) {
    qint64 pageSize = 0;
    qint64 rootPage = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "damage");
        db.setDatabaseName(path);
        if (!db.open())
            return false;
        QSqlQuery q(db);
        q.exec("PRAGMA page_size");
        if (q.next())
            pageSize = q.value(0).toLongLong();
        q.exec("select rootpage from sqlite_master where type = 'table' and name = 'Chronvo'");
        if (q.next())
            rootPage = q.value(0).toLongLong();
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase("damage");
    if (pageSize <= 0 || rootPage <= 1)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek((rootPage - 1) * pageSize))
        return false;
    // 0x00 is no valid b-tree page type.
    return f.write(QByteArray(8, '\0')) == 8;
}

// A file or folder made unwritable for as long as the guard lives, even for root: the
// immutable flag where the file system and the user's rights allow it, the permission bits
// otherwise. A read-only folder refuses the journal file the database's first change needs.
class ReadOnlyGuard final {
public:
    explicit ReadOnlyGuard(const QString& path) : m_path(path) {
        m_permissions = QFile::permissions(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner);
        m_immutable = setImmutable(true);
    }
    ~ReadOnlyGuard() {
        if (m_immutable)
            setImmutable(false);
        QFile::setPermissions(m_path, m_permissions);
    }
    ReadOnlyGuard(const ReadOnlyGuard&) = delete;
    ReadOnlyGuard& operator=(const ReadOnlyGuard&) = delete;

    // True when even this process can no longer write there.
    bool effective() const { return m_immutable || ::geteuid() != 0; }

private:
    bool setImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    QString m_path;
    QFile::Permissions m_permissions;
    bool m_immutable = false;
};
