#include "timing/frmChronivo.h"

#include "platform/DatabaseCopy.h"
#include "platform/Services.h"
#include "results/BackupLog.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void frmChronivo::buildFilesMenu(QMenu* fileMenu) {
    QAction* before = mnuPrintTable;
    const auto add = [&](QAction*& item, const char* name, const char* caption,
                         void (frmChronivo::*handler)()) {
        item = new QAction(QString::fromUtf8(caption), this);
        item->setObjectName(name);
        fileMenu->insertAction(before, item);
        connect(item, &QAction::triggered, this, handler);
    };
    add(mnuLogDatei, "mnuLogDatei", "&Pfad für Zusatzsicherung einstellen", &frmChronivo::mnuLogDatei_Click);
    add(mnuDatabaseBackup, "mnuDatabaseBackup", "Datenbank &sichern", &frmChronivo::mnuDatabaseBackup_Click);
    fileMenu->insertSeparator(before);
}

// ----- backup file --------------------------------------------------------------------------

void frmChronivo::AppendLogLine(const QString& path, const QString& text) {
    BackupLog::AppendLogLine(*m_services.dialogs, path, text);
}

void frmChronivo::WriteLogRecord(const QString& path, qint32 place, const QString& startnummer,
                                 const QString& raceClock, const QString& lauf, qint32 grossMs, qint32 netMs,
                                 const QString& dateTime) {
    BackupLog::Record record;
    record.lauf = lauf;
    record.startDisplay = lblStartTimeOut->text();
    record.platz = place;
    record.startnummer = startnummer;
    record.raceClock = raceClock;
    record.grossMs = grossMs;
    record.netMs = netMs;
    record.dateTime = dateTime;
    BackupLog::AppendLogLine(*m_services.dialogs, path, BackupLog::FormatRecord(record));
}

void frmChronivo::mnuLogDatei_Click() {
    SettingsStore& settings = *m_services.settings;
    const auto logDatei = [&] {
        return settings.GetSetting(Section, "LogDatei",
                                   BackupLog::DefaultPath(m_services.clock->now().date()));
    };
    CoDi1.fileName = logDatei();
    // A cancelled dialog changes nothing, and no start line is written.
    if (!m_services.dialogs->ShowSave(CoDi1))
        return;
    if (!CoDi1.fileName.trimmed().isEmpty())
        settings.SaveSetting(Section, "LogDatei", CoDi1.fileName);
    lblLogdatei->setText(logDatei());
    AppendLogLine(lblLogdatei->text(),
                  BackupLog::StartLine(m_services.clock->now().time().toString("hh:mm:ss")));
}

// ----- database copy ------------------------------------------------------------------------

void frmChronivo::mnuDatabaseBackup_Click() {
    const QString source = m_services.local.gsDbPath;
    const QString target = source + "_" + m_services.clock->now().toString("yyyyMMddhhmmss");
    m_services.dialogs->MsgBox("Folgende Backup-Datei wird erstellt:\r\r" + target, 64);
    // The program keeps the database open and may be writing to it: the copy is taken by
    // SQLite's online backup, never as a byte copy of a file in use.
    if (!DatabaseCopy::Copy(source, target))
        m_services.dialogs->MsgBox("Fehler beim erstellen des Backups!!", 16);
    else
        m_services.dialogs->MsgBox("Backup erfolgreich erstellt!", 64);
}
