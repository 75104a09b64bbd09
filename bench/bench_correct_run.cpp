// Correcting a long run by hand: every time of the run moved by a second ("Zeiten verschieben"
// from the first row) and every start number moved one place ("Startnummern nach unten/oben
// schieben" without a selected row), each over the whole run, with the repaint that follows.
// Prints the median and the slowest of the rounds and how often the result grid was painted
// per round. The database lies in a folder beside the program (its file system is printed).
//
//   bench_correct_run [rows in the run, default 10000] [rounds of each, default 20]

#include "BenchSupport.h"
#include "platform/Services.h"
#include "results/DataControl.h"
#include "results/ResultEntry.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int preload = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10000);
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 20);

    const std::unique_ptr<QTemporaryDir> folder = MakeBenchFolder("bench_correct_run");
    const QTemporaryDir& dir = *folder;
    QFile::copy(CHRONIVO_BUILT_DB, dir.filePath("Chronvo.mdb"));
    QFile::setPermissions(dir.filePath("Chronvo.mdb"), QFile::ReadOwner | QFile::WriteOwner);

    Services services;
    CountingDialogs* answers = UseBenchServices(services, QDir(dir.path()));
    services.settings->SaveSetting("frmChronivo", "LogDatei", dir.filePath("backup.log"));

    {
        Workspace ws;
        auto db = ws.OpenDatabase(dir.filePath("Chronvo.mdb"), false, false, frmChronivo::ConnectString);
        ws.BeginTrans();
        InsertSampleResults(*db, preload, [](int i) { return i; });
        ws.CommitTrans();
        db->Close();
    }

    frmChronivo window(services);
    window.startUp();
    window.show();
    PaintCounter counter;
    window.dbgZeiten->viewport()->installEventFilter(&counter);
    QCoreApplication::processEvents();

    std::vector<double> timeShift;
    std::vector<double> numberShift;
    std::vector<int> paints;
    QElapsedTimer timer;
    for (int i = 0; i < rounds; ++i) {
        // Every time of the run, from the first row on.
        window.dbgZeiten->selectRow(0);
        QCoreApplication::processEvents();
        answers->inputAnswer = i % 2 == 0 ? "1" : "-1";
        counter.paints = 0;
        timer.start();
        window.cmdVerschieben_Click(0);
        QCoreApplication::processEvents();
        timeShift.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        paints.push_back(counter.paints);
        const qint64 lastMs = window.Data1->value(preload - 1, "Millisekunden").toLongLong();
        if (lastMs != qint64(preload) * 370 + (i % 2 == 0 ? 1000 : 0)) {
            std::fprintf(stderr, "the last row holds %lld ms: the time shift did not reach it\n", lastMs);
            return 1;
        }

        // Every start number of the run, no row selected.
        window.dbgZeiten->clearSelection();
        QCoreApplication::processEvents();
        counter.paints = 0;
        timer.start();
        window.cmdArrows_Click(i % 2);
        QCoreApplication::processEvents();
        numberShift.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        paints.push_back(counter.paints);
        if (i == 0 && window.Data1->value(preload - 1, "Startnummer").toInt() != preload - 1) {
            std::fprintf(stderr, "the start numbers did not move\n");
            return 1;
        }
    }

    std::printf("rows in the run: %d, rounds: %d\n", preload, rounds);
    std::printf("time shift (all rows)          median %.1f ms  max %.1f ms\n", median(timeShift),
                *std::max_element(timeShift.begin(), timeShift.end()));
    std::printf("start-number shift (all rows)  median %.1f ms  max %.1f ms\n", median(numberShift),
                *std::max_element(numberShift.begin(), numberShift.end()));
    std::printf("grid paints per operation      min %d  max %d\n",
                *std::min_element(paints.begin(), paints.end()),
                *std::max_element(paints.begin(), paints.end()));
    if (answers->shown > 0 || window.Data1->RecordCount() != preload) {
        std::fprintf(stderr, "the corrections did not run as planned\n");
        return 1;
    }
    return 0;
}
