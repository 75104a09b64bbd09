#include "timing/frmChronivo.h"

#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "timing/Twips.h"
#include "timing/WaveTable.h"
#include "timing/frmSettings.h"
#include "timing/frmSettingsStartZeit.h"
#include "timing/frmStartRun.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

namespace {

// Turns double clicks on a widget into a call.
class DoubleClickFilter final : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> onDoubleClick)
        : QObject(parent), m_onDoubleClick(std::move(onDoubleClick)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_onDoubleClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onDoubleClick;
};

} // namespace

void frmChronivo::buildWaveMenu() {
    if (auto* lauf = findChild<QMenu*>("mnuLauf")) {
        mnuSetStartTimeStartnummern = new QAction("St&artzeit der Startnummern einstellen", lauf);
        lauf->insertAction(mnuLaufBeenden, mnuSetStartTimeStartnummern);
    }
    if (auto* prefs = findChild<QMenu*>("mnuPrefs")) {
        prefs->addSeparator();
        mnuComSettings = prefs->addAction("E&xterne Geräte einstellen");
    }
    if (mnuSetStartTimeStartnummern) {
        mnuSetStartTimeStartnummern->setObjectName("mnuSetStartTimeStartnummern");
        connect(mnuSetStartTimeStartnummern, &QAction::triggered, this,
                &frmChronivo::mnuSetStartTimeStartnummern_Click);
    }
    if (mnuComSettings) {
        mnuComSettings->setObjectName("mnuComSettings");
        connect(mnuComSettings, &QAction::triggered, this, &frmChronivo::mnuComSettings_Click);
    }
    lblInfo->installEventFilter(new DoubleClickFilter(lblInfo, [this] { lblInfo_DblClick(); }));
    lblInfo->setToolTip("Doppelklick öffnet die Startzeit-Tabelle");
    for (int i = 0; i < static_cast<int>(cmdSetStartZeit.size()); ++i)
        connect(cmdSetStartZeit[i], &QPushButton::clicked, this, [this, i] { cmdSetStartZeit_Click(i); });
    connect(cmdAutoStart, &QPushButton::clicked, this, &frmChronivo::cmdAutoStart_Click);
}

void frmChronivo::LoadStartZeitenArray() {
    WaveTable::FillStartZeit(WaveTable::Rows(*m_services.settings), StartZeit);
}

void frmChronivo::BuildStartZeitButtons() {
    for (int i = 0; i < 10; ++i) {
        cmdSetStartZeit[i]->hide();
        cmdSetStartZeit[i]->setText("");
        cmdSetStartZeit[i]->setProperty("Tag", QString());
        edtImZiel[i]->hide();
    }
    const QStringList rows = WaveTable::Rows(*m_services.settings);
    for (int p = 0; p < rows.size(); ++p) {
        const WaveTable::Fields f = WaveTable::SplitRow(rows[p]);
        // Every part of the caption comes from the table; an "&" in it is shown, never taken
        // as the button's shortcut.
        QString caption = f.bezeichnung + " startet " + f.zeit + " (" + f.von + "-" + f.bis + ")";
        caption.replace('&', QLatin1String("&&"));
        bool matched = false;
        for (int b = 0; b < 10; ++b) {
            if (cmdSetStartZeit[b]->property("Tag").toString() == f.bezeichnung) {
                cmdSetStartZeit[b]->setText(caption);
                matched = true;
            }
        }
        // Rows beyond the tenth still give start times, but there is no button for them.
        if (!matched && p < 10) {
            cmdSetStartZeit[p]->setStyleSheet("background-color: #FF8080;");
            cmdSetStartZeit[p]->show();
            cmdSetStartZeit[p]->setText(caption);
            cmdSetStartZeit[p]->setProperty("Tag", f.bezeichnung);
            edtImZiel[p]->show();
            edtImZiel[p]->setProperty("Tag", f.zeit);
        }
    }
    // The buttons stand right of the grids. While one is shown the window cannot be narrower
    // than they need, whatever widens or narrows it (start-up, a run's end, the user).
    const bool shown = std::any_of(cmdSetStartZeit.begin(), cmdSetStartZeit.end(),
                                   [](QPushButton* b) { return !b->isHidden(); });
    setMinimumWidth(shown ? Twips::px(Twips::WaveWidth) : 0);
}

void frmChronivo::chkLaufNrStartzeit_Click() {
    const bool on = chkLaufNrStartzeit->isChecked();
    m_services.settings->SaveSetting(Section, "LaufNrStartzeit", on ? "1" : "0");
    LoadStartZeitenArray();
    // With start times by start number there is no single run clock to show.
    lblText->setVisible(!on);
    lblStartTimeOut->setVisible(!on);
    sspWertungTimeOut->setVisible(!on);
    lblInfo->setVisible(on);
}

void frmChronivo::mnuSetStartTimeStartnummern_Click() {
    {
        frmSettingsStartZeit editor(m_services, this);
        editor.exec();
    }
    LoadStartZeitenArray();
    BuildStartZeitButtons();
}

void frmChronivo::lblInfo_DblClick() {
    mnuSetStartTimeStartnummern_Click();
}

void frmChronivo::cmdSetStartZeit_Click(int Index) {
    if (Index < 0 || Index >= static_cast<int>(cmdSetStartZeit.size()))
        return;
    const QString time = m_services.clock->now().time().toString("hh:mm:ss");
    const QString name = cmdSetStartZeit[Index]->property("Tag").toString();
    if (m_services.dialogs->MsgBox("Zeit: " + time + " auf Lauf: " + name + " schreiben?", 36) !=
        MsgBoxResult::Yes)
        return;
    SettingsStore& settings = *m_services.settings;
    const QStringList rows = WaveTable::Rows(settings);
    const QStringList stamped = WaveTable::StampWave(rows, name, time);
    if (stamped != rows && !WaveTable::SaveRows(settings, stamped)) {
        const RuntimeError e = settings.WriteError();
        showError(e.number(), e.description());
    }
    BuildStartZeitButtons();
    LoadStartZeitenArray();
}

void frmChronivo::cmdAutoStart_Click() {
    chkLaufNrStartzeit->setChecked(true);
    if (!m_frmStartRun) {
        // A run the starter starts is a wave start, also when the box was unticked since
        // (a run's end unticks it): the start that ticks it first is the one pressed.
        m_frmStartRun = new frmStartRun(
            m_services, [this] { cmdStartVorgabe_Click(); }, this);
        m_frmStartRun->Form_Load();
    }
    m_frmStartRun->show();
    m_frmStartRun->raise();
    m_frmStartRun->activateWindow();
}

void frmChronivo::mnuComSettings_Click() {
    frmSettings settings(m_services, this);
    settings.Form_Load();
    settings.exec();
}
