#include "platform/Services.h"

#include "platform/RuntimeError.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

bool openInTextViewer(const QString& file) {
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {file});
#else
    // Notepad offers to create a missing file; a desktop viewer would refuse to open it.
    if (!QFileInfo::exists(file)) {
        QFile touch(file);
        touch.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
#endif
}

} // namespace

Database& LocalDatabase::database() const {
    if (!gdbLocal)
        throw RuntimeError::ObjectNotSet();
    return *gdbLocal;
}

std::unique_ptr<Services> Services::createDefault(const QString& appTitle, const QString& programFile) {
    auto s = std::make_unique<Services>();
    s->settings = std::make_unique<SettingsStore>(appTitle);
    s->dbEngine = std::make_unique<DbEngine>();
    s->dialogs = std::make_unique<QtDialogs>(appTitle);
    s->clock = std::make_unique<SystemClock>();
    s->beeper = std::make_unique<SystemBeeper>();
    Clock* clock = s->clock.get();
    s->createSerialPort = [clock] {
        return std::make_unique<QtSerialPort>(SerialDeviceForPort, [clock] { return clock->now(); });
    };
    s->createTcpSocket = [] { return std::make_unique<QtTcpSocket>(); };
    s->createChildProcess = [] { return std::make_unique<QtChildProcess>(); };
    s->endIdentifiedProcess = EndIdentifiedProcess;
    s->openTextViewer = openInTextViewer;
    s->createPrinter = DefaultPrinter;
    s->programFile = programFile;
    s->programFolder = QFileInfo(programFile).absolutePath();
    // The new instance gets the same command line, so a test-server start stays one.
    s->restartProgram = [programFile] {
        QProcess::startDetached(programFile, QCoreApplication::arguments().mid(1));
    };
    return s;
}
