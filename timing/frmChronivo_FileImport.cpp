#include "timing/frmChronivo.h"

#include "core/Convert.h"
#include "core/SystemFormats.h"
#include "core/TransponderLookup.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "results/FileImport.h"
#include "Version.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr const char* NoStartYet = "hh:mm:ss";
// The read counter is drawn at most this often while a time file is read.
constexpr qint64 CounterPaintMs = 50;

// One tag read of the time file as the import keeps it until the rows are written.
struct Entry {
    qint32 startnummer = 0;
    QTime time;
};

SYSTEMTIME todayAt(const QDateTime& now, const QTime& time) {
    SYSTEMTIME st = SystemTimeFromDateTime(now);
    st.wHour = static_cast<quint16>(time.hour());
    st.wMinute = static_cast<quint16>(time.minute());
    st.wSecond = static_cast<quint16>(time.second());
    st.wMilliseconds = 0;
    return st;
}

} // namespace

void frmChronivo::buildTimeFilePanel() {
    // Over the start-number field and the result button, below the run selector that step 1
    // names; the start buttons are hidden while it is open.
    fraZeitdatei = new QFrame(centralWidget());
    fraZeitdatei->setObjectName("fraZeitdatei");
    fraZeitdatei->setFrameShape(QFrame::StyledPanel);
    fraZeitdatei->setAutoFillBackground(true);
    fraZeitdatei->setGeometry(8, 126, 150, 218);
    // A small font, so that the guide texts fit the narrow column.
    QFont small = fraZeitdatei->font();
    small.setPointSize(8);
    fraZeitdatei->setFont(small);
    auto* grid = new QGridLayout(fraZeitdatei);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(4);
    auto* title = new QLabel("Zeitdatei einlesen", fraZeitdatei);
    QFont bold = small;
    bold.setBold(true);
    title->setFont(bold);
    const char* texts[] = {"1. Laufnummer auswählen", "2. Startzeit des Laufs eingeben", NoStartYet,
                           "3. Zeitdatei einlesen...", "4. Erfasste Datensätze:"};
    for (int i = 0; i < 5; ++i) {
        lblDummy1[i] = new QLabel(QString::fromUtf8(texts[i]), fraZeitdatei);
        lblDummy1[i]->setObjectName(QStringLiteral("lblDummy1_%1").arg(i));
        lblDummy1[i]->setWordWrap(i != 2);
    }
    cmdZeitdateiLaufstart = new QPushButton("Startzeit", fraZeitdatei);
    cmdZeitdateiLaufstart->setObjectName("cmdZeitdateiLaufstart");
    cmdZeitdateiImport = new QPushButton("Einlesen", fraZeitdatei);
    cmdZeitdateiImport->setObjectName("cmdZeitdateiImport");
    cmdZeitdateiCancel = new QPushButton("Abbrechen", fraZeitdatei);
    cmdZeitdateiCancel->setObjectName("cmdZeitdateiCancel");
    edtCounter = new QLineEdit("0", fraZeitdatei);
    edtCounter->setObjectName("edtCounter");
    edtCounter->setReadOnly(true);
    edtCounter->setAlignment(Qt::AlignRight);
    grid->addWidget(title, 0, 0, 1, 2);
    grid->addWidget(lblDummy1[0], 1, 0, 1, 2);
    grid->addWidget(lblDummy1[1], 2, 0, 1, 2);
    grid->addWidget(cmdZeitdateiLaufstart, 3, 0);
    grid->addWidget(lblDummy1[2], 3, 1);
    grid->addWidget(lblDummy1[3], 4, 0, 1, 2);
    grid->addWidget(cmdZeitdateiImport, 5, 0, 1, 2);
    grid->addWidget(lblDummy1[4], 6, 0, 1, 2);
    grid->addWidget(edtCounter, 7, 0, 1, 2);
    grid->addWidget(cmdZeitdateiCancel, 8, 0, 1, 2);
    grid->setRowStretch(9, 1);
    fraZeitdatei->hide();
    connect(cmdZeitdateiLaufstart, &QPushButton::clicked, this, &frmChronivo::cmdZeitdateiLaufstart_Click);
    connect(cmdZeitdateiImport, &QPushButton::clicked, this, &frmChronivo::cmdZeitdateiImport_Click);
    connect(cmdZeitdateiCancel, &QPushButton::clicked, this, &frmChronivo::cmdZeitdateiCancel_Click);
}

// ----- the time-file panel ------------------------------------------------------------------

void frmChronivo::writeRowsAndShow(Database& db, const std::function<void()>& writes) {
    std::optional<RuntimeError> failure;
    try {
        FileImport::CommitEachWritten(*m_services.local.gwsLocal, db, writes);
    } catch (const RuntimeError& e) {
        // The rows written before the failure stay and are shown.
        failure = e;
    }
    RefreshResultViews();
    if (failure)
        throw *failure;
}

void frmChronivo::mnuLoadZeitDatei_Click() {
    fraZeitdatei->show();
    fraZeitdatei->raise();
    cmdInsert->setEnabled(false);
    cmdStart->hide();
    cmdAutoStart->hide();
    tmrBlinker->stop();
}

