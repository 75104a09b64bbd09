// The receive path of the reader consoles: units, the telegram they become, and what the
// selected tab does with it.
#include "readers/ReaderConsole.h"

#include "core/Convert.h"
#include "core/TransponderLookup.h"
#include "core/modGlobal.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "readers/AntennaValues.h"
#include "readers/CommandFrame.h"
#include "readers/InfoTextModel.h"
#include "readers/MainWindowLink.h"
#include "readers/ReaderAdapters.h"
#include "readers/TagReadTelegram.h"
#include "readers/TransponderData.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace {

const QString& separatorLine() {
    static const QString line(44, QLatin1Char('-'));
    return line;
}

} // namespace

QString withoutLineEnd(const QString& unit) {
    qsizetype size = unit.size();
    while (size > 0 && (unit.at(size - 1) == QLatin1Char('\r') || unit.at(size - 1) == QLatin1Char('\n')))
        --size;
    return unit.left(size);
}

QString OneShownLine(const QString& text) {
    const QString whole = withoutLineEnd(text);
    QString line = whole.left(MaxShownChars);
    line.replace(QLatin1Char('\r'), QLatin1String("<CR>")).replace(QLatin1Char('\n'), QLatin1String("<LF>"));
    if (whole.size() > MaxShownChars)
        line += QStringLiteral(" ... (gekürzt, %1 Zeichen)").arg(whole.size());
    return line;
}

namespace {

QString droppedText(const LineAssembler::Dropped& d) {
    QString why;
    switch (d.why) {
    case LineAssembler::Drop::Junk:
        why = QStringLiteral("Empfangene Zeichen ohne gültigen Telegrammrahmen verworfen");
        break;
    case LineAssembler::Drop::Stale:
        why = QStringLiteral("Unvollständiges Telegramm verworfen (kein Zeilenende innerhalb 1 s)");
        break;
    case LineAssembler::Drop::Overlong:
        why = QStringLiteral("Zu lange Zeile ohne Zeilenende verworfen");
        break;
    }
    QString sample = OneShownLine(d.start);
    if (d.length > d.start.size())
        sample += QStringLiteral(" ...");
    return why + QStringLiteral(" (%1 Zeichen): ").arg(d.length) + sample;
}

} // namespace

void ReaderConsole::receiveText(const QString& chunk, const QDateTime& arrivedAt) {
    queueText(chunk, arrivedAt);
    drainUnits();
}

void ReaderConsole::receiveLastText(const QString& chunk) {
    if (chunk.isEmpty())
        return;
    if (m_inputHeld) {
        m_inputHeld = false;
        m_assembler.restartWait(m_services.clock->now().toMSecsSinceEpoch());
    }
    queueText(chunk, QDateTime());
    m_drainTimer->start();
}

void ReaderConsole::queueText(const QString& chunk, const QDateTime& arrivedAt) {
    const QDateTime at = arrivedAt.isValid() ? arrivedAt : m_services.clock->now();
    const quint64 event = ++m_event;
    const LineAssembler::Fed fed = m_assembler.feed(chunk, at.toMSecsSinceEpoch());
    for (const LineAssembler::Dropped& d : fed.dropped)
        log(droppedText(d));
    for (const QString& unit : fed.units)
        queueUnit({unit, event, at});
}

void ReaderConsole::queueUnit(Unit unit) {
    m_queuedChars += unit.text.size();
    m_units.push_back(std::move(unit));
}

void ReaderConsole::ProcessTelegram(const QString& unit) {
    queueUnit({unit, ++m_event, m_services.clock->now()});
    drainUnits();
}

void ReaderConsole::resetReceive() {
    m_assembler.clear();
}

bool ReaderConsole::takesInput() {
    if (m_units.size() < MaxQueuedUnits && m_queuedChars < MaxQueuedChars)
        return true;
    m_inputHeld = true;
    return false;
}

void ReaderConsole::resumeInput() {
    m_inputHeld = false;
    // A telegram cut where the link was held back is not left standing by the reader.
    m_assembler.restartWait(m_services.clock->now().toMSecsSinceEpoch());
    takeWaitingInput();
}

