#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "core/SystemFormats.h"
#include "platform/RuntimeError.h"
#include "platform/SerialPort.h"
#include "platform/Services.h"
#include "results/ResultEntry.h"
#include "results/ResultViews.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <cmath>
#include <optional>
#include <utility>

namespace {

constexpr const char* FirstPassSection = "DurchlaufmodusMulti";

constexpr double SecondsPerDay = 86400.0;

double secondsOfDay(const SYSTEMTIME& t) {
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

} // namespace

Database& frmChronivo::localDatabase() {
    return m_services.local.database();
}

QString frmChronivo::storedRunStart() const {
    return m_services.settings->GetSetting(Section, "Lauf" + runText() + "Startzeit", "");
}

void frmChronivo::cmdWertung_Click() {
    takeResultShowingErrors(edtStartnummer->text(), true);
}

bool frmChronivo::takeResultShowingErrors(const QString& snText, bool fromField) {
    const Taken taken = takeResultReporting(snText, fromField);
    const bool stored = taken == Taken::Row || taken == Taken::FirstPass;
    takePendingContacts();
    m_lastResultFailed = !stored;
    return stored;
}

frmChronivo::Taken frmChronivo::takeResultReporting(const QString& snText, bool fromField) {
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(m_resultDepth);
    try {
        return TakeResult(snText, fromField);
    } catch (const RuntimeError& e) {
        // Nothing was stored; the timekeeper sees why and takes the result again.
        showError(e.number(), e.description());
        return Taken::Failed;
    }
}

frmChronivo::Taken frmChronivo::TakeResult(const QString& snText, bool fromField) {
    // 1. The moment of the result, before anything that could take time. A contact edge
    // brings the moment its line changed, a reader read the moment its bytes arrived; either
    // may lie before this handler runs.
    const QDateTime seenAt = std::exchange(m_eventSeenAt, QDateTime());
    m_stCapture = SystemTimeFromDateTime(seenAt.isValid() ? seenAt : m_services.clock->now());

    SettingsStore& settings = *m_services.settings;
    const qint32 lauf = currentLauf();
    // 2.
    const qint32 sn = ResultViews::StartnummerOf(snText);

    // A result needs the run's start; without one (no run going) no row is made.
    const QString runStartText = storedRunStart();
    if (runStartText.trimmed().isEmpty())
        return Taken::NoRunStart;

    bool grossFromRun = true;
    std::optional<SYSTEMTIME> firstPass;
    if (chkLaufNrStartzeit->isChecked() && sn <= 10000) {
        // 3. Start times by start number.
        m_sStartTime.clear();
        if (sn > 0) {
            m_sStartTime = m_sNetStartTime = StartZeit[static_cast<size_t>(sn)];
            if (!m_sNetStartTime.trimmed().isEmpty())
                grossFromRun = false;
            else
                m_sStartTime = m_sNetStartTime = runStartText;
        }
        if (sn > 0 && !m_sStartTime.isEmpty()) {
            const qint16 index = FindStartZeitButton(m_sStartTime);
            if (index >= 0)
                edtImZiel[index]->setText(QString::number(Convert::Val(edtImZiel[index]->text()) + 1));
        }
        if (sn <= 0 || m_sStartTime.isEmpty()) {
            m_sStartTime = runStartText;
            grossFromRun = true;
        }
    } else {
        // 4. The run's start, or net-time pass-through.
        m_sStartTime = runStartText;
        m_sNetStartTime = runStartText;
        if (settings.GetBool(Section, "DurchlaufmodusMulti", false) && sn > 0) {
            // Time since the run start within one day, so a window that crosses midnight
            // still closes; a pass more than half a day after the start lies before it.
            const double startOfDay = secondsOfDay(ResultEntry::StartRecord(runStartText));
            const double sinceStart =
                std::fmod(secondsOfDay(m_stCapture) - startOfDay + SecondsPerDay, SecondsPerDay);
            const bool beforeStart = sinceStart > SecondsPerDay / 2;
            const QString stored = settings.GetSetting(FirstPassSection, snText, "");
            if (!stored.isEmpty() && !beforeStart) {
                m_sNetStartTime = stored;
                firstPass = ResultEntry::StartRecord(stored);
            } else if (beforeStart || !(Convert::Val(edtStartdauer->text()) * 60.0 < sinceStart)) {
                // Before the start or inside the start window this pass is the runner's
                // start: no row. The last pass before the start is the one that counts.
                settings.StoreSetting(FirstPassSection, snText, lblSysTimeOut->text());
                return Taken::FirstPass;
            }
        }
    }

    // 5. The starts the times run from.
    m_stGrossStart = ResultEntry::StartRecord(m_sStartTime);
    if (grossFromRun && SameSecondOfDay(m_stGrossStart, m_stRunStart))
        m_stGrossStart.wMilliseconds = m_stRunStart.wMilliseconds;
    m_stNetStart = firstPass ? *firstPass : m_stGrossStart;

    // 6.-8. Times, place, the row.
    const double gross = modChronivo::SystemTimeDiffSeconds(m_stGrossStart, m_stCapture);
    const double net = modChronivo::SystemTimeDiffSeconds(m_stNetStart, m_stCapture);
    Database& db = localDatabase();
    ResultEntry::Row row;
    row.laufnummer = lauf;
    row.startnummer = sn;
    row.systemtime = lblSysTimeOut->text();
    row.starttime = m_sStartTime;
    row.times = ResultEntry::ComputeTimes(gross, net);
    const ResultEntry::Stored stored = ResultEntry::InsertNext(db, row);
    row.platzierung = stored.platzierung;

    // The row is stored. What follows must not lose it: a failed refresh is reported after
    // the other steps have run.
    std::optional<RuntimeError> refreshFailure;
    // 9.
    try {
        refreshAfterNewResult(stored, snText);
    } catch (const RuntimeError& e) {
        refreshFailure = e;
    }
    // 10.
    if (sscLogDatei->isChecked())
        WriteLogRecord(
            lblLogdatei->text(), row.platzierung, snText, sspWertungTimeOut->text(), QString::number(lauf),
            static_cast<qint32>(row.times.millisekunden), static_cast<qint32>(row.times.millisekNetto),
            SystemFormats::ShortDateText(m_services.clock->now().date()) + " " + lblSysTimeOut->text());
    // 11. Reports its own failures and never throws.
    DirektEinbuchen(sn, static_cast<qint32>(row.times.millisekunden));
    // 12. A number handed over never stood in the field.
    if (fromField) {
        edtStartnummer->setText("");
        edtStartnummer->setFocus();
    }
    m_services.beeper->Beep();
    if (refreshFailure)
        showError(refreshFailure->number(), refreshFailure->description());
    return Taken::Row;
}

void frmChronivo::edtStartnummer_KeyPress(int KeyAscii) {
    if (KeyAscii != 13)
        return;
    m_lastResultFailed = false;
    if (mnuDurchlaufModus->isChecked())
        cmdDurchlauf_Click();
    else
        cmdWertung_Click();
    edtStartnummer->setText("");
}

bool frmChronivo::handOverResult(const QString& startnummer, const QDateTime& seenAt) {
    // Starting a run moves the focus; the timekeeper's typing must not be disturbed.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    m_lastResultFailed = false;
    m_eventSeenAt = seenAt;
    if (mnuDurchlaufModus->isChecked())
        singlePassThrough(&startnummer);
    else
        takeResultShowingErrors(startnummer, false);
    m_eventSeenAt = QDateTime();
    if (focus && QApplication::focusWidget() != focus)
        focus->setFocus();
    return !m_lastResultFailed;
}

void frmChronivo::edtStartnummer_Change() {
    const QString text = edtStartnummer->text();
    if (!text.isEmpty() && (!Convert::IsNumeric(text) || Convert::Val(text) > 32000))
        edtStartnummer->setText("0");
}

void frmChronivo::edtImZiel_Change(int Index) {
    m_services.settings->SaveSetting(Section, QStringLiteral("ImZiel%1").arg(Index),
                                     edtImZiel[Index]->text());
}

void frmChronivo::edtStartdauer_Change() {
    const QString text = edtStartdauer->text();
    if (!Convert::IsNumeric(text))
        edtStartdauer->setText("3");
    else if (!runText().isEmpty()) // no run before the selector is filled
        m_services.settings->SaveSetting(Section, "Lauf" + runText() + "Startdauer", text);
}

qint16 frmChronivo::FindStartZeitButton(const QString& text) const {
    for (int i = 0; i < static_cast<int>(cmdSetStartZeit.size()); ++i)
        if (cmdSetStartZeit[i]->text().contains(text, Qt::CaseInsensitive))
            return static_cast<qint16>(i);
    return -1;
}

// ----- contact input ------------------------------------------------------------------------

void frmChronivo::OpenContactInput() {
    if (!MSComm1)
        return;
    const SettingsStore& settings = *m_services.settings;
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    if (Convert::Val(settings.GetSetting("ExtSensor", "ExtSensor", "0")) == 0)
        return;
    MSComm1->setCommPort(static_cast<int>(Convert::ValLong(settings.GetSetting("ExtSensor", "Port", "1"))));
    MSComm1->setInputLen(0);
    MSComm1->setPortOpen(true);
    m_comm1Latch = {};
}

void frmChronivo::MSComm1_OnComm() {
    if (MSComm1)
        handleModemEvent(*MSComm1, m_comm1Latch, true);
}

void frmChronivo::MSComm2_OnComm() {
    // The board's port exists once the board was first fed.
    if (MSComm2)
        handleModemEvent(*MSComm2, m_comm2Latch, false);
}

void frmChronivo::handleModemEvent(SerialPort& port, std::array<bool, 3>& latches, bool takesResults) {
    bool* latch = nullptr;
    bool (SerialPort::*line)() const = nullptr;
    switch (port.CommEvent()) {
    case CommEvent::CD:
        latch = &latches[0];
        line = &SerialPort::CDHolding;
        break;
    case CommEvent::CTS:
        latch = &latches[1];
        line = &SerialPort::CTSHolding;
        break;
    case CommEvent::DSR:
        latch = &latches[2];
        line = &SerialPort::DSRHolding;
        break;
    default:
        // The contact input's device went away: no closure can take a result any more,
        // which the timekeeper must learn now rather than at the next finisher.
        if (takesResults && port.CommEvent() == CommEvent::DCB && !port.PortOpen())
            showError(CommEvent::DCB,
                      QStringLiteral("Der Kontakteingang an COM%1 ist nicht mehr verfügbar; über den "
                                     "Kontakt werden keine Wertungen mehr erfasst.")
                          .arg(port.CommPort()));
        return;
    }
    // One result per rising edge, judged by the level the change was seen with: a short pulse
    // may be over before its event is handled. A change seen low frees the latch, and so does
    // the line read again afterwards, so a pulse that has already ended frees it at once.
    const bool high = port.EventLevel().value_or((port.*line)());
    if (high && !*latch) {
        *latch = true;
        if (takesResults) {
            // Stamped now; taken in turn, after any result whose box is open. Without a run one
            // box says so: a photo cell chattering before the start must not stack boxes.
            const bool runGoing = !storedRunStart().trimmed().isEmpty();
            if (runGoing || !m_noRunBoxOpen) {
                m_pendingContacts.push_back(
                    {port.EventTime().isValid() ? port.EventTime() : m_services.clock->now(), runGoing});
                takePendingContacts();
            }
        }
    }
    if ((!high || !(port.*line)()) && *latch)
        *latch = false;
}

void frmChronivo::takePendingContacts() {
    if (m_resultDepth > 0 || m_takingContacts)
        return;
    m_takingContacts = true;
    while (!m_pendingContacts.empty()) {
        const PendingContact contact = m_pendingContacts.front();
        m_pendingContacts.pop_front();
        // A closure that came with no run going takes nothing, also when the run has started
        // since.
        Taken taken = Taken::NoRunStart;
        if (contact.runGoing) {
            m_eventSeenAt = contact.seenAt;
            taken = takeResultReporting(edtStartnummer->text(), true);
            m_eventSeenAt = QDateTime();
        }
        if (taken == Taken::NoRunStart) {
            // This box stands for every closure without a run that waits now.
            std::erase_if(m_pendingContacts, [](const PendingContact& c) { return !c.runGoing; });
            m_noRunBoxOpen = true;
            m_services.dialogs->MsgBox(
                QStringLiteral(
                    "Kontakteingang: Lauf ist noch nicht gestartet! Die Wertung wurde nicht erfasst."),
                MsgBoxStyle::Information);
            m_noRunBoxOpen = false;
        }
    }
    m_takingContacts = false;
}
