#pragma once

#include <QDateTime>
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

// The time of a result as the race program stores it: whole seconds (milliseconds / 1000,
// halves to the even neighbour) and the same as a date-time counted from day zero,
// 1899-12-30 00:00:00; 24 hours or more run into the following days.
struct BookedTime {
    qint32 sekunden = 0;
    QDateTime zeit;
};
BookedTime BookedTimeOf(qint32 millisekunden);

// Books one result into the race database: stores its gross time on the race program's
// result row of the start number (pU_WT_3), then adds a split row pointing to that result row
// (pS_WT_CheckStartNr, pI_ZZ_OhneReferenz). Nothing is touched when direct booking is off, the
// race database is not open or the start number is below 1. Returns true when the race
// program had a result row for the start number and both rows were written. A failing query
// raises RuntimeError; the steps already done in the race database stay done.
bool Book(const SettingsStore& settings, Database* race, qint32 startnummer, qint32 millisekunden);

} // namespace DirectBooking
