// The console window: load and unload with its settings, the link states over TCP and the
// serial port, and the buttons of the tab "Meldungen".
#include "ReaderTestSupport.h"

#include "core/modGlobal.h"
#include "platform/SerialPort.h"
#include "platform/TcpSocket.h"
#include "readers/TcpReaderConsole.h"
#include "readers/frmSerialReader.h"
#include "support/FakeSerialPort.h"
#include "support/FileSizeLimit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QColor LightGreen(192, 255, 192);
const QColor LightRed(255, 192, 192);

QColor background(const QWidget& w) {
    return w.autoFillBackground() ? w.palette().color(QPalette::Window) : QColor();
}

struct Window : ConsoleTest {};

TEST_F(Window, LoadingShowsTheStoredSettingsOrTheDefaultsOfEachConsole) {
    ReaderConsole& rfid = open(ReaderKind::RFID);
    EXPECT_EQ(rfid.edtRFIDIpPort->text(), "0");
    EXPECT_EQ(rfid.edtRFIDKopf->text(), "22");
    EXPECT_EQ(rfid.edtEntprellung->text(), "60");
    EXPECT_EQ(rfid.statusPanel(1), "nicht verbunden");
    EXPECT_EQ(rfid.lamp(), Lamp::Red);
    EXPECT_EQ(rfid.logPath(), modGlobal::GetTempDir() + "Reader.txt");
    EXPECT_EQ(rfid.tabRDIF->count(), 8);

    ReaderConsole& serial = open(ReaderKind::SerialReader);
    EXPECT_EQ(serial.edtRFIDIpAddr->text(), "9600,N,8,1");
    EXPECT_EQ(serial.edtRFIDIpPort->text(), "1");
    // The serial console's default header leaves the whole 26-digit ID field as the ID.
    EXPECT_EQ(serial.edtRFIDKopf->text(), "21");

    ReaderConsole& mercury = open(ReaderKind::Mercury);
    ASSERT_EQ(mercury.tabRDIF->count(), 9);
    EXPECT_EQ(mercury.tabRDIF->tabText(ReaderConsole::TabAntennen), "Antenne");
    EXPECT_EQ(qobject_cast<QLineEdit*>(mercury.bridgeField("edtMercuryCmd"))->text(),
              "java.exe -jar Mercury\\samples_nb.jar");

    ReaderConsole& motorola = open(ReaderKind::Motorola);
    EXPECT_EQ(motorola.Command1->property("BackColor").value<QColor>(), QColor(255, 0, 0));
}

TEST_F(Window, TheTcpConsolesShareTheirSettingsAndTheOneClosedLastWins) {
    auto first = CreateReaderConsole(ReaderKind::RFID, t.services(), main);
    auto second = CreateReaderConsole(ReaderKind::Motorola, t.services(), main);
    first->Form_Load();
    second->Form_Load();
    first->edtRFIDIpAddr->setText("10.0.0.5");
    first->edtEntprellung->setText("30");
    second->edtRFIDIpAddr->setText("10.0.0.9");
    qobject_cast<QLineEdit*>(second->bridgeField("edtMotorolaPort"))->setText("5090");
    qobject_cast<QLineEdit*>(second->bridgeField("edtMercuryCmd"))->setText("other.exe");
    first->close();
    second->close();

    ReaderConsole& mercury = open(ReaderKind::Mercury);
    EXPECT_EQ(mercury.edtRFIDIpAddr->text(), "10.0.0.9");
    EXPECT_EQ(mercury.edtEntprellung->text(), "60");
    EXPECT_EQ(t.settings().GetSetting("Motorola", "IPPort"), "5090");
    // frmMotorola's command line is never stored.
    EXPECT_EQ(t.settings().GetSetting("Motorola", "cmd", "none"), "none");
    EXPECT_EQ(t.settings().GetSetting("SerialReader", "Addr", "none"), "none");
}

