// Taking one result at the Enter key in a run that already holds many results: the stamp,
// the next place, the insert, both grid refreshes, the backup line, and the repaint of the
// window that follows. Prints the median and high percentiles per result, and the peak
// memory of the process with the rows in view.
//
//   bench_take_result [rows already in the run, default 10000] [results to time, default 1000]

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
#include <vector>

namespace {

// No dialog may wait for a person during a measurement; every box counts as a failure.
class CountingDialogs final : public Dialogs {
public:
    int shown = 0;
    int MsgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(prompt));
        ++shown;
        return MsgBoxResult::Ok;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    bool ShowOpen(FileDialogRequest&) override { return false; }
    bool ShowSave(FileDialogRequest&) override { return false; }
    bool ShowColor(QColor&) override { return false; }
    bool ShowFont(QFont&) override { return false; }
};

// The real clock, without the splash's hold.
class NoWaitClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void Sleep(int) override {}
};

class SilentBeeper final : public Beeper {
public:
    void Beep() override {}
};

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
    std::printf("%-18s median %.3f ms  p90 %.3f ms  p99 %.3f ms  max %.3f ms\n", what, percentile(ms, 0.5),
                percentile(ms, 0.9), percentile(ms, 0.99), percentile(ms, 1.0));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int preload = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int measured = std::max(1, argc > 2 ? std::atoi(argv[2]) : 1000);

    QTemporaryDir dir;
    QFile::copy(CHRONIVO_BUILT_DB, dir.filePath("Chronvo.mdb"));
    QFile::setPermissions(dir.filePath("Chronvo.mdb"), QFile::ReadOwner | QFile::WriteOwner);

    Services services;
    services.settings = std::make_unique<SettingsStore>("Vek. Chronivo", dir.filePath("settings.ini"));
    services.dbEngine = std::make_unique<DbEngine>();
    auto dialogs = std::make_unique<CountingDialogs>();
    CountingDialogs* shown = dialogs.get();
    services.dialogs = std::move(dialogs);
    services.clock = std::make_unique<NoWaitClock>();
    services.beeper = std::make_unique<SilentBeeper>();
    services.programFolder = dir.path();
    services.programFile = dir.filePath("chronivo");

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
        for (int i = 1; i <= preload; ++i) {
            ResultEntry::Row row;
            row.platzierung = i;
            row.startnummer = static_cast<qint32>(QRandomGenerator::global()->bounded(1, 3000));
            row.systemtime = "12:00:00";
            row.starttime = start;
            row.times = ResultEntry::ComputeTimes(i * 0.37, i * 0.37);
            ResultEntry::Insert(*db, row);
        }
        ws.CommitTrans();
        db->Close();
    }

    frmChronivo window(services);
    window.startUp();
    window.sscLogDatei->setChecked(true);
    QCoreApplication::processEvents();

    std::vector<double> handler;
    std::vector<double> withPaint;
    QElapsedTimer timer;
    for (int i = 0; i < measured; ++i) {
        window.edtStartnummer->setText(QString::number(QRandomGenerator::global()->bounded(1, 3000)));
        timer.start();
        window.edtStartnummer_KeyPress(13);
        handler.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
        withPaint.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    std::printf("rows in the run before: %d, results timed: %d, rows in view at the end: %d\n", preload,
                measured, window.Data1->RecordCount());
    report("Enter handler", handler);
    report("handler + repaint", withPaint);
    std::printf("peak memory (VmHWM) %ld KiB\n", peakKiB());
    if (shown->shown > 0 || window.Data1->RecordCount() != preload + measured) {
        std::fprintf(stderr, "results were not all taken\n");
        return 1;
    }
    return 0;
}
