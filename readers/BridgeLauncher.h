#pragma once

#include "platform/ChildProcess.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <memory>

// Cuts a bridge program's output into the lines the console shows, however the pipe delivers
// it: a line split over two reads is put together, CR LF, LF and CR all end a line, blank
// lines are dropped. A line that grows past MaxLineBytes without an end is shown in pieces of
// that size, so a program that never ends its lines cannot fill the memory.
class BridgeOutputLines final {
public:
    static constexpr qsizetype MaxLineBytes = 64 * 1024;

    // The lines these bytes complete, in order, in the system's 8-bit encoding.
    QStringList feed(const QByteArray& bytes);
    // The text after the last line end, once the program has ended; empty when there is none.
    QStringList finish();

private:
    QByteArray m_partial;
};

// One bridge program started from a console and read as its output arrives. The console's
// handlers return at once; lines, the end of the program and failed reads come as signals on
// the user-interface thread.
class BridgeLauncher final : public QObject {
    Q_OBJECT
public:
    explicit BridgeLauncher(ChildProcessFactory factory, QObject* parent = nullptr);
    ~BridgeLauncher() override;

    // 0 when the program runs, else the system's error code for the failed start.
    int start(const QString& commandLine);
    bool isRunning() const;
    // Ends the program; ended() follows once it is gone.
    void stop();
    // The running program across program runs (see ChildProcess::Identity).
    QString identity() const;
    // While not shown the output is still read, so the program never blocks on a full pipe,
    // but dropped.
    void setShown(bool shown) { m_shown = shown; }

signals:
    void linesRead(const QStringList& lines);
    void ended();
    void readFailed();

private:
    void readOutput();
    void onFinished();
    void deliver(const QStringList& lines);

    ChildProcessFactory m_factory;
    std::unique_ptr<ChildProcess> m_process;
    BridgeOutputLines m_lines;
    bool m_shown = true;
};
