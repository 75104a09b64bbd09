// The transponder assignment table: the lookup rule, the tabs "Erfassen" and "Prüfen", and the
// assignment file.
#include "ReaderTestSupport.h"

#include "core/TransponderLookup.h"
#include "readers/AssignmentFile.h"
#include "readers/TransponderData.h"
#include "support/ErrorOf.h"

#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

struct Assignments : ConsoleTest {
    QString lookup(const QString& id) {
        return modChronivo::GetStartnummerByTransponder(*t.services().local.gdbLocal, id);
    }
    int rows() {
        QueryDef q = t.services().local.gdbLocal->QueryDefs("pS_TransponderGetAllValues");
        q.setParameter("iTransponderID", "0");
        return q.OpenRecordset().RecordCount();
    }
    void writeFile(const QString& name, const QByteArray& text) {
        QFile f(t.path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
};

TEST_F(Assignments, TheLookupPrefersTheTableAndElseTakesANumericIdBelow10000) {
    assign("A-1", 0);
    assign("0000000000000000000000777", 12000);
    EXPECT_EQ(lookup(QString(22, '0') + "123"), "123");
    EXPECT_EQ(lookup("9999"), "9999");
    EXPECT_EQ(lookup("10000"), "0");
    EXPECT_EQ(lookup("B17"), "0");
    EXPECT_EQ(lookup("A-1"), "0");
    EXPECT_EQ(lookup("0000000000000000000000777"), "12000");
}

TEST_F(Assignments, NewProposesTheNextNumberAndSaveStoresTheRow) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.cmdNeu_Click();
    EXPECT_EQ(c.edtStartnummer->text(), "1");
    c.edtStartnummer->setText("41");
    c.edtTransponder->setText("T41");
    c.edtTransponder_KeyPress(13);
    EXPECT_EQ(lookup("T41"), "41");
    EXPECT_EQ(c.dataTransponder->rowCount(), 1);
    c.cmdNeu_Click();
    EXPECT_EQ(c.edtStartnummer->text(), "42");
    EXPECT_EQ(c.edtTransponder->text(), "");

    // An ID that has a row already: the message, the ID box emptied, the number counted.
    c.edtStartnummer->setText("50");
    c.edtTransponder->setText("T41");
    c.cmdSpeichern_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Transponder wurde schon erfasst!");
    EXPECT_EQ(c.edtTransponder->text(), "");
    EXPECT_EQ(rows(), 1);
    // The refused number counts all the same: "&Neu" offers the one after it.
    c.cmdNeu_Click();
    EXPECT_EQ(c.edtStartnummer->text(), "51");
    c.edtStartnummer->setText("50");
    // The new record is still being made: another ID stores it.
    c.edtTransponder->setText("T50");
    c.cmdSpeichern_Click();
    EXPECT_EQ(lookup("T50"), "50");
    c.cmdNeu_Click();
    EXPECT_EQ(c.edtStartnummer->text(), "51");

    // A start number that is no number is refused with its error.
    c.edtStartnummer->setText("x");
    c.edtTransponder->setText("T99");
    c.cmdSpeichern_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "13 Typen unverträglich");
    EXPECT_EQ(t.dialogs().shown().back().style, MsgBoxStyle::Critical);
    EXPECT_EQ(rows(), 2);
}

TEST_F(Assignments, TheCaptureRunsAtTheKeyboard) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.show();
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabErfassen);
    c.cmdNeu_Click();
    c.edtStartnummer->setText("7");
    c.edtTransponder->setText("T7");
    QTest::keyClick(c.edtTransponder, Qt::Key_Return);
    ASSERT_EQ(lookup("T7"), "7");
    // Save leaves the focus on "&Neu": Enter starts the next assignment.
    ASSERT_EQ(c.focusWidget(), static_cast<QWidget*>(c.cmdNeu));
    EXPECT_EQ(c.edtStartnummer->text(), "7"); // the Enter of the save pressed nothing else
    QTest::keyClick(c.cmdNeu, Qt::Key_Return);
    EXPECT_EQ(c.edtStartnummer->text(), "8");
    EXPECT_EQ(rows(), 1);
}

TEST_F(Assignments, DeleteRemovesTheCurrentRowAndDeleteAllAsksFirst) {
    assign("T1", 1);
    assign("T2", 2);
    ReaderConsole& c = open(ReaderKind::Motorola);
    EXPECT_EQ(c.edtTransponder->text(), "T1");
    c.dataTransponder->setCurrentRow(1);
    EXPECT_EQ(c.edtStartnummer->text(), "2");
    c.cmdLoeschen_Click();
    EXPECT_EQ(lookup("T2"), "0");
    EXPECT_EQ(c.edtTransponder->text(), "");
    EXPECT_EQ(c.dataTransponder->rowCount(), 1);

    t.dialogs().planMsgBox(MsgBoxResult::No);
    c.cmdErase_Click();
    EXPECT_EQ(rows(), 1);
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    c.cmdErase_Click();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(t.dialogs().messages().last(), "Daten gelöscht!");
    EXPECT_EQ(c.dataTransponder->rowCount(), 0);
    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    c.cmdErase_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Daten konnte nicht gelöscht werden!");
}

TEST_F(Assignments, TheCheckTabShowsTheStartNumberOrQuestionMarks) {
    assign("T5", 5);
    QueryDef q = t.services().local.gdbLocal->QueryDefs("pI_Transponder");
    q.setParameter("iTransponderID", "EMPTY");
    q.setParameter("iStartnummer", QVariant());
    q.Execute();
    ReaderConsole& c = open(ReaderKind::SerialReader);
    for (const auto& [id, shown] : std::vector<std::pair<QString, QString>>{
             {"T5", "5"}, {"0000123", "123"}, {"EMPTY", "???"}, {"X9", "0"}}) {
        c.edtPruefRFID->setText(id);
        c.edtPruefRFID_KeyPress(13);
        EXPECT_EQ(c.edtPruefStartnummer->text(), shown) << id.toStdString();
    }
    EXPECT_EQ(rows(), 2);
}

