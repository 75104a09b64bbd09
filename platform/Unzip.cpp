#include "platform/Unzip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <zip.h>

#include <memory>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct EntryCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;

constexpr int MaxPasswordTries = 3;

QString methodName(zip_uint16_t method) {
    switch (method) {
    case ZIP_CM_STORE:
        return QStringLiteral("Stored");
    case ZIP_CM_DEFLATE:
        return QStringLiteral("Defl:N");
    case ZIP_CM_BZIP2:
        return QStringLiteral("BZip2");
    default:
        return QStringLiteral("Unk:%1").arg(method);
    }
}

// The entry's name split into its parts, or an empty list when the name would leave the
// target folder: absolute, with a drive, or with a ".." part. Both separators count, since
// archives made on Windows may use either.
QStringList safeParts(const QString& name, bool& refused) {
    refused = false;
    if (name.startsWith('/') || name.startsWith('\\') || (name.size() >= 2 && name[1] == ':')) {
        refused = true;
        return {};
    }
    QStringList parts;
    for (const QString& p : name.split(QRegularExpression(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts)) {
        if (p == QLatin1String("..")) {
            refused = true;
            return {};
        }
        if (p != QLatin1String("."))
            parts << p;
    }
    return parts;
}

class UnzipRun {
public:
    UnzipRun(const UnzipOptions& o, UnzipCallbacks& cb) : m_o(o), m_cb(cb) {}

    int run(const QString& archive, const QString& folder);

private:
    void info(int minLevel, const QString& line) {
        if (m_o.MessageLevel <= minLevel)
            m_cb.print(line + '\n');
    }
    void warn(const QString& line) {
        m_cb.print(line + '\n');
        raise(UnzipCode::Warning);
    }
    void raise(int code) {
        // An error outweighs a warning; the first error found is kept.
        if (m_code == UnzipCode::Ok || m_code == UnzipCode::Warning)
            m_code = code;
    }
    void handleEntry(zip_uint64_t index);
    EntryPtr openEntry(zip_uint64_t index, const QString& name);
    bool readEntry(zip_file_t* file, const QString& name, QIODevice* out);
    bool mayWrite(const QString& target, const QDateTime& entryTime, const QString& shownName);
    void list(const zip_stat_t& st, const QString& name);

    const UnzipOptions& m_o;
    UnzipCallbacks& m_cb;
    zip_t* m_zip = nullptr;
    QDir m_dir;
    int m_code = UnzipCode::Ok;
    bool m_passwordDeclined = false;
    bool m_overwriteAll = false;
    bool m_overwriteNone = false;
};

int UnzipRun::run(const QString& archive, const QString& folder) {
    if (archive.isEmpty()) {
        m_cb.print(QStringLiteral("Kein Archiv angegeben.\n"));
        return UnzipCode::BadOptions;
    }
    if (!QFileInfo(archive).isFile()) {
        m_cb.print(QStringLiteral("Archiv nicht gefunden: %1\n").arg(archive));
        return UnzipCode::NoArchive;
    }
    int error = 0;
    ArchivePtr zip(zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        m_cb.print(QStringLiteral("Kein lesbares Zip-Archiv: %1 (%2)\n")
                       .arg(archive, QString::fromUtf8(zip_error_strerror(&ze))));
        zip_error_fini(&ze);
        return UnzipCode::NoArchive;
    }
    m_zip = zip.get();
    m_dir = QDir(folder.isEmpty() ? QDir::currentPath() : folder);
    info(1, QStringLiteral("Archiv: %1").arg(archive));
    if (m_o.DisplayComment) {
        int length = 0;
        const char* comment = zip_get_archive_comment(m_zip, &length, ZIP_FL_ENC_GUESS);
        if (comment && length > 0)
            m_cb.print(QString::fromUtf8(comment, length) + '\n');
    }
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count <= 0) {
        m_cb.print(QStringLiteral("Das Archiv enthält keine Dateien: %1\n").arg(archive));
        return UnzipCode::NothingFound;
    }
    for (zip_int64_t i = 0; i < count; ++i)
        handleEntry(static_cast<zip_uint64_t>(i));
    return m_code;
}

