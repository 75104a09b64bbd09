#include "timing/frmChronivo.h"
#include "timing/NoRedraw.h"

#include "core/Convert.h"
#include "core/SystemFormats.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "results/DataControl.h"
#include "results/ResultViews.h"
#include "results/RunCorrection.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <limits>

namespace {

constexpr const char* FirstPassSection = "DurchlaufmodusMulti";
constexpr int GrossTimeColumn = 2;
constexpr int GrossMsColumn = 3;

QPushButton* makeButton(QWidget* parent, const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

bool isInside(const QWidget* w, const QWidget* container) {
    return w && (w == container || container->isAncestorOf(w));
}

} // namespace

// ----- controls -----------------------------------------------------------------------------

void frmChronivo::buildCorrection(QMenu* fileMenu) {
    QWidget* central = centralWidget();
    cmdInsert = makeButton(central, "Satz einfügen", "cmdInsert");
    cmdDelete = makeButton(central, "Satz löschen", "cmdDelete");
    cmdKorrektur = makeButton(central, "Satz ändern", "cmdKorrektur");
    cmdVerschieben[0] = makeButton(central, "Zeiten verschieben", "cmdVerschieben_0");
    cmdVerschieben[0]->setToolTip("Alle Zeiten um einen bestimmten Wert addieren order subtrahieren");
    cmdVerschieben[1] = makeButton(central, "Startnr. verschieben", "cmdVerschieben_1");
    cmdArrows[0] = makeButton(central, "Startnummern nach unten schieben", "cmdArrows_0");
    cmdArrows[1] = makeButton(central, "Startnummern nach oben schieben", "cmdArrows_1");

    fraEinfuegen = new QGroupBox("Satz einfügen", central);
    fraEinfuegen->setObjectName("fraEinfuegen");
    fraEinfuegen->setAutoFillBackground(true);
    const int labelW = 110;
    const int editX = 8 + labelW;
    const int editW = 84;
    int y = 22;
    auto field = [&](const QString& caption, const char* name) {
        auto* label = new QLabel(caption, fraEinfuegen);
        label->setGeometry(8, y, labelW, 22);
        auto* edit = new QLineEdit(fraEinfuegen);
        edit->setObjectName(name);
        edit->setGeometry(editX, y, editW, 22);
        y += 26;
        return edit;
    };
    edtInsertPlatz = field("Platz:", "edtInsertPlatz");
    edtInsertStartnummer = field("Startnummer:", "edtInsertStartnummer");
    for (int i = 0; i < 2; ++i) {
        const int timeRow = y;
        edtInsertZeit[i] = field(i == 0 ? "Zeit (brutto):" : "Zeit (netto):",
                                 i == 0 ? "edtInsertZeit_0" : "edtInsertZeit_1");
        edtInsertMillSek[i] = field(i == 0 ? "Millisek. (brutto):" : "Millisek. (netto):",
                                    i == 0 ? "edtInsertMillSek_0" : "edtInsertMillSek_1");
        // Beside the time, pointing down to the milliseconds it fills.
        cmdConvertSek[i] = makeButton(fraEinfuegen, "↓", i == 0 ? "cmdConvertSek_0" : "cmdConvertSek_1");
        cmdConvertSek[i]->setToolTip("Rechnet die eingegebene Zeit in Millisekunden um");
        cmdConvertSek[i]->setGeometry(editX + editW + 4, timeRow, 26, 22);
        connect(cmdConvertSek[i], &QPushButton::clicked, this, [this, i] { cmdConvertSek_Click(i); });
    }
    cmdEinfuegen = makeButton(fraEinfuegen, "Speichern", "cmdEinfuegen");
    cmdEinfuegen->setGeometry(8, y + 4, 104, 28);
    cmdCancel = makeButton(fraEinfuegen, "Abbrechen", "cmdCancel");
    cmdCancel->setGeometry(120, y + 4, 104, 28);
    // Over the right-hand columns and the start-number grid, so that places, start numbers and
    // gross times of the run stay in sight while typing.
    fraEinfuegen->setGeometry(380, 146, 245, y + 40);
    fraEinfuegen->hide();

    connect(cmdInsert, &QPushButton::clicked, this, &frmChronivo::cmdInsert_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmChronivo::cmdCancel_Click);
    connect(cmdEinfuegen, &QPushButton::clicked, this, &frmChronivo::cmdEinfuegen_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmChronivo::cmdDelete_Click);
    connect(cmdKorrektur, &QPushButton::clicked, this, &frmChronivo::cmdKorrektur_Click);
    for (int i = 0; i < 2; ++i) {
        connect(cmdArrows[i], &QPushButton::clicked, this, [this, i] { cmdArrows_Click(i); });
        connect(cmdVerschieben[i], &QPushButton::clicked, this, [this, i] { cmdVerschieben_Click(i); });
    }

    mnuDelTable = new QAction("Erfasste Wertungen löschen", this);
    mnuDelTable->setObjectName("mnuDelTable");
    const QList<QAction*> items = fileMenu->actions();
    fileMenu->insertAction(items.value(items.indexOf(mnuPrintTable) + 1), mnuDelTable);
    connect(mnuDelTable, &QAction::triggered, this, &frmChronivo::mnuDelTable_Click);

    // Typed values are written back when the grid leaves the row, or when the focus leaves
    // the grid, so that nothing typed is lost by clicking elsewhere.
    Data1->setUpdateTarget("Chronvo", "ID");
    for (int c : {GrossTimeColumn, GrossMsColumn})
        Data1->setColumnForeColor(c, Qt::black);
    dbgZeiten->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    connect(dbgZeiten->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmChronivo::dbgZeiten_RowColChange, Qt::QueuedConnection);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (isInside(old, dbgZeiten) && !isInside(now, dbgZeiten))
            QTimer::singleShot(0, this, &frmChronivo::dbgZeiten_RowColChange);
    });
}

