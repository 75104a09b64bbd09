#include "BenchSupport.h"

#include "platform/DbEngine.h"
#include "results/ResultEntry.h"

#include <QEvent>

CountingDialogs* UseBenchServices(Services& services, const QDir& folder) {
    services.settings = std::make_unique<SettingsStore>("Vek. Chronivo", folder.filePath("settings.ini"));
    services.dbEngine = std::make_unique<DbEngine>();
    auto dialogs = std::make_unique<CountingDialogs>();
    CountingDialogs* shown = dialogs.get();
    services.dialogs = std::move(dialogs);
    services.clock = std::make_unique<NoWaitClock>();
    services.beeper = std::make_unique<SilentBeeper>();
    services.programFolder = folder.path();
    services.programFile = folder.filePath("chronivo");
    return shown;
}

void InsertSampleResults(Database& db, int rows, const std::function<qint32(int)>& startnummerOf) {
    for (int i = 1; i <= rows; ++i) {
        ResultEntry::Row row;
        row.platzierung = i;
        row.startnummer = startnummerOf(i);
        row.systemtime = "12:00:00";
        row.starttime = "11:00:00";
        row.times = ResultEntry::ComputeTimes(i * 0.37, i * 0.37);
        ResultEntry::Insert(db, row);
    }
}

bool PaintCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint)
        ++paints;
    return false;
}
