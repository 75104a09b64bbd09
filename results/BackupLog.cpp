#include "results/BackupLog.h"

#include "core/SystemFormats.h"
#include "platform/Dialogs.h"
#include "results/Cp1252.h"

#include <QFile>

namespace BackupLog {

QString DefaultPath(const QDate& today) {
    QString date = SystemFormats::ShortDateText(today);
    date.replace('/', '-');
    date.replace('\\', '-');
    return SystemFormats::DefaultDrivePath("C:\\Chronivo" + date + ".log");
}

namespace {

// The system's reason alone ("No space left on device") does not tell the timekeeper that
// the backup is what failed, nor which file.
void reportFailure(Dialogs& dialogs, const QString& path, const QString& reason) {
    dialogs.MsgBox("Zusatzsicherung: Die Datei \"" + path + "\" konnte nicht geschrieben werden!\r" + reason,
                   64);
}

} // namespace

void AppendLogLine(Dialogs& dialogs, const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        reportFailure(dialogs, path, file.errorString());
        return;
    }
    const QByteArray line = Cp1252::Encode(text) + "\r\n";
    if (file.write(line) != line.size() || !file.flush())
        reportFailure(dialogs, path, file.errorString());
    file.close();
}

QString StartLine(const QString& timeOfDay) {
    return QStringLiteral("------ Chronvo gestartet um: %1 ------").arg(timeOfDay);
}

QString FormatRecord(const Record& r) {
    const auto field = [](const QString& text, int width) { return text.leftJustified(width, ' ', true); };
    const QString startnummer = field(r.startnummer.trimmed(), 10);
    return "Lauf: " + field(r.lauf, 5) + "Startzeit: " + field(r.startDisplay.trimmed(), 10) +
           "Platz: " + field(QString::number(r.platz), 10) + "Startnummer: " + startnummer +
           "Zeit: " + field(r.raceClock.trimmed(), 10) + ";" + QString::number(r.grossMs) + ";" +
           QString::number(r.netMs) + ";" + startnummer + ";" + r.dateTime;
}

} // namespace BackupLog