void ReaderConsole::drainUnits() {
    handleQueuedUnits(false);
}

void ReaderConsole::handleQueuedUnits(bool all) {
    // A handler further down (the main window's result taking, a message box) may let the
    // next receive event run before this one is done; its units then queue behind ours, so
    // every unit is handled once and in the order it arrived.
    if (m_draining)
        return;
    m_draining = true;
    QElapsedTimer slice;
    slice.start();
    while (!m_units.empty()) {
        if (!all && slice.elapsed() >= DrainSliceMs) {
            m_drainTimer->start();
            break;
        }
        const Unit unit = std::move(m_units.front());
        m_units.pop_front();
        m_queuedChars -= unit.text.size();
        // With room in the queue again, what the link held back meanwhile is taken.
        if (m_inputHeld && m_units.size() <= MaxQueuedUnits / 2 && m_queuedChars <= MaxQueuedChars / 2)
            resumeInput();
        if (unit.event != m_unitEvent) {
            m_unitEvent = unit.event;
            m_readTime = modGlobal::ZeroDate();
        }
        m_arrivedAt = unit.arrivedAt;
        try {
            handleUnit(unit.text);
        } catch (const RuntimeError& e) {
            reportTrapped(e.number(), e.description());
        } catch (const std::exception& e) {
            reportTrapped(RuntimeError::EngineError, QString::fromLocal8Bit(e.what()));
        }
    }
    m_draining = false;
    scheduleFollow();
}

void ReaderConsole::scheduleFollow() {
    if (m_followTimer->isActive())
        return;
    const qint64 since = m_lastFollow.isValid() ? m_lastFollow.elapsed() : FollowMs;
    if (since >= FollowMs)
        followNewest();
    else
        m_followTimer->start(static_cast<int>(FollowMs - since));
}

void ReaderConsole::followNewest() {
    m_lastFollow.restart();
    m_telegrams->show();
    m_bookings->show();
    if (m_telegrams->rowCount() > 0)
        edtMessage->setCurrentIndex(m_telegrams->index(m_telegrams->rowCount() - 1, 0));
    if (m_selectNewestBooking && m_bookings->rowCount() > 0)
        lisEinbuchen->setCurrentIndex(m_bookings->index(m_bookings->rowCount() - 1, 0));
    m_selectNewestBooking = false;
}

void ReaderConsole::handleUnit(const QString& unit) {
    // 1. The log, and the telegram the unit becomes.
    QString s = unit;
    if (m_profile.logsSeparator)
        log(separatorLine());
    if (m_profile.adapter == ReaderAdapters::Kind::Native) {
        log(withoutLineEnd(s));
    } else {
        const auto adapted = ReaderAdapters::PrepareMessage(m_profile.adapter, unit, m_services.clock->now(),
                                                            ReaderAdapters::RandomAntennaDigit());
        if (adapted.accepted) {
            log(QStringLiteral("(IN) PrepareMessage: ") + unit);
            log(QStringLiteral("(OUT) PrepareMessage: ") + adapted.idField);
        }
        s = adapted.telegram;
        if (m_profile.logsBuiltTelegram)
            log(s);
    }

    // 2. A tag read counts at its antenna and sets the read time.
    const bool tagRead = TagReadTelegram::IsTagRead(s);
    if (tagRead) {
        const int antenna = TagReadTelegram::AntennaOf(s);
        if (antenna >= 1 && antenna <= 4)
            setStatusPanel(antenna + 3, QString::number(Convert::ValLong(statusPanel(antenna + 3)) + 1));
        m_readTime = TagReadTelegram::ReadTimeOf(s);
        log(QStringLiteral("Transponder erkannt an Antenne: %1").arg(antenna));
    }

    // 3.-4.
    const int tab = tabRDIF->currentIndex();
    const bool cutsId = tab == TabErfassen || tab == TabPruefen || tab == TabBuchen;
    const std::optional<QString> id =
        cutsId ? TagReadTelegram::CutTransponderId(s, edtRFIDKopf->text(),
                                                   m_profile.lineEnding == LineAssembler::Ending::NativeCr)
               : std::optional<QString>(withoutLineEnd(s));
    m_telegrams->append(OneShownLine(s), m_arrivedAt.toMSecsSinceEpoch());
    if (tab == TabBuchen && !tagRead) {
        // Junk or a reader reply is no runner: booking it would take a place.
        log(QStringLiteral("Kein Transponder-Telegramm, nicht gebucht: ") + s);
        return;
    }
    if (!id || (cutsId && id->isEmpty())) {
        // No ID to look up: the read stays in the log and is not booked.
        const QString text = QStringLiteral("Telegramm ohne Transponder-ID (anz. Kopfzeichen prüfen), "
                                            "nicht gebucht: ") +
                             s;
        log(text);
        if (tab == TabBuchen)
            addBookingLine(text);
        return;
    }

    // 5. The same tag again.
    if (*id == m_lastID) {
        if (m_profile.logsRepeats)
            log(QStringLiteral("Transponder doppelt erkannt!"));
        return;
    }

    // 6. A failure here leaves the ID out of the repeat test, so the tag's next read can
    // still be booked.
    if (!tabAction(tab, s, *id))
        return;

    // 7.
    setStatusPanel(2, *id);
    m_lastID = *id;
    ++m_rcvCount;
    setStatusPanel(3, QStringLiteral("RCV: %1").arg(m_rcvCount));
}

