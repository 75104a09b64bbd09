#include "support/PtyPair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    m_socat.setProgram("socat");
    m_socat.setArguments({QStringLiteral("pty,raw,echo=0,link=%1").arg(deviceA()),
                          QStringLiteral("pty,raw,echo=0,link=%1").arg(deviceB())});
    m_socat.start();
    if (!m_socat.waitForStarted(3000))
        return;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        if (QFileInfo::exists(deviceA()) && QFileInfo::exists(deviceB())) {
            m_ok = true;
            return;
        }
        QThread::msleep(10);
    }
}

PtyPair::~PtyPair() {
    if (m_socat.state() != QProcess::NotRunning) {
        m_socat.terminate();
        if (!m_socat.waitForFinished(2000))
            m_socat.kill();
        m_socat.waitForFinished(1000);
    }
}

PtyEnd::PtyEnd(const QString& device) {
    m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_fd, TCSANOW, &tio);
    }
}

PtyEnd::~PtyEnd() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void PtyEnd::write(const QByteArray& data) {
    qsizetype done = 0;
    while (m_fd >= 0 && done < data.size()) {
        const ssize_t n = ::write(m_fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n > 0)
            done += n;
        else
            QThread::msleep(1);
    }
}

QByteArray PtyEnd::readFor(int timeoutMs) {
    return readAtLeast(1 << 30, timeoutMs);
}

QByteArray PtyEnd::readAtLeast(int n, int timeoutMs) {
    QByteArray out;
    QElapsedTimer t;
    t.start();
    char buf[4096];
    while (m_fd >= 0 && out.size() < n && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const ssize_t got = ::read(m_fd, buf, sizeof buf);
        if (got > 0)
            out.append(buf, static_cast<qsizetype>(got));
        else
            QThread::msleep(1);
    }
    return out;
}
