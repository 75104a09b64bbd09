#pragma once

#include <QString>

class Dialogs;

// The backup file of results: plain text lines appended one at a time, the file opened and
// closed for each, so that nothing stays open and every line is on disk when it returns.
namespace BackupLog {

// Appends text and CR LF. A path that cannot be written shows the error's description as
// information and returns; the caller goes on.
void AppendLogLine(Dialogs& dialogs, const QString& path, const QString& text);

// "------ Chronvo gestartet um: hh:nn:ss ------"
QString StartLine(const QString& timeOfDay);

} // namespace BackupLog
