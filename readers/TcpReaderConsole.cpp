#include "readers/TcpReaderConsole.h"

#include "core/Convert.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "platform/TcpSocket.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QColor ConnectedBackground(192, 255, 192);
const QColor ClosedBackground(255, 192, 192);

} // namespace

TcpReaderConsole::TcpReaderConsole(ReaderKind kind, Services& services, MainWindowLink& mainWindow)
    : ReaderConsole(kind, services, mainWindow), m_socket(services.createTcpSocket()) {
    connect(m_socket.get(), &TcpSocket::Connected, this, &TcpReaderConsole::Winsock1_Connect);
    connect(m_socket.get(), &TcpSocket::Closed, this, &TcpReaderConsole::Winsock1_Close);
    connect(m_socket.get(), &TcpSocket::Error, this, &TcpReaderConsole::Winsock1_Error);
    connect(m_socket.get(), &TcpSocket::DataArrival, this, &TcpReaderConsole::Winsock1_DataArrival);
}

TcpReaderConsole::~TcpReaderConsole() {
    m_socket->disconnect(this);
}

void TcpReaderConsole::cmdConnect_Click() {
    // A second "Verbinden" on a live link keeps it: dropping it would lose the reads that
    // come until somebody notices.
    if (m_socket->State() == SocketState::Connected) {
        Winsock1_Connect();
        return;
    }
    setLamp(Lamp::Yellow);
    setStatusPanel(1, QStringLiteral("verbinde...."));
    try {
        m_socket->setLocalPort(0);
        const QString port = edtRFIDIpPort->text();
        if (!Convert::IsNumeric(port))
            throw RuntimeError(RuntimeError::TypeMismatch, "Typen unverträglich");
        resetReceive();
        m_socket->Connect(edtRFIDIpAddr->text(), static_cast<int>(Convert::ValLong(port)));
        afterConnectRequest();
    } catch (const RuntimeError&) {
        // The request itself failed: no event will come, so the window shows the closed link
        // instead of waiting for a connection that is not being made.
        m_socket->Close();
        Winsock1_Close();
    }
}

void TcpReaderConsole::cmdDisconnect_Click() {
    beforeDisconnect();
    // Reads that arrived before "Trennen" are still booked.
    receiveLastText(QString::fromLatin1(m_socket->GetData()));
    m_socket->Close();
    resetReceive();
    // A close of one's own raises no close event.
    if (m_socket->State() == SocketState::Closed)
        Winsock1_Close();
}

void TcpReaderConsole::closeLinkOnUnload() {
    receiveLastText(QString::fromLatin1(m_socket->GetData()));
    m_socket->Close();
}

int TcpReaderConsole::linkState() const {
    return m_socket->State();
}

void TcpReaderConsole::sendOnLink(const QByteArray& data) {
    m_socket->SendData(data);
}

void TcpReaderConsole::Winsock1_Connect() {
    setStatusPanel(1, QStringLiteral("verbunden"));
    setLamp(Lamp::Green);
    if (profile().colorsLinkEvents)
        setBackground(ConnectedBackground);
}

void TcpReaderConsole::Winsock1_Close() {
    setStatusPanel(1, QStringLiteral("nicht verbunden"));
    setLamp(Lamp::Red);
    if (profile().colorsLinkEvents)
        setBackground(ClosedBackground);
}

void TcpReaderConsole::Winsock1_Error(int Number, const QString& Description) {
    services().dialogs->MsgBox(Description, MsgBoxStyle::Information);
    if (Number == SocketError::ConnectionAborted)
        cmdDisconnect_Click();
    setStatusPanel(1, QStringLiteral("nicht verbunden"));
    setLamp(Lamp::Red);
}

void TcpReaderConsole::Winsock1_DataArrival(int /*bytesTotal*/) {
    if (takesInput())
        takeWaitingInput();
}

void TcpReaderConsole::takeWaitingInput() {
    const QByteArray data = m_socket->GetData();
    if (!data.isEmpty())
        receiveText(QString::fromLatin1(data));
}

frmRFID::frmRFID(Services& services, MainWindowLink& mainWindow)
    : TcpReaderConsole(ReaderKind::RFID, services, mainWindow) {}

frmMercury::frmMercury(Services& services, MainWindowLink& mainWindow)
    : TcpReaderConsole(ReaderKind::Mercury, services, mainWindow) {}

frmMotorola::frmMotorola(Services& services, MainWindowLink& mainWindow)
    : TcpReaderConsole(ReaderKind::Motorola, services, mainWindow) {}

void frmMotorola::onLoaded() {
    setButtonColor(Command1, QColor(255, 0, 0));
}

void frmMotorola::afterConnectRequest() {
    // The connection normally completes later; "Pollen starten" then starts the reporting.
    if (Winsock1().State() == SocketState::Connected) {
        Winsock1().SendData("s");
        setButtonColor(Command1, QColor(0, 255, 0));
    }
}

void frmMotorola::beforeDisconnect() {
    try {
        Winsock1().SendData("e");
    } catch (const RuntimeError&) {
        // The bridge may be gone already; stopping its reports is then moot.
    }
    setButtonColor(Command1, QColor(255, 0, 0));
}
