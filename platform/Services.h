#pragma once

#include "platform/ChildProcess.h"
#include "platform/Clock.h"
#include "platform/DbEngine.h"
#include "platform/Dialogs.h"
#include "platform/Http.h"
#include "platform/Printer.h"
#include "platform/SerialPort.h"
#include "platform/SettingsStore.h"
#include "platform/TcpSocket.h"
#include "platform/Unzip.h"

#include <QString>

#include <functional>
#include <memory>

// The local database as everybody reaches it: its path, the workspace that owns the
// transactions, and the open database (null until start-up opened it, and after the end
// button closed it).
struct LocalDatabase {
    QString gsDbPath;
    Workspace* gwsLocal = nullptr;
    std::shared_ptr<Database> gdbLocal;

    // The open database; RuntimeError when start-up could not open it. A database closed
    // since then raises on its first query.
    Database& database() const;
};

// Everything the windows take from the operating system and the runtime, handed in at
// construction so that tests can replace any of it. There is one of these in main().
struct Services {
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<DbEngine> dbEngine;
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Beeper> beeper;

    // New devices. Tests replace these with fakes or point them at pseudo-terminals.
    SerialPortFactory createSerialPort;
    TcpSocketFactory createTcpSocket;
    // Child processes (the reader bridges); ending a process recorded in an earlier run.
    ChildProcessFactory createChildProcess;
    std::function<bool(const QString& identity)> endIdentifiedProcess;
    // Opens a text file in the system's text viewer (Notepad on Windows); false when the viewer
    // could not be started. The file need not exist.
    std::function<bool(const QString& file)> openTextViewer;
    // The printer of printouts made without a dialog; answers null when there is none.
    PrinterFactory createPrinter;

    // The update check: HTTP to the update server, and the unpacker of its archives.
    std::unique_ptr<Http> http;
    std::unique_ptr<Unzipper> unzipper;
    // Starts a program in a window of its own, not waiting for it; false when it could not
    // be started.
    std::function<bool(const QString& program)> startProgram;
    // Reads one value of the system's machine-wide registry ("HKEY_LOCAL_MACHINE", key path,
    // value name): text as text, a 32-bit number as its decimal text. False when the key or
    // value is missing, and always on systems without that registry.
    std::function<bool(const QString& root, const QString& key, const QString& name, QString& value)>
        readRegistry;

    // Whether the user may install a new program version: on Windows the system's
    // administrator test; elsewhere write access to the program's folder and file.
    std::function<bool()> isUserAnAdmin;

    // The command line after the program's name, as one text ("TEST" selects the local test
    // server for the update check).
    QString commandLine;
    // Directory URL, ending with "/", of the update server's version list and archives.
    QString updateBaseUrl;

    // Folder of the program: the local database is looked for here.
    QString programFolder;
    // Full path of the program file, for its modification date.
    QString programFile;

    LocalDatabase local;

    // Starts the program file anew as a separate process (the switch to split-time mode ends
    // the program and brings it up again). Tests replace it so that no process is started.
    std::function<void()> restartProgram;

    // The real services of a running program.
    static std::unique_ptr<Services> createDefault(const QString& appTitle, const QString& programFile);
};
