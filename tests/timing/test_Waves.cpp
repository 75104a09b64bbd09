#include "MainWindowFixture.h"

#include "timing/frmSettings.h"
#include "timing/frmSettingsStartZeit.h"
#include "timing/frmStartRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the modal dialog of that type once it is open, then closes it.
template <class Dialog> void whenOpen(std::function<void(Dialog&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<Dialog*>(top); d && d->isVisible()) {
                act(*d);
                d->done(0);
                return;
            }
        }
        ADD_FAILURE() << "dialog did not open";
    });
}

struct Waves : MainWindowTest {
    void table(const QStringList& rows) {
        t->settings().SaveSetting("StartZeiten", "Rows", QString::number(rows.size()));
        for (int i = 0; i < rows.size(); ++i)
            t->settings().SaveSetting("StartZeiten", QString::number(i + 1), rows[i]);
    }
    void reload() {
        w->LoadStartZeitenArray();
        w->BuildStartZeitButtons();
    }
    QString caption(int i) const { return w->cmdSetStartZeit[i]->text(); }
    bool shown(int i) const { return w->cmdSetStartZeit[i]->isVisibleTo(w.get()); }
};

TEST_F(Waves, ButtonsShowTheWavesAndAreMatchedByName) {
    start();
    table({"1;100;10:00:00;A", "50;60;10:10:00;B", "101;200;10:20:00;A", "201;300;10:30:00;",
           "301;400;10:40:00;C"});
    reload();
    EXPECT_EQ(caption(0), "A startet 10:20:00 (101-200)");
    EXPECT_EQ(caption(1), "B startet 10:10:00 (50-60)");
    // A repeated name changes the earlier wave's button; a row without a name gets none.
    EXPECT_FALSE(shown(2));
    EXPECT_FALSE(shown(3));
    EXPECT_TRUE(shown(4));
    EXPECT_EQ(caption(4), "C startet 10:40:00 (301-400)");
    EXPECT_EQ(w->edtImZiel[4]->property("Tag").toString(), "10:40:00");
    EXPECT_TRUE(w->edtImZiel[4]->isVisibleTo(w.get()));
    EXPECT_EQ(w->StartZeit[55], "10:10:00");
    EXPECT_EQ(w->StartZeit[150], "10:20:00");
    EXPECT_EQ(w->StartZeit[250], "10:30:00");
}

// A wave's name is shown as it stands: an "&" in it is no underlined shortcut.
TEST_F(Waves, AnAmpersandInAWaveNameIsShownAndMakesNoShortcut) {
    start();
    table({"1;100;10:00:00;M&F", "101;200;10:05:00;A && B"});
    reload();
    const auto shownText = [](QString text) { return text.replace(QRegularExpression("&(.)"), "\\1"); };
    EXPECT_EQ(shownText(caption(0)), "M&F startet 10:00:00 (1-100)");
    EXPECT_EQ(shownText(caption(1)), "A && B startet 10:05:00 (101-200)");
    EXPECT_TRUE(QKeySequence::mnemonic(caption(0)).isEmpty());
    EXPECT_EQ(w->cmdSetStartZeit[0]->property("Tag").toString(), "M&F");
}

TEST_F(Waves, AnEleventhWaveHasAStartTimeButNoButtonAndRemovedWavesLeaveNoTime) {
    start();
    QStringList rows;
    for (int i = 0; i < 11; ++i)
        rows << QStringLiteral("%1;%2;10:%3:00;W%4")
                    .arg(i * 10 + 1)
                    .arg(i * 10 + 10)
                    .arg(i, 2, 10, QChar('0'))
                    .arg(i + 1);
    table(rows);
    reload();
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(shown(i)) << i;
    EXPECT_EQ(caption(9), "W10 startet 10:09:00 (91-100)");
    EXPECT_EQ(w->StartZeit[105], "10:10:00");

    table({"1;10;10:00:00;W1"});
    reload();
    EXPECT_EQ(w->StartZeit[5], "10:00:00");
    EXPECT_EQ(w->StartZeit[105], "");
    EXPECT_FALSE(shown(1));
}

TEST_F(Waves, StampingAWaveStoresTheTimeItsButtonAndItsRunnersStart) {
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    table({"1;100;10:00:00;A", "101;200;10:30:00;B"});
    start();
    startRunAt(9, 55, 0);
    at(10, 3, 17);
    t->dialogs().planMsgBox(7);
    w->cmdSetStartZeit[0]->click();
    EXPECT_EQ(t->settings().GetSetting("StartZeiten", "1"), "1;100;10:00:00;A");
    t->dialogs().planMsgBox(6);
    w->cmdSetStartZeit_Click(0);
    EXPECT_EQ(t->dialogs().messages().last(), "Zeit: 10:03:17 auf Lauf: A schreiben?");
    EXPECT_EQ(t->dialogs().shown().back().style, 36);
    EXPECT_EQ(t->settings().GetSetting("StartZeiten", "1"), "1;100;10:03:17;A");
    EXPECT_EQ(t->settings().GetSetting("StartZeiten", "2"), "101;200;10:30:00;B");
    EXPECT_EQ(caption(0), "A startet 10:03:17 (1-100)");
    EXPECT_EQ(w->edtImZiel[0]->property("Tag").toString(), "10:03:17");
    EXPECT_EQ(w->StartZeit[42], "10:03:17");

    at(10, 13, 17);
    enter("42");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(field(rs, 0, "Starttime").toString(), "10:03:17");
    EXPECT_EQ(field(rs, 0, "Wertungstime").toString(), "00:10:00");
}

