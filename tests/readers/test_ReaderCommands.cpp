// The consoles talking back: free commands, polling, the reader's clock, the antenna registers
// and tag writing, against a native reader on a loopback port that answers like a real one.
#include "ReaderTestSupport.h"

#include "core/TransponderLookup.h"
#include "readers/TcpReaderConsole.h"
#include "readers/TransponderData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>

#include <map>

namespace {

// A native reader: it keeps its eight antenna registers and its clock, answers the register
// reads and "UGT0", takes "P06.." and "UPT0", and after a "W0" command reports the written
// tag as a tag read holding the number. Everything received is kept as it came.
class NativeReader final {
public:
    std::map<QString, int> registers{{"6A", 0x44}, {"6B", 0x00}, {"6C", 0x84}, {"6D", 0x50},
                                     {"6E", 0x01}, {"6F", 0x28}, {"70", 0xFF}, {"71", 0x00}};
    QString clockHex = "00000000";
    FakeReaderServer server;

    void attach() {
        QObject::connect(server.peer(), &QTcpSocket::readyRead, server.peer(), [this] { onData(); });
    }
    QByteArray wire() const { return m_wire; }
    void forget() { m_wire.clear(); }

private:
    void onData() {
        const QByteArray data = server.peer()->readAll();
        m_wire += data;
        m_pending += data;
        // Frames: "S", two hex digits of length, the command, CR.
        while (m_pending.size() >= 3 && m_pending[0] == 'S') {
            const int n = m_pending.mid(1, 2).toInt(nullptr, 16);
            if (m_pending.size() < 4 + n)
                return;
            answer(QString::fromLatin1(m_pending.mid(3, n)));
            m_pending.remove(0, 4 + n);
        }
        m_pending.clear(); // bare text is no command of this reader
    }
    // A reply framed as the reader frames it: its length counts the characters after it.
    static QByteArray reply(const QString& payload) {
        const QString length = QStringLiteral("%1").arg(payload.size(), 2, 16, QLatin1Char('0')).toUpper();
        return ("S" + length + payload + "\r").toLatin1();
    }
    void answer(const QString& command) {
        if (command.startsWith("F0") && registers.count(command.mid(2))) {
            const QString value =
                QStringLiteral("%1").arg(registers[command.mid(2)], 2, 16, QLatin1Char('0'));
            server.send(reply("f0" + command.mid(2) + value.toUpper()));
        } else if (command.startsWith("P0") && command.size() == 6) {
            registers[command.mid(2, 2)] = command.mid(4, 2).toInt(nullptr, 16);
        } else if (command.startsWith("UPT0")) {
            clockHex = command.mid(4);
        } else if (command == "UGT0") {
            server.send(reply("ugt0" + clockHex));
        } else if (command.startsWith("W0")) {
            server.send(nativeTelegram(command.mid(13).toInt(), command.mid(2, 1).toInt()));
        }
    }

    QByteArray m_wire;
    QByteArray m_pending;
};

struct Commands : ConsoleTest {
    NativeReader reader;

    Commands() {
        // A German desktop: decimal comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        t.clock().set(QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0)));
    }
    ~Commands() override { QLocale::setDefault(QLocale::c()); }

