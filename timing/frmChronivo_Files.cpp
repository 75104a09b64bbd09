#include "timing/frmChronivo.h"

#include "core/SystemFormats.h"
#include "platform/DatabaseCopy.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "results/BackupLog.h"
#include "results/DataControl.h"
#include "results/ExportFile.h"
#include "results/FileImport.h"
#include "timing/ElidedLabel.h"

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QHBoxLayout>

#include <optional>

namespace {

constexpr const char* KeyFastSave = "FastSaveDatei";
constexpr const char* KeyLogDatei = "LogDatei";

// The run's rows for an export or a fast save, or nothing when there are none (said in a box)
// or the user does not want rows without start number written.
std::optional<Recordset> rowsToWrite(Database& db, qint32 lauf, Dialogs& dialogs, const QString& title) {
    Recordset rows = ExportFile::AllValues(db, lauf);
    if (rows.RecordCount() < 1) {
        dialogs.MsgBox("Keine Zeiten zum speichern gefunden!", 64);
        return std::nullopt;
    }
    const int count = ExportFile::CountWithoutStartnummer(rows);
    if (count > 0 && dialogs.MsgBox(QStringLiteral("Es gibt >> %1 << Wertungen ohne Startnummer !\r"
                                                   "Die Zeiten werden keinen Teilnehmer zugeordnet !\r\r"
                                                   "Sollen die Zeiten dennoch gespeichert werden ?")
                                        .arg(count),
                                    20, title) != MsgBoxResult::Yes)
        return std::nullopt;
    return rows;
}

} // namespace

void frmChronivo::buildFilesMenu(QMenu* fileMenu) {
    QAction* before = mnuPrintTable;
    const auto add = [&](QAction*& item, const char* name, const char* caption,
                         void (frmChronivo::*handler)()) {
        item = new QAction(QString::fromUtf8(caption), this);
        item->setObjectName(name);
        fileMenu->insertAction(before, item);
        connect(item, &QAction::triggered, this, handler);
    };
    add(mnuSaveDatabase, "mnuSaveDatabase", "Export-Datei für Vek. Lauf &speichern",
        &frmChronivo::mnuSaveDatabase_Click);
    add(mnuLoadDatei, "mnuLoadDatei", "Export-Datei &laden", &frmChronivo::mnuLoadDatei_Click);
    add(mnufastSave, "mnufastSave", "Pfad für &Schnellspeicherung", &frmChronivo::mnufastSave_Click);
    fileMenu->insertSeparator(before);
    add(mnuLoadZeitDatei, "mnuLoadZeitDatei", "RF-Reader Zeit-Datei laden",
        &frmChronivo::mnuLoadZeitDatei_Click);
    add(mnuLoadStartnummern, "mnuLoadStartnummern", "Startnummern-Datei einlesen",
        &frmChronivo::mnuLoadStartnummern_Click);
    fileMenu->insertSeparator(before);
    add(mnuLogDatei, "mnuLogDatei", "&Pfad für Zusatzsicherung einstellen", &frmChronivo::mnuLogDatei_Click);
    add(mnuDatabaseBackup, "mnuDatabaseBackup", "Datenbank &sichern", &frmChronivo::mnuDatabaseBackup_Click);
    fileMenu->insertSeparator(before);
}

void frmChronivo::buildFilesArea() {
    // The second line of the bottom bar, under the backup file: the left column and the area
    // below the grid change with the window's modes, the bar does not.
    fraFastSave = new QFrame(picBottom);
    fraFastSave->setObjectName("fraFastSave");
    fraFastSave->setGeometry(8, 27, 610, 25);
    auto* layout = new QHBoxLayout(fraFastSave);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(
        new QLabel(QString::fromUtf8("Schnellspeicherung der Import-Datei für Vek. Lauf"), fraFastSave));
    cmdFastSave =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), "Speichern", fraFastSave);
    cmdFastSave->setObjectName("cmdFastSave");
    cmdFastSave->setToolTip("Erfasste Wertungen sofort speichern");
    layout->addWidget(cmdFastSave);
    layout->addWidget(new QLabel("Pfad:", fraFastSave));
    lblFastSave = new ElidedLabel(fraFastSave);
    lblFastSave->setObjectName("lblFastSave");
    lblFastSave->setMinimumWidth(60);
    layout->addWidget(lblFastSave, 1);
    connect(cmdFastSave, &QPushButton::clicked, this, &frmChronivo::cmdFastSave_Click);
    buildTimeFilePanel();
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
        return settings.GetSetting(Section, KeyLogDatei,
                                   BackupLog::DefaultPath(m_services.clock->now().date()));
    };
    CoDi1.fileName = logDatei();
    // A cancelled dialog changes nothing, and no start line is written.
    if (!m_services.dialogs->ShowSave(CoDi1))
        return;
    if (!CoDi1.fileName.trimmed().isEmpty())
        settings.SaveSetting(Section, KeyLogDatei, CoDi1.fileName);
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

