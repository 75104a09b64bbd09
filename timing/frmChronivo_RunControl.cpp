#include "timing/frmChronivo.h"

#include "platform/RuntimeError.h"
#include "platform/Services.h"

#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

void frmChronivo::cmdStart_Click() {
    try {
        // 1. A start time already shown (typed in or restored) is kept.
        const QString shown = lblStartTimeOut->text().trimmed();
        if (shown == "00:00:00" || shown.isEmpty()) {
            m_stRunStart = SystemTimeFromDateTime(m_services.clock->now());
            lblStartTimeOut->setText(modChronivo::SystemTimeToString(m_stRunStart));
        }
        // 2.-5. Running state.
        setClockColor(sspWertungTimeOut, m_lDisplayColor);
        QPalette pal = edtStartnummer->palette();
        pal.setColor(QPalette::Base, QColor(0, 0xC0, 0));
        edtStartnummer->setPalette(pal);
        Timer2->start();
        Timer1->start();
        cmdStart->setEnabled(false);
        cmdStartVorgabe->setEnabled(false);
        cmdAutoStart->setEnabled(false);
        edtStartnummer->setEnabled(true);
        cmdWertung->setEnabled(true);
        edtStartnummer->setFocus();
        // 6. The run state lives in the settings store, so it survives the program.
        const QString n = cboLaufnummer->currentText().trimmed();
        m_services.settings->SaveSetting(Section, "Lauf" + n + "Gestartet", n);
        m_services.settings->SaveSetting(Section, "Lauf" + n + "Startzeit", lblStartTimeOut->text());
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}
