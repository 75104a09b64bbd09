#include "BenchSupport.h"

#include "platform/DbEngine.h"
#include "results/ResultEntry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStorageInfo>

#include <cstdio>
#include <cstdlib>

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

std::unique_ptr<QTemporaryDir> MakeBenchFolder(const QString& name) {
    auto folder =
        std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() + "/" + name + "-XXXXXX");
    if (!folder->isValid()) {
        std::fprintf(stderr, "no folder beside the program: %s\n", qPrintable(folder->errorString()));
        std::exit(1);
    }
    PrintFileSystem(folder->path());
    return folder;
}

void PrintFileSystem(const QString& folder) {
    const QStorageInfo storage(folder);
    const QByteArray type = storage.fileSystemType();
    std::printf("databases in %s, file system %s on %s (mounted at %s)%s\n", qPrintable(folder),
                type.constData(), qPrintable(storage.device()), qPrintable(storage.rootPath()),
                type == "tmpfs" || type == "ramfs" ? ": a RAM disk, durable commits cost nothing here" : "");
    std::fflush(stdout);
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
