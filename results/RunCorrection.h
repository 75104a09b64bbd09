#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <map>
#include <optional>
#include <utility>
#include <vector>

class Database;
class Workspace;

// Corrections of a run by hand: a result typed in at a place, the start numbers moved one place
// against the times, the gross times moved by some seconds, and the net time recomputed from a
// wave's start. Windows gather the input and show the messages; everything here works on the
// local database through its stored queries and raises RuntimeError on failure.
namespace RunCorrection {

// ----- a result typed in at a place ---------------------------------------------------------

// The texts of the insert panel.
struct InsertFields {
    QString platz;
    QString startnummer;
    QString zeitBrutto;    // "hh:nn:ss"
    QString millSekBrutto; // whole milliseconds
    QString zeitNetto;
    QString millSekNetto;
};

// False when the gross milliseconds or the place are not above 0, the start number is below 0
// (0 is a result without start number), the gross time is empty or no time of day, or a
// number would not fit its field of the export record once stored (the place 16 bits, the
// start number and both milliseconds 32 bits). Every check runs; an empty net time passes.
bool InsertFieldsValid(const InsertFields& fields);

// Whether a typed value, once stored in that field of a result row, fits the field of the
// export record: the place 1 to 32767, the start number, seconds and milliseconds 32 bits.
// Text that is no number, and fields without a number, are left to the engine.
bool FitsField(const QString& field, const QString& text);

// hour x 3,600,000 + minute x 60,000 + second x 1000 of a time of day ("h:mm" or "h:mm:ss").
// RuntimeError (type mismatch) for text that is no time of day.
qint32 MillisecondsOfTime(const QString& timeText);

// A typed whole number as a query takes it: empty text gives Null, a number its value rounded
// half to even, any other text goes in as it stands so that the engine refuses it.
QVariant WholeNumberParameter(const QString& text);

struct InsertOutcome {
    bool placeTaken = false; // rows of the run had to move to make room
    long moved = 0;          // how many moved
    long inserted = 0;       // rows the insert reported
};

// Saves the row at its place in run lauf, in one transaction of ws: when the place is taken,
// that row and every later one of the run move one place on first. startTime is the run's
// stored start text; the row's event time is "00:00:00" and its gross seconds are the gross
// milliseconds / 1000. On any failure the transaction is rolled back (neither the move nor
// the row stays) and the error raised again. The fields must have passed InsertFieldsValid.
InsertOutcome InsertAtPlace(Workspace& ws, Database& db, qint32 lauf, const InsertFields& fields,
                            const QString& startTime);

// Deletes the one row of run lauf with that key; the places of the others stay as they are.
// Returns the number of rows deleted. Raises RuntimeError when the statement fails.
long DeleteRow(Database& db, qint32 lauf, qint64 key);

// ----- start numbers moved one place against the times --------------------------------------

enum class Direction { Down = 0, Up = 1 };

// The start numbers of a run's rows in place order after a shift by one position. anchor is
// the position of the chosen row, or -1 for none (the whole run).
// Down: from the anchor on (the whole run without one) each row takes the start number of the
// row before it; the first row of the run gets 0.
// Up: from the row before the anchor on (the whole run without an anchor, or when the anchor
// is the first row) each row takes the start number of the row after it; the last gets 0.
// Rows before that stay as they are. Works by position, so gaps in the places do not matter.
std::vector<qint32> ShiftStartnummern(const std::vector<qint32>& startnummern, Direction direction,
                                      int anchor);

// One row of the result grid as the shift needs it.
struct GridRow {
    qint64 key = 0; // the row's ID
    qint32 platzierung = 0;
    qint32 startnummer = 0; // 0 for none
};

struct StartnummerShift {
    // (key, new start number) of each row whose start number changes.
    std::vector<std::pair<qint64, qint32>> writes;
    // Grid row to make current afterwards: the first (in grid order) that carries the start
    // number the current row had, else the last row; -1 for an empty grid.
    int currentRowAfter = -1;
    // A start number (not 0) that fewer rows would carry after the shift than before; 0 when
    // there is none. Over the run's whole list that is the number moved out at its end, as
    // meant; over the rows of one start number it would only take that number from a result.
    qint32 dropped = 0;
};

// Plans the shift over the grid's rows (in grid order), taken in place order. currentRow is
// the grid's current row (-1 for none); it anchors the shift only when rowSelected.
StartnummerShift PlanStartnummerShift(const std::vector<GridRow>& rows, Direction direction, int currentRow,
                                      bool rowSelected);

// Writes the planned start numbers by key in one transaction of ws; nothing is written when a
// row fails.
void WriteStartnummern(Workspace& ws, Database& db, const std::vector<std::pair<qint64, qint32>>& writes);

// ----- gross times moved by some seconds ----------------------------------------------------

// Moves the gross time (milliseconds, seconds and time text) of every row of run lauf whose
// milliseconds are fromMs or more (every row when fromMs is 0) by seconds, each row exactly
// once and no row of another run, in one transaction of ws. Net times, start and event times,
// places and start numbers stay. Returns the number of rows found. A time that leaves the
// 32-bit range raises RuntimeError 6 ("Überlauf"); on any failure nothing is written.
int ShiftTimes(Workspace& ws, Database& db, qint32 lauf, qint32 fromMs, qint32 seconds);

// ----- net time from a wave's start ---------------------------------------------------------

// Whole seconds from the wave's start to the finish, the finish being the row's start plus its
// milliseconds / 1000 rounded half to even; counted without wrapping at midnight. Nothing when
// either start text is no time of day.
std::optional<qint32> NetSecondsFromWave(const QString& rowStart, qint64 millisekunden,
                                         const QString& waveStart);

// Gives every row of the start number in run lauf the same time as gross and net, measured
// from the wave's start (each row from its own start and milliseconds), and the wave's start
// as its start. Does nothing for a start number below 1 or a wave start that is no time of
// day, and skips a row whose own start is none. Returns key -> net seconds of each row
// rewritten. Raises RuntimeError when a query fails.
std::map<qint64, qint32> RecalcNet(Database& db, qint32 lauf, qint32 startnummer, const QString& waveStart);

} // namespace RunCorrection