void frmChronivo::layoutCorrectionButtons() {
    if (!cmdInsert)
        return;
    const bool shown = mnuExpertMode && mnuExpertMode->isChecked();
    // Expert mode shortens the result button and the grid: the record buttons go below the
    // result button, the two long start-number buttons below the grid.
    const int h = 26;
    int y = cmdWertung->geometry().bottom() + 10;
    for (QPushButton* b : {cmdInsert, cmdDelete, cmdKorrektur, cmdVerschieben[0], cmdVerschieben[1]}) {
        b->setGeometry(8, y, 150, h);
        y += h + 4;
    }
    const int top = dbgZeiten->geometry().bottom() + 4;
    cmdArrows[0]->setGeometry(166, top, 229, h);
    cmdArrows[1]->setGeometry(396, top, 229, h);
    for (QPushButton* b : {cmdInsert, cmdDelete, cmdKorrektur, cmdVerschieben[0], cmdVerschieben[1],
                           cmdArrows[0], cmdArrows[1]})
        b->setVisible(shown);
}

// ----- the insert panel ---------------------------------------------------------------------

void frmChronivo::cmdInsert_Click() {
    fraEinfuegen->raise();
    fraEinfuegen->show();
    edtInsertPlatz->setFocus();
    cmdInsert->setEnabled(false);
}

void frmChronivo::cmdCancel_Click() {
    fraEinfuegen->hide();
    cmdInsert->setEnabled(true);
}

void frmChronivo::cmdConvertSek_Click(int Index) {
    try {
        const qint32 ms = RunCorrection::MillisecondsOfTime(edtInsertZeit[Index]->text());
        edtInsertMillSek[Index]->setText(QString::number(ms));
    } catch (const RuntimeError& e) {
        m_services.dialogs->MsgBox(
            "Die eingegebene Zeit konnte nicht umgerechnet werden!\rFehler: " + e.description(), 16);
    }
}

bool frmChronivo::CheckInsertFields() {
    const RunCorrection::InsertFields fields{edtInsertPlatz->text(),   edtInsertStartnummer->text(),
                                             edtInsertZeit[0]->text(), edtInsertMillSek[0]->text(),
                                             edtInsertZeit[1]->text(), edtInsertMillSek[1]->text()};
    if (RunCorrection::InsertFieldsValid(fields))
        return true;
    m_services.beeper->Beep();
    m_services.dialogs->MsgBox("Fehlerhafte Eingabe! Bitte prüfen!", 64);
    return false;
}

