#include "platform/Unzip.h"

#include "platform/SafeFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <zip.h>

#include <algorithm>
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

// The file type bits of a Unix mode, as archives made on Unix carry it in the upper half of
// an entry's external attributes.
constexpr zip_uint32_t TypeMask = 0170000;
constexpr zip_uint32_t TypeFile = 0100000;
constexpr zip_uint32_t TypeFolder = 0040000;

// libzip's reason in German.
QString zipReason(int code) {
    switch (code) {
    case ZIP_ER_OK:
        return QStringLiteral("kein Fehler");
    case ZIP_ER_MULTIDISK:
        return QStringLiteral("mehrteilige Archive werden nicht unterstützt");
    case ZIP_ER_RENAME:
        return QStringLiteral("Umbenennen der temporären Datei fehlgeschlagen");
    case ZIP_ER_CLOSE:
        return QStringLiteral("Schließen des Archivs fehlgeschlagen");
    case ZIP_ER_SEEK:
        return QStringLiteral("Positionieren in der Datei fehlgeschlagen");
    case ZIP_ER_READ:
        return QStringLiteral("Lesefehler");
    case ZIP_ER_WRITE:
        return QStringLiteral("Schreibfehler");
    case ZIP_ER_CRC:
        return QStringLiteral("Prüfsumme falsch");
    case ZIP_ER_ZIPCLOSED:
        return QStringLiteral("Archiv wurde geschlossen");
    case ZIP_ER_NOENT:
        return QStringLiteral("Datei nicht vorhanden");
    case ZIP_ER_EXISTS:
        return QStringLiteral("Name kommt zweimal vor");
    case ZIP_ER_OPEN:
        return QStringLiteral("Datei lässt sich nicht öffnen");
    case ZIP_ER_TMPOPEN:
        return QStringLiteral("temporäre Datei lässt sich nicht anlegen");
    case ZIP_ER_ZLIB:
        return QStringLiteral("Fehler beim Entpacken der Daten");
    case ZIP_ER_MEMORY:
        return QStringLiteral("zu wenig Arbeitsspeicher");
    case ZIP_ER_CHANGED:
        return QStringLiteral("Eintrag wurde geändert");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("Kompressionsverfahren wird nicht unterstützt");
    case ZIP_ER_EOF:
        return QStringLiteral("Datei endet vorzeitig");
    case ZIP_ER_INVAL:
        return QStringLiteral("ungültiges Argument");
    case ZIP_ER_NOZIP:
        return QStringLiteral("kein Zip-Archiv");
    case ZIP_ER_INTERNAL:
        return QStringLiteral("interner Fehler");
    case ZIP_ER_INCONS:
        return QStringLiteral("Archiv ist in sich widersprüchlich");
    case ZIP_ER_REMOVE:
        return QStringLiteral("Datei lässt sich nicht löschen");
    case ZIP_ER_DELETED:
        return QStringLiteral("Eintrag wurde gelöscht");
    case ZIP_ER_ENCRNOTSUPP:
        return QStringLiteral("Verschlüsselungsverfahren wird nicht unterstützt");
    case ZIP_ER_RDONLY:
        return QStringLiteral("Archiv ist nur lesbar");
    case ZIP_ER_NOPASSWD:
        return QStringLiteral("kein Passwort angegeben");
    case ZIP_ER_WRONGPASSWD:
        return QStringLiteral("falsches Passwort");
    case ZIP_ER_OPNOTSUPP:
        return QStringLiteral("Vorgang wird nicht unterstützt");
    case ZIP_ER_INUSE:
        return QStringLiteral("noch in Gebrauch");
    case ZIP_ER_TELL:
        return QStringLiteral("Position in der Datei nicht ermittelbar");
    case ZIP_ER_COMPRESSED_DATA:
        return QStringLiteral("gepackte Daten sind ungültig");
    case ZIP_ER_CANCELLED:
        return QStringLiteral("Vorgang abgebrochen");
    // Codes of later libzip versions.
    case 33:
        return QStringLiteral("Datenlänge stimmt nicht");
    case 34:
        return QStringLiteral("nicht erlaubt");
    case 35:
        return QStringLiteral("Archiv ist abgeschnitten");
    default:
        return QStringLiteral("Fehler %1 der Zip-Bibliothek").arg(code);
    }
}

// A libzip error in German, with the system's reason where it has one.
QString zipReason(const zip_error_t* error) {
    const int code = zip_error_code_zip(error);
    QString text = zipReason(code);
    const int system = zip_error_code_system(error);
    if (zip_error_system_type(error) == ZIP_ET_SYS && system != 0)
        text += QStringLiteral(": ") + SystemErrorText(system);
    return text;
}

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::German).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

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
    UnzipRun(const UnzipOptions& o, UnzipCallbacks& cb, qint64 maxBytes)
        : m_o(o), m_cb(cb), m_maxBytes(maxBytes) {}

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
    bool declaredSizeFits(zip_int64_t count);
    bool isPlainEntry(zip_uint64_t index, zip_uint32_t& mode);
    bool throughLink(const QStringList& folders) const;
    EntryPtr openEntry(zip_uint64_t index, const QString& name);
    bool readEntry(zip_file_t* file, const QString& name, QIODevice* out);
    bool mayWrite(const QString& target, const QDateTime& entryTime, const QString& shownName);
    void list(const zip_stat_t& st, const QString& name);

    const UnzipOptions& m_o;
    UnzipCallbacks& m_cb;
    const qint64 m_maxBytes;
    qint64 m_unpacked = 0;
    bool m_stop = false;
    QString m_archive;
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
        if (error == ZIP_ER_EXISTS)
            m_cb.print(
                QStringLiteral("Das Archiv %1 enthält zwei Einträge mit demselben Namen.\n").arg(archive));
        else
            m_cb.print(QStringLiteral("Kein lesbares Zip-Archiv: %1 (%2)\n").arg(archive, zipReason(&ze)));
        zip_error_fini(&ze);
        return UnzipCode::NoArchive;
    }
    m_zip = zip.get();
    m_archive = archive;
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
    if (m_o.ExtractList == 0 && !declaredSizeFits(count))
        return UnzipCode::ArchiveError;
    for (zip_int64_t i = 0; i < count && !m_stop; ++i)
        handleEntry(static_cast<zip_uint64_t>(i));
    return m_code;
}

