#include "platform/SafeFile.h"

#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

SafeFile::SafeFile(const QString& target)
    : m_target(target), m_temp(QFileInfo(target).absolutePath() + QStringLiteral("/.") +
                               QFileInfo(target).fileName() + QStringLiteral(".XXXXXX")) {}

bool SafeFile::open() {
    errno = 0;
    if (m_temp.open())
        return true;
    m_error = SystemErrorText(errno);
    return false;
}

bool SafeFile::commit() {
    if (!m_temp.isOpen()) {
        m_error = SystemErrorText(EBADF);
        return false;
    }
    if (!m_temp.flush()) {
        m_error = SystemErrorText(errno ? errno : EIO);
        return false;
    }
    // A write the disk cut short after some bytes is not always an error for Qt's buffered
    // writes: the file on disk must hold every byte written.
    if (QFileInfo(m_temp.fileName()).size() != m_temp.pos()) {
        m_error = SystemErrorText(ENOSPC);
        return false;
    }
#ifdef Q_OS_UNIX
    if (::fsync(m_temp.handle()) != 0) {
        m_error = SystemErrorText(errno);
        return false;
    }
#endif
    m_temp.close();
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(m_temp.fileName().toStdU16String()),
                            std::filesystem::path(m_target.toStdU16String()), ec);
    if (ec) {
        m_error = SystemErrorText(ec.value());
        return false;
    }
    m_temp.setAutoRemove(false);
    return true;
}

QString SystemErrorText(int errnum) {
    switch (errnum) {
    case ENOENT:
        return QStringLiteral("Datei oder Ordner nicht vorhanden");
    case EACCES:
    case EPERM:
        return QStringLiteral("Zugriff verweigert");
    case ENOSPC:
        return QStringLiteral("Datenträger voll");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("Speicherkontingent erschöpft");
#endif
    case EROFS:
        return QStringLiteral("Datenträger ist schreibgeschützt");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler des Datenträgers");
    case EISDIR:
        return QStringLiteral("ist ein Ordner");
    case ENOTDIR:
        return QStringLiteral("ein Teil des Pfads ist kein Ordner");
    case EEXIST:
        return QStringLiteral("Datei ist schon vorhanden");
    case ELOOP:
        return QStringLiteral("zu viele Verknüpfungen im Pfad");
    case ENAMETOOLONG:
        return QStringLiteral("Name zu lang");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("zu viele offene Dateien");
    case ENOMEM:
        return QStringLiteral("zu wenig Arbeitsspeicher");
    case EXDEV:
        return QStringLiteral("Ziel liegt auf einem anderen Datenträger");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("Datei ist in Gebrauch");
    case EBADF:
        return QStringLiteral("Datei ist nicht geöffnet");
    case EFBIG:
        return QStringLiteral("Datei zu groß");
    default:
        return QStringLiteral("Systemfehler %1").arg(errnum);
    }
}
