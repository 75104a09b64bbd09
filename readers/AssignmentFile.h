#pragma once

#include "platform/RuntimeError.h"

#include <QString>

#include <optional>

class Database;

// The transponder assignment file: one "TransponderID|Startnummer" line per assignment, CR LF
// line ends, the single-byte code page, no header.
namespace AssignmentFile {

// Writes every assignment in the order the table returns them, replacing the file. A failure
// raises RuntimeError; the half-written file is removed then, so that no partial export is
// taken for a whole one.
void Export(Database& db, const QString& path);

struct ImportResult {
    int inserted = 0;
    // The failure that stopped the import, with the ID and start number of its line. The
    // lines before it stay inserted.
    std::optional<RuntimeError> error;
    QString failingId;
    QString failingStartnummer;
};

// The start number an assignment may hold: a whole number from 0 to 10000, written in digits
// (blanks around them allowed), the numbers a console can book. Nothing for anything else:
// such an assignment would never be booked.
std::optional<int> StartnummerOf(const QString& text);

// Inserts the file's lines one by one through pI_Transponder, without a transaction, and stops
// at the first line that fails: one without "|", one whose start number StartnummerOf refuses
// (the message names the line), or one the table refuses (a duplicate ID). Text after a
// second "|" is ignored. skipBlankLines passes over lines that are blank after trimming
// instead of failing on them. A file that cannot be opened raises RuntimeError.
ImportResult Import(Database& db, const QString& path, bool skipBlankLines);

} // namespace AssignmentFile
