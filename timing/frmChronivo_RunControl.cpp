#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "results/ResultEntry.h"
#include "timing/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace {

// The stored start text has whole seconds; the milliseconds of a stamped start are kept
// beside it, so that a resumed run is measured from the same moment.
QString startMillisecondsKey(const QString& n) {
    return "Lauf" + n + "StartzeitMillisekunden";
}

} // namespace

void frmChronivo::buildRunMenu() {
    // Alt+L belongs to the two start buttons; the menu takes the next free letter.
    QMenu* lauf = new QMenu("La&uf", this);
    lauf->setObjectName("mnuLauf");
    menuBar()->insertMenu(menuBar()->actions().value(1), lauf);
    mnuSetStartTime = lauf->addAction("S&tartzeit des Laufs einstellen");
    mnuSetStartTime->setObjectName("mnuSetStartTime");
    mnuLaufBeenden = lauf->addAction("&Lauf beenden");
    mnuLaufBeenden->setObjectName("mnuLaufBeenden");
    connect(mnuSetStartTime, &QAction::triggered, this, &frmChronivo::mnuSetStartTime_Click);
    connect(mnuLaufBeenden, &QAction::triggered, this, &frmChronivo::mnuLaufBeenden_Click);

    connect(cmdStartVorgabe, &QPushButton::clicked, this, &frmChronivo::cmdStartVorgabe_Click);
    connect(chkLaufNrStartzeit, &QCheckBox::toggled, this, &frmChronivo::chkLaufNrStartzeit_Click);
    connect(cmdDurchlauf, &QPushButton::clicked, this, &frmChronivo::cmdDurchlauf_Click);
    cmdStart->setToolTip("Startzeit ist, wenn der Knopf gedrückt wird");
    cmdStartVorgabe->setToolTip("Startzeit wird aus der Startzeit-Tabelle ermittelt");
}

void frmChronivo::cmdStart_Click() {
    // Without a database no result could be stored: the run is not started at all.
    if (!hasLocalDatabase())
        return;
    const QString n = runText();
    const QString wasStarted = m_services.settings->GetSetting(Section, "Lauf" + n + "Gestartet", "0");
    try {
        // 1. A start time already shown (typed in or restored) is kept.
        const QString shown = lblStartTimeOut->text().trimmed();
        const bool stampedNow = shown == "00:00:00" || shown.isEmpty();
        const SYSTEMTIME stamp = SystemTimeFromDateTime(m_services.clock->now());
        const QString startText =
            stampedNow ? modChronivo::SystemTimeToString(stamp) : lblStartTimeOut->text();
        // 6. The run state lives in the settings store, so it survives the program; a run
        // whose state could not be stored is not started.
        storeRunState("Lauf" + n + "Gestartet", n);
        storeRunState("Lauf" + n + "Startzeit", startText);
        if (stampedNow) {
            storeRunState(startMillisecondsKey(n), QString::number(stamp.wMilliseconds));
            m_stRunStart = stamp;
            lblStartTimeOut->setText(startText);
        }
        // 2.-5. Running state.
        setClockColor(sspWertungTimeOut, m_lDisplayColor);
        QPalette pal = edtStartnummer->palette();
        pal.setColor(QPalette::Base, QColor(0, 0xC0, 0));
        edtStartnummer->setPalette(pal);
        Timer2->start();
        Timer1->start();
        tmrBlinker->stop();
        cmdStart->setEnabled(false);
        cmdStartVorgabe->setEnabled(false);
        cmdAutoStart->setEnabled(false);
        edtStartnummer->setEnabled(true);
        cmdWertung->setEnabled(true);
        edtStartnummer->setFocus();
    } catch (const RuntimeError& e) {
        // The mark goes back as it was where it could be written.
        m_services.settings->SaveSetting(Section, "Lauf" + n + "Gestartet", wasStarted);
        showError(e.number(), e.description());
    }
}

void frmChronivo::storeRunState(const QString& key, const QString& value) {
    SettingsStore& settings = *m_services.settings;
    // A resumed run stores nothing new: a full disk does not stop it.
    const QString stored = settings.GetSetting(Section, key, QString());
    if (!stored.isNull() && stored == value)
        return;
    settings.StoreSetting(Section, key, value);
}

void frmChronivo::cmdStartVorgabe_Click() {
    chkLaufNrStartzeit->setChecked(true);
    cmdStart_Click();
}