// Refuses an archive whose entries say they unpack to more than allowed, before anything
// is written. What they really unpack to is counted as well, while reading.
bool UnzipRun::declaredSizeFits(zip_int64_t count) {
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
            total += static_cast<qint64>(std::min<zip_uint64_t>(st.size, zip_uint64_t(m_maxBytes) + 1));
        if (total > m_maxBytes) {
            m_cb.print(QStringLiteral("Das Archiv %1 ist zu groß: es würde mehr als %2 entpacken.\n")
                           .arg(m_archive, sizeText(m_maxBytes)));
            return false;
        }
    }
    return true;
}

// False for an entry made on Unix as a link, device or pipe: unpacked as a plain file it would
// be something else than it claims. `mode` gets the entry's permission bits, 0 when none.
bool UnzipRun::isPlainEntry(zip_uint64_t index, zip_uint32_t& mode) {
    mode = 0;
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(m_zip, index, 0, &opsys, &attributes) != 0 ||
        opsys != ZIP_OPSYS_UNIX)
        return true;
    const zip_uint32_t type = (attributes >> 16) & TypeMask;
    mode = (attributes >> 16) & 0777;
    return type == 0 || type == TypeFile || type == TypeFolder;
}

// True when one of the folders on the way to an entry is a link: writing there would leave
// the target folder.
bool UnzipRun::throughLink(const QStringList& folders) const {
    QString path;
    for (const QString& f : folders) {
        path = path.isEmpty() ? f : path + '/' + f;
        if (QFileInfo(m_dir.filePath(path)).isSymLink())
            return true;
    }
    return false;
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

    zip_uint32_t mode = 0;
    if (!isPlainEntry(index, mode)) {
        warn(QStringLiteral("Eintrag abgelehnt, er ist keine gewöhnliche Datei (Verknüpfung oder Gerät): %1")
                 .arg(name));
        return;
    }
    if (m_o.HonorDirectories && throughLink(isDir ? parts : parts.mid(0, parts.size() - 1))) {
        warn(QStringLiteral("Eintrag abgelehnt, sein Pfad führt über eine Verknüpfung: %1").arg(name));
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
    SafeFile out(target);
    if (!out.open()) {
        m_cb.print(QStringLiteral("Datei nicht schreibbar: %1 (%2)\n").arg(target, out.errorString()));
        raise(UnzipCode::DiskError);
        return;
    }
    if (!readEntry(file.get(), name, &out.file()))
        return;
    // The Unix mode keeps a program file executable, but never lets others write to it.
    // Without one, what a new file usually gets.
    {
        mode = mode != 0 ? mode & ~zip_uint32_t(022) : 0644;
        QFile::Permissions p;
        if (mode & 0400)
            p |= QFile::ReadOwner | QFile::ReadUser;
        if (mode & 0200)
            p |= QFile::WriteOwner | QFile::WriteUser;
        if (mode & 0100)
            p |= QFile::ExeOwner | QFile::ExeUser;
        if (mode & 0040)
            p |= QFile::ReadGroup;
        if (mode & 0010)
            p |= QFile::ExeGroup;
        if (mode & 0004)
            p |= QFile::ReadOther;
        if (mode & 0001)
            p |= QFile::ExeOther;
        out.file().setPermissions(p);
    }
    if (entryTime.isValid()) {
        out.file().flush();
        out.file().setFileTime(entryTime, QFileDevice::FileModificationTime);
    }
    if (!out.commit()) {
        m_cb.print(QStringLiteral("Datei nicht schreibbar: %1 (%2)\n").arg(target, out.errorString()));
        raise(UnzipCode::DiskError);
        return;
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
    m_cb.print(QStringLiteral("Eintrag nicht lesbar: %1 (%2)\n").arg(name, zipReason(zip_get_error(m_zip))));
    raise(UnzipCode::Warning);
    return nullptr;
}

bool UnzipRun::readEntry(zip_file_t* file, const QString& name, QIODevice* out) {
    char buffer[65536];
    for (;;) {
        // Clocks and windows go on painting while a big entry unpacks; user input waits, so
        // nothing can start a second unpacking inside this one.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            m_cb.print(QStringLiteral("Fehler in %1: %2\n").arg(name, zipReason(zip_file_get_error(file))));
            raise(UnzipCode::ArchiveError);
            return false;
        }
        if (n == 0)
            return true;
        m_unpacked += n;
        if (m_unpacked > m_maxBytes) {
            m_cb.print(QStringLiteral("Das Archiv %1 ist zu groß: %2 entpackt mehr als %3.\n")
                           .arg(m_archive, name, sizeText(m_maxBytes)));
            raise(UnzipCode::ArchiveError);
            m_stop = true;
            return false;
        }
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
    UnzipRun run(options, callbacks, m_maxBytes);
    return run.run(archive, folder);
}