    TcpReaderConsole& linked(ReaderKind kind, int tab) {
        auto& c = open<TcpReaderConsole>(kind);
        connectTo(c, reader.server);
        reader.attach();
        c.tabRDIF->setCurrentIndex(tab);
        return c;
    }
    // Lets the reader take what was sent and the console what it answered.
    QByteArray wireAfter(int ms = 150) {
        waitUntil([] { return false; }, ms);
        return reader.wire();
    }
    // A console whose link cannot come up: nothing listens on the port.
    TcpReaderConsole& unlinked(ReaderKind kind) {
        auto& c = open<TcpReaderConsole>(kind);
        c.edtRFIDIpAddr->setText(ReaderHost);
        c.edtRFIDIpPort->setText(QString::number(reader.server.port()));
        reader.server.close();
        return c;
    }
};

TEST_F(Commands, LoadingFetchesTheEightRegistersAndShowsThemInTheAntennaRows) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabAntennen);
    c.cmdAntLaden_Click();
    // Eight frames in one go, the last one stays in the sent-text box.
    EXPECT_EQ(c.edtTransMsg[1]->text(), ">> S04F071\r");
    EXPECT_EQ(wireAfter(), "S04F06A\rS04F06B\rS04F06C\rS04F06D\rS04F06E\rS04F06F\rS04F070\rS04F071\r");
    ASSERT_TRUE(waitUntil([&] { return c.VScroll1[2]->value() == 255; }));

    EXPECT_TRUE(c.chkAntAkt[0]->isChecked());
    EXPECT_FALSE(c.chkAntAkt[1]->isChecked()); // register 0: antenna off
    EXPECT_EQ(c.sliAntenne[2]->value(), 132);
    EXPECT_EQ(c.sliAntenne[3]->value(), 80);
    EXPECT_EQ(c.lblAntDBM[2]->text(), "1995");
    EXPECT_EQ(c.lblAntDBM[3]->text(), "100");
    EXPECT_EQ(c.sliAntenne[3]->toolTip(), "H50/20");
    EXPECT_EQ(c.edtAntDaempfung[0]->text(), "0,25");
    EXPECT_EQ(c.edtAntDaempfung[1]->text(), "10");
    EXPECT_EQ(c.edtAntDaempfung[2]->text(), "63,75");
    EXPECT_EQ(c.VScroll1[1]->value(), 40);
    EXPECT_TRUE(t.dialogs().messages().isEmpty());
}

TEST_F(Commands, ALoadedPowerIsShownAlsoWhereTheSliderStoodAtItAlready) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabAntennen);
    ASSERT_EQ(c.sliAntenne[0]->value(), 68); // 17 dBm, as register 6A holds
    c.cmdAntLaden_Click();
    ASSERT_TRUE(waitUntil([&] { return c.VScroll1[2]->value() == 255; }));
    EXPECT_EQ(c.lblAntDBM[0]->text(), "50");
    EXPECT_EQ(c.sliAntenne[0]->toolTip(), "H44/17");
}

TEST_F(Commands, SavingSendsPowerThenAttenuationAndRefusesBoxesThatHoldNoValidValue) {
    // Link down: the message comes first, whatever the boxes hold.
    auto& down = unlinked(ReaderKind::RFID);
    down.cmdAntSpeichern_Click();
    EXPECT_EQ(t.dialogs().messages(), QStringList{"Nicht verbunden"});
    EXPECT_EQ(down.statusPanel(1), "nicht verbunden"); // no connection attempt
    down.close();

    NativeReader live;
    auto& c = open<TcpReaderConsole>(ReaderKind::RFID);
    connectTo(c, live.server);
    live.attach();
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabAntennen);
    c.chkAntAkt[0]->setChecked(true);
    c.sliAntenne[0]->setValue(68);
    for (int i = 0; i < 4; ++i)
        c.edtAntDaempfung[i]->setText("0");
    // One empty or unreadable box: nothing at all is sent, not even the power.
    for (const QString& bad : QStringList{"", "abc", "0.25", "64"}) {
        c.edtAntDaempfung[2]->setText(bad);
        c.cmdAntSpeichern_Click();
    }
    EXPECT_EQ(t.dialogs().countContaining("Keine gültigen Werte!"), 4);
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(live.wire().isEmpty());

    c.edtAntDaempfung[2]->setText("0");
    c.cmdAntSpeichern_Click();
    waitUntil([&] { return live.wire().size() >= 80; });
    EXPECT_EQ(live.wire(), "S06P06A44\rS06P06B00\rS06P06C00\rS06P06D00\r"
                           "S06P06E00\rS06P06F00\rS06P07000\rS06P07100\r");

    // Values set in the local notation reach the reader's registers as quarter dB.
    c.edtAntDaempfung[0]->setText("0,25");
    c.edtAntDaempfung[1]->setText("10");
    c.edtAntDaempfung[3]->setText("63,75");
    c.chkAntAkt[3]->setChecked(true);
    c.sliAntenne[3]->setValue(132);
    c.cmdAntSpeichern_Click();
    EXPECT_EQ(c.edtTransMsg[1]->text(), ">> S06P071FF\r");
    ASSERT_TRUE(waitUntil([&] { return live.registers["71"] == 0xFF; }));
    EXPECT_EQ(live.registers["6E"], 0x01);
    EXPECT_EQ(live.registers["6F"], 0x28);
    EXPECT_EQ(live.registers["6D"], 0x84);
}

