#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "timing/ClockText.h"

#include <QFrame>

// Both boards show the clock only. Their links never wait: the TCP connect returns at once
// and its outcome is looked at on the next tick; writes are queued by the event loop. A
// board that is down therefore costs the window nothing but a reconnect attempt per tick.

namespace {

constexpr const char* BoardSection = "ExtAnzeige";
constexpr quint32 IndicatorGreen = 0xFF00;
constexpr quint32 IndicatorRed = 0xFF;

bool networkBoardOn(const SettingsStore& settings) {
    return Convert::Val(settings.GetSetting(BoardSection, "ExtAnzeige", "0")) != 0;
}

} // namespace

void frmChronivo::setAnzeigeColor(quint32 oleColor) {
    if (shpAnzeige->property("FillColor").toUInt() == oleColor && !shpAnzeige->styleSheet().isEmpty())
        return;
    shpAnzeige->setProperty("FillColor", oleColor);
    shpAnzeige->setStyleSheet(QStringLiteral("QFrame { background-color: %1; border: 1px solid #404040; "
                                             "border-radius: %2px; }")
                                  .arg(Skin::OleColor(oleColor).name())
                                  .arg(shpAnzeige->width() / 2));
}

void frmChronivo::ConnectAnzeigeIp() {
    const SettingsStore& settings = *m_services.settings;
    if (!networkBoardOn(settings)) {
        shpAnzeige->hide();
        return;
    }
    shpAnzeige->show();
    if (!sockAnzeige)
        sockAnzeige = m_services.createTcpSocket();
    if (sockAnzeige->State() == SocketState::Connected)
        return;
    // An unknown host or a refused connection shows on the next tick, which tries again.
    try {
        sockAnzeige->setLocalPort(0);
        sockAnzeige->Connect(
            settings.GetSetting(BoardSection, "ExtAnzeigeIp", "localhost"),
            static_cast<int>(Convert::ValLong(settings.GetSetting(BoardSection, "ExtAnzeigePort", "23"))));
        // A clock line must leave at once, and the last line still reach the board when the
        // program ends.
        sockAnzeige->setNoDelay(true);
        sockAnzeige->setLinger(true, 5);
    } catch (const RuntimeError&) {
    }
}

void frmChronivo::SendAnzeigeIp(const QString& text) {
    const SettingsStore& settings = *m_services.settings;
    if (!networkBoardOn(settings)) {
        // A board switched off gets nothing more, even while its link is still up. The linger
        // is dropped first: on a link whose board no longer reads it would hold the window for
        // up to five seconds in the close.
        if (sockAnzeige && sockAnzeige->State() != SocketState::Closed) {
            sockAnzeige->setLinger(false, 0);
            sockAnzeige->Close();
        }
        shpAnzeige->hide();
        return;
    }
    if (sockAnzeige && sockAnzeige->State() == SocketState::Connected) {
        setAnzeigeColor(IndicatorGreen);
        if (text.isEmpty())
            return;
        try {
            sockAnzeige->SendData(
                ClockText::BoardLine(text, settings.GetBool(BoardSection, "ExtAnzeigeIpBlink", false)));
        } catch (const RuntimeError&) {
        }
        return;
    }
    // Down, or an attempt that has not completed within one tick: start afresh.
    setAnzeigeColor(IndicatorRed);
    if (sockAnzeige)
        sockAnzeige->Close();
    ConnectAnzeigeIp();
}

void frmChronivo::SendAnzeigeRS232(const QString& text) {
    const SettingsStore& settings = *m_services.settings;
    if (!settings.GetBool(BoardSection, "ExtRS232Anzeige", false) || text.isEmpty())
        return;
    // A missing or busy port is tried again on the next tick.
    try {
        if (!MSComm2) {
            MSComm2 = m_services.createSerialPort();
            connect(MSComm2.get(), &SerialPort::OnComm, this, &frmChronivo::MSComm2_OnComm);
        }
        // An open port keeps its number: a changed port takes effect at the next start.
        if (!MSComm2->PortOpen()) {
            MSComm2->setCommPort(static_cast<int>(
                Convert::ValLong(settings.GetSetting(BoardSection, "ExtRS232Parameter", "1"))));
            MSComm2->setInputLen(0);
            MSComm2->setSettings("9600,N,8,1");
            MSComm2->setPortOpen(true);
        }
        MSComm2->Output(ClockText::BoardLine(text, settings.GetBool(BoardSection, "ExtRS232Blink", false)));
    } catch (const RuntimeError&) {
    }
}
