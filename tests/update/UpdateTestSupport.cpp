#include "UpdateTestSupport.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString python3() {
    // The system's interpreter when there is one: wrappers of per-user Python managers start
    // slowly and depend on the environment the tests change.
    const QString system = QStringLiteral("/usr/bin/python3");
    return QFileInfo(system).isExecutable() ? system
                                            : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

LoopbackHttp::LoopbackHttp(const QString& folder) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python3(), {QStringLiteral(CHRONIVO_TEST_HTTP_SCRIPT), folder});
    if (!m_process.waitForStarted(5000))
        return;
    // The line may come in pieces; only a whole line counts.
    while (m_process.canReadLine() || m_process.waitForReadyRead(5000)) {
        if (!m_process.canReadLine())
            continue;
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("PORT ")) {
            m_port = line.mid(5).toInt();
            return;
        }
    }
    qWarning() << "loopback HTTP server did not start:" << m_process.state() << m_process.error()
               << m_process.errorString() << m_process.readAll();
}

LoopbackHttp::~LoopbackHttp() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString LoopbackHttp::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
}

bool runZip(const QString& folder, const QStringList& arguments) {
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q")} + arguments);
    return zip.waitForFinished(20000) && zip.exitStatus() == QProcess::NormalExit && zip.exitCode() == 0;
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray programBytes(const QByteArray& marker) {
    QFile program(QStandardPaths::findExecutable(QStringLiteral("true")));
    return (program.open(QIODevice::ReadOnly) ? program.readAll() : QByteArray()) + marker;
}

TempFolderScope::TempFolderScope(const QString& folder)
    : m_wasSet(qEnvironmentVariableIsSet("TMPDIR")), m_saved(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", QFile::encodeName(folder));
}

TempFolderScope::~TempFolderScope() {
    if (m_wasSet)
        qputenv("TMPDIR", m_saved);
    else
        qunsetenv("TMPDIR");
}