TEST_F(Commands, TheScrollBarAndTheSliderShowTheirValuesInTheLocalNotation) {
    ReaderConsole& c = open(ReaderKind::SerialReader);
    c.VScroll1[1]->setValue(255);
    EXPECT_EQ(c.edtAntDaempfung[1]->text(), "63,75");
    c.sliAntenne[0]->setValue(69);
    EXPECT_EQ(c.sliAntenne[0]->toolTip(), "H45/17,25");
    EXPECT_EQ(c.lblAntDBM[0]->text(), "53");
    // Reopened, the rows start empty again.
    c.close();
    c.showConsole();
    EXPECT_EQ(c.lblAntDBM[0]->text(), "");
    EXPECT_EQ(c.edtAntDaempfung[1]->text(), "");
}

TEST_F(Commands, SettingTheClockSendsThePcTimeAndReadsTheReadersClockBack) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabUhrzeit);
    c.cmdUhrzeitSchreiben_Click();
    EXPECT_EQ(c.edtTransMsg[2]->text(), ">> S04UGT0\r");
    EXPECT_EQ(c.edtSystemZeit->text(), "01.01.2026 12:00:00");
    EXPECT_EQ(wireAfter(), "S0CUPT0C0615669\rS04UGT0\r");
    ASSERT_TRUE(waitUntil([&] { return !c.edtReaderZeit->text().isEmpty(); }));
    EXPECT_EQ(c.edtReaderZeit->text(), "01.01.2026 12:00:00");
    EXPECT_EQ(c.edtRcvMsg[2]->text(), "S0Cugt0C0615669\r");
}

TEST_F(Commands, TheBridgeConsolesSendTheClockBareOrAsTheLetterZ) {
    auto& mercury = linked(ReaderKind::Mercury, ReaderConsole::TabUhrzeit);
    mercury.cmdUhrzeitSchreiben_Click();
    EXPECT_EQ(mercury.edtTransMsg[2]->text(), ">> UGT0");
    EXPECT_EQ(wireAfter(), "UPT0C0615669UGT0");
    mercury.close();

    NativeReader bridge;
    auto& motorola = open<TcpReaderConsole>(ReaderKind::Motorola);
    connectTo(motorola, bridge.server);
    bridge.attach();
    motorola.edtTransMsg[2]->setText("vorher");
    motorola.cmdUhrzeitSchreiben_Click();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(bridge.wire(), "z");
    EXPECT_EQ(motorola.edtTransMsg[2]->text(), "vorher");
    EXPECT_TRUE(motorola.edtSystemZeit->text().isEmpty());

    // Link down: nothing, and no message of its own.
    motorola.cmdDisconnect_Click();
    bridge.server.close();
    waitUntil([] { return false; }, 100);
    bridge.forget();
    motorola.cmdUhrzeitSchreiben_Click();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(bridge.wire(), "");
    EXPECT_EQ(t.dialogs().countContaining("Nicht mit dem Reader verbunden!"), 0);
}

