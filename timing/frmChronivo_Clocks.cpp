#include "timing/frmChronivo.h"

#include "core/Skin.h"
#include "platform/Services.h"
#include "timing/ClockText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The clocks read the time from the labels as they stand: the race clock and the board feed
// follow the system clock label, which changes every 250 ms.

namespace {

constexpr quint32 WaveStartedColor = 0x80FF80; // light green
constexpr quint32 WaveWaitingColor = 0x8080FF; // light red

// Sets a back colour through the style sheet only when it changes: re-polishing ten
// buttons four times a second would cost the window for nothing.
void setBackColor(QWidget* w, quint32 oleColor) {
    const QString sheet = QStringLiteral("background-color: %1;").arg(Skin::OleColor(oleColor).name());
    if (w->styleSheet().compare(sheet, Qt::CaseInsensitive) != 0)
        w->setStyleSheet(sheet);
}

} // namespace

void frmChronivo::Timer1_Timer() {
    const QString race = ClockText::RaceClock(lblStartTimeOut->text(), lblSysTimeOut->text());
    if (!race.isEmpty())
        sspWertungTimeOut->setText(race);
}

void frmChronivo::Timer2_Timer() {
    m_stClock = SystemTimeFromDateTime(m_services.clock->now());
    lblSysTimeOut->setText(modChronivo::SystemTimeToString(m_stClock));
    for (int i = 0; i < 10; ++i) {
        const bool started =
            ClockText::WaveHasStarted(edtImZiel[i]->property("Tag").toString(), lblSysTimeOut->text());
        setBackColor(cmdSetStartZeit[i], started ? WaveStartedColor : WaveWaitingColor);
        cmdSetStartZeit[i]->setEnabled(!started);
    }
}

void frmChronivo::Timer3_Timer() {
    // The race clock only while a run is going and every runner has the run's start;
    // otherwise the boards show the time of day.
    QString text;
    if (cmdWertung->isEnabled() && !chkLaufNrStartzeit->isChecked())
        text = ClockText::RaceClock(lblStartTimeOut->text(), lblSysTimeOut->text());
    else
        text = m_services.clock->now().time().toString("hh:mm:ss");
    SendAnzeigeRS232(text);
    SendAnzeigeIp(text);
}
