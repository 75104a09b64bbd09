#include "readers/ReaderConsole.h"
#include "results/DataControl.h"
#include "results/ResultViews.h"
#include "support/FakeSerialPort.h"
#include "support/TestServices.h"
#include "timing/Twips.h"
#include "timing/frmChronivo.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

constexpr const char* S = "frmChronivo";
using Twips::px;

// How many descriptors of this process are connected to that loopback port.
int linksTo(quint16 port) {
    int links = 0;
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in remote{};
        socklen_t len = sizeof(remote);
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &len) == 0 &&
            remote.sin_family == AF_INET && ntohs(remote.sin_port) == port)
            ++links;
    }
    return links;
}

struct Modes : ::testing::Test {
    TestServices t;
    std::unique_ptr<frmChronivo> w;

    void start() {
        w = std::make_unique<frmChronivo>(t.services());
        w->startUp();
    }
    QString key(const QString& k) { return t.settings().GetSetting(S, k, "<none>"); }
    static QColor color(const QLabel* l) { return l->palette().color(QPalette::WindowText); }
    bool singlePassThroughShown() const {
        EXPECT_EQ(w->cmdStart->isHidden(), !w->cmdDurchlauf->isHidden());
        EXPECT_EQ(w->cmdAutoStart->isHidden(), w->cmdStart->isHidden());
        EXPECT_EQ(w->cmdStartVorgabe->isHidden(), w->cmdStart->isHidden());
        return !w->cmdDurchlauf->isHidden();
    }
};

TEST_F(Modes, PassThroughTogglesAreStoredAndComeBackOnActivation) {
    t.settings().SaveSetting(S, "Durchlaufmodus", "-1");
    t.settings().SaveSetting(S, "Lauf1Startdauer", "5");
    start();
    EXPECT_TRUE(w->mnuDurchlaufModus->isChecked());
    EXPECT_TRUE(singlePassThroughShown());
    // One click on the menu item is one flip.
    w->mnuDurchlaufModus->trigger();
    EXPECT_EQ(key("Durchlaufmodus"), "0");
    EXPECT_FALSE(singlePassThroughShown());

    w->mnuDurchlaufModusMulti_Click();
    EXPECT_EQ(key("DurchlaufmodusMulti"), "-1");
    EXPECT_FALSE(w->edtStartdauer->isHidden());
    t.settings().SaveSetting(S, "Durchlaufmodus", "True");
    w->Form_Activate();
    EXPECT_TRUE(singlePassThroughShown());
    EXPECT_EQ(w->edtStartdauer->text(), "5");
    w->mnuDurchlaufModusMulti->trigger();
    EXPECT_EQ(key("DurchlaufmodusMulti"), "0");
    EXPECT_TRUE(w->edtStartdauer->isHidden());
}

TEST_F(Modes, ExpertModeAsksBeforeSwitchingOnAndSetsTheHeights) {
    start();
    const QRect endButton = w->cmdEnde->geometry();
    t.dialogs().planMsgBox(MsgBoxResult::No);
    w->mnuExpertMode->trigger();
    EXPECT_EQ(t.dialogs().shown().back().style, 68);
    EXPECT_TRUE(t.dialogs().shown().back().text.endsWith("!!!\r\rIn den Expertenmodus wechseln?"));
    EXPECT_FALSE(w->mnuExpertMode->isChecked());
    EXPECT_EQ(key("Expertenmodus"), "<none>");
    EXPECT_EQ(w->cmdWertung->height(), px(2655));
    EXPECT_EQ(w->dbgZeiten->height(), px(5775));

    t.dialogs().planMsgBox(MsgBoxResult::Yes);
    w->mnuExpertMode_Click();
    EXPECT_EQ(key("Expertenmodus"), "-1");
    EXPECT_EQ(w->cmdWertung->height(), px(1215));
    EXPECT_EQ(w->cmdDurchlauf->height(), px(1215));
    EXPECT_EQ(w->dbgZeiten->height(), px(4935));
    EXPECT_EQ(w->dbgStartnummern->height(), px(4935));
    // Only the heights change; the end button stays where it was.
    EXPECT_EQ(w->cmdEnde->geometry(), endButton);
    t.settings().SaveSetting(S, "Triathlonmodus", "-1");
    w->ApplyExpertModeLayout();
    EXPECT_EQ(w->dbgStartnummern->height(), px(4515));

    // Switching off asks nothing.
    const size_t shown = t.dialogs().shown().size();
    w->mnuExpertMode_Click();
    EXPECT_EQ(t.dialogs().shown().size(), shown);
    EXPECT_EQ(key("Expertenmodus"), "0");
    EXPECT_EQ(w->cmdWertung->height(), px(2655));
    EXPECT_EQ(w->dbgZeiten->height(), px(5775));

    // Both modes on at start-up: the very first layout already has the split-time height.
    t.settings().SaveSetting(S, "Expertenmodus", "-1");
    w.reset();
    start();
    EXPECT_EQ(w->dbgZeiten->height(), px(4515));
    EXPECT_EQ(w->dbgStartnummern->height(), px(4515));
}

