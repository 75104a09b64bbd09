// Commands to the reader: the free command, polling and the reader's clock, and how each
// console puts a command on its link.
#include "readers/ReaderConsole.h"

#include "core/Convert.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "platform/TcpSocket.h"
#include "readers/CommandFrame.h"
#include "readers/ConsoleControls.h"
#include "readers/TagReadTelegram.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <utility>

using ConsoleControls::button;
using ConsoleControls::lineEdit;

QWidget* ReaderConsole::buildTabUhrzeit() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    edtSystemZeit = lineEdit("edtSystemZeit");
    edtSystemZeit->setReadOnly(true);
    edtReaderZeit = lineEdit("edtReaderZeit");
    edtReaderZeit->setReadOnly(true);
    cmdGetSystemTime = button("cmdGetSystemTime", QStringLiteral("aktuelle Systemzeit holen"));
    cmdUhrzeitSchreiben =
        button("cmdUhrzeitSchreiben", QStringLiteral("akt. Systemzeit auf Reader schreiben"));
    grid->addWidget(new QLabel(QStringLiteral("System-Zeit:")), 0, 0);
    grid->addWidget(edtSystemZeit, 0, 1);
    grid->addWidget(cmdGetSystemTime, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Reader-Zeit:")), 1, 0);
    grid->addWidget(edtReaderZeit, 1, 1);
    grid->addWidget(cmdUhrzeitSchreiben, 1, 2);
    edtTransMsg[2] = ConsoleControls::sentBox(grid, 2, 2);
    edtRcvMsg[2] = ConsoleControls::receivedBox(grid, 3, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    connect(cmdGetSystemTime, &QPushButton::clicked, this, &ReaderConsole::cmdGetSystemTime_Click);
    connect(cmdUhrzeitSchreiben, &QPushButton::clicked, this, &ReaderConsole::cmdUhrzeitSchreiben_Click);
    return page;
}

QWidget* ReaderConsole::buildTabBefehl() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto* frame = new QGroupBox(QStringLiteral("Befehl an den Reader übertragen"));
    auto* row = new QHBoxLayout(frame);
    edtBefehl = lineEdit("edtBefehl");
    cmdBefehlSchreiben = button("cmdBefehlSchreiben", QStringLiteral("schreiben"));
    row->addWidget(edtBefehl, 1);
    row->addWidget(cmdBefehlSchreiben);
    grid->addWidget(frame, 0, 0, 1, -1);
    edtTransMsg[3] = ConsoleControls::sentBox(grid, 1, 3);
    edtRcvMsg[3] = ConsoleControls::receivedBox(grid, 2, 3);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
    connect(cmdBefehlSchreiben, &QPushButton::clicked, this, &ReaderConsole::cmdBefehlSchreiben_Click);
    return page;
}

void ReaderConsole::resetCommandControls() {
    for (QLineEdit* box : edtTransMsg)
        box->clear();
    for (QLineEdit* box : lblAntDBM)
        box->clear();
    for (QSlider* slider : sliAntenne)
        slider->setToolTip({});
    edtSystemZeit->clear();
}

// ----- sending -----------------------------------------------------------------------------

void ReaderConsole::askToConnect() {
    // A connection already on its way is left to complete: asking again would abort it, and
    // a handler that connects first and then sends would never see its link come up.
    const int state = linkState();
    if (state != SocketState::Connected &&
        !(state >= SocketState::ConnectionPending && state <= SocketState::Connecting))
        cmdConnect_Click();
}

bool ReaderConsole::connectFirst() {
    askToConnect();
    return linkState() == SocketState::Connected;
}

