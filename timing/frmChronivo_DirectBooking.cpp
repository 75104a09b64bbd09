#include "timing/frmChronivo.h"

#include "platform/Services.h"
#include "results/DirectBooking.h"

// Booking a result into the race program's database. Results without a start number are
// never booked, and nothing happens while direct booking is off.
void frmChronivo::DirektEinbuchen(qint32 Startnummer, qint32 /*Millisekunden*/) {
    if (!DirectBooking::isOn(*m_services.settings) || Startnummer < 1)
        return;
}
