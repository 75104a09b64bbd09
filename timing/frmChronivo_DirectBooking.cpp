#include "timing/frmChronivo.h"

#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "results/DirectBooking.h"

#include <QAction>

void frmChronivo::DirektEinbuchen(qint32 Startnummer, qint32 Millisekunden) {
    // The result is already in the local database when this runs. A race database that
    // refuses the booking must not take the result or the program with it: the timekeeper
    // sees the error and goes on timing.
    try {
        DirectBooking::Book(*m_services.settings, m_dbRace.get(), Startnummer, Millisekunden);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmChronivo::mnuDirekteinbuchung_Click() {
    flipMenuTick(mnuDirekteinbuchung, DirectBooking::KeyOn);
    // The race database is opened only at start-up; switching off holds at once, because
    // every booking reads the setting.
    m_services.dialogs->MsgBox("Chronivo bitte neu starten!", MsgBoxStyle::Information);
}

void frmChronivo::mnuPathDatabase_Click() {
    FileDialogRequest request;
    request.fileName = m_services.settings->GetSetting(Section, DirectBooking::KeyPath, "");
    // A cancelled dialog leaves the preset name, so the setting keeps its value.
    m_services.dialogs->ShowOpen(request);
    if (!request.fileName.trimmed().isEmpty())
        m_services.settings->SaveSetting(Section, DirectBooking::KeyPath, request.fileName);
}
