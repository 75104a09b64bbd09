#pragma once

#include <QByteArray>
#include <QString>

// The single-byte code page of the race program and of the files it shares with this program
// (Windows-1252), used on every platform so that a file reads the same wherever it was
// written.
namespace Cp1252 {

// Characters the code page lacks become "?".
QByteArray Encode(const QString& text);
// Every byte maps to a character; the five bytes the code page leaves unassigned map to the
// control characters of the same number.
QString Decode(const QByteArray& bytes);

} // namespace Cp1252
