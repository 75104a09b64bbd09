#pragma once

#include "readers/ReaderConsole.h"

#include <memory>

class TcpSocket;

// The consoles that reach their reader over a TCP socket: straight (frmRFID) or through a
// bridge program (frmMercury, frmMotorola). The socket's connect, close and error events show
// the link state; its data goes to the receive path.
class TcpReaderConsole : public ReaderConsole {
    Q_OBJECT
public:
    ~TcpReaderConsole() override;

    void cmdConnect_Click() override;
    void cmdDisconnect_Click() override;

    void Winsock1_Connect();
    void Winsock1_Close();
    void Winsock1_Error(int Number, const QString& Description);
    void Winsock1_DataArrival(int bytesTotal);

    TcpSocket& Winsock1() { return *m_socket; }

protected:
    TcpReaderConsole(ReaderKind kind, Services& services, MainWindowLink& mainWindow);

    void closeLinkOnUnload() override;
    void takeWaitingInput() override;
    int linkState() const override;
    void sendOnLink(const QByteArray& data) override;
    // Right after the connect request, and first thing when disconnecting.
    virtual void afterConnectRequest() {}
    virtual void beforeDisconnect() {}

private:
    std::unique_ptr<TcpSocket> m_socket;
};

class frmRFID final : public TcpReaderConsole {
    Q_OBJECT
public:
    frmRFID(Services& services, MainWindowLink& mainWindow);
};

class frmMercury final : public TcpReaderConsole {
    Q_OBJECT
public:
    frmMercury(Services& services, MainWindowLink& mainWindow);
};

// The bridge of frmMotorola reports reads only after the letter "s" and stops at "e";
// Command1 shows which was sent last.
class frmMotorola final : public TcpReaderConsole {
    Q_OBJECT
public:
    frmMotorola(Services& services, MainWindowLink& mainWindow);

protected:
    void onLoaded() override;
    void afterConnectRequest() override;
    void beforeDisconnect() override;
};
