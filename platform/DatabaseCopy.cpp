#include "platform/DatabaseCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

// Opens a connection; on failure answers null with the reason.
Connection open(const QString& path, int flags, QString& error) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        error = raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QString::fromUtf8(sqlite3_errstr(rc));
        return nullptr;
    }
    // A writer holding the file for a commit makes us wait a little, not fail.
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

bool exec(sqlite3* db, const char* sql, QString& error) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    error = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}

bool backup(const QString& source, const QString& temp, QString& error) {
    if (!QFileInfo(source).isFile()) {
        error = QStringLiteral("Datei '%1' nicht gefunden.").arg(source);
        return false;
    }
    Connection from = open(source, SQLITE_OPEN_READONLY, error);
    if (!from)
        return false;
    Connection to = open(temp, SQLITE_OPEN_READWRITE, error);
    if (!to)
        return false;
    // The copy must be on disk when success is reported.
    if (!exec(to.get(), "PRAGMA synchronous=FULL", error))
        return false;
    sqlite3_backup* job = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!job) {
        error = QString::fromUtf8(sqlite3_errmsg(to.get()));
        return false;
    }
    // All pages in one step under one read lock of the source: one consistent state.
    // The source is busy only while a writer commits, a few milliseconds at a time: trying
    // again often finds the gap between two results even at a mass finish, where waiting
    // long between tries could miss every gap. Up to about ten seconds in all.
    int rc = sqlite3_backup_step(job, -1);
    for (int tries = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && tries < 10000; ++tries) {
        sqlite3_sleep(1);
        rc = sqlite3_backup_step(job, -1);
    }
    const int finish = sqlite3_backup_finish(job);
    if (rc != SQLITE_DONE || finish != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finish));
        return false;
    }
    return true;
}

} // namespace

namespace DatabaseCopy {

bool Copy(const QString& source, const QString& target, QString* error) {
    QString reason;
    const QFileInfo targetInfo(target);
    // Beside the target, so that putting it in place is a rename within one file system.
    QTemporaryFile temp(targetInfo.absolutePath() + "/." + targetInfo.fileName() + ".XXXXXX");
    bool ok = temp.open();
    if (!ok)
        reason = temp.errorString();
    if (ok) {
        // Held until the copy is in place or removed: the start-up's clean-up of files left by
        // a kill passes over a temporary file another instance is still writing.
        ::flock(temp.handle(), LOCK_EX);
        ok = backup(source, temp.fileName(), reason);
    }
    // The copy is readable by whoever may read the original: the temporary file was made
    // for the owner alone. The bits are the file's own, not what this account may do with it
    // (root may do anything); set-id and sticky bits stay behind on a file now this account's.
    struct stat st {};
    if (ok && (::stat(QFile::encodeName(source).constData(), &st) != 0 ||
               ::fchmod(temp.handle(), st.st_mode & 0777) != 0)) {
        ok = false;
        reason = QStringLiteral("Die Rechte der Datei '%1' lassen sich nicht setzen.").arg(temp.fileName());
    }
    if (ok) {
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(temp.fileName().toStdU16String()),
                                std::filesystem::path(target.toStdU16String()), ec);
        if (ec) {
            ok = false;
            reason = QString::fromStdString(ec.message());
        } else {
            temp.setAutoRemove(false);
        }
    }
    if (!ok && error)
        *error = reason;
    return ok;
}

int RemoveLeftovers(const QString& source) {
    const QFileInfo info(source);
    const QRegularExpression temp(QStringLiteral("^\\.%1_.*\\.[A-Za-z0-9]{6}(-journal)?$")
                                      .arg(QRegularExpression::escape(info.fileName())));
    QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString& name : names) {
        if (!temp.match(name).hasMatch())
            continue;
        // A journal belongs to its copy: it goes with it, or alone when the copy is gone.
        if (name.endsWith("-journal")) {
            if (!names.contains(name.chopped(8)) && folder.remove(name))
                ++removed;
            continue;
        }
        const QString path = folder.filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removed += QFile::remove(path + "-journal") ? 1 : 0;
            removed += QFile::remove(path) ? 1 : 0;
        }
        ::close(fd);
    }
    return removed;
}

} // namespace DatabaseCopy
