#pragma once

#include <QDateTime>
#include <QString>

// What a reader console needs of the main timing window, which lives in a library the
// consoles may not use. The main window hands an implementation to every console it opens.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // The main window's result button is enabled: a run is going and results may be taken.
    virtual bool isResultButtonEnabled() const = 0;
    // The hand-over of an accepted read: the start number goes into the main window's start
    // number field and that field's Enter handler runs, which takes the result timed at
    // `arrivedAt`, the moment the read's bytes reached the console. Returns false when the
    // main window could not store the result; it has told the timekeeper then. A RuntimeError
    // that comes back also means no result.
    virtual bool handOverStartnummer(const QString& startnummer, const QDateTime& arrivedAt) = 0;
    // The main window is ending the program: consoles close without their unload handling.
    virtual bool isEndingProgram() const = 0;
};
