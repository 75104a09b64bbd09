#pragma once

#include "readers/ReaderConsole.h"

#include <memory>

class SerialPort;

// The console of a tag reader that sends one ID per line on a serial port. It only listens.
class frmSerialReader final : public ReaderConsole {
    Q_OBJECT
public:
    frmSerialReader(Services& services, MainWindowLink& mainWindow);
    ~frmSerialReader() override;

    void cmdConnect_Click() override;
    void cmdDisconnect_Click() override;
    void MSComm1_OnComm();

    SerialPort& MSComm1() { return *m_port; }

protected:
    void closeLinkOnUnload() override;
    void takeWaitingInput() override;

private:
    // What waits on the open port; empty when it is closed.
    QString waitingInput();

    std::unique_ptr<SerialPort> m_port;
};