TEST_F(Commands, WritingTagsStoresEachConfirmedTagAndCountsUp) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabSchreiben);
    c.cboAntenne->setCurrentText("1");
    c.edtWriteText->setText("123");
    c.cmdTransponderWrite_Click();
    EXPECT_EQ(c.edtTransMsg[0]->text(), ">> S25W010000000006000000000000000000000123\r");
    EXPECT_TRUE(c.isWritePending());
    ASSERT_TRUE(waitUntil([&] { return !c.isWritePending(); }));
    EXPECT_EQ(c.edtWriteText->text(), "124");
    EXPECT_EQ(t.beeper().beeps, 1);
    EXPECT_EQ(modChronivo::GetStartnummerByTransponder(*t.services().local.gdbLocal, idOf(123)), "123");

    // The next tag on antenna 3.
    c.cboAntenne->setCurrentText("3");
    c.cmdTransponderWrite_Click();
    ASSERT_TRUE(waitUntil([&] { return c.edtWriteText->text() == "125"; }));
    EXPECT_EQ(modChronivo::GetStartnummerByTransponder(*t.services().local.gdbLocal, idOf(124)), "124");
    EXPECT_EQ(c.dataTransponder->rowCount(), 2);
    EXPECT_TRUE(t.dialogs().messages().isEmpty());

    // A number that does not fit the tag: a message, nothing sent, the lamp stays red.
    reader.forget();
    c.edtWriteText->setText("12a");
    c.cmdTransponderWrite_Click();
    EXPECT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_FALSE(c.isWritePending());
    EXPECT_EQ(wireAfter(), "");
}

TEST_F(Commands, AWriteIsConfirmedAndStoredWithTheNumberSentNotWhatTheBoxHoldsLater) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabSchreiben);
    c.edtWriteText->setText("10000");
    c.cmdTransponderWrite_Click();
    c.edtWriteText->setText("20000"); // changed before the tag is read back
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(20000)));
    EXPECT_TRUE(c.isWritePending());
    ASSERT_TRUE(waitUntil([&] { return !c.isWritePending(); }));
    EXPECT_EQ(modChronivo::GetStartnummerByTransponder(*t.services().local.gdbLocal, idOf(10000)), "10000");
    EXPECT_EQ(c.dataTransponder->rowCount(), 1);
    EXPECT_EQ(c.edtWriteText->text(), "10001");
}

TEST_F(Commands, OnlyAReadOfTheWrittenNumberConfirmsATagWrite) {
    auto& c = open<TcpReaderConsole>(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabSchreiben);
    c.edtWriteText->setText("5");
    c.setWritePending(true);
    // "5" stands in the reader field of every read; 999, 50 and 15 are other tags.
    for (const int stray : {999, 50, 15, 105})
        c.ProcessTelegram(QString::fromLatin1(nativeTelegram(stray)));
    c.ProcessTelegram("S2Cuam0FF0501\r"); // no ID at all
    EXPECT_TRUE(c.isWritePending());
    EXPECT_EQ(c.edtWriteText->text(), "5");
    EXPECT_EQ(c.dataTransponder->rowCount(), 0);
    EXPECT_EQ(t.beeper().beeps, 0);

    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(5)));
    EXPECT_FALSE(c.isWritePending());
    EXPECT_EQ(c.edtWriteText->text(), "6");
    EXPECT_EQ(modChronivo::GetStartnummerByTransponder(*t.services().local.gdbLocal, idOf(5)), "5");
}

TEST_F(Commands, ALinkThatIsDownDropsTheCommandWithAMessage) {
    auto& c = unlinked(ReaderKind::RFID);
    c.edtTransMsg[3]->setText("alt");
    c.cmdBefehlSchreiben_Click();
    // A connection was asked for, but it is not up yet.
    EXPECT_EQ(c.lamp(), Lamp::Yellow);
    EXPECT_EQ(c.edtTransMsg[3]->text(), "");
    EXPECT_EQ(t.dialogs().countContaining("Nicht mit dem Reader verbunden!"), 1);

    // "Pollen starten" ends silently; the tag write still shows the write as pending.
    c.Command1_Click();
    c.edtWriteText->setText("5");
    c.cmdTransponderWrite_Click();
    EXPECT_TRUE(c.isWritePending());
    EXPECT_EQ(t.dialogs().countContaining("Nicht mit dem Reader verbunden!"), 2);
    c.cmdAntLaden_Click();
    EXPECT_EQ(t.dialogs().countContaining("Nicht verbunden"), 1);
}