TEST_F(Window, ReopeningLoadsAnewButKeepsTheLastIdAndTheCounter) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(4)));
    ASSERT_NE(c.debounceTable().lastBook(4), 0);
    c.edtRFIDKopf->setText("21");
    c.close();
    EXPECT_FALSE(c.isLoaded());
    c.showConsole();
    EXPECT_EQ(c.edtRFIDKopf->text(), "21");
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
    EXPECT_EQ(c.debounceTable().lastBook(4), 0);
    EXPECT_TRUE(c.bookingLines().isEmpty() && c.telegramRows().isEmpty());
    EXPECT_EQ(c.lastID(), idOf(4));
    EXPECT_EQ(c.rcvCount(), 1);
}

TEST_F(Window, ClosingWithTheProgramSkipsTheUnload) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.edtRFIDIpAddr->setText("10.1.1.1");
    main.ending = true;
    c.close();
    EXPECT_EQ(t.settings().GetSetting("RFID", "Addr", "none"), "none");
}

TEST_F(Window, TheTcpLinkShowsConnectingConnectedAndClosed) {
    FakeReaderServer reader;
    auto& c = open<TcpReaderConsole>(ReaderKind::RFID);
    c.edtRFIDIpAddr->setText(ReaderHost);
    c.edtRFIDIpPort->setText(QString::number(reader.port()));
    c.cmdConnect_Click();
    EXPECT_EQ(c.statusPanel(1), "verbinde....");
    EXPECT_EQ(c.lamp(), Lamp::Yellow);
    ASSERT_TRUE(reader.waitForPeer());
    ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Green; }));
    EXPECT_EQ(c.statusPanel(1), "verbunden");
    EXPECT_EQ(background(c), LightGreen);

    // A second "Verbinden" keeps the live link.
    c.cmdConnect_Click();
    EXPECT_EQ(c.Winsock1().State(), SocketState::Connected);
    EXPECT_EQ(c.statusPanel(1), "verbunden");

    // The reader ends the link.
    reader.peer()->close();
    ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Red; }));
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
    EXPECT_EQ(background(c), LightRed);

    // "Trennen" on a closed socket shows the closed link all the same.
    QPalette white = c.palette();
    white.setColor(QPalette::Window, Qt::white);
    c.setPalette(white);
    c.cmdDisconnect_Click();
    EXPECT_EQ(background(c), LightRed);
    EXPECT_EQ(c.lamp(), Lamp::Red);
}

TEST_F(Window, AReloadedConsoleHasItsNormalBackground) {
    FakeReaderServer reader;
    auto& c = open<TcpReaderConsole>(ReaderKind::RFID);
    const QColor normal = c.palette().color(QPalette::Window);
    connectTo(c, reader);
    ASSERT_EQ(background(c), LightGreen);
    c.Form_Unload();
    c.Form_Load();
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
    EXPECT_FALSE(c.autoFillBackground());
    EXPECT_EQ(c.palette().color(QPalette::Window), normal);
}

TEST_F(Window, SocketErrorsAreShownAndTheLinkShowsClosed) {
    FakeReaderServer reader;
    const quint16 port = reader.port();
    reader.close();
    auto& c = open<TcpReaderConsole>(ReaderKind::Mercury);
    c.edtRFIDIpAddr->setText("127.0.0.1");
    c.edtRFIDIpPort->setText(QString::number(port));
    c.cmdConnect_Click();
    ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Red; }));
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_EQ(t.dialogs().shown().back().style, MsgBoxStyle::Information);
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");

    // A port that is no number: nothing is asked of the socket, and no connection is shown.
    c.edtRFIDIpPort->setText("abc");
    c.cmdConnect_Click();
    EXPECT_EQ(c.Winsock1().State(), SocketState::Closed);
    EXPECT_EQ(c.lamp(), Lamp::Red);
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
}

TEST_F(Window, AnAbortedConnectionDisconnectsAndMotorolaStopsItsBridge) {
    FakeReaderServer reader;
    auto& c = open<TcpReaderConsole>(ReaderKind::Motorola);
    connectTo(c, reader);
    c.Winsock1_Error(SocketError::ConnectionAborted, "Verbindung abgebrochen");
    EXPECT_EQ(c.Winsock1().State(), SocketState::Closed);
    EXPECT_EQ(c.lamp(), Lamp::Red);
    EXPECT_EQ(background(c), LightRed);
    EXPECT_EQ(c.Command1->property("BackColor").value<QColor>(), QColor(255, 0, 0));
    ASSERT_TRUE(waitUntil([&] { return reader.received() == "e"; }));
}