void UnzipRun::handleEntry(zip_uint64_t index) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
        m_cb.print(QStringLiteral("Eintrag %1 ist nicht lesbar.\n").arg(index + 1));
        raise(UnzipCode::ArchiveError);
        return;
    }
    const QString name = QString::fromUtf8(st.name);
    m_cb.service(name, static_cast<qint64>(st.size));
    if (m_o.ExtractList != 0) {
        list(st, name);
        return;
    }
    bool refused = false;
    QStringList parts = safeParts(name, refused);
    if (refused) {
        warn(QStringLiteral("Eintrag abgelehnt, sein Pfad führt aus dem Zielordner: %1").arg(name));
        return;
    }
    const bool isDir = name.endsWith('/') || name.endsWith('\\');
    if (parts.isEmpty())
        return;
    if (m_o.SpaceToUnderScore)
        for (QString& p : parts)
            p.replace(' ', '_');

    if (m_o.TestZip) {
        if (isDir)
            return;
        EntryPtr file = openEntry(index, name);
        if (file && readEntry(file.get(), name, nullptr))
            info(0, QStringLiteral("  geprüft: %1  OK").arg(name));
        return;
    }
    if (m_o.WriteToStdOut) {
        if (isDir)
            return;
        EntryPtr file = openEntry(index, name);
        QByteArray content;
        QBuffer buffer(&content);
        buffer.open(QIODevice::WriteOnly);
        if (file && readEntry(file.get(), name, &buffer))
            m_cb.print(QString::fromLatin1(content));
        return;
    }

    if (isDir) {
        if (!m_o.HonorDirectories)
            return;
        const QString path = parts.join('/');
        if (!m_dir.mkpath(path)) {
            m_cb.print(QStringLiteral("Ordner nicht anlegbar: %1\n").arg(m_dir.filePath(path)));
            raise(UnzipCode::DiskError);
            return;
        }
        info(0, QStringLiteral("   angelegt: %1").arg(m_dir.filePath(path)));
        return;
    }
    const QString relative = m_o.HonorDirectories ? parts.join('/') : parts.last();
    const QString target = m_dir.filePath(relative);
    const QDateTime entryTime =
        (st.valid & ZIP_STAT_MTIME) ? QDateTime::fromSecsSinceEpoch(st.mtime) : QDateTime();
    if (!mayWrite(target, entryTime, relative))
        return;
    if (!QFileInfo(target).absoluteDir().exists() && !QDir().mkpath(QFileInfo(target).absolutePath())) {
        m_cb.print(QStringLiteral("Ordner nicht anlegbar: %1\n").arg(QFileInfo(target).absolutePath()));
        raise(UnzipCode::DiskError);
        return;
    }
    EntryPtr file = openEntry(index, name);
    if (!file)
        return;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        m_cb.print(QStringLiteral("Datei nicht schreibbar: %1 (%2)\n").arg(target, out.errorString()));
        raise(UnzipCode::DiskError);
        return;
    }
    if (!readEntry(file.get(), name, &out)) {
        out.cancelWriting();
        return;
    }
    if (!out.commit()) {
        m_cb.print(QStringLiteral("Datei nicht schreibbar: %1 (%2)\n").arg(target, out.errorString()));
        raise(UnzipCode::DiskError);
        return;
    }
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(m_zip, index, 0, &opsys, &attributes) == 0 &&
        opsys == ZIP_OPSYS_UNIX) {
        // The Unix mode in the upper half: keeps a program file executable.
        const mode_t mode = (attributes >> 16) & 0777;
        if (mode != 0) {
            QFile::Permissions p;
            if (mode & 0400)
                p |= QFile::ReadOwner | QFile::ReadUser;
            if (mode & 0200)
                p |= QFile::WriteOwner | QFile::WriteUser;
            if (mode & 0100)
                p |= QFile::ExeOwner | QFile::ExeUser;
            if (mode & 0040)
                p |= QFile::ReadGroup;
            if (mode & 0020)
                p |= QFile::WriteGroup;
            if (mode & 0010)
                p |= QFile::ExeGroup;
            if (mode & 0004)
                p |= QFile::ReadOther;
            if (mode & 0002)
                p |= QFile::WriteOther;
            if (mode & 0001)
                p |= QFile::ExeOther;
            QFile::setPermissions(target, p);
        }
    }
    if (entryTime.isValid()) {
        QFile written(target);
        if (written.open(QIODevice::ReadWrite))
            written.setFileTime(entryTime, QFileDevice::FileModificationTime);
    }
    info(0, QStringLiteral("  entpackt: %1").arg(target));
}

