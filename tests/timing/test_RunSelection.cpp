#include "MainWindowFixture.h"
#include "timing/MainWindowReaderLink.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct RunSelection : MainWindowTest {
    void SetUp() override { start(); }

    // Types into the selector and presses Enter, as a timekeeper would.
    void typeRun(const QString& text) {
        QLineEdit* edit = w->cboLaufnummer->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    int switchWarnings() const {
        return t->dialogs().countContaining("Alle neuen Wertung werden für den Lauf");
    }
    int refusals() const { return t->dialogs().countContaining("Bitte einen Lauf von 1 bis 10 wählen!"); }

    // Keys of the window's section that name a run other than 1 to 10.
    QStringList keysOfRunsOutsideOneToTen() {
        t->settings().sync();
        QSettings ini(t->settings().location(), QSettings::IniFormat);
        ini.beginGroup(S);
        static const QRegularExpression runKey("^Lauf(?!Nr)(.*?)(Gestartet|Startzeit|Startdauer)$");
        static const QRegularExpression goodRun("^([1-9]|10)$");
        QStringList bad;
        for (const QString& key : ini.childKeys()) {
            const auto m = runKey.match(key);
            if (m.hasMatch() && !goodRun.match(m.captured(1)).hasMatch())
                bad << key;
        }
        return bad;
    }
};

TEST_F(RunSelection, TypedRunsOutsideOneToTenAreRefusedAndNeverAddedAsItems) {
    for (const QString typed : {"11", "0", "abc", "-3", "2.5"}) {
        typeRun(typed);
        EXPECT_EQ(w->cboLaufnummer->count(), 10) << typed.toStdString();
        EXPECT_EQ(w->cboLaufnummer->currentText(), "1") << typed.toStdString();
        EXPECT_EQ(w->runText(), "1");
    }
    EXPECT_EQ(refusals(), 5);
    EXPECT_EQ(switchWarnings(), 0);

    // Run 1 is still the one timed, under its own keys.
    startRunAt(10, 0, 0);
    at(10, 1, 0);
    enter("7");
    EXPECT_EQ(rows(1).RecordCount(), 1);
    EXPECT_EQ(rows(11).RecordCount(), 0);
    EXPECT_EQ(setting("Lauf1Gestartet"), "1");
    EXPECT_TRUE(keysOfRunsOutsideOneToTen().isEmpty()) << keysOfRunsOutsideOneToTen().join(",").toStdString();
}

TEST_F(RunSelection, ATypedRunOrAChosenItemSwitchesOnceWithOneWarning) {
    typeRun("3");
    EXPECT_EQ(switchWarnings(), 1);
    EXPECT_EQ(w->runText(), "3");
    EXPECT_EQ(w->currentLauf(), 3);
    EXPECT_EQ(w->lblZeitenCaption->text(), "Lauf 3");
    // Leaving the field afterwards chooses nothing again.
    w->edtViewStartnummer->setFocus();
    w->cboLaufnummer->lineEdit()->setFocus();
    w->edtViewStartnummer->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(switchWarnings(), 1);

    // Blanks and a leading zero still name run 4.
    typeRun(" 04");
    EXPECT_EQ(switchWarnings(), 2);
    EXPECT_EQ(w->runText(), "4");
    EXPECT_EQ(w->cboLaufnummer->currentText(), "4");

    // Picking the second line of the list with the mouse.
    w->cboLaufnummer->showPopup();
    QAbstractItemView* list = w->cboLaufnummer->view();
    const QRect line = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    QCoreApplication::processEvents();
    EXPECT_EQ(switchWarnings(), 3);
    EXPECT_EQ(w->runText(), "2");
    EXPECT_EQ(w->cboLaufnummer->currentText(), "2");
    EXPECT_EQ(w->cboLaufnummer->count(), 10);

    startRunAt(9, 0, 0);
    EXPECT_EQ(setting("Lauf2Startzeit"), "09:00:00");
    EXPECT_TRUE(keysOfRunsOutsideOneToTen().isEmpty()) << keysOfRunsOutsideOneToTen().join(",").toStdString();
}

