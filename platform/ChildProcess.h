#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A program started as a child without a window, its standard output on a pipe that the
// owner reads as output arrives; standard input and standard error are not connected. All
// signals come on the thread that owns the object.
class ChildProcess : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ChildProcess() override = default;

    // Starts the command line (program and arguments separated by blanks, quotes group) in the
    // program's current folder and environment. Returns 0 when it runs, else the system's error
    // code for the failed start (ENOENT for a program that is not there).
    virtual int Start(const QString& commandLine) = 0;
    virtual bool IsRunning() const = 0;
    // Everything the program wrote and nobody took yet.
    virtual QByteArray ReadAvailable() = 0;
    // Ends the program at once.
    virtual void Terminate() = 0;
    // Names this very process across program runs (its number and its start time), so that a
    // number that the system has given to another process since is never taken for it. Empty
    // when not running or when the system cannot tell.
    virtual QString Identity() const = 0;

signals:
    void OutputReady();
    // The program ended; output it wrote before is readable before this comes.
    void Finished();
    void ReadFailed();
};

// A child process on QProcess. Destroying it while the program runs leaves the program
// running: bridges outlive the window and the program that started them.
class QtChildProcess final : public ChildProcess {
    Q_OBJECT
public:
    explicit QtChildProcess(QObject* parent = nullptr);
    ~QtChildProcess() override;

    int Start(const QString& commandLine) override;
    bool IsRunning() const override;
    QByteArray ReadAvailable() override;
    void Terminate() override;
    QString Identity() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

using ChildProcessFactory = std::function<std::unique_ptr<ChildProcess>()>;

// Starts a program on its own, not as a child that is waited for or read; false when it
// could not be started. Like every program started through this file, it gets nothing of
// this process but its standard input, output and error.
bool StartDetachedProgram(const QString& program, const QStringList& arguments);

// Marks every descriptor of this process beyond the standard three close-on-exec, so that
// the next program started holds no connection, port or file of this one, whoever opened it.
// Called before each start; Qt starts children without closing what it did not open itself.
void KeepDescriptorsFromChildren();

// The identity text of a running process by its number; empty when there is none.
QString ProcessIdentity(qint64 pid);
// Ends the process that identity names, only when that very process still runs. True when it
// was ended.
bool EndIdentifiedProcess(const QString& identity);
