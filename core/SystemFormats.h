#pragma once

#include <QDate>
#include <QString>

// Formats and places that the program takes from a German Windows desktop, with their
// meaning kept on other systems.
namespace SystemFormats {

// The system's short date, as a German desktop writes it: "07.12.2026".
QString ShortDateText(const QDate& date);

// A default path on drive "C:\" means the user's home folder on systems without drives:
// "C:\Chronivo.exp" becomes "<home>/Chronivo.exp". Other paths are returned unchanged.
QString DefaultDrivePath(const QString& windowsPath);

} // namespace SystemFormats
