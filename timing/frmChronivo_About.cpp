// The menu "&Hilfe" with the about box, the way into the online update.
#include "timing/frmChronivo.h"

#include "update/frmAbout.h"
#include "Version.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void frmChronivo::buildAboutMenu() {
    QMenu* help = menuBar()->addMenu("&Hilfe");
    help->setObjectName("mnuHilfe");
    mnuAboutChronivo = help->addAction(QStringLiteral("&Über " CHRONIVO_APP_TITLE));
    mnuAboutChronivo->setObjectName("mnuAboutChronivo");
    connect(mnuAboutChronivo, &QAction::triggered, this, &frmChronivo::mnuAboutChronivo_Click);
}

void frmChronivo::mnuAboutChronivo_Click() {
    frmAbout about(m_services, this);
    about.Form_Load();
    about.exec();
}
