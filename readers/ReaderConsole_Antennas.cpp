// The antenna tab (power and attenuation of the reader's four antennas) and the tab
// "Schreiben" (start numbers programmed into tags one after another).
#include "readers/ReaderConsole.h"

#include "platform/Services.h"
#include "platform/TcpSocket.h"
#include "readers/AntennaValues.h"
#include "readers/AssignmentFile.h"
#include "readers/CommandFrame.h"
#include "readers/ConsoleControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

using ConsoleControls::button;
using ConsoleControls::lineEdit;

QWidget* ReaderConsole::buildTabSchreiben() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    cboAntenne = new QComboBox;
    cboAntenne->setObjectName("cboAntenne");
    edtWriteText = lineEdit("edtWriteText");
    cmdTransponderWrite = button("cmdTransponderWrite", QStringLiteral("schreiben"));
    cmdSchreibeStatus = button("cmdSchreibeStatus", {}, QStringLiteral("grün: Schreiben läuft, rot: bereit"));
    cmdSchreibeStatus->setFixedSize(28, 28);
    cmdSchreibeStatus->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(new QLabel(QStringLiteral("Antenne:")), 0, 0);
    grid->addWidget(cboAntenne, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Zeichenkette:")), 1, 0);
    grid->addWidget(edtWriteText, 1, 1);
    grid->addWidget(cmdTransponderWrite, 1, 2);
    grid->addWidget(cmdSchreibeStatus, 1, 3);
    edtTransMsg[0] = ConsoleControls::sentBox(grid, 2, 0);
    edtRcvMsg[0] = ConsoleControls::receivedBox(grid, 3, 0);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    connect(cmdTransponderWrite, &QPushButton::clicked, this, &ReaderConsole::cmdTransponderWrite_Click);
    return page;
}

QWidget* ReaderConsole::buildTabAntennen() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Leist. mW")), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Dämpf. dB")), 0, 4, 1, 2);
    for (int i = 0; i < 4; ++i) {
        chkAntAkt[i] = new QCheckBox(QStringLiteral("Antenne %1:").arg(i + 1));
        chkAntAkt[i]->setObjectName("chkAntAkt");
        sliAntenne[i] = new QSlider(Qt::Horizontal);
        sliAntenne[i]->setObjectName("sliAntenne");
        sliAntenne[i]->setRange(68, 132);
        sliAntenne[i]->setSingleStep(1);
        sliAntenne[i]->setPageStep(5);
        lblAntDBM[i] = lineEdit("lblAntDBM", QStringLiteral("17 dBm bis 33 dBm; Schrittweite 0,25 dBm"));
        lblAntDBM[i]->setReadOnly(true);
        lblAntDBM[i]->setMaximumWidth(140);
        edtAntDaempfung[i] =
            lineEdit("edtAntDämpfung", QStringLiteral("0 dB bis 63,75 dB; Schrittweite 0,25 dB"));
        edtAntDaempfung[i]->setMaximumWidth(70);
        VScroll1[i] = new QScrollBar(Qt::Vertical);
        VScroll1[i]->setObjectName("VScroll1");
        VScroll1[i]->setRange(0, AntennaValues::MaxQuarterDb);
        VScroll1[i]->setSingleStep(1);
        VScroll1[i]->setPageStep(1);
        VScroll1[i]->setFixedHeight(26);
        for (QObject* control :
             {static_cast<QObject*>(chkAntAkt[i]), static_cast<QObject*>(sliAntenne[i]),
              static_cast<QObject*>(lblAntDBM[i]), static_cast<QObject*>(edtAntDaempfung[i]),
              static_cast<QObject*>(VScroll1[i])})
            control->setProperty("Index", i);
        grid->addWidget(chkAntAkt[i], i + 1, 0, 1, 2);
        grid->addWidget(sliAntenne[i], i + 1, 2);
        grid->addWidget(lblAntDBM[i], i + 1, 3);
        grid->addWidget(edtAntDaempfung[i], i + 1, 4);
        grid->addWidget(VScroll1[i], i + 1, 5);
        connect(sliAntenne[i], &QSlider::valueChanged, this, [this, i] { sliAntenne_Change(i); });
        connect(VScroll1[i], &QScrollBar::valueChanged, this, [this, i] { VScroll1_Change(i); });
    }
    cmdAntLaden = button("cmdAntLaden", QStringLiteral("&Laden"));
    cmdAntSpeichern = button("cmdAntSpeichern", QStringLiteral("&Speichern"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdAntLaden);
    buttons->addWidget(cmdAntSpeichern);
    grid->addLayout(buttons, 5, 0, 1, -1);
    edtTransMsg[1] = ConsoleControls::sentBox(grid, 6, 1);
    edtRcvMsg[1] = ConsoleControls::receivedBox(grid, 7, 1);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(2, 1);
    connect(cmdAntLaden, &QPushButton::clicked, this, &ReaderConsole::cmdAntLaden_Click);
    connect(cmdAntSpeichern, &QPushButton::clicked, this, &ReaderConsole::cmdAntSpeichern_Click);
    return page;
}