TEST_F(Assignments, ExportThenImportRestoresTheAssignments) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.cmdExport_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Keine Daten für den Export!");

    assign("0000000000000000000000456", 17);
    assign("T2", 2);
    c.dataTransponder->Refresh();
    const QString file = t.path("assign.txt");
    t.dialogs().planFile(file);
    c.cmdExport_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Transponderdaten exportiert!");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("0000000000000000000000456|17\r\nT2|2\r\n"));

    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    c.cmdErase_Click();
    t.dialogs().planFile(file);
    c.cmdImport_Click();
    EXPECT_EQ(t.dialogs().messages().last(), "Transponderdaten importiert!");
    EXPECT_EQ(lookup("0000000000000000000000456"), "17");
    EXPECT_EQ(lookup("T2"), "2");
    EXPECT_EQ(c.dataTransponder->rowCount(), 2);
}

TEST_F(Assignments, AnImportStopsAtTheFirstFailingLineAndKeepsTheLinesBefore) {
    writeFile("dup.txt", "A|1\r\nB|2|extra\r\nA|3\r\nC|4\r\n");
    ReaderConsole& c = open(ReaderKind::Mercury);
    t.dialogs().planFile(t.path("dup.txt"));
    c.cmdImport_Click();
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(lookup("B"), "2");
    EXPECT_TRUE(t.dialogs().messages().last().startsWith("Die Änderungen wurden nicht durchgeführt"));
    EXPECT_EQ(c.dataTransponder->rowCount(), 2);

    // frmMotorola names the failing line, and passes over blank lines that stop the others.
    writeFile("blank.txt", "D|5\r\n  \r\nE|6\r\nA|7\r\n");
    ReaderConsole& m = open(ReaderKind::Motorola);
    t.dialogs().planFile(t.path("blank.txt"));
    m.cmdImport_Click();
    EXPECT_EQ(lookup("E"), "6");
    EXPECT_TRUE(t.dialogs().messages().last().endsWith("\rTransponder: A StartNr. 7"));
    ReaderConsole& r = open(ReaderKind::RFID);
    writeFile("blank2.txt", "F|8\r\n\r\nG|9\r\n");
    t.dialogs().planFile(t.path("blank2.txt"));
    r.cmdImport_Click();
    EXPECT_EQ(lookup("F"), "8");
    EXPECT_EQ(lookup("G"), "0");
    EXPECT_EQ(t.dialogs().messages().last(), "Index außerhalb des gültigen Bereichs");
}

TEST_F(Assignments, OnlyStartNumbersThatCanBeBookedAreAssigned) {
    ReaderConsole& c = open(ReaderKind::RFID);
    for (const QString& number : {"10001", "-1", "12.5", "99999999999"}) {
        c.cmdNeu_Click();
        c.edtStartnummer->setText(number);
        c.edtTransponder->setText("T" + number);
        c.cmdSpeichern_Click();
    }
    EXPECT_EQ(t.dialogs().countContaining("Bitte nur Startnummern von 0 bis 10000 eingeben!"), 4);
    EXPECT_EQ(rows(), 0);
    c.edtStartnummer->setText("10000");
    c.edtTransponder->setText("T10000");
    c.cmdSpeichern_Click();
    EXPECT_EQ(lookup("T10000"), "10000");
    // A refused number does not count for "&Neu".
    c.cmdNeu_Click();
    EXPECT_EQ(c.edtStartnummer->text(), "10001");

    // The import stops at such a line and names it; the lines before stay.
    writeFile("big.txt", "A|1\r\nB|10001\r\nC|3\r\n");
    t.dialogs().planFile(t.path("big.txt"));
    c.cmdImport_Click();
    EXPECT_EQ(t.dialogs().countContaining("Startnummer nicht zwischen 0 und 10000 in Zeile 2: B|10001"), 1);
    EXPECT_EQ(lookup("A"), "1");
    EXPECT_EQ(lookup("B"), "0");
    EXPECT_EQ(rows(), 2);

    // A tag is not written with a number that could not be booked.
    c.edtWriteText->setText("10001");
    c.cmdTransponderWrite_Click();
    EXPECT_FALSE(c.isWritePending());
    EXPECT_EQ(t.dialogs().countContaining("Startnummer von 0 bis 10000 eingeben!"), 1);
}

TEST_F(Assignments, TheListShowsTheEndOfALongIdWhereTagsDiffer) {
    for (const QString& id : {"A", "2801170000000000000000001", "2801170000000000000000002"})
        assign(id, 1 + rows());
    ReaderConsole& c = open(ReaderKind::RFID);
    c.show();
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabErfassen);
    c.dbgTransponder->setColumnWidth(0, c.dbgTransponder->fontMetrics().horizontalAdvance("2801170000"));
    const auto shown = [&](int row) {
        const QModelIndex cell = c.dataTransponder->index(row, 0);
        return c.dbgTransponder->viewport()->grab(c.dbgTransponder->visualRect(cell)).toImage();
    };
    EXPECT_NE(shown(1), shown(2));
}

TEST_F(Assignments, AFailedExportLeavesNoHalfFile) {
    t.services().local.gdbLocal->Close();
    const QString file = t.path("broken.txt");
    EXPECT_NE(errorNumberOf([&] { AssignmentFile::Export(*t.services().local.gdbLocal, file); }), 0);
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
