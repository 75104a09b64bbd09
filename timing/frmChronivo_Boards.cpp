#include "timing/frmChronivo.h"

// The display boards are fed by the 100 ms timer; until their links exist, opening the TCP
// link and sending to the RS-232 board have nothing to talk to.

void frmChronivo::ConnectAnzeigeIp() {}

void frmChronivo::SendAnzeigeRS232(const QString& /*text*/) {}
