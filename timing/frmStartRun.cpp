#include "timing/frmStartRun.h"

#include "core/Convert.h"
#include "core/modChronivo.h"
#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "timing/Twips.h"
#include "timing/WaveTable.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

constexpr const char* PressStartText = "Drücken Sie <Start> um den Countdown zu starten";
constexpr const char* AllStartedText = "Alle Läufer gestartet";

// A seven-segment-like display: light digits on black.
QLabel* makeLed(QWidget* parent, const char* name, int x, const QColor& color) {
    auto* l = new QLabel("00:00:00", parent);
    l->setObjectName(name);
    l->setGeometry(x, 32, 176, 50);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setProperty(Skin::TagProperty, "#");
    QFont f("Monospace");
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSize(22);
    f.setBold(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

} // namespace

frmStartRun::frmStartRun(Services& services, std::function<void()> startMainRun, QWidget* owner)
    : QWidget(owner, Qt::Window), m_services(services), m_startMainRun(std::move(startMainRun)) {
    setObjectName("frmStartRun");
    setWindowTitle("Automatischer Läufer Starter");
    setAttribute(Qt::WA_DeleteOnClose);
    Skin::MarkProgramWindow(*this);

    int x = 12;
    for (const char* caption : {"Systemzeit:", "Countdown:", "Startnummer:"}) {
        auto* label = new QLabel(caption, this);
        label->setGeometry(x, 10, 176, 20);
        x += 186;
    }
    const QColor amber(255, 172, 66);
    lblSysTimeOut = makeLed(this, "lblSysTimeOut", 12, Skin::OleColor(m_lDisplayColor));
    lblStartTimeOut = makeLed(this, "lblStartTimeOut", 198, amber);
    edtStartNr = makeLed(this, "edtStartNr", 384, amber);
    edtStartNr->setText("0");

    sspEnde = new QLabel(AllStartedText, this);
    sspEnde->setObjectName("sspEnde");
    sspEnde->setGeometry(12, 92, 548, 30);
    sspEnde->setAlignment(Qt::AlignCenter);
    sspEnde->setFrameShape(QFrame::Panel);
    sspEnde->setFrameShadow(QFrame::Sunken);
    QFont bold = sspEnde->font();
    bold.setBold(true);
    sspEnde->setFont(bold);

    auto* frame = new QGroupBox("Starter Tabelle", this);
    frame->setObjectName("fraStartList");
    frame->setGeometry(12, 128, 548, 226);
    dbgStartList = new QTableWidget(0, 3, frame);
    dbgStartList->setObjectName("dbgStartList");
    dbgStartList->setGeometry(8, 22, 532, 196);
    dbgStartList->setHorizontalHeaderLabels({"Startnummer von", "Startnummer bis", "Startzeit"});
    dbgStartList->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    dbgStartList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgStartList->setSelectionBehavior(QAbstractItemView::SelectRows);

    picBottom = new QWidget(this);
    picBottom->setObjectName("picBottom");
    picBottom->setGeometry(0, 364, 572, 56);
    cmdLoad = new QPushButton("Starter Tabelle Neu &Laden", picBottom);
    cmdLoad->setObjectName("cmdLoad");
    cmdLoad->setGeometry(12, 12, 216, 32);
    cmdStart = new QPushButton("&Start", picBottom);
    cmdStart->setObjectName("cmdStart");
    cmdStart->setGeometry(318, 12, 116, 32);
    cmdEnd = new QPushButton("&Ende", picBottom);
    cmdEnd->setObjectName("cmdEnd");
    cmdEnd->setGeometry(444, 12, 116, 32);
    setFixedSize(572, 420);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer2 = new QTimer(this);
    Timer2->setInterval(50);
    Timer2->setTimerType(Qt::PreciseTimer);
    Timer3 = new QTimer(this);
    Timer3->setInterval(777);
    connect(Timer1, &QTimer::timeout, this, &frmStartRun::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmStartRun::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmStartRun::Timer3_Timer);
    connect(cmdLoad, &QPushButton::clicked, this, &frmStartRun::cmdLoad_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmStartRun::cmdStart_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmStartRun::cmdEnd_Click);
}

void frmStartRun::showError(long number, const QString& description) {
    m_services.dialogs->MsgBox(QStringLiteral("Fehler: %1 - %2").arg(number).arg(description), 16);
}

void frmStartRun::showMessage(const QString& text) {
    sspEnde->setText(text);
    sspEnde->show();
}

void frmStartRun::Form_Load() {
    try {
        const SettingsStore& settings = *m_services.settings;
        const auto pixels = [&](const char* key) {
            return Twips::px(static_cast<int>(Convert::ValLong(settings.GetSetting(Section, key, "0"))));
        };
        Skin::MoveOntoScreen(*this, QPoint(pixels("Form Left"), pixels("Form Top")));
        Skin::ApplyFormSkin(*this);
        m_lDisplayColor = static_cast<quint32>(
            Convert::ValLong(settings.GetSetting(Section, "Displaycolor", QString::number(0x80FF80))));
        QPalette pal = lblSysTimeOut->palette();
        pal.setColor(QPalette::WindowText, Skin::OleColor(m_lDisplayColor));
        lblSysTimeOut->setPalette(pal);
        Timer1->start();
        Timer1_Timer();
        LoadStarterList();
        showMessage(PressStartText);
        Skin::PaintGradient(*picBottom, QColor(255, 231, 162), QColor(255, 172, 66), 1);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmStartRun::Form_Activate() {
    Timer1->start();
    Timer1_Timer();
}

void frmStartRun::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_unloaded)
        Form_Activate();
}

void frmStartRun::LoadStarterList() {
    dbgStartList->setRowCount(0);
    m_list = ::LoadStarterList(WaveTable::Rows(*m_services.settings));
    for (const StarterRow& row : m_list) {
        const int r = dbgStartList->rowCount();
        dbgStartList->insertRow(r);
        const QStringList f = StarterRowText(row).split(';');
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(f.value(c));
            item->setTextAlignment(Qt::AlignCenter);
            dbgStartList->setItem(r, c, item);
        }
    }
}

