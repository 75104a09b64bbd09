#pragma once

#include <QString>
#include <QStringList>
#include <QTime>
#include <QtGlobal>

#include <functional>
#include <optional>

class Database;
class QFile;
class QIODevice;
class Workspace;

// Filling a run from files: the time file a transponder reader recorded, and a list of start
// numbers in finishing order. The formats are read here; the window gathers and shows.
namespace FileImport {

// A line longer than this is no line of either file; the rest of it is dropped.
inline constexpr qsizetype MaxLineLength = 4096;

// Opens the file for reading. Raises RuntimeError 53 ("Datei nicht gefunden") when there is
// no such file, 70 ("Zugriff verweigert") when it may not be read, and 75 ("Fehler beim
// Zugriff auf Pfad/Datei") when it can't be opened otherwise; each names the file.
void OpenForReading(QFile& file);

// Every line of the device, in order. A line ends at CR, CR LF or LF; a last line without
// an end counts as well, an empty end of file does not. The device is read piece by piece.
// `line` gets each line as it is read. A read that fails (a failing stick) raises
// RuntimeError 57 instead of passing for the end of the file, so that no caller takes a part
// of a file for the whole; the lines before it have been handed on.
void ReadLines(QIODevice& device, const std::function<void(const QString& line)>& line);

// The whole content of the device. A read that fails raises RuntimeError 57, as in ReadLines.
QByteArray ReadWhole(QIODevice& device);

// A tag read of a time file: a line holding "uam" in any case. The reader's telegram starts
// at its fifth character, so the read time is characters 18 to 25 and the transponder ID
// characters 28 to 51 (fewer when the line is shorter).
bool IsTagRead(const QString& line);
struct TagRead {
    QString transponderId;
    QTime readTime; // time of day of the read on the reader's clock
};
// Null for a line that is no tag read or whose time field is not 8 hex digits: such a line
// is never booked.
std::optional<TagRead> ParseTagRead(const QString& line);

// The start number of a tag read from the transponder lookup's answer: empty or no number
// gives 0 (no start number); null when the number doesn't fit a start number (32 bits).
std::optional<qint32> TagStartnummer(const QString& lookedUp);

// The message for tag reads that were not stored: their line numbers, the first 20 of them.
QString UnreadableReadsMessage(const QList<int>& lineNumbers);

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

// Sets the start number of the row at that place of the run to a line of a start-number file
// (line number = place): a number as its value rounded half to even, an empty line as 0 (no
// start number). Any other text raises RuntimeError 13 and a number beyond 32 bits 6, each
// naming the line and its text, so that a heading or a typing error stops the import instead
// of wiping or clamping the start number of its place. Raises RuntimeError when the query
// fails.
void SetStartnummer(Database& db, qint32 lauf, qint32 place, const QString& line);

// Runs body in one transaction of the workspace, so that many rows cost one commit. When the
// body raises, the rows it wrote before stay (committed) and the error goes on to the caller;
// a commit that fails rolls back and raises.
void CommitEachWritten(Workspace& workspace, Database& db, const std::function<void()>& body);

} // namespace FileImport
