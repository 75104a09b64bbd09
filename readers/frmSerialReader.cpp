#include "readers/frmSerialReader.h"

#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "platform/Services.h"

#include <QLineEdit>

#include <limits>

namespace {

QString commErrorText(int event) {
    switch (event) {
    case CommEvent::Break:
        return QStringLiteral("Break Received");
    case CommEvent::CTSTimeout:
        return QStringLiteral("CTS Timeout");
    case CommEvent::DSRTimeout:
        return QStringLiteral("DSR Timeout");
    case CommEvent::Frame:
        return QStringLiteral("Framing Error");
    case CommEvent::Overrun:
        return QStringLiteral("Overrun Error");
    case CommEvent::CDTimeout:
        return QStringLiteral("Carrier Detect Timeout");
    case CommEvent::RxOver:
        return QStringLiteral("Receive Buffer Overflow");
    case CommEvent::RxParity:
        return QStringLiteral("Parity Error");
    case CommEvent::TxFull:
        return QStringLiteral("Transmit Buffer Full");
    case CommEvent::DCB:
        return QStringLiteral("Error retrieving DCB");
    default:
        return QStringLiteral("Unknown error or event");
    }
}

// Only blanks, as the line's other characters (LF after a CR) mean something.
QString withoutOuterSpaces(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

} // namespace

frmSerialReader::frmSerialReader(Services& services, MainWindowLink& mainWindow)
    : ReaderConsole(ReaderKind::SerialReader, services, mainWindow), m_port(services.createSerialPort()) {
    connect(m_port.get(), &SerialPort::OnComm, this, &frmSerialReader::MSComm1_OnComm);
}

frmSerialReader::~frmSerialReader() {
    m_port->disconnect(this);
}

void frmSerialReader::cmdConnect_Click() {
    // An open port keeps receiving; opening it again would fail and show a dead link.
    if (m_port->PortOpen()) {
        setStatusPanel(1, QStringLiteral("verbunden..."));
        setLamp(Lamp::Green);
        return;
    }
    setLamp(Lamp::Yellow);
    setStatusPanel(1, QStringLiteral("verbinde...."));
    try {
        // The port number is a 16-bit integer.
        m_port->setCommPort(static_cast<int>(wholeNumber(
            edtRFIDIpPort->text(), std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max())));
        m_port->setHandshaking(2);
        m_port->setRThreshold(1);
        m_port->setRTSEnable(true);
        m_port->setSettings(edtRFIDIpAddr->text());
        m_port->setSThreshold(1);
        resetReceive();
        m_port->setPortOpen(true);
        setStatusPanel(1, QStringLiteral("verbunden..."));
        setLamp(Lamp::Green);
    } catch (const RuntimeError&) {
        setLamp(Lamp::Red);
        setStatusPanel(1, QString());
    }
}

void frmSerialReader::cmdDisconnect_Click() {
    // Reads that arrived before "Trennen" are still booked.
    receiveLastText(waitingInput());
    try {
        m_port->setPortOpen(false);
    } catch (const RuntimeError&) {
        // A port that is not open is closed already.
    }
    resetReceive();
    setStatusPanel(1, QStringLiteral("getrennt..."));
    setLamp(Lamp::Red);
}

void frmSerialReader::closeLinkOnUnload() {
    receiveLastText(waitingInput());
    try {
        m_port->setPortOpen(false);
    } catch (const RuntimeError&) {
    }
}

QString frmSerialReader::waitingInput() {
    try {
        if (m_port->PortOpen() && m_port->InBufferCount() > 0)
            return withoutOuterSpaces(QString::fromLatin1(m_port->Input()));
    } catch (const RuntimeError&) {
        // The port closed before its data was taken; there is nothing left to read.
    }
    return QString();
}

void frmSerialReader::takeWaitingInput() {
    const QString text = waitingInput();
    // Timed by the receive event being handled, else (input held back meanwhile) by now.
    if (!text.isEmpty())
        receiveText(text, m_port->EventTime());
}

void frmSerialReader::MSComm1_OnComm() {
    const int event = m_port->CommEvent();
    switch (event) {
    case CommEvent::Receive:
        if (takesInput())
            takeWaitingInput();
        return;
    case CommEvent::Send:
    case CommEvent::CTS:
    case CommEvent::DSR:
    case CommEvent::CD:
    case CommEvent::Ring:
    case CommEvent::EOF_:
        return;
    default:
        break;
    }
    // A port that is closed already lost its device: after the box the console shows the
    // link as ended, instead of a green lamp over a line that delivers nothing any more.
    const bool lost = !m_port->PortOpen();
    const int answer = services().dialogs->MsgBox(commErrorText(event), MsgBoxStyle::OkCancel,
                                                  QStringLiteral("Click Cancel to quit, OK to ignore."));
    if (lost) {
        cmdDisconnect_Click();
        return;
    }
    if (answer == MsgBoxResult::Cancel)
        closeLinkOnUnload();
}