TEST_F(RunSelection, TextBeingTypedIsNoRunForResultsOrKeys) {
    startRunAt(10, 0, 0);
    // Typed but not yet entered: a result handed over meanwhile still belongs to run 1.
    w->cboLaufnummer->lineEdit()->setText("12");
    at(10, 2, 0);
    enter("5");
    EXPECT_EQ(rows(1).RecordCount(), 1);
    EXPECT_EQ(rows(12).RecordCount(), 0);
    w->mnuLaufBeenden_Click();
    w->cmdStart_Click();
    EXPECT_EQ(setting("Lauf1Gestartet"), "1");
    EXPECT_TRUE(keysOfRunsOutsideOneToTen().isEmpty()) << keysOfRunsOutsideOneToTen().join(",").toStdString();
}

TEST_F(RunSelection, AReadArrivingWhileTheSwitchIsAskedIsTakenForTheRunningRun) {
    startRunAt(10, 0, 0);
    MainWindowReaderLink link(*w);
    RealBoxes& boxes = showBoxesForReal();
    bool taken = false;
    boxes.whileOpen = [&] { taken = link.handOverStartnummer("31", QDateTime()); };
    at(10, 2, 0);
    typeRun("2");
    EXPECT_TRUE(taken);
    ASSERT_EQ(rows(1).RecordCount(), 1);
    EXPECT_EQ(rows(1).Fields("Startnummer").toInt(), 31);
    EXPECT_EQ(w->runText(), "2");
    EXPECT_EQ(switchWarnings(), 1);
    // Run 2 has no start: a result handed over now makes no row and says so.
    EXPECT_FALSE(link.handOverStartnummer("32", QDateTime()));
    EXPECT_EQ(rows(2).RecordCount(), 0);
}

TEST_F(RunSelection, TheListShowsRunNumberAndRunNameInTwoColumns) {
    auto* view = qobject_cast<QTableView*>(w->cboLaufnummer->view());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(w->cboLaufnummer->model()->columnCount(), 2);
    EXPECT_FALSE(view->isColumnHidden(0));
    EXPECT_FALSE(view->isColumnHidden(1));
    EXPECT_EQ(w->cboLaufnummer->model()->index(4, 0).data().toString(), "5");
    // The field itself shows the number only.
    EXPECT_EQ(w->cboLaufnummer->currentText(), "1");
}

TEST_F(RunSelection, TheRunNamesColumnIsWideEnoughForTheNames) {
    w.reset();
    t = std::make_unique<TestServices>();
    t->settings().SaveSetting(S, "Direkteinbuchung", "-1");
    t->settings().SaveSetting(S, "DBDirekt", t->copyRaceDatabase());
    start();
    auto* view = qobject_cast<QTableView*>(w->cboLaufnummer->view());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(runItem(0), "1;Hauptlauf 10 km");
    const int needed = view->fontMetrics().horizontalAdvance("Hauptlauf 10 km");
    EXPECT_GE(view->columnWidth(1), needed);
    EXPECT_GE(view->minimumWidth(), view->columnWidth(0) + view->columnWidth(1));
}

// Alt plus a letter: the menus of the menu bar and the visible buttons with that mnemonic.
QStringList holdersOfMnemonic(frmChronivo& w, QChar letter) {
    const auto mnemonic = [](const QString& text) {
        const int at = text.indexOf('&');
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
    };
    QStringList holders;
    for (QAction* menu : w.menuBar()->actions())
        if (mnemonic(menu->text()) == letter.toLower())
            holders << menu->text();
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (!b->isHidden() && mnemonic(b->text()) == letter.toLower())
            holders << b->text();
    return holders;
}

TEST_F(RunSelection, AltLReachesOnlyTheTwoStartButtonsAndTheRunMenuHasItsOwnKey) {
    const QStringList l = holdersOfMnemonic(*w, 'L');
    EXPECT_EQ(l, QStringList({"&Lauf starten", "&Lauf mit Startzeitvorgabe starten"}))
        << l.join("|").toStdString();
    QMenu* runMenu = w->findChild<QMenu*>("mnuLauf");
    ASSERT_NE(runMenu, nullptr);
    const QString title = runMenu->title();
    const int at = title.indexOf('&');
    ASSERT_GE(at, 0) << title.toStdString();
    EXPECT_EQ(holdersOfMnemonic(*w, title[at + 1]), QStringList{title});
}

