// The tabs "Erfassen" and "Prüfen": the transponder assignment list and the check of a tag.
#include "readers/ReaderConsole.h"

#include "core/Convert.h"
#include "core/TransponderLookup.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include "readers/AssignmentFile.h"
#include "readers/TransponderData.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

void ReaderConsole::refreshAssignments() {
    dataTransponder->Refresh();
}

void ReaderConsole::showCurrentAssignment() {
    edtTransponder->setText(dataTransponder->currentField(QStringLiteral("TransponderID")));
    edtStartnummer->setText(dataTransponder->currentField(QStringLiteral("Startnummer")));
    const int row = dataTransponder->currentRow();
    if (!dataTransponder->isAddingNew() && row >= 0) {
        dbgTransponder->setCurrentIndex(dataTransponder->index(row, 0));
        dbgTransponder->scrollTo(dataTransponder->index(row, 0));
    } else {
        dbgTransponder->clearSelection();
    }
}

void ReaderConsole::cmdNeu_Click() {
    try {
        dataTransponder->AddNew();
        edtStartnummer->setText(QString::number(qint64(m_lastStartnummer) + 1));
        edtStartnummer->setFocus();
    } catch (const RuntimeError& e) {
        m_services.dialogs->MsgBox(e.description(), MsgBoxStyle::OkOnly);
    }
}

void ReaderConsole::cmdSpeichern_Click() {
    // A number the consoles cannot book would make an assignment that never books its runner.
    const QString typed = edtStartnummer->text();
    const std::optional<int> startnummer = AssignmentFile::StartnummerOf(typed);
    if (!startnummer && Convert::IsNumeric(typed)) {
        m_services.dialogs->MsgBox(QStringLiteral("Bitte nur Startnummern von 0 bis 10000 eingeben!"),
                                   MsgBoxStyle::Information);
        edtStartnummer->setFocus();
        edtStartnummer->selectAll();
        return;
    }
    try {
        // Taken before the row is written, so that a refused row still counts for "&Neu". Text
        // that is no number at all fails here, so the number below is one StartnummerOf took.
        m_lastStartnummer = static_cast<qint32>(wholeNumber(typed, 0, DebounceTable::MaxStartnummer));
        dataTransponder->Update(edtTransponder->text(), QString::number(*startnummer));
        refreshAssignments();
        dataTransponder->MoveLast();
        cmdNeu->setFocus();
    } catch (const RuntimeError& e) {
        if (e.number() == RuntimeError::DuplicateKey) {
            m_services.dialogs->MsgBox(QStringLiteral("Transponder wurde schon erfasst!"),
                                       MsgBoxStyle::Information);
            edtTransponder->clear();
            edtTransponder->setFocus();
        } else {
            m_services.dialogs->MsgBox(QStringLiteral("%1 %2").arg(e.number()).arg(e.description()),
                                       MsgBoxStyle::Critical);
        }
    }
}

void ReaderConsole::cmdLoeschen_Click() {
    try {
        dataTransponder->Delete();
        refreshAssignments();
        edtStartnummer->clear();
        edtTransponder->clear();
        cmdNeu->setFocus();
    } catch (const RuntimeError& e) {
        m_services.dialogs->MsgBox(e.description(), MsgBoxStyle::OkOnly);
    }
}

void ReaderConsole::edtStartnummer_KeyPress(int KeyAscii) {
    if (KeyAscii == 13)
        edtTransponder->setFocus();
}

void ReaderConsole::edtTransponder_KeyPress(int KeyAscii) {
    if (KeyAscii == 13)
        cmdSpeichern_Click();
}

void ReaderConsole::cmdErase_Click() {
    Dialogs& dialogs = *m_services.dialogs;
    if (dialogs.MsgBox(QStringLiteral("Transponderdaten wirklick löschen?"),
                       MsgBoxStyle::YesNo | MsgBoxStyle::Information) != MsgBoxResult::Yes)
        return;
    try {
        QueryDef query = m_services.local.database().QueryDefs("pD_Transponder");
        query.setParameter("iTransponderID", QStringLiteral("0"));
        query.Execute(dbFailOnError);
        if (query.RecordsAffected() < 1)
            dialogs.MsgBox(QStringLiteral("Daten konnte nicht gelöscht werden!"), MsgBoxStyle::Critical);
        else
            dialogs.MsgBox(QStringLiteral("Daten gelöscht!"), MsgBoxStyle::Information);
        query.Close();
        refreshAssignments();
    } catch (const RuntimeError& e) {
        dialogs.MsgBox(QStringLiteral("Fehler: %1 - %2").arg(e.number()).arg(e.description()),
                       MsgBoxStyle::Critical);
    }
}

void ReaderConsole::cmdExport_Click() {
    Dialogs& dialogs = *m_services.dialogs;
    if (dataTransponder->rowCount() == 0) {
        dialogs.MsgBox(QStringLiteral("Keine Daten für den Export!"), MsgBoxStyle::Information);
        return;
    }
    if (!dialogs.ShowSave(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
        return;
    try {
        AssignmentFile::Export(m_services.local.database(), CoDi1.fileName);
        dialogs.MsgBox(QStringLiteral("Transponderdaten exportiert!"), MsgBoxStyle::Information);
    } catch (const RuntimeError& e) {
        dialogs.MsgBox(e.description(), MsgBoxStyle::OkOnly);
    }
}

void ReaderConsole::cmdImport_Click() {
    Dialogs& dialogs = *m_services.dialogs;
    if (!dialogs.ShowOpen(CoDi1) || CoDi1.fileName.trimmed().isEmpty())
        return;
    try {
        const AssignmentFile::ImportResult result = AssignmentFile::Import(
            m_services.local.database(), CoDi1.fileName, m_profile.importSkipsBlankLines);
        if (result.error) {
            // The lines before the failing one stay inserted; the list shows them.
            refreshAssignments();
            QString text = result.error->description();
            if (m_profile.importNamesFailingLine)
                text += QStringLiteral("\rTransponder: ") + result.failingId + QStringLiteral(" StartNr. ") +
                        result.failingStartnummer;
            dialogs.MsgBox(text, MsgBoxStyle::OkOnly);
            return;
        }
        dialogs.MsgBox(QStringLiteral("Transponderdaten importiert!"), MsgBoxStyle::Information);
        refreshAssignments();
    } catch (const RuntimeError& e) {
        dialogs.MsgBox(e.description(), MsgBoxStyle::OkOnly);
    }
}

void ReaderConsole::edtPruefRFID_KeyPress(int KeyAscii) {
    if (KeyAscii != 13)
        return;
    try {
        const QString n =
            modChronivo::GetStartnummerByTransponder(m_services.local.database(), edtPruefRFID->text());
        edtPruefStartnummer->setText(n.isEmpty() ? QStringLiteral("???") : n);
    } catch (const RuntimeError& e) {
        m_services.dialogs->MsgBox(QStringLiteral("Fehler: %1 - %2").arg(e.number()).arg(e.description()),
                                   MsgBoxStyle::Critical);
    }
}