bool UnzipRun::mayWrite(const QString& target, const QDateTime& entryTime, const QString& shownName) {
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isFile()) {
        m_cb.print(QStringLiteral("Kein Ersetzen eines Ordners durch eine Datei: %1\n").arg(target));
        raise(UnzipCode::DiskError);
        return false;
    }
    const bool newer = !existing.exists() || !entryTime.isValid() || entryTime > existing.lastModified();
    if (m_o.ExtractOnlyNewer) {
        if (!existing.exists() || !newer) {
            info(1, QStringLiteral("  übersprungen: %1").arg(shownName));
            return false;
        }
        return true;
    }
    if (m_o.ExtractNewer) {
        if (!newer)
            info(1, QStringLiteral("  übersprungen: %1").arg(shownName));
        return newer;
    }
    if (!existing.exists() || m_o.OverWriteFiles || m_overwriteAll)
        return true;
    if (!m_o.PromptOverwrite || m_overwriteNone) {
        info(1, QStringLiteral("  übersprungen: %1").arg(shownName));
        return false;
    }
    switch (m_cb.replace(target)) {
    case UnzipReplace::Yes:
        return true;
    case UnzipReplace::All:
        m_overwriteAll = true;
        return true;
    case UnzipReplace::None:
        m_overwriteNone = true;
        [[fallthrough]];
    default:
        info(1, QStringLiteral("  übersprungen: %1").arg(shownName));
        return false;
    }
}

EntryPtr UnzipRun::openEntry(zip_uint64_t index, const QString& name) {
    EntryPtr file(zip_fopen_index(m_zip, index, 0));
    if (file)
        return file;
    int tries = 0;
    while (zip_error_code_zip(zip_get_error(m_zip)) == ZIP_ER_NOPASSWD ||
           zip_error_code_zip(zip_get_error(m_zip)) == ZIP_ER_WRONGPASSWD) {
        if (zip_error_code_zip(zip_get_error(m_zip)) == ZIP_ER_WRONGPASSWD)
            m_cb.print(QStringLiteral("Falsches Passwort für %1\n").arg(name));
        if (m_passwordDeclined || tries++ >= MaxPasswordTries)
            break;
        QByteArray password;
        if (m_cb.password(password, QStringLiteral("Passwort für %1").arg(name), name) != 0 ||
            password.isEmpty()) {
            m_passwordDeclined = true;
            break;
        }
        zip_error_clear(m_zip);
        file.reset(zip_fopen_index_encrypted(m_zip, index, 0, password.constData()));
        if (file) {
            // Later entries usually share the password; try it first there.
            zip_set_default_password(m_zip, password.constData());
            return file;
        }
    }
    m_cb.print(
        QStringLiteral("Eintrag nicht lesbar: %1 (%2)\n").arg(name, QString::fromUtf8(zip_strerror(m_zip))));
    raise(UnzipCode::Warning);
    return nullptr;
}

bool UnzipRun::readEntry(zip_file_t* file, const QString& name, QIODevice* out) {
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            m_cb.print(
                QStringLiteral("Fehler in %1: %2\n").arg(name, QString::fromUtf8(zip_file_strerror(file))));
            raise(UnzipCode::ArchiveError);
            return false;
        }
        if (n == 0)
            return true;
        if (out && out->write(buffer, n) != n) {
            m_cb.print(QStringLiteral("Schreibfehler bei %1: %2\n").arg(name, out->errorString()));
            raise(UnzipCode::DiskError);
            return false;
        }
    }
}

void UnzipRun::list(const zip_stat_t& st, const QString& name) {
    UnzipListEntry e;
    e.fileName = name;
    e.uncompressedSize = (st.valid & ZIP_STAT_SIZE) ? static_cast<qint64>(st.size) : 0;
    e.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? static_cast<qint64>(st.comp_size) : 0;
    e.ratio = e.uncompressedSize > 0
                  ? static_cast<int>((100 * (e.uncompressedSize - e.compressedSize)) / e.uncompressedSize)
                  : 0;
    if (st.valid & ZIP_STAT_MTIME)
        e.modified = QDateTime::fromSecsSinceEpoch(st.mtime);
    e.method = (st.valid & ZIP_STAT_COMP_METHOD) ? methodName(st.comp_method) : QString();
    e.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
    e.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    m_cb.message(e);
}

} // namespace

int LibzipUnzipper::unzip(const QString& archive, const QString& folder, const UnzipOptions& options,
                          UnzipCallbacks& callbacks) {
    UnzipRun run(options, callbacks);
    return run.run(archive, folder);
}