bool ReaderConsole::tabAction(int tab, const QString& telegram, const QString& id) {
    switch (tab) {
    case TabErfassen:
        edtTransponder->setText(id);
        break;
    case TabPruefen:
        edtPruefRFID->setText(id);
        edtPruefRFID_KeyPress(13);
        break;
    case TabBuchen:
        return book(id);
    case TabSchreiben:
        edtRcvMsg[0]->setText(telegram);
        confirmTagWrite(telegram);
        break;
    case TabAntennen:
        edtRcvMsg[1]->setText(telegram);
        evaluateRegisterReplies(telegram);
        break;
    case TabUhrzeit:
        edtRcvMsg[2]->setText(telegram);
        evaluateClockReply(telegram);
        break;
    case TabBefehl:
        edtRcvMsg[3]->setText(telegram);
        break;
    default:
        break;
    }
    return true;
}

QString ReaderConsole::startnummerFor(const QString& id) {
    if (m_profile.loopbackIdIsStartnummer && edtRFIDIpAddr->text() == QLatin1String("127.0.0.1")) {
        // A reader simulated on this PC sends start numbers as IDs.
        return Convert::NumberText(ReaderAdapters::DecimalReading(id));
    }
    return modChronivo::GetStartnummerByTransponder(m_services.local.database(), id);
}

