// The result files of a long run: the export file and the fast save of a run of many results,
// and the import of a time file with as many tag reads against a typed run start, each through
// the main window's own handlers (file dialogs and questions answered by the scripted dialogs).
// Prints the median and the spread of each over the repetitions, and how often the read
// counter was repainted during one import. The database and the files lie in a folder beside
// the program (its file system is printed). The import's figure is the one of a real display
// only when run on one, e.g. under xvfb-run -a with QT_QPA_PLATFORM=xcb.
//
//   bench_result_files [--results 10000] [--repeat 10]
#include "BenchSupport.h"
#include "platform/Services.h"
#include "results/ExportFile.h"
#include "results/ResultEntry.h"
#include "support/FakeClock.h"
#include "support/FakeDialogs.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Options {
    int results = 10000;
    int repeat = 10;
};

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %8.1f ms   min %8.1f ms   max %8.1f ms   (%zu runs)\n", what, ms[ms.size() / 2],
                ms.front(), ms.back(), ms.size());
}

double timed(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// A tag-read line of a reader's time file: four characters, the telegram with the read time
// (seconds since 1970 on the reader's clock, byte pairs reversed) and a numeric tag ID.
QByteArray tagLine(qint64 seconds, int tag) {
    const QString hex = QStringLiteral("%1").arg(seconds, 8, 16, QChar('0')).toUpper();
    const QString pairs = hex.mid(6, 2) + hex.mid(4, 2) + hex.mid(2, 2) + hex.mid(0, 2);
    return ("0001S2CuamREADER1" + pairs + "00" + QString::number(tag).rightJustified(24, '0') + "\r\n")
        .toLatin1();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--results")
            options.results = std::max(1, value);
        else if (name == "--repeat")
            options.repeat = std::max(1, value);
    }

    QApplication app(argc, argv);
    const std::unique_ptr<QTemporaryDir> folder = MakeBenchFolder("bench_result_files");
    const QTemporaryDir& dir = *folder;
    QFile::copy(CHRONIVO_BUILT_DB, dir.filePath("Chronvo.mdb"));
    QFile::setPermissions(dir.filePath("Chronvo.mdb"), QFile::ReadOwner | QFile::WriteOwner);

    Services services;
    services.settings = std::make_unique<SettingsStore>("Vek. Chronivo", dir.filePath("settings.ini"));
    services.settings->SaveSetting("frmChronivo", "LogDatei", dir.filePath("backup.log"));
    services.settings->SaveSetting("frmChronivo", "FastSaveDatei", dir.filePath("fastsave.log"));
    services.dbEngine = std::make_unique<DbEngine>();
    auto dialogs = std::make_unique<FakeDialogs>();
    FakeDialogs& shown = *dialogs;
    services.dialogs = std::move(dialogs);
    services.clock = std::make_unique<FakeClock>();
    services.beeper = std::make_unique<FakeBeeper>();
    services.programFolder = dir.path();
    services.programFile = dir.filePath("chronivo");

    frmChronivo window(services);
    window.startUp();

    // A run holds places up to the highest its files can keep; a larger count asked for is
    // measured at that size.
    const int results = std::min(options.results, int(ResultEntry::MaxPlatzierung));
    if (results < options.results)
        std::printf("%d results asked for; a run holds places up to %d, so %d are used\n", options.results,
                    results, results);

    // Run 1: the results to export, every one with a start number and under 7 hours (longer
    // times would stop the export with a question): from 10 minutes on, ten a second.
    Database& db = *services.local.gdbLocal;
    services.local.gwsLocal->BeginTrans();
    for (int i = 1; i <= results; ++i) {
        const int ms = 600000 + i * 100;
        db.ExecuteSql(
            "insert into Chronvo (Laufnummer, Platzierung, Startnummer, Systemtime, Starttime, Sekunden, "
            "Wertungstime, Millisekunden, ZeitNetto, MillisekNetto) values (1, :p, :p, '10:20:00', "
            "'10:00:00', :s, '00:20:00', :ms, '00:20:00', :ms)",
            {{"p", i}, {"s", ms / 1000}, {"ms", ms}});
    }
    services.local.gwsLocal->CommitTrans();
    window.RefreshResultViews();

    const QString exportFile = dir.filePath("lauf.exp");
    std::vector<double> exportMs, fastSaveMs, importMs;
    for (int r = 0; r < options.repeat; ++r) {
        shown.planFile(exportFile);
        exportMs.push_back(timed([&] { window.mnuSaveDatabase_Click(); }));
        fastSaveMs.push_back(timed([&] { window.cmdFastSave_Click(); }));
    }
    const qint64 expected = qint64(results) * ExportFile::RecordSize;
    if (QFile(exportFile).size() != expected || QFile(dir.filePath("fastsave.log")).size() != expected) {
        std::fprintf(stderr, "the files do not hold every result\n");
        return 1;
    }

    // The time file: as many tag reads, ten a second from 12:00:00 on (within 7 hours of the
    // start), tags 1 to 9999 again and again (each its own start number), imported into run 2
    // against 11:30:00.
    const QString timeFile = dir.filePath("zeiten.txt");
    {
        QFile f(timeFile);
        f.open(QIODevice::WriteOnly);
        const qint64 noon = QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();
        for (int i = 0; i < results; ++i)
            f.write(tagLine(noon + i / 10, i % 9999 + 1));
    }
    // Run 2 chosen as the timekeeper does: typed, then taken by the selector.
    window.cboLaufnummer->setEditText("2");
    window.cboLaufnummer_Click();
    window.mnuLoadZeitDatei_Click();
    shown.planInputBox("11:30:00");
    window.cmdZeitdateiLaufstart_Click();
    PaintCounter counterPaints;
    window.edtCounter->installEventFilter(&counterPaints);
    int paintsPerImport = 0;
    for (int r = 0; r < options.repeat; ++r) {
        db.ExecuteSql("delete from Chronvo where Laufnummer = 2");
        shown.planFile(timeFile);
        counterPaints.paints = 0;
        importMs.push_back(timed([&] { window.cmdZeitdateiImport_Click(); }));
        paintsPerImport = counterPaints.paints;
    }
    const int imported =
        db.OpenRecordset("select count(*) from Chronvo where Laufnummer = 2").Fields(0).toInt();
    if (imported != results || window.edtCounter->text() != QString::number(results) ||
        shown.countContaining("Fehler") != 0) {
        std::fprintf(stderr, "the import did not take every read (%d rows)\n", imported);
        return 1;
    }

    std::printf("run of %d results\n", results);
    report("export file (menu, save dialog)", exportMs);
    report("fast save (button)", fastSaveMs);
    report("time-file import (button)", importMs);
    std::printf("read counter repainted %d times during one import of %d tag reads\n", paintsPerImport,
                results);
    return 0;
}
