#include "results/BackupLog.h"

#include "platform/Dialogs.h"

#include <QFile>

namespace BackupLog {

void AppendLogLine(Dialogs& dialogs, const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        dialogs.MsgBox(file.errorString(), 64);
        return;
    }
    const QByteArray line = text.toLatin1() + "\r\n";
    if (file.write(line) != line.size() || !file.flush())
        dialogs.MsgBox(file.errorString(), 64);
    file.close();
}

QString StartLine(const QString& timeOfDay) {
    return QStringLiteral("------ Chronvo gestartet um: %1 ------").arg(timeOfDay);
}

} // namespace BackupLog
