#pragma once

#include "timing/WaveCountdown.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
struct Services;

// The automatic starter: counts down to the waves of the wave-start table, beeps in the last
// five seconds of each countdown and presses the main window's start button once, at the first
// wave's second. A window of its own beside the main window, which owns it; closing it stops
// its timers. The countdown reads the clock on every tick, so it neither drifts nor skips.
class frmStartRun final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* Section = "frmStartRun";

    // startMainRun starts the main window's run, with start times taken from the waves.
    frmStartRun(Services& services, std::function<void()> startMainRun, QWidget* owner = nullptr);

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void LoadStarterList();
    void FinishStarting();
    void cmdStart_Click();
    void cmdLoad_Click();
    void cmdEnd_Click();
    // Clock (100 ms), countdown (50 ms) and beeper (777 ms after it was switched on).
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    QLabel* lblSysTimeOut;
    QLabel* lblStartTimeOut;
    QLabel* edtStartNr;
    QTableWidget* dbgStartList;
    QLabel* sspEnde;
    QPushButton* cmdLoad;
    QPushButton* cmdStart;
    QPushButton* cmdEnd;
    QWidget* picBottom;
    QTimer* Timer1;
    QTimer* Timer2;
    QTimer* Timer3;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showMessage(const QString& text);
    void showError(long number, const QString& description);

    Services& m_services;
    std::function<void()> m_startMainRun;
    WaveCountdown m_countdown;
    std::vector<StarterRow> m_list;
    qint32 m_remaining = 0;
    quint32 m_lDisplayColor = 0x80FF80;
    bool m_unloaded = false;
};
