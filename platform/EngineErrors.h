#pragma once

#include "platform/RuntimeError.h"

#include <QString>

class QSqlError;

// The database engine's failures as the user reads them: German descriptions for the errors a
// timekeeper can meet (read-only file or folder, full disk, locked by another program, a value
// the database refuses, a damaged file, a file that cannot be opened), under the numbers the
// program has always shown for them.
namespace EngineErrors {

// SQLite's result code (primary or extended) and its own English message.
RuntimeError fromEngine(int code, const QString& engineText);
// The same from Qt's error record; falls back to the message when the driver gave no code.
RuntimeError fromSql(const QSqlError& error);

} // namespace EngineErrors
