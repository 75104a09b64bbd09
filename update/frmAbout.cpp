#include "update/frmAbout.h"

#include "core/Skin.h"
#include "core/modGlobal.h"
#include "platform/Services.h"
#include "update/OnlineUpdate.h"
#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

namespace {

constexpr const char* MachineRoot = "HKEY_LOCAL_MACHINE";

} // namespace

QString AboutVersionText(const QString& applicationVersion) {
    const QVersionNumber v = QVersionNumber::fromString(applicationVersion);
    return QStringLiteral("Version %1.%2.%3")
        .arg(v.majorVersion())
        .arg(v.minorVersion())
        .arg(v.microVersion());
}

frmAbout::frmAbout(Services& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setObjectName("frmAbout");
    setModal(true);
    Skin::MarkProgramWindow(*this);

    picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    picIcon->setFixedSize(64, 64);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName("lblTitle");
    QFont title = lblTitle->font();
    title.setPointSize(16);
    title.setBold(true);
    lblTitle->setFont(title);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName("lblVersion");
    lblFiletime = new QLabel(this);
    lblFiletime->setObjectName("lblFiletime");
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton("&System Info...", this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    cmdCheckNewVersion = new QPushButton("neue Version?", this);
    cmdCheckNewVersion->setObjectName("cmdCheckNewVersion");

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addWidget(lblFiletime);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCheckNewVersion);
    buttons->addStretch();
    buttons->addWidget(cmdSysInfo);
    buttons->addWidget(cmdOK);
    for (QPushButton* b : {cmdOK, cmdSysInfo, cmdCheckNewVersion})
        b->setMinimumWidth(100);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top, 1);
    layout->addSpacing(16);
    layout->addLayout(buttons);
    // 5730 x 3000 twips.
    setMinimumSize(382, 200);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(cmdCheckNewVersion, &QPushButton::clicked, this, &frmAbout::cmdCheckNewVersion_Click);
}

void frmAbout::Form_Load() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    Skin::ApplyFormSkin(*this);
    setWindowTitle(QStringLiteral("Über ") + CHRONIVO_APP_TITLE);
    lblVersion->setText(AboutVersionText(QCoreApplication::applicationVersion()));
    lblTitle->setText(CHRONIVO_APP_TITLE);
    lblFiletime->setText(modGlobal::GetFileModifiedDate(m_services.programFile)
                             .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    picIcon->setPixmap(windowIcon().pixmap(64, 64));
    adjustSize();
}

void frmAbout::done(int result) {
    if (m_update)
        m_update->Cancel();
    QDialog::done(result);
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::cmdCheckNewVersion_Click() {
    if (!IsUserAnAdmin()) {
        m_services.dialogs->MsgBox(QStringLiteral("Sie benötigen Admin-Brechtigung für diese Funktion!!!"),
                                   MsgBoxStyle::Information);
        return;
    }
    cmdCheckNewVersion->setEnabled(false);
    OnlineUpdate update(m_services);
    m_update = &update;
    const bool installed = update.CheckForUpdate();
    m_update = nullptr;
    // Unpacking holds back mouse and keys; deliver them while the button is still disabled,
    // so a click made during the update cannot start a second one.
    QCoreApplication::processEvents();
    cmdCheckNewVersion->setEnabled(true);
    if (installed)
        m_services.dialogs->MsgBox(
            QStringLiteral("Bitte starten Sie das Programm neu, damit die Änderungen aktiv werden!"),
            MsgBoxStyle::Information);
}

void frmAbout::StartSysInfo() {
    QString path;
    if (GetKeyValue(MachineRoot, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), path) &&
        m_services.startProgram(path))
        return;
    if (GetKeyValue(MachineRoot, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), path)) {
        const QString program = path + QDir::separator() + QStringLiteral("MSINFO32.EXE");
        if (modGlobal::FileExists(program) && m_services.startProgram(program))
            return;
    }
    m_services.dialogs->MsgBox(QStringLiteral("System Information Is Unavailable At This Time"),
                               MsgBoxStyle::OkOnly);
}

bool frmAbout::GetKeyValue(const QString& rootKey, const QString& keyName, const QString& subKeyRef,
                           QString& keyVal) {
    return m_services.readRegistry && m_services.readRegistry(rootKey, keyName, subKeyRef, keyVal);
}

bool frmAbout::IsUserAnAdmin() const {
    return m_services.isUserAnAdmin && m_services.isUserAnAdmin();
}
