#include "platform/EngineErrors.h"

#include <QSqlError>

namespace EngineErrors {

namespace {

// SQLite's primary result codes of the failures a user can meet.
enum Code : int {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoError = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    Constraint = 19,
    NotADatabase = 26,
};

constexpr int UniqueConstraint = 2067;     // SQLITE_CONSTRAINT_UNIQUE
constexpr int PrimaryKeyConstraint = 1555; // SQLITE_CONSTRAINT_PRIMARYKEY

// Drivers that report no code still give the engine's message; these are its fixed texts.
int codeFromText(const QString& text) {
    const struct {
        const char* fragment;
        int code;
    } known[] = {
        {"UNIQUE constraint", UniqueConstraint},
        {"constraint failed", Constraint},
        {"readonly database", ReadOnly},
        {"disk is full", Full},
        {"database is locked", Busy},
        {"table is locked", Locked},
        {"malformed", Corrupt},
        {"not a database", NotADatabase},
        {"unable to open database", CantOpen},
        {"disk I/O error", IoError},
    };
    for (const auto& k : known)
        if (text.contains(QLatin1String(k.fragment), Qt::CaseInsensitive))
            return k.code;
    return 0;
}

// What the engine names after "constraint failed: " (a column or a rule), so the user learns
// which value was refused.
QString constraintSubject(const QString& text) {
    const int at = text.indexOf(QLatin1String("failed:"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const QString subject = text.mid(at + 7).trimmed();
    return subject.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(subject);
}

} // namespace

RuntimeError fromEngine(int code, const QString& engineText) {
    // Without a code, or with the generic one, the message tells which failure it was.
    if (code == 0 || code == 1) {
        if (const int fromText = codeFromText(engineText))
            code = fromText;
    }
    if (code == UniqueConstraint || code == PrimaryKeyConstraint)
        return RuntimeError(RuntimeError::DuplicateKey,
                            "Die Änderungen wurden nicht durchgeführt, da sie doppelte Werte im Index, "
                            "Primärschlüssel oder in der Beziehung erzeugen würden.");
    QString description;
    switch (code & 0xFF) {
    case ReadOnly:
        description = "Die Datenbank ist schreibgeschützt: es kann nichts gespeichert werden "
                      "(Datei oder Ordner ohne Schreibrecht).";
        break;
    case Full:
        description = "Der Datenträger ist voll: die Datenbank kann nicht geschrieben werden.";
        break;
    case Busy:
    case Locked:
        description = "Die Datenbank ist von einem anderen Benutzer oder Programm gesperrt.";
        break;
    case Constraint:
        description =
            "Der Wert verletzt eine Gültigkeitsregel der Datenbank" + constraintSubject(engineText) + ".";
        break;
    case Corrupt:
    case NotADatabase:
        description = "Die Datenbankdatei ist beschädigt.";
        break;
    case CantOpen:
        description = "Die Datenbankdatei kann nicht geöffnet oder ihre Journaldatei nicht angelegt werden "
                      "(Datei oder Ordner nicht erreichbar oder schreibgeschützt).";
        break;
    case IoError:
        description = "Lese- oder Schreibfehler beim Zugriff auf die Datenbankdatei.";
        break;
    default:
        description = engineText;
    }
    return RuntimeError(RuntimeError::EngineError, description);
}

RuntimeError fromSql(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return fromEngine(numeric ? code : 0, text);
}

} // namespace EngineErrors