TEST_F(Modes, SplitTimeModeSavesTheTickAndRestartsTheProgram) {
    start();
    w->mnuTriathlon_Click();
    EXPECT_EQ(key("Triathlonmodus"), "-1");
    EXPECT_EQ(t.dialogs().countContaining("Chronvo wird neu gestartet!"), 1);
    EXPECT_TRUE(w->isUnloaded());
    EXPECT_EQ(t.restarts, 1);
    // The unload saved the layout before the new instance could read it.
    EXPECT_NE(key("Form Top"), "<none>");

    // The program that comes up again shows the mode in the result grid's caption.
    w.reset();
    start();
    EXPECT_EQ(w->lblZeitenTitle->text(), "Erfasste Wertungen (Zwischenzeiten)");
    EXPECT_TRUE(w->mnuTriathlon->isChecked());
}

// The new program must find the board, the readers and the ports free: the old one lets go of
// every link before it is started.
TEST_F(Modes, TheRestartComesOnlyAfterEveryLinkIsClosed) {
    QTcpServer board, reader;
    ASSERT_TRUE(board.listen(QHostAddress::LocalHost) && reader.listen(QHostAddress::LocalHost));
    t.settings().SaveSetting("ExtAnzeige", "ExtAnzeige", "1");
    t.settings().SaveSetting("ExtAnzeige", "ExtAnzeigeIp", "127.0.0.1");
    t.settings().SaveSetting("ExtAnzeige", "ExtAnzeigePort", QString::number(board.serverPort()));
    t.settings().SaveSetting("ExtAnzeige", "ExtRS232Anzeige", "1");
    t.settings().SaveSetting("ExtSensor", "ExtSensor", "1");
    start();
    w->mnuRFIDDialog_Click();
    ReaderConsole& console = *w->readerConsole(ReaderKind::RFID);
    console.edtRFIDIpAddr->setText("127.0.0.1");
    console.edtRFIDIpPort->setText(QString::number(reader.serverPort()));
    console.cmdConnect_Click();
    w->mnuSerialReader_Click();
    w->readerConsole(ReaderKind::SerialReader)->cmdConnect_Click();
    for (int waited = 0;
         (linksTo(board.serverPort()) == 0 || linksTo(reader.serverPort()) == 0) && waited < 3000;
         waited += 10)
        QTest::qWait(10);
    std::vector<QPointer<SerialPort>> ports(t.serialPorts.begin(), t.serialPorts.end());
    ASSERT_EQ(ports.size(), 3u); // contact input, serial board, serial reader
    EXPECT_EQ(std::count_if(ports.begin(), ports.end(), [](auto& p) { return p->PortOpen(); }), 3);
    ASSERT_EQ(linksTo(board.serverPort()) + linksTo(reader.serverPort()), 2);

    int linksAtRestart = -1;
    t.services().restartProgram = [&] {
        linksAtRestart = linksTo(board.serverPort()) + linksTo(reader.serverPort());
        for (const QPointer<SerialPort>& port : ports)
            linksAtRestart += port && port->PortOpen() ? 1 : 0;
    };
    w->mnuTriathlon_Click();
    EXPECT_EQ(linksAtRestart, 0);
}

