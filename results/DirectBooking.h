#pragma once

#include <QString>

class Database;
class SettingsStore;

// Hand-over of results to the race program's database.
namespace DirectBooking {

// Settings section and keys of direct booking (the main window's own section).
inline constexpr const char* Section = "frmChronivo";
inline constexpr const char* KeyOn = "Direkteinbuchung";
inline constexpr const char* KeyPath = "DBDirekt";

bool isOn(const SettingsStore& settings);

// The name of run laufnummer in the race database; "" when direct booking is off (the race
// database is then not touched) or the run is unknown there. Raises RuntimeError when the
// race database fails.
QString GetLaufName(const SettingsStore& settings, Database* race, qint32 laufnummer);

} // namespace DirectBooking
