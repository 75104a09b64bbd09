#pragma once

#include <QString>

// A consistent copy of an SQLite database file that may be open and written meanwhile, by
// this program or another: SQLite's online backup through a connection of its own, so the
// copy holds exactly the transactions committed when it was taken and never a half-written
// page. The copy is written beside the target under a temporary name (".<target name>.XXXXXX",
// locked while the copy is made), synced, and then put in place of the target, so an
// existing copy of that name is replaced whole or kept.
namespace DatabaseCopy {

// True on success; otherwise false with the reason in *error (when given), the target as
// it was and no temporary file left behind.
bool Copy(const QString& source, const QString& target, QString* error = nullptr);

// Removes the temporary files of copies of the database at source ("<name>_...") that a kill
// left behind; one a copy still in progress is writing (here or in another process) stays.
// Returns how many files were removed.
int RemoveLeftovers(const QString& source);

} // namespace DatabaseCopy