TEST_F(Modes, TheClockColourLeavesAStoppedRaceClockRed) {
    start();
    // A run that ended turns the race clock red.
    QPalette red = w->sspWertungTimeOut->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    w->sspWertungTimeOut->setPalette(red);
    t.dialogs().planColor(QColor(0x10, 0x20, 0x30));
    w->mnuPrefsDisplay_Click();
    EXPECT_EQ(key("Displaycolor"), QString::number(0x302010));
    EXPECT_EQ(color(w->lblSysTimeOut), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(color(w->lblStartTimeOut), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(color(w->sspWertungTimeOut), QColor(255, 0, 0));
    // A run started afterwards shows the new colour, and during a run all three change.
    w->cmdStart_Click();
    EXPECT_EQ(color(w->sspWertungTimeOut), QColor(0x10, 0x20, 0x30));
    t.dialogs().planColor(QColor(0xFF, 0xFF, 0x00));
    w->mnuPrefsDisplay_Click();
    EXPECT_EQ(color(w->sspWertungTimeOut), QColor(0xFF, 0xFF, 0x00));
}

TEST_F(Modes, TheGridFontIsStoredAndBothGridsTakeItOnActivation) {
    start();
    QFont chosen("DejaVu Serif", 13);
    chosen.setBold(true);
    t.dialogs().planFont(chosen);
    w->mnuPrefsGridFont_Click();
    EXPECT_TRUE(w->dbgZeiten->font().bold());
    EXPECT_EQ(key("dbgZeiten.Font.Name"), "DejaVu Serif");
    EXPECT_EQ(key("dbgZeiten.Font.Size"), "13");
    EXPECT_EQ(key("dbgZeiten.Font.Bold"), "True");
    EXPECT_EQ(key("dbgZeiten.Font.FontUnderline"), "False");
    // The coloured start-number cells take the font as well.
    for (const char* style : {ResultViews::Yellow, ResultViews::Red, ResultViews::Green}) {
        EXPECT_EQ(w->Data1->cellStyle(style).font.family(), "DejaVu Serif") << style;
        EXPECT_EQ(w->Data1->cellStyle(style).font.pointSizeF(), 13.0) << style;
        EXPECT_TRUE(w->Data1->cellStyle(style).font.bold()) << style;
    }
    w->Form_Activate();
    EXPECT_EQ(w->dbgStartnummern->font().family(), "DejaVu Serif");
    EXPECT_EQ(w->dbgStartnummern->font().pointSizeF(), 13.0);
}

TEST_F(Modes, ColumnWidthsComeBackAtActivationAndAreSavedAtTheEnd) {
    t.settings().SaveSetting(S, "ColWith2", "1500");
    start();
    QHeaderView* header = w->dbgZeiten->horizontalHeader();
    EXPECT_EQ(header->sectionSize(2), px(1500));
    header->resizeSection(3, px(2400));
    w->Form_Unload();
    EXPECT_EQ(key("ColWith2"), "1500");
    EXPECT_EQ(key("ColWith3"), "2400");
    for (int i = 0; i < header->count(); ++i)
        EXPECT_NE(key(QStringLiteral("ColWith%1").arg(i)), "<none>") << i;
}

TEST_F(Modes, DirectBookingMenusStoreTheTickAndThePath) {
    t.settings().SaveSetting(S, "DBDirekt", "/alt/VekLauf.mdb");
    start();
    w->mnuDirekteinbuchung->trigger();
    EXPECT_EQ(key("Direkteinbuchung"), "-1");
    w->mnuDirekteinbuchung_Click();
    EXPECT_EQ(key("Direkteinbuchung"), "0");
    EXPECT_EQ(t.dialogs().countContaining("Chronivo bitte neu starten!"), 2);

    t.dialogs().planFile("");
    w->mnuPathDatabase_Click();
    EXPECT_EQ(t.dialogs().lastFileRequest.fileName, "/alt/VekLauf.mdb");
    EXPECT_EQ(key("DBDirekt"), "/alt/VekLauf.mdb");
    t.dialogs().planFile(" /neu/Lauf 2026.mdb");
    w->mnuPathDatabase_Click();
    EXPECT_EQ(key("DBDirekt"), " /neu/Lauf 2026.mdb");
}

TEST_F(Modes, AFailedBookingIsShownAndSwitchingOffStopsBookingAtOnce) {
    t.settings().SaveSetting(S, "Direkteinbuchung", "-1");
    t.settings().SaveSetting(S, "DBDirekt", t.copyRaceDatabase());
    start();
    ASSERT_TRUE(w->m_dbRace);
    Database& race = *w->m_dbRace;
    auto millis = [&](int sn) {
        return race.OpenRecordset("select WT_MillSek from WT where WT_StartNr = :n", {{"n", sn}}).Fields(0);
    };
    QSqlQuery(race.connection()).exec("drop table ZZ");
    w->DirektEinbuchen(12, 5000);
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_TRUE(t.dialogs().messages().first().startsWith("Fehler: "));
    EXPECT_EQ(t.dialogs().shown().back().style, 16);
    EXPECT_EQ(millis(12).toInt(), 5000);
    EXPECT_FALSE(w->isUnloaded());

    w->mnuDirekteinbuchung_Click();
    w->DirektEinbuchen(13, 1000);
    EXPECT_TRUE(millis(13).isNull());
}

} // namespace