struct NoDatabase : MainWindowTest {
    void SetUp() override {
        t = std::make_unique<TestServices>(false);
        start();
    }
};

TEST_F(NoDatabase, NothingThatStartsOrTimesARunCanBeUsed) {
    ASSERT_GE(t->dialogs().countContaining("Fehler: "), 1);
    for (QWidget* c : std::initializer_list<QWidget*>{w->cmdStart, w->cmdStartVorgabe, w->cmdAutoStart,
                                                      w->cmdDurchlauf, w->edtStartnummer, w->cmdWertung})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w->mnuSetStartTime->isEnabled());
    // Called directly (the countdown starter presses the start button), nothing starts either.
    w->cmdStart_Click();
    w->cmdDurchlauf_Click();
    w->mnuLaufBeenden_Click();
    w->Form_Activate();
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_FALSE(w->cmdStart->isEnabled());
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    EXPECT_EQ(setting("LaufGestartet"), "<none>");
    EXPECT_EQ(setting("LaufStartzeit"), "<none>");
    EXPECT_EQ(setting("Lauf1Gestartet"), "<none>");
}

struct WaveRows : MainWindowTest {};

TEST_F(WaveRows, AHugeRowCountIsBoundedAndDoesNotHangTheLoad) {
    t->settings().SaveSetting("StartZeiten", "Rows", "2147483647");
    t->settings().SaveSetting("StartZeiten", "1", "1;5;10:00:00;A");
    // Far beyond any real table: never read.
    t->settings().SaveSetting("StartZeiten", "1500", "7;9;11:00:00;B");
    start();
    EXPECT_EQ(w->StartZeit[3], "10:00:00");
    EXPECT_EQ(w->StartZeit[8], "");
    EXPECT_TRUE(w->cmdStart->isEnabled());
}

TEST_F(WaveRows, ANegativeRowCountReadsNothing) {
    t->settings().SaveSetting("StartZeiten", "Rows", "-5");
    t->settings().SaveSetting("StartZeiten", "1", "1;5;10:00:00;A");
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    start();
    EXPECT_EQ(w->StartZeit[3], "");
    EXPECT_TRUE(w->cmdSetStartZeit[0]->isHidden());
}

struct BrokenStart : MainWindowTest {};

TEST_F(BrokenStart, ARunningRunWhoseStartIsNoTimeIsShownNotStartedWithAMessage) {
    t->settings().SaveSetting(S, "Lauf1Gestartet", "1");
    t->settings().SaveSetting(S, "Lauf1Startzeit", "99:99:99");
    start();
    EXPECT_EQ(t->dialogs().countContaining("\"99:99:99\" von Lauf 1 ist keine gültige Uhrzeit!"), 1);
    EXPECT_TRUE(w->cmdStart->isEnabled());
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    EXPECT_FALSE(w->edtStartnummer->isEnabled());
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(setting("Lauf1Gestartet"), "0");
    // Activated again (a dialog closed): no second message.
    w->Form_Activate();
    EXPECT_EQ(t->dialogs().countContaining("keine gültige Uhrzeit"), 1);
    // Starting afresh works and results are stored.
    startRunAt(10, 0, 0);
    at(10, 0, 30);
    enter("3");
    EXPECT_EQ(rows().RecordCount(), 1);
    EXPECT_EQ(t->dialogs().countContaining("Fehler: "), 0);
}

TEST_F(BrokenStart, ChoosingARunWhoseStartIsNoTimeShowsItNotStarted) {
    t->settings().SaveSetting(S, "Lauf2Gestartet", "2");
    t->settings().SaveSetting(S, "Lauf2Startzeit", "");
    start();
    chooseRun(2);
    EXPECT_EQ(t->dialogs().countContaining("von Lauf 2 ist keine gültige Uhrzeit!"), 1);
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    EXPECT_TRUE(w->cmdStart->isEnabled());
    EXPECT_EQ(setting("Lauf2Gestartet"), "0");
}

} // namespace
