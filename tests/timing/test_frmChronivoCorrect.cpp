// Correcting a run by hand in the main window: the insert panel, deleting, the start-number and
// time shifts, and typing into the result grid.
#include "MainWindowFixture.h"

#include "platform/Dialogs.h"
#include "results/DataControl.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

struct Correct : MainWindowTest {
    // Run 1 started at 10:00:00, one result per second with these start numbers.
    void startWithResults(std::initializer_list<int> startnummern) {
        start();
        startRunAt(10, 0, 0);
        int s = 1;
        for (int sn : startnummern) {
            at(10, 0, s++);
            enter(QString::number(sn));
        }
    }
    QString startnummern(int lauf = 1) {
        Recordset rs = rows(lauf);
        QStringList out;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
            out << rs.Fields("Platzierung").toString() + ":" + rs.Fields("Startnummer").toString();
        return out.join(' ');
    }
    void fillPanel(const QString& platz, const QString& sn, const QString& zeit, const QString& ms) {
        w->edtInsertPlatz->setText(platz);
        w->edtInsertStartnummer->setText(sn);
        w->edtInsertZeit[0]->setText(zeit);
        w->edtInsertMillSek[0]->setText(ms);
    }
    void selectRow(int row) {
        w->dbgZeiten->selectRow(row);
        QCoreApplication::processEvents();
    }
    // Messages shown since the mark.
    QStringList messagesSince(int mark) { return t->dialogs().messages().mid(mark); }
    int mark() { return static_cast<int>(t->dialogs().messages().size()); }
    QString backupLog() {
        QFile f(t->path("backup.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
};

TEST_F(Correct, TheInsertPanelOpensClosesAndConvertsTimes) {
    start();
    EXPECT_FALSE(w->fraEinfuegen->isVisibleTo(w.get()));
    w->cmdInsert_Click();
    EXPECT_TRUE(w->fraEinfuegen->isVisibleTo(w.get()));
    EXPECT_FALSE(w->cmdInsert->isEnabled());
    EXPECT_EQ(w->cmdConvertSek[1]->toolTip(), "Rechnet die eingegebene Zeit in Millisekunden um");

    w->edtInsertZeit[1]->setText("1:02:03");
    w->cmdConvertSek_Click(1);
    EXPECT_EQ(w->edtInsertMillSek[1]->text(), "3723000");
    w->edtInsertZeit[0]->setText("12:61:00");
    w->edtInsertMillSek[0]->setText("500");
    w->cmdConvertSek_Click(0);
    EXPECT_EQ(w->edtInsertMillSek[0]->text(), "500");
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
    EXPECT_TRUE(t->dialogs().messages().last().startsWith(
        "Die eingegebene Zeit konnte nicht umgerechnet werden!\rFehler: "));

    w->cmdCancel_Click();
    EXPECT_FALSE(w->fraEinfuegen->isVisibleTo(w.get()));
    EXPECT_TRUE(w->cmdInsert->isEnabled());
    EXPECT_EQ(w->edtInsertZeit[1]->text(), "1:02:03"); // kept for the next time
}

TEST_F(Correct, SavingAtATakenPlaceMovesTheLaterPlacesAndAtAFreePlaceMovesNothing) {
    startWithResults({11, 12, 13, 14, 15});
    w->cmdInsert_Click();
    fillPanel("1", "0", "00:00:00", "500");
    int m = mark();
    w->cmdEinfuegen_Click();
    EXPECT_EQ(messagesSince(m),
              (QStringList{"5 Datensätze verschoben!", "Datensatz erfolgreich gespeichert!"}));
    EXPECT_EQ(startnummern(), "1:0 2:11 3:12 4:13 5:14 6:15");
    EXPECT_EQ(w->Data1->rowCount(), 6);
    EXPECT_TRUE(w->fraEinfuegen->isVisibleTo(w.get()));
    EXPECT_EQ(w->edtInsertPlatz->text(), "1");
    Recordset rs = rows();
    EXPECT_EQ(rs.Fields("Systemtime").toString(), "00:00:00");
    EXPECT_EQ(rs.Fields("Starttime").toString(), "10:00:00");

    fillPanel("9", "16", "00:00:09", "9000");
    m = mark();
    w->cmdEinfuegen_Click();
    EXPECT_EQ(messagesSince(m), (QStringList{"Datensatz erfolgreich gespeichert!"}));
    EXPECT_EQ(startnummern(), "1:0 2:11 3:12 4:13 5:14 6:15 9:16");
}

TEST_F(Correct, WrongInsertInputBeepsAndWritesNothing) {
    startWithResults({11});
    for (const auto& [platz, sn, zeit, ms] :
         {std::tuple{"2", "-1", "00:00:02", "2000"}, std::tuple{"0", "5", "00:00:02", "2000"},
          std::tuple{"2", "5", "", "2000"}, std::tuple{"2", "5", "00:00:02", "0"}}) {
        fillPanel(platz, sn, zeit, ms);
        const int beeps = t->beeper().beeps;
        w->cmdEinfuegen_Click();
        EXPECT_EQ(t->beeper().beeps, beeps + 1);
        EXPECT_EQ(t->dialogs().messages().last(), "Fehlerhafte Eingabe! Bitte prüfen!");
    }
    EXPECT_EQ(startnummern(), "1:11");
    // A start number the database refuses: the move is undone with the row, plain box.
    fillPanel("1", "5b", "00:00:02", "2000");
    w->cmdEinfuegen_Click();
    EXPECT_EQ(t->dialogs().shown().back().style, 0);
    EXPECT_EQ(startnummern(), "1:11");
}

TEST_F(Correct, DeletingOneResultLeavesAGapAndNoKeepsEverything) {
    startWithResults({11, 12, 13, 14, 15});
    selectRow(2);
    t->dialogs().planMsgBox(MsgBoxResult::No);
    w->cmdDelete_Click();
    EXPECT_EQ(t->dialogs().shown().back().text, "Datensatz aus Lauf: 1, Platz: 3\rwirklich löschen?");
    EXPECT_EQ(t->dialogs().shown().back().style, 36);
    EXPECT_FALSE(w->dbgZeiten->selectionModel()->hasSelection());
    EXPECT_EQ(startnummern(), "1:11 2:12 3:13 4:14 5:15");

    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->cmdDelete_Click();
    EXPECT_EQ(t->dialogs().messages().last(), "Datensatz gelöscht!");
    EXPECT_EQ(startnummern(), "1:11 2:12 4:14 5:15");
    EXPECT_EQ(w->Data1->rowCount(), 4);

    chooseRun(2);
    w->cmdDelete_Click();
    EXPECT_EQ(t->dialogs().messages().last(), "Kein Datensatz in der Anzeige!");
}

TEST_F(Correct, DeletingOneOfSeveralRowsSharingAPlaceDeletesOnlyThatRow) {
    startWithResults({11, 12, 13});
    t->services().local.gdbLocal->ExecuteSql("UPDATE Chronvo SET Platzierung = 0");
    w->RefreshResultViews();
    selectRow(1);
    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->cmdDelete_Click();
    EXPECT_EQ(t->dialogs().messages().last(), "Datensatz gelöscht!");
    EXPECT_EQ(startnummern(), "0:11 0:13");
}

TEST_F(Correct, DeletingTheRunClearsItsRowsAndEveryFirstPassAndEndsIt) {
    startWithResults({11, 12});
    chooseRun(2);
    startRunAt(10, 0, 0);
    enter("21");
    chooseRun(1);
    t->settings().SaveSetting("DurchlaufmodusMulti", "12", "10:00:00");
    t->dialogs().planMsgBox(MsgBoxResult::No);
    w->mnuDelTable_Click();
    EXPECT_EQ(t->dialogs().shown().back().text, "Wirklich die Wertungen von Lauf 1 löschen ?");
    EXPECT_EQ(t->dialogs().shown().back().style, 20);
    EXPECT_EQ(startnummern(), "1:11 2:12");

    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->mnuDelTable_Click();
    EXPECT_TRUE(t->dialogs().messages().contains("2 Einträge gelöscht !"));
    EXPECT_EQ(startnummern(), "");
    EXPECT_EQ(startnummern(2), "1:21");
    EXPECT_EQ(w->Data1->rowCount(), 0);
    EXPECT_EQ(t->settings().GetSetting("DurchlaufmodusMulti", "12", "<none>"), "<none>");
    EXPECT_EQ(setting("Lauf1Gestartet"), "0");
    EXPECT_FALSE(w->cmdWertung->isEnabled());
}

TEST_F(Correct, ARunWhoseResultsCannotBeDeletedKeepsRunning) {
    startWithResults({11, 12});
    t->settings().SaveSetting("DurchlaufmodusMulti", "12", "10:00:00");
    t->services().local.gdbLocal->ExecuteSql(
        "CREATE TRIGGER keep BEFORE DELETE ON Chronvo BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");
    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->mnuDelTable_Click();
    EXPECT_TRUE(t->dialogs().messages().last().startsWith("Fehler: "));
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
    EXPECT_EQ(startnummern(), "1:11 2:12");
    // The run goes on with its start time and its first passes.
    EXPECT_NE(setting("Lauf1Gestartet"), "0");
    EXPECT_EQ(setting("Lauf1Startzeit").left(8), "10:00:00");
    EXPECT_EQ(t->settings().GetSetting("DurchlaufmodusMulti", "12", "<none>"), "10:00:00");
    EXPECT_TRUE(w->cmdWertung->isEnabled());
}

TEST_F(Correct, StartNumbersMoveAgainstTheTimesAlongTheRowsEvenAfterAGap) {
    startWithResults({7, 3, 9, 0});
    w->cmdArrows_Click(0);
    EXPECT_EQ(startnummern(), "1:0 2:7 3:3 4:9");

    selectRow(0); // place 1, no start number
    w->cmdArrows_Click(1);
    EXPECT_EQ(startnummern(), "1:7 2:3 3:9 4:0");
    EXPECT_FALSE(w->dbgZeiten->selectionModel()->hasSelection());
    EXPECT_EQ(w->dbgZeiten->currentIndex().row(), 3); // the row that now carries 0

    // Place 2 deleted: places 1, 3, 4, 5, 6; place 5 is the fourth row.
    for (int sn : {5, 6}) {
        at(10, 0, 10 + sn);
        enter(QString::number(sn));
    }
    selectRow(1);
    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->cmdDelete_Click();
    ASSERT_EQ(startnummern(), "1:7 3:9 4:0 5:5 6:6");
    selectRow(3); // place 5
    w->cmdArrows_Click(1);
    EXPECT_EQ(startnummern(), "1:7 3:9 4:5 5:6 6:0");
    selectRow(1); // place 3
    w->cmdArrows_Click(0);
    EXPECT_EQ(startnummern(), "1:7 3:7 4:9 5:5 6:6");
    EXPECT_EQ(w->dbgZeiten->currentIndex().row(), 2); // 9 now stands at place 4
    EXPECT_EQ(w->Data2->rowCount(), 4);               // counts follow: 5, 6, 7, 9

    chooseRun(3);
    w->cmdArrows_Click(0);
    EXPECT_EQ(t->dialogs().messages().last(), "Kein Datensatz in der Anzeige!");
}

TEST_F(Correct, OnTheWholeRunTheShiftMovesTheNumbersAndTheOneAtTheEndLeavesTheRun) {
    startWithResults({7, 3, 9});
    const auto shift = [&](int direction, int selected) {
        t->services().local.gdbLocal->ExecuteSql(
            "UPDATE Chronvo SET Startnummer = CASE Platzierung WHEN 1 THEN 7 WHEN 2 THEN 3 ELSE 9 END");
        w->RefreshResultViews();
        w->dbgZeiten->clearSelection();
        if (selected >= 0)
            selectRow(selected);
        w->cmdArrows_Click(direction);
        return startnummern();
    };
    EXPECT_EQ(shift(0, -1), "1:0 2:7 3:3");
    EXPECT_EQ(shift(0, 1), "1:7 2:7 3:3");
    EXPECT_EQ(w->dbgZeiten->currentIndex().row(), 2); // 3, the current row's number, now at place 3
    EXPECT_EQ(shift(1, 1), "1:3 2:9 3:0");
    EXPECT_EQ(w->dbgZeiten->currentIndex().row(), 0);
    EXPECT_EQ(t->dialogs().countContaining("Verschiebung"), 0);
}

TEST_F(Correct, AShiftOverTheRowsOfOneStartNumberIsRefused) {
    startWithResults({101, 103, 102, 103});
    w->edtViewStartnummer->setText("103");
    w->edtViewStartnummer_KeyPress(13);
    ASSERT_EQ(w->Data1->rowCount(), 2);
    const QString refused =
        "Verschiebung nicht möglich!\rDie Startnummer 103 würde dabei eine Zeit verlieren.";
    for (int direction : {0, 1}) {
        const int m = mark();
        w->cmdArrows_Click(direction);
        ASSERT_EQ(messagesSince(m), QStringList{refused});
    }
    EXPECT_EQ(t->dialogs().shown().back().style, 16);
    // Split-time mode shows the rows of the start number being timed.
    t->settings().SaveSetting(S, "Triathlonmodus", "-1");
    w->edtStartnummer->setText("103");
    w->RefreshResultViews();
    ASSERT_EQ(w->Data1->rowCount(), 2);
    const int m = mark();
    w->cmdArrows_Click(0);
    EXPECT_EQ(messagesSince(m), QStringList{refused});
    EXPECT_EQ(startnummern(), "1:101 2:103 3:102 4:103");
    t->settings().SaveSetting(S, "Triathlonmodus", "0");
    w->RefreshResultViews();
    w->cmdArrows_Click(0); // the whole run: the 103 at the last place leaves it
    EXPECT_EQ(startnummern(), "1:0 2:101 3:103 4:102");
}

TEST_F(Correct, TimeShiftNeedsOneSelectedRowAndMovesOnlyThatRunFromItsTime) {
    start();
    startRunAt(10, 0, 0);
    for (int s : {60, 65, 67, 70}) {
        t->clock().setTime(QTime(10, 0, 0).addSecs(s));
        enter(QString::number(s));
    }
    chooseRun(2);
    startRunAt(10, 0, 0);
    t->clock().setTime(QTime(10, 1, 5));
    enter("99");
    chooseRun(1);

    w->cmdVerschieben_Click(0);
    EXPECT_EQ(t->dialogs().messages().last(), "Bitte Startzeit auswählen!");
    w->dbgZeiten->selectionModel()->select(w->Data1->index(0, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    w->dbgZeiten->selectionModel()->select(w->Data1->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    w->cmdVerschieben_Click(0);
    EXPECT_EQ(t->dialogs().messages().last(), "Bitte Startzeit auswählen!");

    selectRow(1); // 65,000 ms
    for (const char* nothing : {"0", "", "0.4"}) {
        t->dialogs().planInputBox(nothing);
        w->cmdVerschieben_Click(0);
    }
    EXPECT_EQ(rows().Fields("Millisekunden").toInt(), 60000);
    t->dialogs().planInputBox("-2");
    w->cmdVerschieben_Click(0);
    QStringList moved;
    Recordset rs = rows();
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
        moved << rs.Fields("Millisekunden").toString() + "/" + rs.Fields("Sekunden").toString() + "/" +
                     rs.Fields("Wertungstime").toString() + "/" + rs.Fields("MillisekNetto").toString();
    EXPECT_EQ(moved, (QStringList{"60000/60/00:01:00/60000", "63000/63/00:01:03/65000",
                                  "65000/65/00:01:05/67000", "68000/68/00:01:08/70000"}));
    Recordset other = rows(2);
    EXPECT_EQ(other.Fields("Millisekunden").toInt(), 65000);
    EXPECT_EQ(w->Data1->rowTexts(1).value(3), "63000");
    EXPECT_TRUE(t->dialogs().allPlansUsed());

    w->cmdVerschieben_Click(1);
    EXPECT_EQ(t->dialogs().messages().last(), "Bitte eine Startnummer auswählen und 'H' oder 'V' drücken!");
}

TEST_F(Correct, SatzAendernUnlocksTheGrossColumnsInRedAndLocksThemAgain) {
    startWithResults({42});
    const QModelIndex ms = w->Data1->index(0, 3);
    EXPECT_FALSE(w->Data1->flags(ms) & Qt::ItemIsEditable);
    w->cmdKorrektur_Click();
    EXPECT_EQ(t->dialogs().countContaining("Achtung: Sie können nun die Zeiten direkt im Gitter ändern!\r"
                                           "Dies geschieht auf eigene Gefahr! Das System wird keine\r"),
              1);
    for (int c = 0; c < 7; ++c) {
        const QModelIndex cell = w->Data1->index(0, c);
        const bool gross = c == 2 || c == 3;
        EXPECT_EQ(bool(w->Data1->flags(cell) & Qt::ItemIsEditable), gross) << c;
        if (gross)
            EXPECT_EQ(w->Data1->data(cell, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    }
    w->cmdKorrektur_Click();
    EXPECT_FALSE(w->Data1->flags(ms) & Qt::ItemIsEditable);
    EXPECT_EQ(w->Data1->data(ms, Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    EXPECT_EQ(t->dialogs().countContaining("Achtung: Sie können"), 1);
}

TEST_F(Correct, AGridEditIsStoredWhenTheRowIsLeftThenBookedAndLoggedWithoutRecompute) {
    t->settings().SaveSetting(S, "Direkteinbuchung", "-1");
    t->settings().SaveSetting(S, "DBDirekt", t->copyRaceDatabase());
    startWithResults({42, 43});
    w->cmdKorrektur_Click();
    w->dbgZeiten->setCurrentIndex(w->Data1->index(0, 3));
    ASSERT_TRUE(w->Data1->setData(w->Data1->index(0, 3), "61000"));
    ASSERT_TRUE(w->Data1->setData(w->Data1->index(0, 2), "00:01:01"));
    EXPECT_EQ(rows().Fields("Millisekunden").toInt(), 1000); // not yet: the row is still current
    w->dbgZeiten->setCurrentIndex(w->Data1->index(1, 3));
    QCoreApplication::processEvents();

    Recordset rs = rows();
    EXPECT_EQ(rs.Fields("Millisekunden").toInt(), 61000);
    EXPECT_EQ(rs.Fields("Wertungstime").toString(), "00:01:01");
    EXPECT_EQ(rs.Fields("MillisekNetto").toInt(), 1000); // no recompute
    EXPECT_EQ(w->dbgZeiten->currentIndex().row(), 1);
    // Booked into the race program, and a backup line although the backup is not ticked.
    EXPECT_EQ(w->m_dbRace->OpenRecordset("select WT_MillSek from WT where WT_StartNr = 42").Fields(0).toInt(),
              61000);
    EXPECT_TRUE(
        backupLog().contains("Platz: 1         Startnummer: 42        Zeit: 00:01:01  ;61000;1000;42  "))
        << backupLog().toStdString();

    // A value the table refuses is reported and the grid shows the stored row again.
    w->Data1->setData(w->Data1->index(1, 3), "zwei");
    w->dbgZeiten_RowColChange();
    EXPECT_TRUE(t->dialogs().messages().last().startsWith("Fehler: "));
    EXPECT_EQ(w->Data1->rowTexts(1).value(3), "2000");
}

TEST_F(Correct, TypedIntoTheGridTheRowIsStoredWhenTheCursorLeavesIt) {
    startWithResults({42, 43});
    w->show();
    QApplication::setActiveWindow(w.get());
    w->dbgZeiten->setFocus();
    w->dbgZeiten->setCurrentIndex(w->Data1->index(0, 3));
    QTest::keyClicks(w->dbgZeiten, "4"); // locked: no editor opens
    EXPECT_EQ(QApplication::focusWidget(), w->dbgZeiten);
    EXPECT_EQ(w->Data1->rowTexts(0).value(3), "1000");

    w->cmdKorrektur_Click();
    w->dbgZeiten->setFocus();
    w->dbgZeiten->edit(w->Data1->index(0, 3));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, w->dbgZeiten);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "61000");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(rows().Fields("Millisekunden").toInt(), 1000);
    QTest::keyClick(w->dbgZeiten, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(rows().Fields("Millisekunden").toInt(), 61000);
    EXPECT_EQ(w->dbgZeiten->currentIndex().row(), 1);

    // Leaving the grid for another control stores the row too.
    w->dbgZeiten->edit(w->Data1->index(1, 3));
    editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "62000");
    w->edtViewStartnummer->setFocus();
    QCoreApplication::processEvents();
    Recordset rs = rows();
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("Millisekunden").toInt(), 62000);
}

TEST_F(Correct, AGridEditBeyondThe32BitMillisecondsIsRefusedAndNothingIsWritten) {
    startWithResults({42});
    w->show();
    QApplication::setActiveWindow(w.get());
    w->cmdKorrektur_Click();
    for (const char* typed : {"2147483648", "-2147483649", "99999999999"}) {
        w->dbgZeiten->setFocus();
        w->dbgZeiten->edit(w->Data1->index(0, 3));
        QCoreApplication::processEvents();
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, w->dbgZeiten);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor commits
        w->dbgZeiten_RowColChange();
        QCoreApplication::processEvents(); // the box
        EXPECT_EQ(t->dialogs().messages().last(), "Fehler: 6 - Überlauf") << typed;
        EXPECT_EQ(rows().Fields("Millisekunden").toLongLong(), 1000) << typed;
        EXPECT_EQ(w->Data1->rowTexts(0).value(3), "1000") << typed;
    }
    EXPECT_FALSE(backupLog().contains("Platz:"));
}

TEST_F(Correct, AGridEditWithStartTimesByNumberRecomputesFromTheWave) {
    startWithResults({12, 13});
    w->chkLaufNrStartzeit->setChecked(true); // reloads the wave table, which is empty
    w->StartZeit[12] = "10:00:05";
    w->cmdKorrektur_Click();
    w->dbgZeiten->setCurrentIndex(w->Data1->index(0, 3));
    w->Data1->setData(w->Data1->index(0, 3), "61000");
    w->dbgZeiten_RowColChange();
    Recordset rs = rows();
    EXPECT_EQ(rs.Fields("Millisekunden").toInt(), 56000);
    EXPECT_EQ(rs.Fields("MillisekNetto").toInt(), 56000);
    EXPECT_EQ(rs.Fields("Wertungstime").toString(), "00:00:56");
    EXPECT_EQ(rs.Fields("ZeitNetto").toString(), "00:00:56");
    EXPECT_EQ(rs.Fields("Starttime").toString(), "10:00:05");
    EXPECT_TRUE(backupLog().contains("Zeit: 00:00:56  ;56000;56000;12  ")) << backupLog().toStdString();

    // Start number 13 has no wave: its edit is stored as typed.
    w->Data1->setData(w->Data1->index(1, 3), "7000");
    w->dbgZeiten_RowColChange();
    rs = rows();
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("Millisekunden").toInt(), 7000);
    EXPECT_EQ(rs.Fields("Starttime").toString(), "10:00:00");
}

TEST_F(Correct, TheMaintenanceButtonsShowInExpertModeAndTheMenuItemAlways) {
    start();
    EXPECT_FALSE(w->cmdInsert->isVisibleTo(w.get()));
    t->dialogs().planMsgBox(MsgBoxResult::Yes);
    w->mnuExpertMode_Click();
    for (QPushButton* b : {w->cmdInsert, w->cmdDelete, w->cmdKorrektur, w->cmdArrows[0], w->cmdArrows[1],
                           w->cmdVerschieben[0], w->cmdVerschieben[1]}) {
        EXPECT_TRUE(b->isVisibleTo(w.get())) << b->objectName().toStdString();
        // In the room the shorter result button and grid leave, clear of the end button.
        EXPECT_FALSE(b->geometry().intersects(w->cmdWertung->geometry()));
        EXPECT_FALSE(b->geometry().intersects(w->dbgZeiten->geometry()));
        EXPECT_FALSE(b->geometry().intersects(w->cmdEnde->geometry()));
    }
    EXPECT_EQ(w->mnuDelTable->text(), "Erfasste Wertungen löschen");
}

} // namespace
