// The program side of the crash test (bench/crash_test.py): the real main window takes
// results at the Enter key, one after another, with the backup line on, until it is killed.
// After each result the handler reported as stored it prints "ack <start number>" and flushes,
// so whatever the test reads was acknowledged before the kill.
//
//   crash_take_results FOLDER FIRST_COUNT
// FOLDER holds Chronvo.mdb and keeps the settings and the backup file between runs; the
// start numbers go on from FIRST_COUNT (wrapping below the field's 32000).

#include "BenchSupport.h"
#include "timing/frmChronivo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: crash_take_results FOLDER FIRST_COUNT\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    long count = std::atol(argv[2]);

    Services services;
    CountingDialogs* shown = UseBenchServices(services, folder);
    SettingsStore& settings = *services.settings;
    if (settings.GetSetting("frmChronivo", "Lauf1Startzeit", "").isEmpty()) {
        settings.SaveSetting("frmChronivo", "Lauf1Gestartet", "1");
        settings.SaveSetting("frmChronivo", "Lauf1Startzeit",
                             QTime::currentTime().addSecs(-3600).toString("hh:mm:ss"));
    }
    settings.SaveSetting("frmChronivo", "LogDatei", folder.filePath("backup.log"));

    frmChronivo window(services);
    window.startUp();
    window.sscLogDatei->setChecked(true);
    std::printf("ready\n");
    std::fflush(stdout);

    QTimer next;
    QObject::connect(&next, &QTimer::timeout, [&] {
        const long startnummer = 1 + count % 32000;
        const int boxesBefore = shown->shown;
        window.edtStartnummer->setText(QString::number(startnummer));
        window.edtStartnummer_KeyPress(13);
        if (window.lastResultFailed() || shown->shown != boxesBefore) {
            std::fprintf(stderr, "result of %ld not stored\n", startnummer);
            return;
        }
        std::printf("ack %ld\n", startnummer);
        std::fflush(stdout);
        ++count;
    });
    next.start(0);
    return app.exec();
}
