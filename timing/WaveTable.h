#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

class SettingsStore;

// The wave-start table: one row per wave, "von;bis;hh:nn:ss;Bezeichnung", kept in the settings
// section StartZeiten as the keys "1" to Rows. Everything here is plain text work so that the
// editor, the main window and the starter share one reading of it.
namespace WaveTable {

inline constexpr const char* Section = "StartZeiten";
// A wave table has at most a few hundred rows; a stored count beyond this is not believed
// (nothing above it is read, and no loop runs on a count that could overflow).
inline constexpr int MaxRows = 1000;
// Start numbers that can have a wave start.
inline constexpr int MaxStartnummer = 10000;

// The four fields of a row, split at ";": missing fields are empty, extra fields dropped.
struct Fields {
    QString von;
    QString bis;
    QString zeit;
    QString bezeichnung;
};
Fields SplitRow(const QString& row);
QString JoinRow(const QString& von, const QString& bis, const QString& zeit, const QString& bezeichnung);

// A row that can give start times: first and last start number, whole and not negative within
// 32 bits, and a time of day. Rows with fewer than three fields, or with an empty, non-numeric or
// out-of-range number, or without a valid time, are not waves. A wave may reach past
// MaxStartnummer: only its numbers up to there have a wave start, but it is counted down.
struct Wave {
    qint32 von = 0;
    qint32 bis = 0;
    QString zeit; // as stored
    QString bezeichnung;
};
std::optional<Wave> ParseWave(const QString& row);

// Rows as stored: Rows read as a number and bounded to 0..MaxRows; a missing key reads as "".
int RowCount(const SettingsStore& settings);
QStringList Rows(const SettingsStore& settings);
// Stores the rows under "1".. and sets Rows to their number, replacing the whole section in
// one write. False when the store could not be written.
[[nodiscard]] bool SaveRows(SettingsStore& settings, const QStringList& rows);

// The start time of every start number 0 to MaxStartnummer (the vector is resized to that):
// cleared first, then each wave in table order writes its time over its range, so later rows
// win where ranges overlap. Rows that are not waves are skipped.
void FillStartZeit(const QStringList& rows, std::vector<QString>& startZeit);

// Rows with the time of every row named `bezeichnung` set to `zeit`. Only the time field
// changes: a name or number that happens to contain the old time text stays as it is.
QStringList StampWave(const QStringList& rows, const QString& bezeichnung, const QString& zeit);

// The waves generated from the editor's fields: first number, last number, numbers per wave,
// time of the first wave "hh:nn:ss" and seconds between waves, all as typed.
struct GeneratedRow {
    qint32 von = 0;
    qint32 bis = 0;
    QString zeit; // "hh:nn:ss"
};
enum class GenerateCheck {
    Generated,
    FieldsWrong, // first number above the last, a negative count per wave, or more than MaxRows waves
    TimeInvalid, // time not exactly 8 characters or no time of day
};
// Hands each row to `row` as it is made; the caller keeps what it was handed when a later row
// fails. A field that is no number raises RuntimeError 13, one out of range raises 6, zero
// numbers per wave raises 11. Times run on past midnight into the next day's times of day.
GenerateCheck Generate(const QString& from, const QString& to, const QString& perWave, const QString& time,
                       const QString& seconds, const std::function<void(const GeneratedRow&)>& row);

// Wave-table file: one row per line, lines ended by CR LF (LF alone is read as well), in
// Windows-1252 like the program's other files; a file that is valid UTF-8 (with or without
// byte order mark) is read as UTF-8, since a file written elsewhere often is. Reading
// keeps the lines whose time field is a time of day, as the editor's save does, at most
// MaxRows of them, and counts the lines it leaves out by their cause (empty lines are not
// counted).
struct TableFile {
    QStringList rows;
    int withoutTime = 0;    // lines without a valid start time
    int beyondRowLimit = 0; // good lines after the first MaxRows
};
TableFile ReadTableFile(const QByteArray& content);
// The index of the first row with a character Windows-1252 lacks, or -1 when the file can
// hold every row as it stands.
int FirstUnwritableRow(const QStringList& rows);
QByteArray TableFileContent(const QStringList& rows);

} // namespace WaveTable
