// The tab "Reader" of the two bridge consoles: the bridge program's command line and
// settings, starting it as a child process and showing its output, and stopping it.
#include "readers/ReaderConsole.h"

#include "core/Convert.h"
#include "platform/Services.h"
#include "platform/TcpSocket.h"
#include "readers/BridgeLauncher.h"
#include "readers/ConsoleControls.h"
#include "readers/InfoTextModel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString RecordKey = QStringLiteral("hProcess");

QString controlText(QWidget* control) {
    if (auto* box = qobject_cast<QLineEdit*>(control))
        return box->text();
    if (auto* choice = qobject_cast<QComboBox*>(control))
        return choice->currentText();
    return {};
}

} // namespace

QWidget* ReaderConsole::buildTabReader() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    for (const BridgeField& field : m_profile.bridgeFields) {
        QWidget* control = nullptr;
        if (field.antennaChoice) {
            auto* choice = new QComboBox;
            choice->addItems({"1", "2", "3", "4"});
            control = choice;
        } else {
            control = new QLineEdit;
        }
        control->setObjectName(QString::fromUtf8(field.control));
        form->addRow(QString::fromUtf8(field.label), control);
        m_bridgeFields[QString::fromUtf8(field.control)] = control;
    }
    layout->addLayout(form);

    cmdMercuryStart = ConsoleControls::button("cmdMercuryStart", QStringLiteral("starten"));
    cmdMercuryBeenden = ConsoleControls::button("cmdMercuryBeenden", QStringLiteral("beenden"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMercuryStart);
    buttons->addWidget(cmdMercuryBeenden);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    m_bridgeRows = new InfoTextModel(this);
    edtMercuryMessage = new QTableView;
    edtMercuryMessage->setObjectName("edtMercuryMessage");
    edtMercuryMessage->setModel(m_bridgeRows);
    edtMercuryMessage->verticalHeader()->hide();
    edtMercuryMessage->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    edtMercuryMessage->verticalHeader()->setDefaultSectionSize(20);
    edtMercuryMessage->horizontalHeader()->setStretchLastSection(true);
    edtMercuryMessage->setSelectionBehavior(QAbstractItemView::SelectRows);
    edtMercuryMessage->setEditTriggers(QAbstractItemView::NoEditTriggers);
    edtMercuryMessage->setFont(QFont(QStringLiteral("Monospace"), 9));
    layout->addWidget(edtMercuryMessage, 1);

    m_bridge = new BridgeLauncher(m_services.createChildProcess, this);
    connect(m_bridge, &BridgeLauncher::linesRead, this, &ReaderConsole::showBridgeRows);
    connect(m_bridge, &BridgeLauncher::ended, this, [this] { showBridgeState(false); });
    connect(m_bridge, &BridgeLauncher::readFailed, this,
            [this] { m_services.dialogs->MsgBox(QStringLiteral("ReadFile failed!"), MsgBoxStyle::OkOnly); });
    connect(cmdMercuryStart, &QPushButton::clicked, this, &ReaderConsole::cmdMercuryStart_Click);
    connect(cmdMercuryBeenden, &QPushButton::clicked, this, &ReaderConsole::cmdMercuryBeenden_Click);
    return page;
}

bool ReaderConsole::isBridgeRunning() const {
    return m_bridge && m_bridge->isRunning();
}

QStringList ReaderConsole::bridgeRows() const {
    return m_bridgeRows ? m_bridgeRows->rows() : QStringList();
}

QString ReaderConsole::bridgeCommandLine() const {
    QStringList parts;
    for (const BridgeField& field : m_profile.bridgeFields)
        parts << controlText(bridgeField(QString::fromUtf8(field.control)));
    if (m_profile.bridgeGetsPort)
        parts << edtRFIDIpPort->text();
    return parts.join(QLatin1Char(' '));
}

void ReaderConsole::cmdMercuryStart_Click() {
    if (!m_bridge || m_bridge->isRunning())
        return;
    RunConsoleCommand(bridgeCommandLine());
}

void ReaderConsole::RunConsoleCommand(const QString& commandLine) {
    m_bridgeRows->clear();
    const int error = m_bridge->start(commandLine);
    if (error != 0) {
        m_services.dialogs->MsgBox(
            QStringLiteral("Error: CreateProcessA - error: %1\rCommand: %2").arg(error).arg(commandLine),
            MsgBoxStyle::OkOnly);
        showBridgeState(false);
        return;
    }
    if (m_profile.recordsBridge) {
        const QString identity = m_bridge->identity();
        m_services.settings->SaveSetting(QString::fromUtf8(m_profile.bridgeSection), RecordKey,
                                         identity.isEmpty() ? QStringLiteral("0") : identity);
    }
    m_bridge->setShown(true);
    // Its output arrives as the bridge writes it; this handler does not wait for it.
    showBridgeState(true);
}

void ReaderConsole::showBridgeRows(const QStringList& rows) {
    const qint64 now = m_services.clock->now().toMSecsSinceEpoch();
    for (const QString& row : rows)
        m_bridgeRows->append(row, now);
    m_bridgeRows->show();
    edtMercuryMessage->setCurrentIndex(m_bridgeRows->index(m_bridgeRows->rowCount() - 1, 0));
}

void ReaderConsole::showBridgeState(bool running) {
    if (!m_bridge)
        return;
    auto* command = qobject_cast<QLineEdit*>(bridgeField(QStringLiteral("edtMercuryCmd")));
    QPalette pal = command->palette();
    pal.setColor(QPalette::Base, running ? QColor(0, 255, 0) : palette().color(QPalette::Base));
    command->setPalette(pal);
    cmdMercuryStart->setEnabled(!running);
    cmdMercuryBeenden->setEnabled(running);
}

void ReaderConsole::cmdMercuryBeenden_Click() {
    if (!isBridgeRunning())
        return;
    // The bridge is told to stop reporting before it goes.
    if (m_profile.sendsBridgeLetters && linkState() == SocketState::Connected)
        cmdDisconnect_Click();
    m_bridge->stop();
}

void ReaderConsole::loadBridge() {
    if (!m_bridge)
        return;
    if (m_profile.recordsBridge) {
        // A bridge recorded by an earlier run, which the program's end left running, would
        // hold the reader and the port; it goes before anything else is started.
        SettingsStore& settings = *m_services.settings;
        const QString section = QString::fromUtf8(m_profile.bridgeSection);
        const QString recorded = settings.GetSetting(section, RecordKey, QStringLiteral("0"));
        if (Convert::Val(recorded) > 0 && !isBridgeRunning()) {
            if (m_services.endIdentifiedProcess)
                m_services.endIdentifiedProcess(recorded);
            settings.SaveSetting(section, RecordKey, QStringLiteral("0"));
        }
    }
    // A bridge left running when the window closed is shown again.
    m_bridge->setShown(true);
    showBridgeState(m_bridge->isRunning());
}

void ReaderConsole::unloadBridge() {
    if (!m_bridge)
        return;
    if (m_profile.recordsBridge)
        cmdMercuryBeenden_Click();
    // Any other bridge outlives the window; its output is no longer shown.
    m_bridge->setShown(false);
}