QString ReaderConsole::SendCommand(const QString& command) {
    if (m_profile.commandForm == CommandForm::None)
        return {};
    QString wire = command;
    if (m_profile.commandForm == CommandForm::Framed) {
        const auto frame = CommandFrame::Frame(command);
        if (!frame) {
            m_services.dialogs->MsgBox(QStringLiteral("Der Befehl ist zu lang: höchstens %1 Zeichen!")
                                           .arg(CommandFrame::MaxCommandLength),
                                       MsgBoxStyle::Information);
            return {};
        }
        wire = *frame;
    }
    // A connection asked for here completes later, so a command given while the link is down
    // normally ends with the message; it is dropped, not queued.
    if (!connectFirst()) {
        m_services.dialogs->MsgBox(QStringLiteral("Nicht mit dem Reader verbunden!"),
                                   MsgBoxStyle::Information);
        return {};
    }
    // One byte per character; a character Latin-1 lacks goes out as "?", and the box
    // shows what went out, not what was typed.
    const QByteArray bytes = wire.toLatin1();
    try {
        sendOnLink(bytes);
    } catch (const RuntimeError& e) {
        m_services.dialogs->MsgBox(e.description(), MsgBoxStyle::Information);
        return {};
    }
    return QStringLiteral(">> ") + QString::fromLatin1(bytes);
}

void ReaderConsole::sendBridgeLetter(char letter) {
    try {
        sendOnLink(QByteArray(1, letter));
    } catch (const RuntimeError&) {
        // The letters are given only on a live link; one that dropped meanwhile reports itself.
    }
}

// ----- handlers ----------------------------------------------------------------------------

void ReaderConsole::edtTransmit_KeyPress(int KeyAscii) {
    if (KeyAscii == 13)
        SendCommand(edtTransmit->text());
}

void ReaderConsole::cmdBefehlSchreiben_Click() {
    if (m_profile.commandForm == CommandForm::None)
        return;
    if (m_profile.connectsFirst)
        askToConnect();
    edtTransMsg[3]->setText(SendCommand(edtBefehl->text()));
}

void ReaderConsole::cmdGetSystemTime_Click() {
    edtTransMsg[2]->setText(SendCommand(CommandFrame::GetClockCommand));
    edtSystemZeit->setText(TagReadTelegram::DateTimeText(m_services.clock->now()));
}

void ReaderConsole::cmdUhrzeitSchreiben_Click() {
    if (m_profile.commandForm == CommandForm::None)
        return;
    if (m_profile.sendsBridgeLetters) {
        // The bridge sets the reader's clock itself.
        if (connectFirst())
            sendBridgeLetter('z');
        return;
    }
    if (m_profile.connectsFirst)
        askToConnect();
    edtTransMsg[2]->setText(SendCommand(CommandFrame::SetClockCommand(m_services.clock->now())));
    cmdGetSystemTime_Click();
}

void ReaderConsole::Command1_Click() {
    if (!Command1 || !connectFirst())
        return;
    if (m_profile.sendsBridgeLetters) {
        sendBridgeLetter('s');
        setButtonColor(Command1, QColor(0, 255, 0));
    } else {
        SendCommand(CommandFrame::PollCommand);
    }
}

void ReaderConsole::edtRFIDKopf_Change() {
    const QString text = edtRFIDKopf->text();
    if (text.isEmpty() || Convert::IsNumeric(text))
        return;
    edtRFIDKopf->clear();
    m_services.dialogs->MsgBox(QStringLiteral("Bitte nur Zahlen eingaben!"), MsgBoxStyle::Information);
}

void ReaderConsole::edtEntprellung_Change() {
    // Nothing typed takes effect before the entry is finished: the "0" of "0,5" would
    // otherwise switch the debounce off. Text that is no number refuses the whole entry and
    // brings back the time in force at once.
    const QString text = edtEntprellung->text();
    if (text.isEmpty() || DebounceTable::secondsOf(text))
        return;
    m_debounceRefused = true;
    edtEntprellung->setText(m_debounceText);
    m_services.dialogs->MsgBox(QStringLiteral("Bitte nur Zahlen eingaben!"), MsgBoxStyle::Information);
}

void ReaderConsole::edtEntprellung_LostFocus() {
    const QString text = edtEntprellung->text();
    if (!std::exchange(m_debounceRefused, false) && DebounceTable::secondsOf(text))
        m_debounceText = text;
    else
        edtEntprellung->setText(m_debounceText);
}
