#include "timing/frmChronivo.h"

#include "platform/Services.h"
#include "results/BackupLog.h"

#include <QLabel>

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
