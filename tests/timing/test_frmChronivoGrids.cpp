#include "MainWindowFixture.h"

#include "results/DataControl.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QTableView>
#include <QTest>

namespace {

struct Grids : MainWindowTest {
    void startWithResults(std::initializer_list<const char*> startnummern) {
        start();
        at(10, 0, 0);
        w->cmdStart_Click();
        int s = 1;
        for (const char* sn : startnummern) {
            at(10, 0, s++);
            enter(sn);
        }
    }
    QString style(int row) {
        const QModelIndex cell = w->Data1->index(row, 1);
        const QColor c = w->Data1->data(cell, Qt::BackgroundRole).value<QColor>();
        if (c == QColor(255, 255, 0))
            return "yellow";
        if (c == QColor(255, 0, 0))
            return "red";
        if (c == QColor(0, 255, 0))
            return "green";
        return c.isValid() ? c.name() : "none";
    }
    QStringList shownStartnummern() {
        QStringList out;
        for (int r = 0; r < w->Data1->rowCount(); ++r)
            out << w->Data1->data(w->Data1->index(r, 1)).toString();
        return out;
    }
};

TEST_F(Grids, TheResultGridShowsItsColumnsAndTheNewestRowsAfterEachResult) {
    startWithResults({"7", "8"});
    const QStringList captions{"Platz",        "Stnr.",    "Zeit (brutto)", "Millisek.", "MilliSek (Netto)",
                               "Zeit (netto)", "Eventzeit"};
    ASSERT_EQ(w->Data1->columnCount(), captions.size());
    for (int c = 0; c < captions.size(); ++c)
        EXPECT_EQ(w->Data1->headerData(c, Qt::Horizontal).toString(), captions[c]);
    EXPECT_EQ(w->Data1->rowTexts(1),
              (QStringList{"2", "8", "00:00:02", "2000", "2000", "00:00:02", "10:00:02"}));
    EXPECT_EQ(w->Data2->headerData(0, Qt::Horizontal).toString(), "Startnummer");
    EXPECT_EQ(w->Data2->headerData(1, Qt::Horizontal).toString(), "Anz");
    EXPECT_EQ(w->Data2->rowCount(), 2);

    for (int i = 0; i < 60; ++i)
        enter("9");
    EXPECT_EQ(w->Data1->rowCount(), 62);
    EXPECT_EQ(w->Data2->rowTexts(2), (QStringList{"9", "60"}));
    w->show();
    QCoreApplication::processEvents();
    const QModelIndex newest = w->Data1->index(61, 0);
    EXPECT_TRUE(w->dbgZeiten->viewport()->rect().intersects(w->dbgZeiten->visualRect(newest)));
}

TEST_F(Grids, StartNumberZeroIsYellowAndRepeatsAreRedOnlyWithTheDuplicateTest) {
    startWithResults({"0", "5", "5", "6", "0"});
    EXPECT_EQ(style(0), "yellow");
    EXPECT_EQ(style(1), "green");
    EXPECT_EQ(style(2), "green");

    w->sscStartNr->setChecked(true);
    w->dbgZeiten_KeyUp(40, 0);
    EXPECT_EQ(style(0), "yellow");
    EXPECT_EQ(style(1), "red");
    EXPECT_EQ(style(2), "red");
    EXPECT_EQ(style(3), "green");
    EXPECT_EQ(style(4), "yellow");
}

TEST_F(Grids, InSplitTimeModeEveryStartNumberIsGreenAndZeroIsRed) {
    t->settings().SaveSetting(S, "Triathlonmodus", "-1");
    startWithResults({"5", "5", "5", "5", "0"});
    w->sscStartNr->setChecked(true);
    // The result grid follows the start number timed last; show the whole run.
    w->edtViewStartnummer->setText("5");
    w->edtViewStartnummer_KeyPress(13);
    ASSERT_EQ(w->Data1->rowCount(), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(style(r), "green");
    w->edtViewStartnummer_KeyPress(13);
    ASSERT_EQ(w->Data1->rowCount(), 1);
    EXPECT_EQ(style(0), "red");
    EXPECT_TRUE(w->CheckStartNrCount(5)); // four rows, three allowed
    EXPECT_FALSE(w->CheckStartNrCount(0));
}

TEST_F(Grids, TheFilterTakesTheTypedNumberAsAValueNeverAsSql) {
    startWithResults({"1", "2", "0", "1"});
    w->edtViewStartnummer->setText("1 or 1=1");
    QTest::keyClick(w->edtViewStartnummer, Qt::Key_Return);
    EXPECT_EQ(shownStartnummern(), (QStringList{"1", "1"}));
    EXPECT_EQ(w->edtViewStartnummer->text(), "");

    w->edtViewStartnummer->setText("0; delete from Chronvo");
    w->edtViewStartnummer_KeyPress(13);
    EXPECT_EQ(shownStartnummern(), (QStringList{"0"}));
    EXPECT_EQ(rows().RecordCount(), 4);

    w->edtViewStartnummer_KeyPress(13); // empty: the rows without start number
    EXPECT_EQ(shownStartnummern(), (QStringList{"0"}));

    // The next result sets the whole run again.
    enter("3");
    EXPECT_EQ(w->Data1->rowCount(), 5);
}

TEST_F(Grids, ClickingAStartNumberShowsOnlyItsRows) {
    startWithResults({"4", "2", "4"});
    // Count grid rows: 2 (one row), 4 (two rows).
    w->dbgStartnummern->setCurrentIndex(w->Data2->index(1, 0));
    w->dbgStartnummern_Click();
    EXPECT_EQ(shownStartnummern(), (QStringList{"4", "4"}));
    EXPECT_EQ(w->edtViewStartnummer->text(), "");
}

TEST_F(Grids, InSplitTimeModeAResultShowsTheRowsOfItsStartNumber) {
    t->settings().SaveSetting(S, "Triathlonmodus", "-1");
    startWithResults({"5", "6", "5"});
    EXPECT_EQ(shownStartnummern(), (QStringList{"5", "5"}));
}

TEST_F(Grids, PrintingAnEmptyGridPrintsNothing) {
    start();
    w->mnuPrintTable_Click();
    EXPECT_EQ(t->dialogs().countContaining("Kein Datensatz in der Anzeige!"), 1);
    EXPECT_FALSE(QFile::exists(t->printFile()));
}

TEST_F(Grids, PrintingWritesEveryRowWithThePageHeader) {
    startWithResults({"1", "2"});
    for (int i = 0; i < 150; ++i)
        enter("3");
    EXPECT_EQ(w->dbgZeiten_PrintInitialize(), "Lauf: 1 - Startzeit: 10:00:00");
    w->mnuPrintTable_Click();
    EXPECT_TRUE(t->dialogs().messages().isEmpty()) << t->dialogs().messages().join("|").toStdString();
    QFile pdf(t->printFile());
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // 152 rows do not fit on one page.
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2);
}

TEST_F(Grids, WithoutAPrinterTheTimekeeperIsTold) {
    startWithResults({"1"});
    t->printerAvailable = false;
    w->mnuPrintTable_Click();
    EXPECT_EQ(t->dialogs().countContaining("kein Drucker eingerichtet"), 1);
}

} // namespace