TEST_F(Waves, TheEditorOpensFromMenuAndInfoLabelAndItsTableIsTakenWhenItCloses) {
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    table({"1;100;10:00:00;A"});
    start();
    ASSERT_TRUE(w->lblInfo->isVisibleTo(w.get()));
    whenOpen<frmSettingsStartZeit>([](frmSettingsStartZeit& e) {
        e.setCell(1, 0, "101");
        e.setCell(1, 1, "200");
        e.setCell(1, 2, "10:15:00");
        e.setCell(1, 3, "B");
        e.cmdSave_Click();
    });
    QTest::mouseDClick(w->lblInfo, Qt::LeftButton);
    EXPECT_EQ(caption(1), "B startet 10:15:00 (101-200)");
    EXPECT_EQ(w->StartZeit[150], "10:15:00");

    // Deleting the table switches start times by number off for the next start.
    whenOpen<frmSettingsStartZeit>([this](frmSettingsStartZeit& e) {
        t->dialogs().planMsgBox(6);
        e.cmdDelete_Click();
    });
    w->mnuSetStartTimeStartnummern->trigger();
    EXPECT_FALSE(shown(0));
    EXPECT_EQ(w->StartZeit[50], "");
    w.reset();
    start();
    EXPECT_FALSE(w->chkLaufNrStartzeit->isChecked());
}

TEST_F(Waves, TheCountdownButtonOpensOneStarterThatStartsTheRunAtTheFirstWave) {
    table({"1;100;10:00:00;A"});
    start();
    at(9, 59, 58);
    w->cmdAutoStart->click();
    EXPECT_TRUE(w->chkLaufNrStartzeit->isChecked());
    EXPECT_EQ(setting("LaufNrStartzeit"), "1");
    frmStartRun* starter = w->m_frmStartRun;
    ASSERT_TRUE(starter);
    EXPECT_TRUE(starter->isVisible());
    EXPECT_EQ(starter->parentWidget(), w.get());
    w->cmdAutoStart_Click();
    EXPECT_EQ(w->m_frmStartRun, starter);

    starter->cmdStart_Click();
    starter->Timer2_Timer();
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    at(10, 0, 0, 20);
    starter->Timer2_Timer();
    EXPECT_TRUE(w->cmdWertung->isEnabled());
    EXPECT_EQ(setting("Lauf1Gestartet"), "1");
    EXPECT_EQ(setting("Lauf1Startzeit"), "10:00:00");
}

// Ending a run unticks start times by start number; a countdown started again from the open
// starter must still start its run with them.
TEST_F(Waves, ARunStartedByTheStarterAlwaysTakesItsStartsFromTheWaves) {
    table({"1;100;10:00:00;A"});
    start();
    at(9, 59, 58);
    w->cmdAutoStart->click();
    frmStartRun* starter = w->m_frmStartRun;
    starter->cmdStart->click();
    at(10, 0, 0);
    starter->Timer2_Timer();
    ASSERT_TRUE(w->cmdWertung->isEnabled());
    at(10, 0, 1);
    starter->Timer2_Timer();
    w->mnuLaufBeenden_Click();
    ASSERT_FALSE(w->chkLaufNrStartzeit->isChecked());

    table({"1;20;10:30:00;A", "21;40;10:30:30;B"});
    at(10, 29, 0);
    starter->cmdStart->click();
    at(10, 30, 0);
    starter->Timer2_Timer();
    ASSERT_TRUE(w->cmdWertung->isEnabled());
    EXPECT_TRUE(w->chkLaufNrStartzeit->isChecked());
    EXPECT_EQ(setting("LaufNrStartzeit"), "1");
    at(10, 31, 15, 400);
    enter("25");
    Recordset rs = rows();
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(field(rs, 0, "Starttime").toString(), "10:30:30");
    EXPECT_EQ(field(rs, 0, "Wertungstime").toString(), "00:00:45");
}

TEST_F(Waves, TheDeviceSettingsOpenFromTheMenu) {
    start();
    QString caption;
    whenOpen<frmSettings>([&](frmSettings& d) {
        caption = d.windowTitle();
        d.cmdSave_Click();
    });
    w->mnuComSettings->trigger();
    EXPECT_EQ(caption, "Einstellungen für externe Geräte");
    EXPECT_EQ(t->settings().GetSetting("ExtAnzeige", "ExtAnzeigePort"), "9999");
}

} // namespace