void frmChronivo::mnuSetStartTime_Click() {
    if (!hasLocalDatabase())
        return;
    try {
        const QString answer =
            m_services.dialogs->InputBox("Bitte Uhrzeit eingeben !\rFormat: HH:MM:SS beachten ! ", {}, {});
        if (answer.trimmed().isEmpty())
            return;
        if (answer.size() != 8 || !Convert::IsValidTimeText(answer)) {
            m_services.dialogs->MsgBox("Kein gültiges Datum!!!\rBitte Datumsformat überprüfen!!!", 64);
            return;
        }
        const SYSTEMTIME typed = ResultEntry::StartRecord(answer);
        const QString n = runText();
        storeRunState("Lauf" + n + "Startzeit", modChronivo::SystemTimeToString(typed));
        storeRunState(startMillisecondsKey(n), "0");
        m_stRunStart = typed;
        lblStartTimeOut->setText(modChronivo::SystemTimeToString(m_stRunStart));
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmChronivo::cmdDurchlauf_Click() {
    singlePassThrough(nullptr);
}

void frmChronivo::singlePassThrough(const QString* handedOver) {
    if (!m_bDurchlauf) {
        // Without a database no run is started.
        if (!hasLocalDatabase())
            return;
        cmdStart_Click();
        if (!cmdWertung->isEnabled())
            return; // the start was refused and reported
        cmdDurchlauf->setText("Lauf stoppen");
    } else {
        // After a failure the run stays open so the result can be taken again.
        if (!takeResultShowingErrors(handedOver ? *handedOver : edtStartnummer->text(), !handedOver))
            return;
        mnuLaufBeenden_Click();
        cmdDurchlauf->setText("Lauf starten");
    }
    m_bDurchlauf = !m_bDurchlauf;
}

void frmChronivo::mnuLaufBeenden_Click() {
    if (!hasLocalDatabase())
        return;
    try {
        SettingsStore& settings = *m_services.settings;
        const QString n = runText();
        // 1.-2.
        storeRunState("Lauf" + n + "Gestartet", "0");
        storeRunState("Lauf" + n + "Startzeit", "");
        settings.DeleteSetting(Section, startMillisecondsKey(n));
        lblStartTimeOut->setText("00:00:00");
        sspWertungTimeOut->setText("00:00:00");
        // 3.-4. Not running.
        showNotRunning();
        // 5.-6.
        chkLaufNrStartzeit->setChecked(false);
        showRunCaption();
        // 7.-8. Finisher counters and first passes belong to the run being timed.
        for (int i = 0; i < 10; ++i) {
            settings.SaveSetting(Section, QStringLiteral("ImZiel%1").arg(i), "");
            cmdSetStartZeit[i]->setEnabled(true);
            edtImZiel[i]->setText("");
        }
        settings.DeleteSection("DurchlaufmodusMulti");
        // 9.-10.
        resize(Twips::px(Twips::NormalWidth), height());
        SendAnzeigeRS232("00:00:00");
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmChronivo::showNotRunning() {
    cmdStart->setEnabled(true);
    cmdAutoStart->setEnabled(true);
    cmdStartVorgabe->setEnabled(true);
    tmrBlinker->start();
    Timer1->stop();
    edtStartnummer->setEnabled(false);
    cmdWertung->setEnabled(false);
    setClockColor(sspWertungTimeOut, m_lStopColor);
    QPalette pal = edtStartnummer->palette();
    pal.setColor(QPalette::Base, edtStartnummer->parentWidget()->palette().color(QPalette::Window));
    edtStartnummer->setPalette(pal);
}

bool frmChronivo::refuseBrokenRunStart(const QString& n, const QString& stored) {
    if (!hasLocalDatabase() || Convert::IsValidTimeText(stored))
        return false;
    // Every result of such a run would fail; the timekeeper sets the start again instead.
    m_services.dialogs->MsgBox("Die gespeicherte Startzeit \"" + stored + "\" von Lauf " + n +
                                   " ist keine gültige Uhrzeit!\r"
                                   "Der Lauf wird als nicht gestartet angezeigt.\r"
                                   "Bitte den Lauf neu starten oder die Startzeit einstellen.",
                               MsgBoxStyle::Critical);
    m_services.settings->SaveSetting(Section, "Lauf" + n + "Gestartet", "0");
    lblStartTimeOut->setText("00:00:00");
    sspWertungTimeOut->setText("00:00:00");
    showNotRunning();
    return true;
}

void frmChronivo::cboLaufnummer_Click() {
    if (!hasLocalDatabase())
        return;
    const std::optional<QString> chosen = typedRun();
    if (!chosen)
        return;
    SettingsStore& settings = *m_services.settings;
    const QString n = *chosen;
    // Results that come in while the timekeeper reads this still belong to the run that is
    // running; the switch happens when the box is closed.
    m_services.dialogs->MsgBox("!!! A C H T U N G !!!\r\rAlle neuen Wertung werden für den Lauf " + n +
                                   " erfaßt !",
                               16, windowTitle());
    acceptRun(n);
    try {
        RefreshResultViews();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
    showRunCaption();
    const QString stored = settings.GetSetting(Section, "Lauf" + n + "Startzeit", "");
    if (Convert::Val(settings.GetSetting(Section, "Lauf" + n + "Gestartet", "0")) != 0 &&
        !refuseBrokenRunStart(n, stored)) {
        lblStartTimeOut->setText(stored);
        m_sStartTime = stored;
        resumeRunStart(n, stored);
        cmdStart_Click();
    } else {
        mnuLaufBeenden_Click();
    }
    if (edtStartnummer->isEnabled())
        edtStartnummer->setFocus();
}

void frmChronivo::resumeRunStart(const QString& n, const QString& stored) {
    if (!Convert::IsValidTimeText(stored) || stored.size() < 8)
        return;
    SYSTEMTIME resumed = ResultEntry::StartRecord(stored);
    // Settings written before the milliseconds were kept have none: 0.
    bool ok = false;
    const int ms =
        m_services.settings->GetSetting(Section, startMillisecondsKey(n), "0").trimmed().toInt(&ok);
    resumed.wMilliseconds = static_cast<quint16>(ok && ms >= 0 && ms <= 999 ? ms : 0);
    m_stRunStart = resumed;
}