void frmChronivo::cmdEinfuegen_Click() {
    dbgZeiten_RowColChange();
    if (!CheckInsertFields())
        return;
    const RunCorrection::InsertFields fields{edtInsertPlatz->text(),   edtInsertStartnummer->text(),
                                             edtInsertZeit[0]->text(), edtInsertMillSek[0]->text(),
                                             edtInsertZeit[1]->text(), edtInsertMillSek[1]->text()};
    const QString startTime = storedRunStart();
    RunCorrection::InsertOutcome outcome;
    try {
        Database& db = localDatabase();
        outcome =
            RunCorrection::InsertAtPlace(*m_services.local.gwsLocal, db, currentLauf(), fields, startTime);
    } catch (const RuntimeError& e) {
        // Rolled back: neither the move nor the row is stored.
        m_services.dialogs->MsgBox(e.description(), 0);
        edtInsertPlatz->setFocus();
        return;
    }
    if (outcome.placeTaken) {
        if (outcome.moved < 1)
            m_services.dialogs->MsgBox("Verschiebung nicht möglich!", 16);
        else
            m_services.dialogs->MsgBox(QString::number(outcome.moved) + " Datensätze verschoben!", 64);
    }
    if (outcome.inserted >= 1)
        m_services.dialogs->MsgBox("Datensatz erfolgreich gespeichert!", 64);
    edtInsertPlatz->setFocus();
    try {
        RefreshResultViews();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

// ----- deleting -----------------------------------------------------------------------------

void frmChronivo::cmdDelete_Click() {
    dbgZeiten_RowColChange();
    if (Data1->RecordCount() == 0) {
        m_services.dialogs->MsgBox("Kein Datensatz in der Anzeige!", 64);
        return;
    }
    const QModelIndex current = dbgZeiten->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const QString platz = Data1->value(row, "Platzierung").toString();
    const QVariant key = Data1->value(row, "ID");
    const int answer = m_services.dialogs->MsgBox(
        "Datensatz aus Lauf: " + runText() + ", Platz: " + platz + "\rwirklich löschen?", 36);
    if (answer != MsgBoxResult::Yes) {
        dbgZeiten->clearSelection();
        return;
    }
    try {
        // By its key: rows sharing the place (a typing error, an import) stay.
        const long deleted = RunCorrection::DeleteRow(localDatabase(), currentLauf(), key.toLongLong());
        if (deleted < 1)
            m_services.dialogs->MsgBox("Datensatz konnte nicht gelöscht werden!", 16);
        else
            m_services.dialogs->MsgBox("Datensatz gelöscht!", 64);
        RefreshResultViews();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

void frmChronivo::mnuDelTable_Click() {
    const qint32 lauf = currentLauf();
    if (m_services.dialogs->MsgBox("Wirklich die Wertungen von Lauf " + QString::number(lauf) + " löschen ?",
                                   20) != MsgBoxResult::Yes)
        return;
    try {
        QueryDef qd = localDatabase().QueryDefs("pD_Chronvo");
        qd.setParameter("iLaufnummer", lauf);
        qd.Execute(dbFailOnError);
        const long deleted = qd.RecordsAffected();
        qd.Close();
        // The first passes of net-time pass-through go with the results, for every run.
        m_services.settings->DeleteSection(FirstPassSection);
        if (deleted > 0)
            m_services.dialogs->MsgBox(QString::number(deleted) + " Einträge gelöscht !", 64);
    } catch (const RuntimeError& e) {
        // Nothing was deleted: a running run keeps its start time, its first passes and goes on.
        showError(e.number(), e.description());
        return;
    }
    try {
        Data1->Refresh();
        ResultViews::Apply(*Data2, ResultViews::CountPerStartnummer(lauf));
        Data2->Refresh();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
    mnuLaufBeenden_Click();
}

// ----- start numbers moved against the times ------------------------------------------------

void frmChronivo::cmdArrows_Click(int Index) {
    dbgZeiten_RowColChange();
    if (Data1->RecordCount() == 0) {
        m_services.dialogs->MsgBox("Kein Datensatz in der Anzeige!", 64);
        return;
    }
    try {
        Database& db = localDatabase();
        // The rows the grid shows, read in one go.
        Recordset rs = db.OpenRecordset(Data1->RecordSource(), Data1->RecordSourceParameters());
        std::vector<RunCorrection::GridRow> rows;
        rows.reserve(static_cast<size_t>(rs.RecordCount()));
        const int id = rs.FieldNames().indexOf("ID");
        const int platz = rs.FieldNames().indexOf("Platzierung");
        const int startnummer = rs.FieldNames().indexOf("Startnummer");
        for (const QVector<QVariant>& r : rs.rows())
            rows.push_back(
                {r[id].toLongLong(), r[platz].toInt(), static_cast<qint32>(r[startnummer].toLongLong())});
        const QModelIndex current = dbgZeiten->currentIndex();
        const bool selected = dbgZeiten->selectionModel()->hasSelection();
        const RunCorrection::StartnummerShift plan = RunCorrection::PlanStartnummerShift(
            rows, Index == 0 ? RunCorrection::Direction::Down : RunCorrection::Direction::Up,
            current.isValid() ? current.row() : -1, selected);
        // Over the run's whole list the number at the end leaves the run, as the shift is meant
        // to do. The filter and split-time mode show the rows of one start number only, where a
        // shift could do nothing but take that number from one of its results.
        const bool wholeRun = Data1->RecordSource() == ResultViews::ResultList(currentLauf()).sql;
        if (plan.dropped != 0 && !wholeRun) {
            m_services.dialogs->MsgBox("Verschiebung nicht möglich!\rDie Startnummer " +
                                           QString::number(plan.dropped) +
                                           " würde dabei eine Zeit verlieren.",
                                       16);
            return;
        }
        RunCorrection::WriteStartnummern(*m_services.local.gwsLocal, db, plan.writes);

        NoRedraw quiet(dbgZeiten);
        Data1->Refresh();
        Data2->Refresh();
        dbgZeiten->clearSelection();
        if (plan.currentRowAfter >= 0) {
            const QModelIndex after =
                Data1->index(plan.currentRowAfter, current.isValid() ? current.column() : 0);
            dbgZeiten->selectionModel()->setCurrentIndex(after, QItemSelectionModel::NoUpdate);
            dbgZeiten->scrollTo(after);
        }
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

// ----- gross times moved by some seconds ----------------------------------------------------

void frmChronivo::cmdVerschieben_Click(int Index) {
    if (Index == 1) {
        m_services.dialogs->MsgBox("Bitte eine Startnummer auswählen und 'H' oder 'V' drücken!", 64);
        return;
    }
    dbgZeiten_RowColChange();
    const QModelIndexList selected = dbgZeiten->selectionModel()->selectedRows();
    if (selected.size() != 1) {
        m_services.dialogs->MsgBox("Bitte Startzeit auswählen!", 64);
        return;
    }
    const QString answer =
        m_services.dialogs->InputBox("Bitte Zeit in Sekunden angeben! (z.B: 1 oder -1)", "Korrektur", {});
    const qint64 typed = Convert::RoundHalfEven(Convert::Val(answer));
    if (typed == 0)
        return;
    if (typed < std::numeric_limits<qint32>::min() || typed > std::numeric_limits<qint32>::max()) {
        m_services.dialogs->MsgBox("Überlauf", 64);
        return;
    }
    const QModelIndex current = dbgZeiten->currentIndex();
    const int row = current.isValid() ? current.row() : selected.first().row();
    const qint64 fromMs = Data1->value(row, "Millisekunden").toLongLong();
    ShiftRunTimes(static_cast<qint32>(std::clamp<qint64>(fromMs, std::numeric_limits<qint32>::min(),
                                                         std::numeric_limits<qint32>::max())),
                  static_cast<qint32>(typed));
}

void frmChronivo::ShiftRunTimes(qint32 FromMs, qint32 Seconds) {
    try {
        const int found = RunCorrection::ShiftTimes(*m_services.local.gwsLocal, localDatabase(),
                                                    currentLauf(), FromMs, Seconds);
        if (found == 0)
            m_services.dialogs->MsgBox("Keine Daten zum umbuchen gefunden!", 64);
    } catch (const RuntimeError& e) {
        // Rolled back: no row of the run was moved.
        m_services.dialogs->MsgBox(e.description(), 64);
    }
    refreshKeepingCurrentCell();
}

void frmChronivo::refreshKeepingCurrentCell() {
    try {
        const QModelIndex current = dbgZeiten->currentIndex();
        NoRedraw quiet(dbgZeiten);
        Data1->Refresh();
        Data2->Refresh();
        if (current.isValid() && current.row() < Data1->rowCount())
            dbgZeiten->selectionModel()->setCurrentIndex(Data1->index(current.row(), current.column()),
                                                         QItemSelectionModel::NoUpdate);
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
    }
}

// ----- typing into the grid -----------------------------------------------------------------

void frmChronivo::cmdKorrektur_Click() {
    const bool unlock = Data1->columnLocked(GrossTimeColumn);
    if (unlock)
        m_services.dialogs->MsgBox("Achtung: Sie können nun die Zeiten direkt im Gitter ändern!\r"
                                   "Dies geschieht auf eigene Gefahr! Das System wird keine\r"
                                   "Zeitprüfung vornehmen! Bitte lesen Sie dazu den jeweiligen\r"
                                   "Abschnitt im Handbuch!",
                                   64);
    for (int c : {GrossTimeColumn, GrossMsColumn}) {
        Data1->setColumnLocked(c, !unlock);
        Data1->setColumnForeColor(c, unlock ? QColor(Qt::red) : QColor(Qt::black));
    }
}

void frmChronivo::dbgZeiten_RowColChange() {
    if (!Data1 || !Data1->hasPendingEdit())
        return;
    std::vector<QVariantMap> written;
    try {
        written = Data1->Update();
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description());
        // The grid shows again what the table holds.
        try {
            Data1->Refresh();
        } catch (const RuntimeError&) {
        }
        return;
    }
    for (const QVariantMap& row : written)
        dbgZeiten_AfterUpdate(row);
}

void frmChronivo::dbgZeiten_AfterUpdate(const QVariantMap& row) {
    const QString startnummerText = row.value("Startnummer").toString();
    const bool numeric = Convert::IsNumeric(startnummerText);
    const qint64 key = row.value("ID").toLongLong();
    QString grossText = row.value("Wertungstime").toString();
    qint64 grossMs = Convert::ValLong(row.value("Millisekunden").toString());
    qint64 netMs = Convert::ValLong(row.value("MillisekNetto").toString());
    // 1. Start times by start number: gross and net from the wave's start.
    if (chkLaufNrStartzeit->isChecked() && numeric) {
        const double sn = Convert::Val(startnummerText);
        if (sn >= 0 && sn < static_cast<double>(StartZeit.size())) {
            const std::map<qint64, qint32> recomputed = RecalcWertungNetto(static_cast<qint32>(sn));
            const auto it = recomputed.find(key);
            if (it != recomputed.end()) {
                grossMs = netMs = qint64(it->second) * 1000;
                grossText = modChronivo::SecondsToTimeString(it->second);
            }
        }
    }
    // 2. Both views show the row as stored; the current row stays where the user went.
    refreshKeepingCurrentCell();
    // 3. The race program gets the corrected time.
    if (numeric)
        DirektEinbuchen(static_cast<qint32>(Convert::ValLong(startnummerText)), static_cast<qint32>(grossMs));
    // 4. A backup line after every edit, ticked or not.
    WriteLogRecord(lblLogdatei->text(), row.value("Platzierung").toInt(), startnummerText, grossText,
                   QString::number(currentLauf()), static_cast<qint32>(grossMs), static_cast<qint32>(netMs),
                   SystemFormats::ShortDateText(m_services.clock->now().date()) + " " +
                       row.value("Systemtime").toString());
}

std::map<qint64, qint32> frmChronivo::RecalcWertungNetto(qint32 Startnummer) {
    if (Startnummer < 0 || Startnummer >= static_cast<qint32>(StartZeit.size()))
        return {};
    try {
        return RunCorrection::RecalcNet(localDatabase(), currentLauf(), Startnummer,
                                        StartZeit[static_cast<size_t>(Startnummer)]);
    } catch (const RuntimeError&) {
        // A start number without a usable wave start keeps its times.
        return {};
    }
}