void frmChronivo::cmdZeitdateiCancel_Click() {
    fraZeitdatei->hide();
    cmdInsert->setEnabled(true);
    // The start buttons come back as the pass-through mode has them (hidden in single
    // pass-through, where the pass-through button starts the run).
    ApplyDurchlaufModus();
    tmrBlinker->start();
}

void frmChronivo::cmdZeitdateiLaufstart_Click() {
    const QString answer = m_services.dialogs->InputBox(
        "Bitte Uhrzeit eingeben !\rFormat: HH:MM:SS beachten ! ", CHRONIVO_APP_TITLE, "");
    if (answer.trimmed().isEmpty())
        return;
    // Exactly "hh:mm:ss": a date or a time with a one-digit hour is no run start.
    if (answer.size() != 8 || !Convert::IsValidTimeText(answer)) {
        m_services.dialogs->MsgBox(
            QString::fromUtf8("Kein gültiges Datum!!!\rBitte Datumsformat überprüfen!!!"), 64);
        return;
    }
    m_stFileRunStart = todayAt(m_services.clock->now(), Convert::TimeOfDay(answer));
    lblDummy1[2]->setText(modChronivo::SystemTimeToString(m_stFileRunStart));
    QPalette pal = lblDummy1[2]->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    lblDummy1[2]->setPalette(pal);
}

void frmChronivo::cmdZeitdateiImport_Click() {
    edtCounter->setText("0");
    if (lblDummy1[2]->text() == NoStartYet) {
        m_services.dialogs->MsgBox("Bitte eine Start-Zeit eingaben!", 64);
        return;
    }
    ImportZeitdatei();
}

void frmChronivo::ImportZeitdatei() {
    if (!m_services.dialogs->ShowOpen(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
        return;
    try {
        Database& db = localDatabase();
        const qint32 lauf = currentLauf();
        std::vector<Entry> entries;
        // Tag reads that can't be stored keep their place and are reported by line.
        QList<int> unreadable;
        {
            QFile file(CoDi1.fileName);
            FileImport::OpenForReading(file);
            int lineNumber = 0;
            QElapsedTimer sinceCounterPaint;
            sinceCounterPaint.start();
            FileImport::ReadLines(file, [&](const QString& line) {
                ++lineNumber;
                if (!FileImport::IsTagRead(line))
                    return;
                // Every read has a place of its own. As for a result taken at the finish, a place
                // beyond what the export holds is kept (the export stops there), a wrapped one never.
                if (entries.size() >= size_t(std::numeric_limits<qint32>::max()))
                    throw RuntimeError(6, "Überlauf");
                const std::optional<FileImport::TagRead> read = FileImport::ParseTagRead(line);
                const std::optional<qint32> startnummer =
                    read ? FileImport::TagStartnummer(
                               modChronivo::GetStartnummerByTransponder(db, read->transponderId))
                         : std::nullopt;
                if (startnummer) {
                    entries.push_back({*startnummer, read->readTime});
                } else {
                    entries.push_back({0, QTime()});
                    unreadable << lineNumber;
                }
                // The count grows on the screen while a long file is read. No event loop runs
                // meanwhile, so it is drawn here, but only as often as the eye can follow: on a
                // real display a drawing per read costs more than the read itself.
                edtCounter->setText(QString::number(entries.size()));
                if (sinceCounterPaint.hasExpired(CounterPaintMs)) {
                    edtCounter->repaint();
                    sinceCounterPaint.restart();
                }
            });
            edtCounter->repaint();
        }
        const QDateTime now = m_services.clock->now();
        const QString systemtime =
            SystemFormats::ShortDateText(now.date()) + " " + now.time().toString("hh:mm:ss");
        const QString starttime = lblDummy1[2]->text();
        writeRowsAndShow(db, [&] {
            // The place is the read's position among all tag reads of the file.
            for (size_t i = 0; i < entries.size(); ++i) {
                if (entries[i].startnummer <= 0)
                    continue;
                m_stFileCapture = todayAt(now, entries[i].time);
                const double gross = modChronivo::SystemTimeDiffSeconds(m_stFileRunStart, m_stFileCapture);
                FileImport::InsertRead(db, lauf, static_cast<qint32>(i + 1), systemtime, starttime,
                                       Convert::RoundHalfEven(gross), entries[i].startnummer);
            }
        });
        if (!unreadable.isEmpty())
            m_services.dialogs->MsgBox(FileImport::UnreadableReadsMessage(unreadable), 16);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

// ----- start-number file --------------------------------------------------------------------

void frmChronivo::mnuLoadStartnummern_Click() {
    if (!m_services.dialogs->ShowOpen(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
        return;
    try {
        QStringList lines;
        {
            QFile file(CoDi1.fileName);
            FileImport::OpenForReading(file);
            FileImport::ReadLines(file, [&](const QString& line) { lines << line; });
        }
        Database& db = localDatabase();
        const qint32 lauf = currentLauf();
        writeRowsAndShow(db, [&] {
            for (qsizetype i = 0; i < lines.size(); ++i) {
                // A negative number leaves its place as it is.
                if (Convert::Val(lines[i]) < 0)
                    continue;
                FileImport::SetStartnummer(db, lauf, static_cast<qint32>(i + 1), lines[i]);
            }
        });
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}
