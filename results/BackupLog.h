#pragma once

#include <QDate>
#include <QString>

class Dialogs;

// The backup file of results: plain text lines in the race program's code page, appended one
// at a time, the file opened and closed for each, so that nothing stays open and every line
// is in the file when it returns.
namespace BackupLog {

// "C:\Chronivo" & the short date & ".log" (a new file each day), in the user's home folder
// on systems without drives. A path separator inside the date text would name a folder that
// does not exist, so it becomes "-".
QString DefaultPath(const QDate& today);

// Appends text and CR LF. A path that cannot be written shows the error's description as
// information and returns; the caller goes on.
void AppendLogLine(Dialogs& dialogs, const QString& path, const QString& text);

// "------ Chronvo gestartet um: hh:nn:ss ------"
QString StartLine(const QString& timeOfDay);

// The fields of one result line.
struct Record {
    QString lauf;         // run number text
    QString startDisplay; // the start-time display as it stands
    qint32 platz = 0;
    QString startnummer; // start-number text as typed
    QString raceClock;   // race-clock text
    qint32 grossMs = 0;
    qint32 netMs = 0;
    QString dateTime; // date and time text, written as given
};

// The fixed-width result line (without CR LF): the labelled fields left-aligned in their
// widths, padded with blanks or cut, then the milliseconds, the start number again and the
// date and time separated by ";". Fields up to the race clock make 88 characters.
QString FormatRecord(const Record& record);

} // namespace BackupLog
