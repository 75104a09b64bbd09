#pragma once

#include "platform/Recordset.h"
#include "platform/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class Database;

// The binary file of results that the race program imports: 50-byte records, no header,
// one after another from the first byte. Integers are little-endian, dates are IEEE doubles
// in the OLE form (days since 1899-12-30, the time of day as the fraction), texts are eight
// bytes in the race program's code page, padded with blanks or cut.
namespace ExportFile {

inline constexpr int RecordSize = 50;
// The longest gross time the race program takes: 7 hours.
inline constexpr qint64 MaxMillisekunden = 25'200'000;

// Where fast save writes when no file was chosen: "C:\Schnellspeicherung.log", the home
// folder off Windows.
QString DefaultFastSavePath();

using Text8 = std::array<char, 8>;

// One record as held in memory, members in file order.
struct ExportRecord {
    qint16 Platzierung = 0;   // offset 0
    double Systemtime = 0;    // offset 2
    double Starttime = 0;     // offset 10
    Text8 Wertungstime{};     // offset 18
    qint32 Sekunden = 0;      // offset 26
    qint32 Millisekunden = 0; // offset 30
    qint32 Startnummer = 0;   // offset 34
    qint32 MilliSekNetto = 0; // offset 38
    Text8 ZeitNetto{};        // offset 42; all zero bytes in a fast save
};

// The file form: exactly RecordSize bytes.
QByteArray Pack(const ExportRecord& record);
// The record in the first RecordSize bytes of data (the caller hands in at least that many).
ExportRecord Unpack(const char* data);

// Text left-aligned in eight bytes of the code page, padded with blanks or cut.
Text8 TextField(const QString& text);
// The text of such a field up to its first zero byte, padding kept.
QString FieldText(const Text8& field);

// How the rows become records.
enum class Mode {
    Export,  // net time text filled in; rows over 7 hours (or without a gross time) left out
    FastSave // net time text all zero bytes; every row written
};

// The rows of the run in export order (pS_GetAllValues with 0 = all). Raises RuntimeError.
Recordset AllValues(Database& db, qint32 lauf);

// Rows whose start number is Null or 0.
int CountWithoutStartnummer(const Recordset& rows);

// The record of the record set's current row. Raises RuntimeError for a row that can't be
// written: a Null net time, gross time text, start or clock time (94), a start or clock text
// that is no time (13), a number beyond its field (6).
ExportRecord FromRow(const Recordset& rows, Mode mode);

// Whether a row's gross time may be exported: present and at most 7 hours.
bool WithinSevenHours(const QVariant& millisekunden);

// The records of every row in order. In export mode a row over 7 hours is left out and
// `keepGoing` is asked with its start number; false ends the export there. A row that can't
// be written ends it with the error; the file is then not to be written at all.
struct Written {
    QByteArray bytes;
    int records = 0;
    bool stoppedByUser = false;
    std::optional<RuntimeError> error;
};
Written Build(Recordset& rows, Mode mode, const std::function<bool(qint32 startnummer)>& keepGoing);

// Replaces the whole file with the bytes: a longer older file keeps nothing behind them, and
// the race program never sees a half-written file. Raises RuntimeError (75) when it fails,
// with the old file as it was.
void WriteWhole(const QString& path, const QByteArray& bytes);

// The date of a record member as the text the time columns hold: "hh:mm:ss" on day zero,
// else "dd.MM.yyyy hh:mm:ss". Raises RuntimeError (13) for a value that is no date (not a
// finite number, or beyond the years 100 to 9999).
QString DateText(double oleDate);

// Inserts the record as a result of the run through the stored insert query, the run taken
// from the caller, never from the file. Raises RuntimeError.
void Insert(Database& db, qint32 lauf, const ExportRecord& record);

} // namespace ExportFile