void frmStartRun::cmdStart_Click() {
    try {
        sspEnde->hide();
        cmdStart->setEnabled(false);
        cmdLoad->setEnabled(false);
        LoadStarterList();
        // Nothing to count down to: say so at once rather than start a run nobody planned.
        if (m_list.empty()) {
            FinishStarting();
            return;
        }
        edtStartNr->setText(dbgStartList->item(0, 0)->text());
        m_countdown.start(m_list);
        Timer2->start();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmStartRun::Timer2_Timer() {
    const QDateTime now = m_services.clock->now();
    const WaveCountdown::Tick tick = m_countdown.tick(now.time());
    if (!m_countdown.running() && !tick.finished)
        return;
    m_remaining = tick.remaining;
    // A running timer must not be restarted, or it would never come round to beep.
    if (!tick.beeperWindow)
        Timer3->stop();
    else if (!Timer3->isActive())
        Timer3->start();
    if (tick.pressStart)
        m_startMainRun();
    if (tick.finished) {
        FinishStarting();
        return;
    }
    if (tick.waveDropped && dbgStartList->rowCount() > 0) {
        dbgStartList->removeRow(0);
        if (dbgStartList->rowCount() > 0)
            edtStartNr->setText(dbgStartList->item(0, 0)->text());
    }
    lblStartTimeOut->setText(WaveCountdown::RemainingText(m_remaining));
}

void frmStartRun::Timer3_Timer() {
    const int beeps = WaveCountdown::BeepsFor(m_remaining);
    for (int i = 0; i < beeps; ++i)
        m_services.beeper->Beep();
    if (beeps > 0)
        Timer3->stop();
}

void frmStartRun::Timer1_Timer() {
    lblSysTimeOut->setText(modChronivo::SystemTimeToString(SystemTimeFromDateTime(m_services.clock->now())));
}

void frmStartRun::FinishStarting() {
    Timer2->stop();
    Timer3->stop();
    m_countdown.stop();
    dbgStartList->setRowCount(0);
    lblStartTimeOut->setText("00:00:00");
    cmdStart->setEnabled(true);
    cmdLoad->setEnabled(true);
    showMessage(AllStartedText);
}

void frmStartRun::cmdLoad_Click() {
    LoadStarterList();
    showMessage(PressStartText);
}

void frmStartRun::cmdEnd_Click() {
    close();
}

void frmStartRun::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmStartRun::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    SettingsStore& settings = *m_services.settings;
    settings.SaveSetting(Section, "Form Top", QString::number(y() * 15));
    settings.SaveSetting(Section, "Form Left", QString::number(x() * 15));
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    m_countdown.stop();
    cmdLoad->setEnabled(true);
}
