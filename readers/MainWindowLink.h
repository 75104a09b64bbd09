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
    // The hand-over of an accepted read: the main window takes the result for the start
    // number as Enter in its start-number field would, timed at `arrivedAt`, the moment the
    // read's bytes reached the console; what the timekeeper is typing stays as it is.
    // Returns false when the main window stored nothing for it (a failure, or no run start to
    // time it from). A RuntimeError that comes back also means no result.
    virtual bool handOverStartnummer(const QString& startnummer, const QDateTime& arrivedAt) = 0;
    // The main window is ending the program: consoles close without their unload handling.
    virtual bool isEndingProgram() const = 0;
};
