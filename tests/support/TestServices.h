#pragma once

#include "platform/Services.h"
#include "support/FakeClock.h"
#include "support/FakeDialogs.h"

#include <QMap>
#include <QTemporaryDir>

#include <memory>

// Services for one test: its own temp folder as the program folder, holding a fresh copy of
// the built database, its own settings file, a fixed clock and scripted dialogs.
class TestServices final {
public:
    // withDatabase false leaves the program folder without Chronvo.mdb.
    explicit TestServices(bool withDatabase = true);
    ~TestServices();

    Services& services() { return *m_services; }
    FakeDialogs& dialogs() { return *m_dialogs; }
    FakeClock& clock() { return *m_clock; }
    FakeBeeper& beeper() { return *m_beeper; }
    SettingsStore& settings() { return *m_services->settings; }
    QString folder() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString dbPath() const { return m_dir.filePath("Chronvo.mdb"); }
    // A copy of the sample race database in the temp folder; returns its path.
    QString copyRaceDatabase(const QString& name = "VekLauf.mdb");

    // Opens the local database the way start-up does, for tests of the queries alone.
    std::shared_ptr<Database> openLocal();

    // Every fake serial port the program created, in order of creation. A port is owned by
    // whoever asked for it; entries of ports already destroyed must not be used.
    std::vector<class FakeSerialPort*> serialPorts;
    // Every file the program asked the text viewer to open, in order; nothing is started.
    QStringList openedInTextViewer;
    // How often the program asked to be started anew; no process is started in tests.
    int restarts = 0;

    // Programs the program asked to start; nothing is started.
    QStringList startedPrograms;
    // The machine registry as the program sees it: "root\\key|name" to value.
    QMap<QString, QString> registry;
    // What the administrator test answers.
    bool administrator = true;

    // The file printouts are written to; false makes the system look as if it had no printer.
    QString printFile() const { return m_dir.filePath("druck.pdf"); }
    bool printerAvailable = true;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Services> m_services;
    FakeDialogs* m_dialogs = nullptr;
    FakeClock* m_clock = nullptr;
    FakeBeeper* m_beeper = nullptr;
};
