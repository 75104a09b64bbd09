#include "core/modGlobal.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

Qt::CaseSensitivity sensitivity(int compareMode) {
    return compareMode == modGlobal::TextCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

} // namespace

namespace modGlobal {

QStringList SplitString(const QString& text, const QString& delimiter) {
    // An empty delimiter would be "found" at every position without consuming anything.
    if (delimiter.isEmpty())
        return {text};
    QStringList parts;
    qsizetype from = 0;
    qsizetype hit;
    while ((hit = text.indexOf(delimiter, from, Qt::CaseSensitive)) >= 0) {
        parts.append(text.mid(from, hit - from));
        from = hit + delimiter.size();
    }
    parts.append(text.mid(from));
    return parts;
}

QString NextToken(QString& text, QString& delimiter, int& compareMode) {
    if (delimiter.isEmpty())
        return EndOfTokens;
    const qsizetype hit = text.indexOf(delimiter, 0, sensitivity(compareMode));
    if (hit < 0)
        return EndOfTokens;
    const QString token = text.left(hit);
    text.remove(0, hit + delimiter.size());
    return token;
}

QStringList SplitToArray(const QString& text, QStringList& parts, QString& delimiter, int& limit,
                         int& compareMode) {
    if (delimiter.isEmpty())
        delimiter = QStringLiteral(" ");
    parts.clear();
    if (!text.contains(delimiter, Qt::CaseInsensitive)) {
        parts.append(text);
        return parts;
    }
    QString rest = text;
    int count = 0;
    while (limit < 0 || count < limit) {
        const QString token = NextToken(rest, delimiter, compareMode);
        if (token == EndOfTokens)
            break;
        parts.append(token);
        ++count;
    }
    parts.append(rest);
    return parts;
}

QString ReplaceText(const QString& expression, const QString& find, const QString& replacement, int start,
                    int count, int compareMode) {
    if (start < 1)
        throw RuntimeError(RuntimeError::InvalidProcedureCall,
                           QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"));
    if (start > expression.size())
        return {};
    QString work = expression.mid(start - 1);
    if (find.isEmpty())
        return work;
    const Qt::CaseSensitivity cs = sensitivity(compareMode);
    qsizetype from = 0;
    int done = 0;
    while (count < 0 || done < count) {
        const qsizetype hit = work.indexOf(find, from, cs);
        if (hit < 0)
            break;
        work.replace(hit, find.size(), replacement);
        from = hit + replacement.size();
        ++done;
    }
    return work;
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

QString GetTempDir() {
    const QString temp = QDir::tempPath();
    if (temp.isEmpty())
        return {};
    QString native = QDir::toNativeSeparators(temp);
    if (!native.endsWith(QDir::separator()))
        native += QDir::separator();
    return native;
}

QDateTime ZeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0));
}

QDateTime GetFileModifiedDate(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir())
        return ZeroDate();
    // Opening is part of the contract: a file we may not read answers the zero date even though
    // its time stamp would be visible in the directory.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ZeroDate();
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime).toLocalTime();
    if (!modified.isValid())
        return ZeroDate();
    const QTime t = modified.time();
    return QDateTime(modified.date(), QTime(t.hour(), t.minute(), t.second()));
}

void WriteLog(const QString& path, const QString& text, const QDateTime& now) {
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = now.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(" - ") + text +
                         QStringLiteral("\r\n");
    file.write(line.toLatin1());
    file.close();
}

} // namespace modGlobal
