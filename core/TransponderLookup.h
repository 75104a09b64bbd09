#pragma once

#include <QString>

class Database;

namespace modChronivo {

// The start number a transponder ID stands for, as text. An assigned ID gives its stored
// number ("" when that is empty); an unassigned ID that is a number below 10000 is its own
// start number; any other unassigned ID gives "0". Database errors reach the caller.
// The reader consoles and the time-file import both book through this one rule.
QString GetStartnummerByTransponder(Database& db, const QString& transponderId);

} // namespace modChronivo