// ----- antennas ----------------------------------------------------------------------------

void ReaderConsole::cmdAntLaden_Click() {
    if (m_profile.commandForm == CommandForm::None)
        return;
    if (!connectFirst()) {
        m_services.dialogs->MsgBox(QStringLiteral("Nicht verbunden"), MsgBoxStyle::Information);
        return;
    }
    // The replies come back one by one and are evaluated on this tab as they arrive.
    for (const QString& read : CommandFrame::RegisterReads())
        edtTransMsg[1]->setText(SendCommand(read));
}

void ReaderConsole::cmdAntSpeichern_Click() {
    if (m_profile.commandForm == CommandForm::None)
        return;
    if (linkState() != SocketState::Connected) {
        m_services.dialogs->MsgBox(QStringLiteral("Nicht verbunden"), MsgBoxStyle::Information);
        return;
    }
    // All four attenuations first: a half-written set would leave the reader in a state
    // nobody chose.
    std::array<int, 4> quarters{};
    for (int i = 0; i < 4; ++i) {
        const auto value = AntennaValues::QuarterDbOf(edtAntDaempfung[i]->text());
        if (!value) {
            m_services.dialogs->MsgBox(QStringLiteral("Keine gültigen Werte!"), MsgBoxStyle::Information);
            return;
        }
        quarters[i] = *value;
    }
    for (int i = 0; i < 4; ++i)
        edtTransMsg[1]->setText(
            SendCommand(CommandFrame::PowerCommand(i, chkAntAkt[i]->isChecked(), sliAntenne[i]->value())));
    for (int i = 0; i < 4; ++i)
        edtTransMsg[1]->setText(SendCommand(CommandFrame::AttenuationCommand(i, quarters[i])));
}

void ReaderConsole::sliAntenne_Change(int Index) {
    const int value = sliAntenne[Index]->value();
    lblAntDBM[Index]->setText(AntennaValues::MilliwattText(value));
    sliAntenne[Index]->setToolTip(AntennaValues::PowerToolTip(value));
}

void ReaderConsole::VScroll1_Change(int Index) {
    edtAntDaempfung[Index]->setText(AntennaValues::AttenuationText(VScroll1[Index]->value()));
}

// ----- tag writing -------------------------------------------------------------------------

void ReaderConsole::cmdTransponderWrite_Click() {
    if (m_profile.commandForm == CommandForm::None)
        return;
    // The confirmed write assigns the tag to its number, so only a number that can be booked
    // is written.
    const auto command = CommandFrame::TagWriteCommand(cboAntenne->currentText(), edtWriteText->text());
    if (!command || !AssignmentFile::StartnummerOf(edtWriteText->text())) {
        m_services.dialogs->MsgBox(
            QStringLiteral("Bitte als Zeichenkette eine Startnummer von 0 bis 10000 eingeben!"),
            MsgBoxStyle::Information);
        return;
    }
    if (m_profile.connectsFirst)
        askToConnect();
    // The lamp shows the write as pending even when it could not be sent; pressing again
    // sends it again.
    setWritePending(true);
    edtTransMsg[0]->setText(SendCommand(*command));
}
