#include "update/OnlineUpdate.h"

#include "core/Convert.h"
#include "core/modGlobal.h"
#include "platform/Services.h"
#include "update/CGUnzipFiles.h"
#include "update/ProgramFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>

std::optional<ProductRow> LookupProduct(int productNumber, const QString& ownProgramFileName) {
    if (productNumber == ThisProductNumber)
        return ProductRow{ThisProductNumber, 3, QStringLiteral("chronivo.zip"), ownProgramFileName};
    return std::nullopt;
}

QString ProgramFileNameInArchive(const QString& programFile) {
#ifdef Q_OS_WIN
    Q_UNUSED(programFile);
    return QStringLiteral("Chronivo.exe");
#else
    return QFileInfo(programFile).fileName();
#endif
}

QString UpdateBaseUrl(const QString& commandLine, const QString& normalBaseUrl) {
    return commandLine == QLatin1String("TEST") ? QString::fromLatin1(TestBaseUrl) : normalBaseUrl;
}

QStringList VersionOffers(const QString& versionList, int productIndex) {
    QStringList lines;
    QString lf = QStringLiteral("\n");
    int limit = -1;
    int compare = modGlobal::BinaryCompare;
    modGlobal::SplitToArray(versionList, lines, lf, limit, compare);
    QStringList offers;
    for (QString line : lines) {
        // A list written with CR LF line ends must not carry the CR into the question.
        if (line.endsWith('\r'))
            line.chop(1);
        const QStringList fields = modGlobal::SplitString(line, QStringLiteral("#"));
        if (Convert::Val(fields.value(0)) == productIndex)
            offers << fields.value(1);
    }
    return offers;
}

QString OnlineUpdate::OpenURL(const QString& url) {
    return m_services.http->OpenURL(url);
}

bool OnlineUpdate::DownloadFile(const QString& url, const QString& fileName, QString* error) {
    return m_services.http->DownloadFile(url, fileName, error);
}

void OnlineUpdate::Cancel() {
    m_cancelled = true;
    m_services.http->abort();
}

void OnlineUpdate::reportNotLoaded(const QString& reason) {
    m_services.dialogs->MsgBox(QStringLiteral("Das Update konnte nicht geladen werden: %1.\r"
                                              "Das Programm bleibt in der bisherigen Version.")
                                   .arg(reason),
                               MsgBoxStyle::Critical);
}

bool OnlineUpdate::CheckForUpdate() {
    Dialogs& dialogs = *m_services.dialogs;
    const QString temp = modGlobal::GetTempDir();
    const QString base = UpdateBaseUrl(m_services.commandLine, m_services.updateBaseUrl);
    const QString text = OpenURL(base + QStringLiteral("versions.txt"));
    if (m_cancelled)
        return false;
    if (text.isEmpty()) {
        dialogs.MsgBox(QStringLiteral("Keine Versionsinformationen im Internet gefunden!"),
                       MsgBoxStyle::Information);
        return false;
    }
    const std::optional<ProductRow> product =
        LookupProduct(ThisProductNumber, ProgramFileNameInArchive(m_services.programFile));
    if (text.contains(QStringLiteral("404 Not Found"), Qt::CaseInsensitive)) {
        dialogs.MsgBox(QStringLiteral("Keine Versions Informationen gefunden!"), MsgBoxStyle::Information);
        return false;
    }
    bool installed = false;
    for (const QString& version : VersionOffers(text, product->productIndex)) {
        const int answer =
            dialogs.MsgBox(QStringLiteral("Auf unserer Homepage steht die Version %1 für Sie "
                                          "bereit!\rSoll diese Programm Version installiert werden?")
                               .arg(version),
                           MsgBoxStyle::YesNo + MsgBoxStyle::Information);
        if (answer != MsgBoxResult::Yes)
            continue;
        // A folder of its own, made fresh for this download and removed afterwards: in the
        // shared temp folder anyone may have put files or links under the archive's names.
        QTemporaryDir work(temp + QStringLiteral("chronivo-update-XXXXXX"));
        if (!work.isValid()) {
            dialogs.MsgBox(QStringLiteral("Im Ordner %1 lässt sich kein Arbeitsordner für das Update "
                                          "anlegen; das Update wird nicht installiert.")
                               .arg(temp),
                           MsgBoxStyle::Critical);
            continue;
        }
        const QString folder = work.path() + QStringLiteral("/");
        const QString localArchive = folder + product->archiveName;
        QString error;
        const bool loaded = DownloadFile(base + product->archiveName, localArchive, &error);
        if (m_cancelled)
            break;
        if (!loaded) {
            reportNotLoaded(error);
            continue;
        }
        if (install(localArchive, folder, *product))
            installed = true;
    }
    return installed;
}

bool OnlineUpdate::install(const QString& localArchive, const QString& folder, const ProductRow& product) {
    Dialogs& dialogs = *m_services.dialogs;
    const QString newFile = folder + product.programFileName;
    CGUnzipFiles unzip(*m_services.unzipper, dialogs);
    unzip.setZipFileName(localArchive);
    unzip.setExtractDir(folder);
    unzip.setHonorDirectories(false);
    const int unzipped = unzip.Unzip();
    if (unzipped != 0)
        dialogs.MsgBox(unzip.GetLastMessage(), MsgBoxStyle::OkOnly);
    if (!QFileInfo::exists(newFile) && !QFileInfo(newFile).isSymLink()) {
        // A failed unpacking has said why already.
        if (unzipped == 0)
            reportNotLoaded(QStringLiteral("das Archiv %1 enthält keine Programmdatei %2")
                                .arg(product.archiveName, product.programFileName));
        return false;
    }
    QString reason;
    if (!IsRunnableProgram(newFile, reason)) {
        dialogs.MsgBox(QStringLiteral("Die heruntergeladene Datei %1 ist kein ausführbares Programm für "
                                      "dieses System (%2).\rDas Programm bleibt in der bisherigen Version.")
                           .arg(product.programFileName, reason),
                       MsgBoxStyle::Critical);
        return false;
    }
    const QString target = m_services.programFile;
    const QString backup =
        target + QStringLiteral("_") + m_services.clock->now().toString(QStringLiteral("yyyyMMddhhmmss"));
    QString error;
    if (!ReplaceProgramFile(newFile, target, backup, error)) {
        dialogs.MsgBox(QStringLiteral("Die neue Programmversion konnte nicht installiert werden!\r%1\r"
                                      "Das Programm bleibt in der bisherigen Version.")
                           .arg(error),
                       MsgBoxStyle::Critical);
        return false;
    }
    return true;
}
