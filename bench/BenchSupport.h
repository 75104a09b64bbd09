#pragma once

#include "BenchServices.h"

#include <QDir>
#include <QObject>

#include <functional>

class Database;

// Pieces several benchmarks share: their services, a long run to start from, and a count of
// paints.

// Fills services for a main window driven by a benchmark in `folder` (its own settings file,
// the database engine, counted dialogs, a clock without the splash's hold, no beep); returns
// the dialogs, which stay owned by services.
CountingDialogs* UseBenchServices(Services& services, const QDir& folder);

// Inserts results 1 to rows of run 1, place i with the start number startnummerOf(i) and a
// gross and net time of i * 0.37 s. The caller decides about the transaction.
void InsertSampleResults(Database& db, int rows, const std::function<qint32(int)>& startnummerOf);

// Counts the paint events of the widget it is installed on.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
