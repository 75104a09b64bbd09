#include "readers/BridgeLauncher.h"

#include <algorithm>

QStringList BridgeOutputLines::feed(const QByteArray& bytes) {
    QStringList lines;
    const auto flush = [&] {
        if (!m_partial.isEmpty())
            lines << QString::fromLocal8Bit(m_partial);
        m_partial.clear();
    };
    qsizetype from = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const bool end = i == bytes.size();
        if (!end && bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        // Append in pieces no longer than the cap.
        for (qsizetype at = from; at < i;) {
            const qsizetype take = std::min(i - at, MaxLineBytes - m_partial.size());
            m_partial.append(bytes.constData() + at, take);
            at += take;
            if (m_partial.size() >= MaxLineBytes)
                flush();
        }
        if (!end)
            flush();
        from = i + 1;
    }
    return lines;
}

QStringList BridgeOutputLines::finish() {
    QStringList lines;
    if (!m_partial.isEmpty())
        lines << QString::fromLocal8Bit(m_partial);
    m_partial.clear();
    return lines;
}

BridgeLauncher::BridgeLauncher(ChildProcessFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)) {}

BridgeLauncher::~BridgeLauncher() {
    if (m_process)
        m_process->disconnect(this);
}

int BridgeLauncher::start(const QString& commandLine) {
    if (isRunning())
        return 0;
    auto process = m_factory();
    const int error = process->Start(commandLine);
    if (error != 0)
        return error;
    if (m_process)
        m_process->disconnect(this);
    m_process = std::move(process);
    m_lines = BridgeOutputLines();
    connect(m_process.get(), &ChildProcess::OutputReady, this, &BridgeLauncher::readOutput);
    connect(m_process.get(), &ChildProcess::Finished, this, &BridgeLauncher::onFinished);
    connect(m_process.get(), &ChildProcess::ReadFailed, this, &BridgeLauncher::readFailed);
    return 0;
}

bool BridgeLauncher::isRunning() const {
    return m_process && m_process->IsRunning();
}

void BridgeLauncher::stop() {
    if (m_process)
        m_process->Terminate();
}

QString BridgeLauncher::identity() const {
    return m_process ? m_process->Identity() : QString();
}

void BridgeLauncher::readOutput() {
    if (m_process)
        deliver(m_lines.feed(m_process->ReadAvailable()));
}

void BridgeLauncher::onFinished() {
    readOutput();
    deliver(m_lines.finish());
    emit ended();
}

void BridgeLauncher::deliver(const QStringList& lines) {
    if (m_shown && !lines.isEmpty())
        emit linesRead(lines);
}
