#pragma once

#include "readers/MainWindowLink.h"

#include <QObject>

#include <array>
#include <memory>

class ReaderConsole;
class frmChronivo;
enum class ReaderKind : int;

// The reader consoles' way into the main window, and the owner of the four consoles. A child
// of the main window; the consoles themselves are windows of their own, without an owner.
class MainWindowReaderLink final : public QObject, public MainWindowLink {
    Q_OBJECT
public:
    explicit MainWindowReaderLink(frmChronivo& main);
    ~MainWindowReaderLink() override;

    bool isResultButtonEnabled() const override;
    bool handOverStartnummer(const QString& startnummer, const QDateTime& arrivedAt) override;
    bool isEndingProgram() const override;

    ReaderConsole* console(ReaderKind kind) const;
    // Creates the console on first use, loads it when it is not loaded, and brings it forward.
    void open(ReaderKind kind);
    // Ends every console at once, and with it its socket, its serial port and its end of a
    // bridge program's pipe, without the unload handling, as the program's end does; a
    // bridge program keeps running.
    void closeConsoles();

private:
    frmChronivo& m_main;
    std::array<std::unique_ptr<ReaderConsole>, 4> m_consoles;
};
