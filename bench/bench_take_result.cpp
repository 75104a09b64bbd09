// Taking one result at the Enter key in a run that already holds many results: the stamp,
// the next place, the insert, both grid refreshes, the backup line, and the repaint of the
// window that follows. Each result is paired with one durable commit of the same row into a
// second database file in the same folder, so the figures can be read against what the disk
// itself costs at that moment.
//
// The databases live in a folder beside the benchmark program, on the file system the
// program folder is on (printed), never on a RAM disk unless the program itself is on one.
//
//   bench_take_result [--rows 1000,10000,100000] [--results 300] [--check both|on|off]
//
// --check sets "Startnummer auf Eindeutigkeit prüfen" (the duplicate test of each row shown).

#include "BenchSupport.h"
#include "platform/DbEngine.h"
#include "platform/Services.h"
#include "results/DataControl.h"
#include "results/ResultEntry.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

long peakKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

void report(const char* what, const std::vector<double>& ms) {
    std::printf("  %-22s median %7.3f ms  p90 %7.3f ms  p99 %7.3f ms  max %7.3f ms\n", what,
                percentile(ms, 0.5), percentile(ms, 0.9), percentile(ms, 0.99), percentile(ms, 1.0));
}

ResultEntry::Row sampleRow(int place, const QString& start) {
    ResultEntry::Row row;
    row.platzierung = place;
    row.startnummer = static_cast<qint32>(QRandomGenerator::global()->bounded(1, 3000));
    row.systemtime = "12:00:00";
    row.starttime = start;
    row.times = ResultEntry::ComputeTimes(place * 0.37, place * 0.37);
    return row;
}

struct Figures {
    double handler = 0;
    double commit = 0;
    double paintP99 = 0;
};

// One configuration: a fresh database with `preload` results, then `measured` results at the
// Enter key, each followed by one durable commit of the same row into the second file.
bool measure(const QString& folder, int preload, int measured, bool duplicateTest, Figures& out) {
    QTemporaryDir dir(folder + "/bench_take_result-XXXXXX");
    if (!dir.isValid())
        return false;
    QFile::copy(CHRONIVO_BUILT_DB, dir.filePath("Chronvo.mdb"));
    QFile::copy(CHRONIVO_BUILT_DB, dir.filePath("Vergleich.mdb"));
    for (const char* name : {"Chronvo.mdb", "Vergleich.mdb"})
        QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner);

    Services services;
    CountingDialogs* shown = UseBenchServices(services, QDir(dir.path()));

    // A run started an hour ago, with the backup line on.
    const QString start = QTime::currentTime().addSecs(-3600).toString("hh:mm:ss");
    services.settings->SaveSetting("frmChronivo", "Lauf1Gestartet", "1");
    services.settings->SaveSetting("frmChronivo", "Lauf1Startzeit", start);
    services.settings->SaveSetting("frmChronivo", "LogDatei", dir.filePath("backup.log"));
    services.settings->SaveSetting("frmChronivo", "FastSaveDatei", dir.filePath("fastsave.log"));

    {
        // The results already taken, written in one go.
        Workspace ws;
        auto db = ws.OpenDatabase(dir.filePath("Chronvo.mdb"), false, false, frmChronivo::ConnectString);
        ws.BeginTrans();
        for (int i = 1; i <= preload; ++i)
            ResultEntry::Insert(*db, sampleRow(i, start));
        ws.CommitTrans();
        db->Close();
    }

    // The disk's own cost: the same row committed alone, durably, in the same folder.
    Workspace compareWs;
    auto compare =
        compareWs.OpenDatabase(dir.filePath("Vergleich.mdb"), false, false, frmChronivo::ConnectString);

    frmChronivo window(services);
    window.startUp();
    window.sscLogDatei->setChecked(true);
    window.sscStartNr->setChecked(duplicateTest);
    QCoreApplication::processEvents();

    std::vector<double> handler;
    std::vector<double> withPaint;
    std::vector<double> commit;
    QElapsedTimer timer;
    for (int i = 0; i < measured; ++i) {
        window.edtStartnummer->setText(QString::number(QRandomGenerator::global()->bounded(1, 3000)));
        timer.start();
        window.edtStartnummer_KeyPress(13);
        handler.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
        withPaint.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        const ResultEntry::Row row = sampleRow(preload + i + 1, start);
        timer.start();
        ResultEntry::Insert(*compare, row);
        commit.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    std::printf("rows before %d, results %d, duplicate test %s, rows in view at the end %d\n", preload,
                measured, duplicateTest ? "on" : "off", window.Data1->RecordCount());
    report("Enter handler", handler);
    report("handler + repaint", withPaint);
    report("one durable commit", commit);
    out.handler = percentile(handler, 0.5);
    out.commit = percentile(commit, 0.5);
    out.paintP99 = percentile(withPaint, 0.99);
    std::printf("  handler / durable commit (medians) %.2f\n", out.handler / out.commit);
    compare->Close();
    window.close();
    if (shown->shown > 0 || window.Data1->RecordCount() != preload + measured) {
        std::fprintf(stderr, "results were not all taken\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> rowCounts{1000, 10000, 100000};
    int measured = 300;
    QString check = "both";
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString name = argv[i];
        const QString value = argv[i + 1];
        if (name == "--rows") {
            rowCounts.clear();
            for (const QString& n : value.split(','))
                rowCounts.push_back(n.toInt());
        } else if (name == "--results") {
            measured = std::max(1, value.toInt());
        } else if (name == "--check") {
            check = value;
        }
    }

    const QString folder = QCoreApplication::applicationDirPath();
    PrintFileSystem(folder);

    std::vector<bool> checks;
    if (check != "on")
        checks.push_back(false);
    if (check != "off")
        checks.push_back(true);
    bool ok = true;
    for (bool duplicateTest : checks) {
        std::map<int, Figures> byRows;
        for (int rows : rowCounts) {
            Figures f;
            ok = measure(folder, rows, measured, duplicateTest, f) && ok;
            byRows[rows] = f;
        }
        std::printf("duplicate test %s:\n", duplicateTest ? "on" : "off");
        const int smallest = byRows.begin()->first;
        // The disk's cost moves with the machine's other work; dividing each handler by the
        // commit paired with it takes that out of the comparison between run lengths.
        const Figures& base = byRows[smallest];
        for (const auto& [rows, f] : byRows)
            std::printf(
                "  %6d rows: handler %.3f ms = %.2f x the handler at %d rows (%.2f x, each against its "
                "paired commit), %.2f x one durable commit; with repaint p99 %.3f ms\n",
                rows, f.handler, f.handler / base.handler, smallest,
                (f.handler / f.commit) / (base.handler / base.commit), f.handler / f.commit, f.paintP99);
    }
    std::printf("peak memory (VmHWM) %ld KiB\n", peakKiB());
    return ok ? 0 : 1;
}
