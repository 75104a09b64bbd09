#pragma once

#include <QString>
#include <QStringList>
#include <QTime>
#include <QtGlobal>

#include <functional>
#include <optional>

class Database;
class QIODevice;
class Workspace;

// Filling a run from files: the time file a transponder reader recorded, and a list of start
// numbers in finishing order. The formats are read here; the window gathers and shows.
namespace FileImport {

// A line longer than this is no line of either file; the rest of it is dropped.
inline constexpr qsizetype MaxLineLength = 4096;

// Every line of the device, in order. A line ends at CR, CR LF or LF; a last line without
// an end counts as well, an empty end of file does not. The device is read piece by piece.
// `line` gets each line as it is read.
void ReadLines(QIODevice& device, const std::function<void(const QString& line)>& line);

// A tag read of a time file: a line holding "uam" in any case. The reader's telegram starts
// at its fifth character, so the read time is characters 18 to 25 and the transponder ID
// characters 28 to 51 (fewer when the line is shorter).
bool IsTagRead(const QString& line);
struct TagRead {
    QString transponderId;
    QTime readTime; // time of day of the read on the reader's clock
};
// Null for a line that is no tag read or whose time field is not 8 hex digits: such a line
// is skipped, never booked.
std::optional<TagRead> ParseTagRead(const QString& line);

// The time of day of a read time field: its byte pairs last pair first, read as a signed
// 32-bit number of seconds since 1970-01-01 00:00 on the local clock, with no zone or
// daylight-saving correction. Invalid for text that is not 8 hex digits.
QTime ReadTimeOfDay(const QString& hex8);

// One result row of a time file: place, the moment of the import as text, the start text,
// the gross seconds from the start to the read (negative before the start) and the start
// number. The gross time is the net time too, since the file knows no other start. Raises
// RuntimeError.
void InsertRead(Database& db, qint32 lauf, qint32 place, const QString& systemtime, const QString& starttime,
                qint64 grossSeconds, qint32 startnummer);

// Sets the start number of the row at that place of the run to a line of a start-number file:
// a number as its value, an empty line as 0 (no start number). Any other text goes to the
// engine as it stands and is refused there, so that a heading or a typing error stops the
// import with the engine's error instead of wiping the start number of its place. Raises
// RuntimeError.
void SetStartnummer(Database& db, qint32 lauf, qint32 place, const QString& line);

// Runs body in one transaction of the workspace, so that many rows cost one commit. When the
// body raises, the rows it wrote before stay (committed) and the error goes on to the caller;
// a commit that fails rolls back and raises.
void CommitEachWritten(Workspace& workspace, Database& db, const std::function<void()>& body);

} // namespace FileImport
