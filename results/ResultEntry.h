#pragma once

#include "core/modChronivo.h"
#include "platform/DbEngine.h"

#include <QString>
#include <QtGlobal>

// One result row as the insert query takes it, and the arithmetic that turns a start and a
// capture into its gross and net fields.
namespace ResultEntry {

// Hour, minute and second of a start text such as "10:05:00", milliseconds 0. Raises
// RuntimeError (type mismatch) for text that is no time of day, so a damaged setting never
// yields a made-up start.
SYSTEMTIME StartRecord(const QString& text);

// Gross and net fields of a row from the seconds between start and capture.
struct Times {
    qint64 sekunden = 0;      // gross whole seconds, halves to even
    QString wertungstime;     // gross time as "hh:nn:ss"
    qint64 millisekunden = 0; // gross milliseconds
    QString zeitNetto;        // net time as "hh:nn:ss"
    qint64 millisekNetto = 0; // net milliseconds
};

// The whole milliseconds of a time given in seconds (the columns hold whole milliseconds;
// the seconds come from millisecond clock records, so nothing is lost).
qint64 Milliseconds(double seconds);

// The time of day that lies the given whole seconds after midnight, as "hh:nn:ss"; it wraps
// at midnight both ways (a negative count gives the evening before).
QString TimeOfDayAfterMidnight(qint64 seconds);

Times ComputeTimes(double grossSeconds, double netSeconds);

struct Row {
    qint32 laufnummer = 1;
    qint32 startnummer = 0;
    qint32 platzierung = 1;
    QString systemtime; // clock text at the capture
    QString starttime;  // start text the gross time runs from
    Times times;
};

// The highest place a result may have: the export record holds the place in 16 bits.
inline constexpr qint32 MaxPlatzierung = 32767;

// The place the next result of the run gets: one after the highest, 1 for an empty run.
// Raises RuntimeError when the query fails, and 6 ("Überlauf") when that place would be
// beyond 32 bits, so that no result gets a wrapped or doubled place. A place beyond
// MaxPlatzierung is still handed out: a result taken at the finish is kept even when its run
// has grown too long for the export file.
qint32 NextPlace(Database& db, qint32 laufnummer);

// Inserts the row through the stored insert query, failing on error. Raises RuntimeError.
void Insert(Database& db, const Row& row);

// What storing a new result did, so the views can follow without counting the run again.
struct Stored {
    qint32 platzierung = 0;
    bool firstOfStartnummer = false; // the run had no row of this start number before
    Database::ChangeStamp before;    // the database right before the insert
    Database::ChangeStamp after;     // and right after it
};

// Stores the row as the next result of its run: the next place is read and the row
// inserted in one write transaction that holds the write lock throughout, so two writers on
// one file never hand out the same place. The row's own place is ignored. Raises
// RuntimeError (nothing stored) when the lock cannot be had in time or a statement fails.
Stored InsertNext(Database& db, Row row);

} // namespace ResultEntry