TEST_F(Commands, FreeCommandsAndPollingGoOutFramed) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabBefehl);
    c.edtBefehl->setText("");
    c.cmdBefehlSchreiben_Click();
    EXPECT_EQ(c.edtTransMsg[3]->text(), ">> S00\r");
    c.edtTransmit->setText("UAM01");
    c.edtTransmit_KeyPress(13);
    EXPECT_EQ(c.edtTransmit->text(), "UAM01");
    c.Command1_Click();
    // Too long for the length field: refused, nothing sent.
    c.edtBefehl->setText(QString(256, 'x'));
    c.cmdBefehlSchreiben_Click();
    EXPECT_EQ(c.edtTransMsg[3]->text(), "");
    EXPECT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_EQ(wireAfter(), "S00\rS05UAM01\rS05UAM00\r");
}

TEST_F(Commands, TheSentTextBoxShowsTheBytesThatWentOut) {
    auto& c = linked(ReaderKind::RFID, ReaderConsole::TabBefehl);
    // The link carries one byte per character: the euro sign has none and goes as "?".
    c.edtBefehl->setText(QString::fromUtf8("Xü€"));
    c.cmdBefehlSchreiben_Click();
    EXPECT_EQ(wireAfter(), QByteArray("S03X\xFC?\r"));
    EXPECT_EQ(c.edtTransMsg[3]->text(), QString::fromUtf8(">> S03Xü?\r"));
}

TEST_F(Commands, MotorolaPollingIsTheLetterSAndTurnsTheButtonGreen) {
    auto& c = linked(ReaderKind::Motorola, ReaderConsole::TabMeldungen);
    c.Command1_Click();
    EXPECT_EQ(wireAfter(), "s");
    EXPECT_EQ(c.Command1->property("BackColor").value<QColor>(), QColor(0, 255, 0));
    c.cmdDisconnect_Click();
    EXPECT_EQ(wireAfter(), "se");
    EXPECT_EQ(c.Command1->property("BackColor").value<QColor>(), QColor(255, 0, 0));
}

TEST_F(Commands, TheSerialConsoleSendsNothing) {
    ReaderConsole& c = open(ReaderKind::SerialReader);
    c.edtTransMsg[2]->setText("alt");
    c.cmdGetSystemTime_Click();
    EXPECT_EQ(c.edtTransMsg[2]->text(), "");
    EXPECT_EQ(c.edtSystemZeit->text(), "01.01.2026 12:00:00");
    c.edtWriteText->setText("1");
    c.cmdTransponderWrite_Click();
    c.cmdUhrzeitSchreiben_Click();
    c.cmdBefehlSchreiben_Click();
    c.cmdAntLaden_Click();
    c.cmdAntSpeichern_Click();
    c.edtTransmit_KeyPress(13);
    EXPECT_FALSE(c.isWritePending());
    EXPECT_TRUE(t.dialogs().messages().isEmpty());
    EXPECT_EQ(c.lamp(), Lamp::Red); // the port was never opened
}

TEST_F(Commands, TheHeaderLengthTakesOnlyNumbers) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.edtRFIDKopf->setText("abc");
    EXPECT_EQ(c.edtRFIDKopf->text(), "");
    EXPECT_EQ(t.dialogs().messages(), QStringList{"Bitte nur Zahlen eingaben!"});
    c.edtRFIDKopf->setText("12");
    c.edtRFIDKopf->setText("");
    EXPECT_EQ(t.dialogs().messages().size(), 1);
}

} // namespace