bool ReaderConsole::book(const QString& id) {
    // 1. No run: the read is not booked and leaves the debounce table alone. Tab 0 comes
    // first, so that reads arriving while the box is open do not open boxes of their own.
    if (!m_mainWindow.isResultButtonEnabled()) {
        tabRDIF->setCurrentIndex(TabMeldungen);
        m_services.dialogs->MsgBox(QStringLiteral("Lauf ist noch nicht gestartet!"),
                                   MsgBoxStyle::Information);
        return true;
    }
    // 2.-3.
    const QString n = startnummerFor(id);
    const QString head = QStringLiteral("RFID: ") + id + QStringLiteral(" Startnummer: ") + n;
    const bool numeric = Convert::IsNumeric(n);
    const qint64 startnummer = numeric ? Convert::RoundHalfEven(Convert::Val(n)) : -1;
    if (!numeric || !DebounceTable::covers(startnummer)) {
        const QString text = head + QStringLiteral(" nicht gebucht: Startnummer nicht zwischen 0 und 10000!");
        log(text);
        addBookingLine(text);
    } else {
        // The time in force was checked when it was entered or loaded.
        const double debounce = Convert::Val(m_debounceText);
        // The read is timed by its arrival, also for the debounce: a burst handled late must
        // neither shift times nor let a repeat through.
        const qint32 now = TagReadTelegram::VbTimeToNetTime(m_arrivedAt);
        // 4.-6.
        if (m_lastBook.isDue(startnummer, debounce, now, m_profile.booksZeroAlways)) {
            // A hand-over that made no result is no booking, whether the main window said so
            // itself or failed with an error (reported further up): logged as not booked and
            // kept out of the debounce table, so the runner's next read still books.
            const auto notBooked = [&] {
                const QString text = head + QStringLiteral(" nicht gebucht: Wertung fehlgeschlagen!");
                log(text);
                addBookingLine(text);
            };
            bool handedOver = false;
            try {
                handedOver = m_mainWindow.handOverStartnummer(n, m_arrivedAt);
            } catch (...) {
                notBooked();
                throw;
            }
            if (!handedOver) {
                notBooked();
                return false;
            }
            const QString text = TagReadTelegram::DateTimeText(m_readTime) + QLatin1Char(' ') + head +
                                 QStringLiteral(" gebucht!");
            addBookingLine(text);
            log(text);
            m_lastBook.markBooked(startnummer, now);
        } else {
            const QString text = head + QStringLiteral(" entprellt!");
            log(text);
            if (m_profile.listsDebounced)
                addBookingLine(text);
        }
    }
    // 7.
    if (m_profile.selectsLastBooking)
        m_selectNewestBooking = true;
    return true;
}

void ReaderConsole::addBookingLine(const QString& text) {
    m_bookings->append(OneShownLine(text), m_arrivedAt.toMSecsSinceEpoch());
}

void ReaderConsole::confirmTagWrite(const QString& telegram) {
    // A number is remembered only while the write lamp is green.
    if (!m_writtenStartnummer || !TagReadTelegram::IsTagRead(telegram))
        return;
    // Only the tag just written confirms the write: any other tag in the field leaves the
    // lamp green and stores nothing. The number is the one sent, not what the box holds now.
    const int written = *m_writtenStartnummer;
    const auto id = TagReadTelegram::CutTransponderId(
        telegram, edtRFIDKopf->text(), m_profile.lineEnding == LineAssembler::Ending::NativeCr);
    if (!id || !CommandFrame::IsWrittenTag(*id, QString::number(written)))
        return;
    // The tag just written is assigned to the number written into it; a refused row is
    // reported and the next number is offered all the same.
    try {
        QueryDef query = m_services.local.database().QueryDefs("pI_Transponder");
        query.setParameter("iTransponderID", *id);
        query.setParameter("iStartnummer", written);
        query.Execute(dbFailOnError);
        query.Close();
    } catch (const RuntimeError& e) {
        reportTrapped(e.number(), e.description());
    }
    edtWriteText->setText(CommandFrame::NextNumberText(QString::number(written)));
    m_services.beeper->Beep();
    cmdTransponderWrite->setFocus();
    setWritePending(false);
    try {
        refreshAssignments();
    } catch (const RuntimeError& e) {
        reportTrapped(e.number(), e.description());
    }
}

void ReaderConsole::evaluateRegisterReplies(const QString& telegram) {
    for (const QString& line : modGlobal::SplitString(telegram, QStringLiteral("\r"))) {
        const auto reply = CommandFrame::ParseRegisterReply(line);
        if (!reply)
            continue;
        if (reply->power) {
            sliAntenne[reply->antenna]->setValue(reply->value);
            // The slider shows only changes; a value it held already is shown all the same.
            sliAntenne_Change(reply->antenna);
            chkAntAkt[reply->antenna]->setChecked(reply->value != 0);
        } else {
            edtAntDaempfung[reply->antenna]->setText(AntennaValues::AttenuationText(reply->value));
            VScroll1[reply->antenna]->setValue(reply->value);
        }
    }
}

void ReaderConsole::evaluateClockReply(const QString& telegram) {
    if (const auto clock = CommandFrame::ParseClockReply(telegram))
        edtReaderZeit->setText(TagReadTelegram::DateTimeText(*clock));
}