TEST_F(Window, TheSerialPortIsOpenedWithItsSettingsAndErrorsAskWhetherToGoOn) {
    auto& c = open<frmSerialReader>(ReaderKind::SerialReader);
    auto& port = *t.serialPorts.back();
    c.edtRFIDIpPort->setText("3");
    c.edtRFIDIpAddr->setText("19200,E,7,1");
    c.cmdConnect_Click();
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.CommPort(), 3);
    EXPECT_EQ(port.Settings(), "19200,E,7,1");
    EXPECT_EQ(port.Handshaking(), 2);
    EXPECT_EQ(port.RThreshold(), 1);
    EXPECT_TRUE(port.RTSEnable());
    EXPECT_EQ(c.statusPanel(1), "verbunden...");
    EXPECT_EQ(c.lamp(), Lamp::Green);
    EXPECT_FALSE(c.autoFillBackground());

    // A framing error asks once; later data asks nothing. OK goes on.
    t.dialogs().planMsgBox(MsgBoxResult::Ok);
    port.raiseEvent(CommEvent::Frame);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabErfassen);
    port.feed("77\r");
    EXPECT_EQ(t.dialogs().messages(), QStringList{"Framing Error"});
    EXPECT_EQ(c.telegramRows().size(), 1);
    // Cancel closes the port and leaves panel and lamp as they are.
    t.dialogs().planMsgBox(MsgBoxResult::Cancel);
    port.raiseEvent(1005);
    EXPECT_EQ(t.dialogs().messages().last(), "Unknown error or event");
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(c.lamp(), Lamp::Green);

    c.cmdDisconnect_Click();
    EXPECT_EQ(c.statusPanel(1), "getrennt...");
    EXPECT_EQ(c.lamp(), Lamp::Red);

    // A port that cannot be opened: red lamp, empty panel, no message.
    port.failOpen = true;
    c.cmdConnect_Click();
    EXPECT_EQ(c.lamp(), Lamp::Red);
    EXPECT_EQ(c.statusPanel(1), "");
    EXPECT_EQ(t.dialogs().messages().size(), 2);

    // An adapter pulled out while connected: its box, then the link shows as ended.
    port.failOpen = false;
    c.cmdConnect_Click();
    ASSERT_EQ(c.lamp(), Lamp::Green);
    t.dialogs().planMsgBox(MsgBoxResult::Ok);
    port.unplug();
    EXPECT_EQ(t.dialogs().messages().last(), "Error retrieving DCB");
    EXPECT_EQ(c.lamp(), Lamp::Red);
    EXPECT_EQ(c.statusPanel(1), "getrennt...");
}

TEST_F(Window, ClearLogAndExportOfTheTelegramGrid) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(1)));
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(2)));

    c.cmdLogOpen_Click();
    EXPECT_EQ(t.openedInTextViewer, QStringList{c.logPath()});

    // A blank name writes nothing; a name writes every row.
    t.dialogs().planFile("   ");
    c.cmdExportReaderdata_Click();
    EXPECT_EQ(t.dialogs().lastFileRequest.fileName, "UHFReaderOutput.txt");
    const QString file = t.path("rows.txt");
    t.dialogs().planFile(file);
    c.cmdExportReaderdata_Click();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    EXPECT_EQ(written, nativeTelegram(1).chopped(1) + "\r\n" + nativeTelegram(2).chopped(1) + "\r\n");
    f.close();
    // A write that stops halfway (a full disk) is reported and keeps the file as it was.
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(3)));
    t.dialogs().planFile(file);
    {
        FileSizeLimit fullDisk(written.size());
        c.cmdExportReaderdata_Click();
    }
    ASSERT_FALSE(t.dialogs().messages().isEmpty());
    EXPECT_EQ(t.dialogs().messages().last(), "Fehler: 75 - Fehler beim Zugriff auf Pfad/Datei: " + file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), written);

    c.cmdClear_Click(0);
    EXPECT_TRUE(c.telegramRows().isEmpty());
}

} // namespace
