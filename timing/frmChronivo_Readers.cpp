// The menu "&RFID": one transponder reader console per item, each opened once and shown
// beside the main window.
#include "timing/frmChronivo.h"

#include "readers/ConsoleProfile.h"
#include "timing/MainWindowReaderLink.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void frmChronivo::buildReaderMenu() {
    m_readerLink = new MainWindowReaderLink(*this);
    QMenu* rfid = menuBar()->addMenu("&RFID");
    rfid->setObjectName("mnuRFID");
    mnuMotorola = rfid->addAction("&Motorola Reader");
    mnuMercury = rfid->addAction("M&ercury Reader");
    mnuRFIDDialog = rfid->addAction("&RFID Reader");
    mnuSerialReader = rfid->addAction("Serieller Reader");
    mnuMotorola->setObjectName("mnuMotorola");
    mnuMercury->setObjectName("mnuMercury");
    mnuRFIDDialog->setObjectName("mnuRFIDDialog");
    mnuSerialReader->setObjectName("mnuSerialReader");
    connect(mnuMotorola, &QAction::triggered, this, &frmChronivo::mnuMotorola_Click);
    connect(mnuMercury, &QAction::triggered, this, &frmChronivo::mnuMercury_Click);
    connect(mnuRFIDDialog, &QAction::triggered, this, &frmChronivo::mnuRFIDDialog_Click);
    connect(mnuSerialReader, &QAction::triggered, this, &frmChronivo::mnuSerialReader_Click);
}

void frmChronivo::mnuMotorola_Click() {
    m_readerLink->open(ReaderKind::Motorola);
}

void frmChronivo::mnuMercury_Click() {
    m_readerLink->open(ReaderKind::Mercury);
}

void frmChronivo::mnuRFIDDialog_Click() {
    m_readerLink->open(ReaderKind::RFID);
}

void frmChronivo::mnuSerialReader_Click() {
    m_readerLink->open(ReaderKind::SerialReader);
}

ReaderConsole* frmChronivo::readerConsole(ReaderKind kind) const {
    return m_readerLink->console(kind);
}
