#include "timing/frmSplash.h"

#include "core/Skin.h"
#include "core/modGlobal.h"
#include "platform/Services.h"
#include "Version.h"

#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

frmSplash::frmSplash(Services& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    Skin::MarkProgramWindow(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 24, 30, 24);
    lblProductName = new QLabel(this);
    lblProductName->setObjectName("lblProductName");
    QFont title = lblProductName->font();
    title.setPointSize(22);
    title.setBold(true);
    lblProductName->setFont(title);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName("lblVersion");
    lblBeschraenkung = new QLabel(this);
    lblBeschraenkung->setObjectName("lblBeschraenkung");
    lblFiletime = new QLabel(this);
    lblFiletime->setObjectName("lblFiletime");
    for (QLabel* l : {lblProductName, lblVersion, lblBeschraenkung, lblFiletime})
        layout->addWidget(l);
}

void frmSplash::Form_Load() {
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(CHRONIVO_VERSION_MAJOR)
                            .arg(CHRONIVO_VERSION_MINOR)
                            .arg(CHRONIVO_VERSION_REVISION));
    lblProductName->setText(CHRONIVO_APP_TITLE);
    lblBeschraenkung->setText("Zeitnahme für Laufveranstaltungen");
    lblFiletime->setText(
        modGlobal::GetFileModifiedDate(m_services.programFile).toString("dd.MM.yyyy hh:mm:ss"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    adjustSize();
    m_services.settings->SaveSetting("LastUser", "AppPath", m_services.programFolder);
    Skin::ApplyFormSkin(*this);
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    // Activation runs once the splash is on screen, from the dialog's own event loop.
    QTimer::singleShot(0, this, &frmSplash::Form_Activate);
}

void frmSplash::Form_Activate() {
    repaint();
    m_services.clock->Sleep(HoldMs);
    accept();
}
