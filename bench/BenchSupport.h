#pragma once

#include "BenchServices.h"

#include <QDir>
#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class Database;

// Pieces several benchmarks share: their services, a long run to start from, and a count of
// paints.

// Fills services for a main window driven by a benchmark in `folder` (its own settings file,
// the database engine, counted dialogs, a clock without the splash's hold, no beep); returns
// the dialogs, which stay owned by services.
CountingDialogs* UseBenchServices(Services& services, const QDir& folder);

// A new folder for a benchmark's database and files, beside the benchmark program and so on
// the file system the program is on: the system's temporary folder is often a RAM disk, where
// a durable commit costs nothing and the figures would flatter. Prints the folder and its file
// system; the folder is removed with the object.
std::unique_ptr<QTemporaryDir> MakeBenchFolder(const QString& name);
// Prints the folder and the file system it lies on, with a warning for a RAM disk.
void PrintFileSystem(const QString& folder);

// Inserts results 1 to rows of run 1, place i with the start number startnummerOf(i) and a
// gross and net time of i * 0.37 s. The caller decides about the transaction.
void InsertSampleResults(Database& db, int rows, const std::function<qint32(int)>& startnummerOf);

// Counts the paint events of the widget it is installed on.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
