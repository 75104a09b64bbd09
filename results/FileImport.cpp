#include "results/FileImport.h"

#include "core/Convert.h"
#include "platform/DbEngine.h"
#include "platform/RuntimeError.h"
#include "results/Cp1252.h"
#include "results/ResultEntry.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <limits>

namespace FileImport {

namespace {

[[noreturn]] void raiseReadError() {
    throw RuntimeError(
        RuntimeError::DeviceIoError,
        QStringLiteral("Fehler beim Geräte-E/A: Die Datei konnte nicht vollständig gelesen werden."));
}

} // namespace

QByteArray ReadWhole(QIODevice& device) {
    QByteArray content = device.readAll();
    if (auto* file = qobject_cast<QFileDevice*>(&device); file && file->error() != QFileDevice::NoError)
        raiseReadError();
    return content;
}

void OpenForReading(QFile& file) {
    if (file.open(QIODevice::ReadOnly))
        return;
    const QString name = file.fileName();
    if (!QFileInfo::exists(name))
        throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("Datei nicht gefunden: %1").arg(name));
    if (!QFileInfo(name).isReadable())
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Zugriff verweigert: %1").arg(name));
    throw RuntimeError(RuntimeError::PathFileAccessError,
                       QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: %1").arg(name));
}

void ReadLines(QIODevice& device, const std::function<void(const QString&)>& line) {
    QByteArray current;
    bool cut = false;     // the line grew past the cap; the rest is dropped
    bool afterCr = false; // an LF right after CR ends nothing more
    const auto flush = [&] {
        line(Cp1252::Decode(current));
        current.clear();
        cut = false;
    };
    char buffer[65536];
    for (;;) {
        const qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0)
            raiseReadError();
        if (n == 0)
            break;
        for (qint64 i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                flush();
            } else if (current.size() < MaxLineLength) {
                current += c;
            } else {
                cut = true;
            }
        }
    }
    if (!current.isEmpty() || cut)
        flush();
}

bool IsTagRead(const QString& line) {
    return line.contains(QLatin1String("uam"), Qt::CaseInsensitive);
}

QTime ReadTimeOfDay(const QString& hex8) {
    if (hex8.size() != 8)
        return {};
    const QString ordered = hex8.mid(6, 2) + hex8.mid(4, 2) + hex8.mid(2, 2) + hex8.mid(0, 2);
    bool ok = false;
    const quint32 bits = ordered.toUInt(&ok, 16);
    if (!ok || ordered.contains('+') || ordered.contains('-') || ordered.contains(' '))
        return {};
    const qint64 seconds = static_cast<qint32>(bits);
    // The seconds count on the local wall clock: added as to a clock without zones.
    return QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC).addSecs(seconds).time();
}

std::optional<TagRead> ParseTagRead(const QString& line) {
    if (!IsTagRead(line))
        return std::nullopt;
    const QTime time = ReadTimeOfDay(line.mid(17, 8));
    if (!time.isValid())
        return std::nullopt;
    return TagRead{line.mid(27, 24), time};
}

std::optional<qint32> TagStartnummer(const QString& lookedUp) {
    if (!Convert::IsNumeric(lookedUp))
        return 0;
    if (const auto value = Convert::WholeNumberWithin(lookedUp, std::numeric_limits<qint32>::min(),
                                                      std::numeric_limits<qint32>::max()))
        return static_cast<qint32>(*value);
    return std::nullopt;
}

QString UnreadableReadsMessage(const QList<int>& lineNumbers) {
    constexpr qsizetype Shown = 20;
    QStringList numbers;
    for (qsizetype i = 0; i < lineNumbers.size() && i < Shown; ++i)
        numbers << QString::number(lineNumbers[i]);
    QString text = QStringLiteral("Diese Lesungen wurden nicht gespeichert, weil ihre Zeit oder Startnummer "
                                  "nicht lesbar ist:\rZeile ") +
                   numbers.join(", ");
    if (lineNumbers.size() > Shown)
        text += QStringLiteral(" und %1 weitere").arg(lineNumbers.size() - Shown);
    return text;
}

void InsertRead(Database& db, qint32 lauf, qint32 place, const QString& systemtime, const QString& starttime,
                qint64 grossSeconds, qint32 startnummer) {
    const QString wertungstime = ResultEntry::TimeOfDayAfterMidnight(grossSeconds);
    QueryDef qd = db.QueryDefs("pI_Chronvo");
    qd.setParameter("iLaufnummer", lauf);
    qd.setParameter("iPlatzierung", place);
    qd.setParameter("iSystemtime", systemtime);
    qd.setParameter("iStartTime", starttime);
    qd.setParameter("iWertungstime", wertungstime);
    qd.setParameter("iSekunden", grossSeconds);
    qd.setParameter("iMillisekunden", grossSeconds * 1000);
    qd.setParameter("iStartnummer", startnummer);
    qd.setParameter("iZeitNetto", wertungstime);
    qd.setParameter("iMillisekNetto", grossSeconds * 1000);
    qd.Execute(dbFailOnError);
    qd.Close();
}

void SetStartnummer(Database& db, qint32 lauf, qint32 place, const QString& line) {
    qint64 startnummer = 0;
    if (!line.trimmed().isEmpty()) {
        try {
            startnummer = Convert::WholeNumber(line, 0, std::numeric_limits<qint32>::max());
        } catch (const RuntimeError& e) {
            const QString text = e.number() == RuntimeError::TypeMismatch
                                     ? QStringLiteral("Zeile %1 ist keine Startnummer: \"%2\"")
                                     : QStringLiteral("Zeile %1: Startnummer zu groß: \"%2\"");
            throw RuntimeError(e.number(), text.arg(place).arg(line));
        }
    }
    QueryDef qd = db.QueryDefs("pU_Startnummer");
    qd.setParameter("iLaufnummer", lauf);
    qd.setParameter("iPlatzierung", place);
    qd.setParameter("iStartnummer", startnummer);
    qd.Execute(dbFailOnError);
    qd.Close();
}

void CommitEachWritten(Workspace& workspace, Database& db, const std::function<void()>& body) {
    workspace.BeginTrans();
    std::optional<RuntimeError> failure;
    try {
        body();
    } catch (const RuntimeError& e) {
        failure = e;
    }
    try {
        workspace.CommitTrans();
    } catch (const RuntimeError&) {
        // Nothing of a transaction that could not be committed may stay half open.
        db.connection().rollback();
        throw;
    }
    if (failure)
        throw *failure;
}

} // namespace FileImport
