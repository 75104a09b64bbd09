#include "support/TestServices.h"

#include "support/FakeSerialPort.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

TestServices::TestServices(bool withDatabase) {
    m_services = std::make_unique<Services>();
    m_services->settings = std::make_unique<SettingsStore>("Vek. Chronivo", m_dir.filePath("settings.ini"));
    m_services->dbEngine = std::make_unique<DbEngine>();
    auto dialogs = std::make_unique<FakeDialogs>();
    m_dialogs = dialogs.get();
    m_services->dialogs = std::move(dialogs);
    auto clock = std::make_unique<FakeClock>();
    m_clock = clock.get();
    m_services->clock = std::move(clock);
    auto beeper = std::make_unique<FakeBeeper>();
    m_beeper = beeper.get();
    m_services->beeper = std::move(beeper);
    // Real sockets on loopback; serial ports are fakes unless a test points them elsewhere.
    m_services->createTcpSocket = [] { return std::make_unique<QtTcpSocket>(); };
    m_services->createSerialPort = [this] {
        auto port = std::make_unique<FakeSerialPort>();
        serialPorts.push_back(port.get());
        return port;
    };
    // Bridges are real child processes: the tests start a script of their own.
    m_services->createChildProcess = [] { return std::make_unique<QtChildProcess>(); };
    m_services->endIdentifiedProcess = EndIdentifiedProcess;
    m_services->openTextViewer = [this](const QString& file) {
        openedInTextViewer << file;
        return true;
    };
    // Printouts go to a PDF file in the test's folder instead of a printer.
    m_services->createPrinter = [this]() -> std::unique_ptr<QPrinter> {
        if (!printerAvailable)
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(printFile());
        return printer;
    };
    m_services->restartProgram = [this] { ++restarts; };
    // Real HTTP and unzip; tests point the update at a loopback server. A short time-out keeps
    // a test of a silent server quick.
    m_services->http = std::make_unique<QtHttp>(2000);
    m_services->unzipper = std::make_unique<LibzipUnzipper>();
    m_services->updateBaseUrl = "http://updates.chronivo.invalid/";
    m_services->startProgram = [this](const QString& program) {
        startedPrograms << program;
        return true;
    };
    m_services->readRegistry = [this](const QString& root, const QString& key, const QString& name,
                                      QString& value) {
        const auto it = registry.constFind(root + '\\' + key + '|' + name);
        if (it == registry.constEnd())
            return false;
        value = *it;
        return true;
    };
    m_services->isUserAnAdmin = [this] { return administrator; };
    m_services->programFolder = m_dir.path();
    m_services->programFile = m_dir.filePath("chronivo");
    // The backup file's default name lies in the home folder; keep tests inside their folder.
    m_services->settings->SaveSetting("frmChronivo", "LogDatei", m_dir.filePath("backup.log"));
    m_services->settings->SaveSetting("frmChronivo", "FastSaveDatei", m_dir.filePath("fastsave.log"));
    if (withDatabase) {
        const bool copied = QFile::copy(CHRONIVO_BUILT_DB, dbPath());
        EXPECT_TRUE(copied) << "built database missing: " << CHRONIVO_BUILT_DB;
        QFile::setPermissions(dbPath(), QFile::ReadOwner | QFile::WriteOwner);
    }
}

TestServices::~TestServices() {
    if (m_services->local.gdbLocal)
        m_services->local.gdbLocal->Close();
    // A window that unloaded asked the application to quit. With no event loop running that
    // request stays pending and would end the next test's modal loops (the splash) at once;
    // running the application loop once consumes it.
    if (QThread::currentThread()->loopLevel() == 0) {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
}

QString TestServices::copyRaceDatabase(const QString& name) {
    const QString target = m_dir.filePath(name);
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(CHRONIVO_BUILT_RACE_DB, target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

std::shared_ptr<Database> TestServices::openLocal() {
    LocalDatabase& local = m_services->local;
    local.gsDbPath = dbPath();
    local.gwsLocal = &m_services->dbEngine->Workspaces(0);
    local.gdbLocal = local.gwsLocal->OpenDatabase(local.gsDbPath, false, false, ";PWD=7rosenhag");
    return local.gdbLocal;
}
