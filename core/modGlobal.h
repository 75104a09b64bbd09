#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Text, file and log helpers shared by every window. None of them keeps state between calls.
// Compare modes of the text routines: 0 = binary (case-sensitive), 1 = text (case-insensitive).
namespace modGlobal {

inline constexpr int BinaryCompare = 0;
inline constexpr int TextCompare = 1;

// What NextToken answers when the delimiter no longer occurs.
inline const QString EndOfTokens = QStringLiteral("~TWA");

// Splits at every occurrence of the delimiter (case-sensitive). Empty pieces are kept: "a,,b,"
// gives a, "", b, ""; an empty text gives one empty element. An empty delimiter splits nothing:
// the result is the whole text as one element.
QStringList SplitString(const QString& text, const QString& delimiter = QStringLiteral(" "));

// Cuts the piece before the first delimiter off the caller's text (delimiter removed too) and
// answers it; when the delimiter does not occur (or is empty) answers EndOfTokens and leaves the
// text as it was. The delimiter and compare mode are only read.
QString NextToken(QString& text, QString& delimiter, int& compareMode);

// Cuts at most `limit` pieces off the front with NextToken (a negative limit cuts all of them)
// and appends what is left as the last element, so a;b;c with limit 1 gives a and b;c. An empty
// delimiter becomes " " in the caller's variable too. When the delimiter does not occur in the
// text (looked for case-insensitively) the result is the whole text as one element. Cutting also
// stops at a piece that equals EndOfTokens; that piece is lost. The result replaces `parts`
// and is returned as well.
QStringList SplitToArray(const QString& text, QStringList& parts, QString& delimiter, int& limit,
                         int& compareMode);

// The expression from the 1-based position `start` on (earlier characters are dropped), with at
// most `count` occurrences of `find` replaced (a negative count replaces all). The search goes
// on behind each inserted replacement, so a replacement that contains `find` is not replaced
// again. start beyond the end gives ""; an empty find text replaces nothing.
// Throws RuntimeError(InvalidProcedureCall) for start < 1.
QString ReplaceText(const QString& expression, const QString& find, const QString& replacement, int start = 1,
                    int count = -1, int compareMode = BinaryCompare);

// True only for an existing normal file: false for directories, hidden files, an empty or invalid
// path. Wildcards are not expanded.
bool FileExists(const QString& path);

// The system's temp folder in native form, ending with the native separator, so a file name can
// be appended directly; "" when the system names none.
QString GetTempDir();

// The date value the program uses for "no date": 1899-12-30 00:00:00, local time.
QDateTime ZeroDate();

// The file's last-write time in local time, to the whole second (milliseconds dropped). The zero
// date when the path is missing, is not a file or cannot be opened for reading.
QDateTime GetFileModifiedDate(const QString& path);

// Appends "yyyyMMddhhmmss - text" and CR LF, with `now` as the time stamp. The file is opened
// and closed for this one line so several windows can share it; it is created when missing.
// Every failure is swallowed and the line is lost. The text is written in the single-byte
// Latin-1 code page like the program's other text files; characters outside it become "?".
void WriteLog(const QString& path, const QString& text, const QDateTime& now);

} // namespace modGlobal
