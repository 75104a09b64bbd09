#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Two connected pseudo-terminals made by socat: what one end writes, the other reads.
// Stands in for a serial cable in tests.
class PtyPair final {
public:
    PtyPair();
    ~PtyPair();

    // False when socat is missing or did not come up; tests then skip.
    bool ok() const { return m_ok; }
    QString deviceA() const { return m_dir.filePath("a"); }
    QString deviceB() const { return m_dir.filePath("b"); }

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
    bool m_ok = false;
};

// Opens a pseudo-terminal end raw, for the test side of the cable.
class PtyEnd final {
public:
    explicit PtyEnd(const QString& device);
    ~PtyEnd();
    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray& data);
    // Reads what arrives within timeoutMs (processing Qt events meanwhile).
    QByteArray readFor(int timeoutMs);
    // Reads until at least n bytes came or timeoutMs passed.
    QByteArray readAtLeast(int n, int timeoutMs);

private:
    int m_fd = -1;
};
