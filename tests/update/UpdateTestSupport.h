#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// A loopback HTTP server serving one folder, started for one test and stopped with it.
class LoopbackHttp final {
public:
    explicit LoopbackHttp(const QString& folder);
    ~LoopbackHttp();

    bool running() const { return m_port > 0; }
    // "http://127.0.0.1:<port>/" followed by the path.
    QString url(const QString& path = {}) const;

private:
    QProcess m_process;
    int m_port = 0;
};

// The Python interpreter for helper scripts.
QString python3();

// Runs the zip command in `folder` with the given arguments; true when it succeeded.
bool runZip(const QString& folder, const QStringList& arguments);

// Writes a file (creating its folder); the file's whole content.
void writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);

// A file this machine can run as a program: a small program of the system followed by
// `marker`, so tests can tell versions apart.
QByteArray programBytes(const QByteArray& marker);

// Points the system's temp folder at `folder` while it lives.
class TempFolderScope final {
public:
    explicit TempFolderScope(const QString& folder);
    ~TempFolderScope();

private:
    bool m_wasSet;
    QByteArray m_saved;
};
