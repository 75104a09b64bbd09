#include "readers/AssignmentFile.h"

#include "core/modGlobal.h"
#include "platform/DbEngine.h"
#include "readers/DebounceTable.h"

#include <QFile>

namespace AssignmentFile {

namespace {

constexpr long FileNotFound = 53;
constexpr long PathFileAccessError = 75;
constexpr long SubscriptOutOfRange = 9;

RuntimeError fileError(long number, const QString& path) {
    return RuntimeError(number, number == FileNotFound
                                    ? QStringLiteral("Datei nicht gefunden: %1").arg(path)
                                    : QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: %1").arg(path));
}

} // namespace

void Export(Database& db, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw fileError(PathFileAccessError, path);
    try {
        QueryDef query = db.QueryDefs("pS_TransponderGetAllValues");
        query.setParameter("iTransponderID", QStringLiteral("0"));
        Recordset rs = query.OpenRecordset();
        QByteArray text;
        for (const auto& row : rs.rows())
            text += (row.value(1).toString() + QLatin1Char('|') + row.value(2).toString() +
                     QStringLiteral("\r\n"))
                        .toLatin1();
        rs.Close();
        query.Close();
        if (file.write(text) != text.size() || !file.flush())
            throw fileError(PathFileAccessError, path);
        file.close();
    } catch (...) {
        file.close();
        file.remove();
        throw;
    }
}

std::optional<int> StartnummerOf(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 12)
        return std::nullopt;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const qint64 value = digits.toLongLong();
    if (!DebounceTable::covers(value))
        return std::nullopt;
    return static_cast<int>(value);
}

ImportResult Import(Database& db, const QString& path, bool skipBlankLines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file.exists() ? PathFileAccessError : FileNotFound, path);
    QString all = QString::fromLatin1(file.readAll());
    file.close();
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = all.split(QLatin1Char('\n'));
    // The line end of the last line opens no further line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    constexpr long Overflow = 6;
    // A refused line is named with at most this many of its characters.
    constexpr qsizetype MaxShownLine = 80;
    ImportResult result;
    int lineNumber = 0;
    for (const QString& line : lines) {
        ++lineNumber;
        if (skipBlankLines && line.trimmed().isEmpty())
            continue;
        const QStringList parts = modGlobal::SplitString(line, QStringLiteral("|"));
        result.failingId = parts.value(0);
        result.failingStartnummer = parts.value(1);
        try {
            if (parts.size() < 2)
                throw RuntimeError(SubscriptOutOfRange,
                                   QStringLiteral("Index außerhalb des gültigen Bereichs"));
            const std::optional<int> startnummer = StartnummerOf(parts[1]);
            if (!startnummer)
                throw RuntimeError(Overflow,
                                   QStringLiteral("Startnummer nicht zwischen 0 und 10000 in Zeile %1: %2")
                                       .arg(lineNumber)
                                       .arg(line.left(MaxShownLine)));
            QueryDef query = db.QueryDefs("pI_Transponder");
            query.setParameter("iTransponderID", parts[0]);
            query.setParameter("iStartnummer", *startnummer);
            query.Execute(dbFailOnError);
            query.Close();
        } catch (const RuntimeError& e) {
            result.error = e;
            return result;
        }
        ++result.inserted;
    }
    result.failingId.clear();
    result.failingStartnummer.clear();
    return result;
}

} // namespace AssignmentFile