// ----- export file and fast save ------------------------------------------------------------

void frmChronivo::mnuSaveDatabase_Click() {
    try {
        std::optional<Recordset> rows =
            rowsToWrite(localDatabase(), currentLauf(), *m_services.dialogs, windowTitle());
        if (!rows)
            return;
        CoDi1.fileName = SystemFormats::DefaultDrivePath("c:\\Chronivo.exp");
        if (!m_services.dialogs->ShowSave(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
            return;
        const ExportFile::Written written =
            ExportFile::Build(*rows, ExportFile::Mode::Export, [this](qint32 startnummer) {
                return m_services.dialogs->MsgBox(
                           QStringLiteral("Startnummer: %1 hat ein ungültige Zeit!\r"
                                          "Es können kein Laufzeiten größer 7 Stunden verwaltet werden!\r"
                                          "Zeit wird nicht gespeichert!\r\rWeitermachen???")
                               .arg(startnummer),
                           68) == MsgBoxResult::Yes;
            });
        // A row that can't be written leaves the old file as it was; what was written before
        // the user's stop is the file's whole content.
        if (written.error)
            throw *written.error;
        ExportFile::WriteWhole(CoDi1.fileName, written.bytes);
        if (written.stoppedByUser)
            return;
        Data1->Refresh();
        Data2->Refresh();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmChronivo::cmdFastSave_Click() {
    try {
        const QString path =
            m_services.settings->GetSetting(Section, KeyFastSave, ExportFile::DefaultFastSavePath());
        if (path.trimmed().isEmpty()) {
            m_services.dialogs->MsgBox("Keinen Pfad für Schnellspeicherung angegeben!", 64);
            return;
        }
        std::optional<Recordset> rows =
            rowsToWrite(localDatabase(), currentLauf(), *m_services.dialogs, windowTitle());
        if (!rows)
            return;
        const ExportFile::Written written =
            ExportFile::Build(*rows, ExportFile::Mode::FastSave, [](qint32) { return true; });
        if (written.error)
            throw *written.error;
        ExportFile::WriteWhole(path, written.bytes);
        RefreshResultViews();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmChronivo::mnufastSave_Click() {
    SettingsStore& settings = *m_services.settings;
    CoDi1.fileName = settings.GetSetting(Section, KeyFastSave, ExportFile::DefaultFastSavePath());
    if (m_services.dialogs->ShowSave(CoDi1) && !CoDi1.fileName.trimmed().isEmpty())
        settings.SaveSetting(Section, KeyFastSave, CoDi1.fileName);
    lblFastSave->setText(settings.GetSetting(Section, KeyFastSave, ExportFile::DefaultFastSavePath()));
}

void frmChronivo::mnuLoadDatei_Click() {
    // Not preset: the dialog offers the name it held last.
    if (!m_services.dialogs->ShowOpen(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
        return;
    try {
        QFile file(CoDi1.fileName);
        FileImport::OpenForReading(file);
        // Read whole before anything is stored: a read that fails stores nothing.
        const QByteArray content = FileImport::ReadWhole(file);
        Database& db = localDatabase();
        const qint32 lauf = currentLauf();
        writeRowsAndShow(db, [&] {
            // Only whole records: a trailing piece of a cut file is no result.
            for (qsizetype at = 0; at + ExportFile::RecordSize <= content.size();
                 at += ExportFile::RecordSize)
                ExportFile::Insert(db, lauf, ExportFile::Unpack(content.constData() + at));
        });
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}
