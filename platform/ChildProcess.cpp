#include "platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

struct QtChildProcess::Impl {
    // Owned, except when the program outlives this object (see the destructor).
    QProcess* process = nullptr;
};

QtChildProcess::QtChildProcess(QObject* parent) : ChildProcess(parent), d(std::make_unique<Impl>()) {}

QtChildProcess::~QtChildProcess() {
    QProcess* p = d->process;
    if (!p)
        return;
    p->disconnect(this);
    if (p->state() == QProcess::NotRunning) {
        delete p;
        return;
    }
    // Deleting a QProcess kills its program. The program keeps running instead; its output
    // is discarded from now on, and the process object is given up with it.
    p->closeReadChannel(QProcess::StandardOutput);
    // Kept reachable for the program's lifetime, which is how long the handle is owed; the
    // list itself is never destroyed, not even at exit.
    static auto* outlived = new std::vector<QProcess*>;
    outlived->push_back(p);
    d->process = nullptr;
}

int QtChildProcess::Start(const QString& commandLine) {
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty())
        return ENOENT;
    const QString program = args.takeFirst();
    // Tell a missing program from one that may not be run, as the system's start would.
    const bool hasFolder = program.contains(QLatin1Char('/')) || program.contains(QLatin1Char('\\'));
    const QString path = hasFolder ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return ENOENT;
    if (QFileInfo(path).isDir() || !QFileInfo(path).isExecutable())
        return EACCES;

    KeepDescriptorsFromChildren();
    auto* p = new QProcess;
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    p->start(path, args, QIODevice::ReadOnly);
    if (!p->waitForStarted(-1)) {
        delete p;
        return ENOEXEC;
    }
    delete d->process;
    d->process = p;
    connect(p, &QProcess::readyReadStandardOutput, this, &ChildProcess::OutputReady);
    connect(p, &QProcess::finished, this, &ChildProcess::Finished);
    connect(p, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::ReadError)
            emit ReadFailed();
    });
    return 0;
}

bool QtChildProcess::IsRunning() const {
    return d->process && d->process->state() != QProcess::NotRunning;
}

QByteArray QtChildProcess::ReadAvailable() {
    return d->process ? d->process->readAllStandardOutput() : QByteArray();
}

void QtChildProcess::Terminate() {
    if (IsRunning())
        d->process->kill();
}

QString QtChildProcess::Identity() const {
    return IsRunning() ? ProcessIdentity(d->process->processId()) : QString();
}

bool StartDetachedProgram(const QString& program, const QStringList& arguments) {
    KeepDescriptorsFromChildren();
    return QProcess::startDetached(program, arguments);
}

void KeepDescriptorsFromChildren() {
#if defined(Q_OS_LINUX) && defined(CLOSE_RANGE_CLOEXEC)
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
#ifdef Q_OS_UNIX
    // Systems without that call: each open descriptor by name.
    const QStringList open = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System);
    for (const QString& name : open) {
        bool ok = false;
        const int fd = name.toInt(&ok);
        if (!ok || fd <= 2)
            continue;
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0)
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
#endif
}

QString ProcessIdentity(qint64 pid) {
#ifdef Q_OS_LINUX
    // The process's start time (field 22 of its stat line, ticks since boot) never repeats
    // for one number until the machine restarts.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return {};
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    constexpr int StartTimeAfterName = 19;
    if (fields.size() <= StartTimeAfterName)
        return {};
    return QStringLiteral("%1/%2").arg(pid).arg(QString::fromLatin1(fields[StartTimeAfterName]));
#else
    Q_UNUSED(pid);
    return {};
#endif
}

bool EndIdentifiedProcess(const QString& identity) {
    bool ok = false;
    const qint64 pid = identity.section(QLatin1Char('/'), 0, 0).toLongLong(&ok);
    if (!ok || pid <= 0 || identity.isEmpty() || ProcessIdentity(pid) != identity)
        return false;
#ifdef Q_OS_UNIX
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
#else
    return false;
#endif
}
