#include "platform/Services.h"

#include "platform/RuntimeError.h"
#include "Version.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#ifdef Q_OS_WIN
#include <shlobj.h>
#endif

namespace {

bool openInTextViewer(const QString& file) {
#ifdef Q_OS_WIN
    return StartDetachedProgram(QStringLiteral("notepad.exe"), {file});
#else
    // Notepad offers to create a missing file; a desktop viewer would refuse to open it.
    if (!QFileInfo::exists(file)) {
        QFile touch(file);
        touch.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    // The viewer is started by Qt; it gets nothing of this program either.
    KeepDescriptorsFromChildren();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
#endif
}

bool readMachineRegistry(const QString& root, const QString& key, const QString& name, QString& value) {
#ifdef Q_OS_WIN
    QSettings reg(root + '\\' + key, QSettings::NativeFormat);
    if (reg.status() != QSettings::NoError || !reg.contains(name))
        return false;
    value = reg.value(name).toString();
    return true;
#else
    Q_UNUSED(root);
    Q_UNUSED(key);
    Q_UNUSED(name);
    Q_UNUSED(value);
    return false;
#endif
}

bool mayReplaceProgram(const QString& programFile) {
#ifdef Q_OS_WIN
    Q_UNUSED(programFile);
    return ::IsUserAnAdmin();
#else
    const QFileInfo file(programFile);
    return QFileInfo(file.absolutePath()).isWritable() && file.isWritable();
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
    s->http = std::make_unique<QtHttp>();
    s->unzipper = std::make_unique<LibzipUnzipper>();
    s->startProgram = [](const QString& program) { return StartDetachedProgram(program, {}); };
    s->readRegistry = readMachineRegistry;
    s->isUserAnAdmin = [programFile] { return mayReplaceProgram(programFile); };
    s->commandLine = QCoreApplication::arguments().mid(1).join(' ');
    s->updateBaseUrl = QStringLiteral(CHRONIVO_UPDATE_BASE_URL);
    s->programFile = programFile;
    s->programFolder = QFileInfo(programFile).absolutePath();
    // The new instance gets the same command line, so a test-server start stays one.
    s->restartProgram = [programFile] {
        StartDetachedProgram(programFile, QCoreApplication::arguments().mid(1));
    };
    return s;
}
