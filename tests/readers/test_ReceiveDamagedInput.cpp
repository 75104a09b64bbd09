// What the consoles make of cut, glued and garbage input: no read is lost, nothing that is
// not a read is booked, and the log stays readable.
#include "ReaderTestSupport.h"

#include "platform/TcpSocket.h"
#include "readers/frmSerialReader.h"
#include "readers/InfoTextModel.h"
#include "readers/TcpReaderConsole.h"
#include "support/FakeSerialPort.h"

#include <QTabWidget>
#include <QTimer>

#include <sys/socket.h>

namespace {

struct DamagedInput : ConsoleTest {
    FakeReaderServer reader;

    void link(ReaderConsole& c) {
        connectTo(c, reader);
        c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    }
    // Lets the link deliver what was sent, then checks the hand-overs.
    void expectHandedOver(const QStringList& numbers) {
        waitUntil([&] { return main.handedOver.size() >= numbers.size(); });
        waitUntil([] { return false; }, 50);
        EXPECT_EQ(main.handedOver, numbers);
    }
    FakeSerialPort& openSerial() {
        ReaderConsole& c = open(ReaderKind::SerialReader);
        c.cmdConnect_Click();
        c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
        return *t.serialPorts.back();
    }
};

QByteArray endedBy(const QByteArray& telegram, const QByteArray& lineEnd) {
    return telegram.chopped(1) + lineEnd;
}

TEST_F(DamagedInput, TheNativeConsoleFindsEachTelegramByItsFrame) {
    ReaderConsole& c = open(ReaderKind::RFID);
    link(c);

    // The reader stops in mid-telegram; a second later a whole telegram comes.
    reader.send(nativeTelegram(77).left(25));
    waitUntil([] { return false; }, 50);
    t.clock().advanceMs(1500);
    reader.send(nativeTelegram(2003));
    expectHandedOver({"2003"});

    // Junk in front of a telegram.
    reader.send("#\x01z" + nativeTelegram(1502));
    expectHandedOver({"2003", "1502"});
    EXPECT_EQ(c.bookingLines().last(),
              "17.05.2026 10:00:00 RFID: " + idOf(1502) + " Startnummer: 1502 gebucht!");

    // Telegrams ended by LF alone, by CR LF and by LF CR: three reads, IDs without line ends.
    reader.send(endedBy(nativeTelegram(11), "\n") + endedBy(nativeTelegram(12), "\r\n") +
                endedBy(nativeTelegram(13), "\n\r"));
    expectHandedOver({"2003", "1502", "11", "12", "13"});
    EXPECT_EQ(c.lastID(), idOf(13));

    const QStringList log = logLines();
    EXPECT_TRUE(
        log.contains("Unvollständiges Telegramm verworfen (kein Zeilenende innerhalb 1 s) (25 Zeichen): " +
                     QString::fromLatin1(nativeTelegram(77).left(25))));
    EXPECT_TRUE(
        log.contains("Empfangene Zeichen ohne gültigen Telegrammrahmen verworfen (3 Zeichen): #\x01z"));
}

TEST_F(DamagedInput, TheBridgeConsolesTakeCrLfOrCrLfAsALineEnd) {
    ReaderConsole& c = open(ReaderKind::Motorola);
    link(c);
    reader.send("230100000000000000000000\n240100000000000000000000\r250100000000000000000000\n"
                "260100000000000000000000\r");
    expectHandedOver({"123", "124", "125", "126"});
}

TEST_F(DamagedInput, TheSerialConsoleTakesAnyLineEndAndSurvivesAnEndlessLine) {
    FakeSerialPort& port = openSerial();
    port.feed("305\n306\n");
    port.feed("307\r");
    EXPECT_EQ(main.handedOver, (QStringList{"305", "306", "307"}));

    // 2 MB of digits without a line end, then a good line.
    const QByteArray kilo(1024, '4');
    for (int i = 0; i < 2048; ++i)
        port.feed(kilo);
    port.feed("4\r1701\r");
    EXPECT_EQ(main.handedOver, (QStringList{"305", "306", "307", "1701"}));
    const QStringList log = logLines();
    EXPECT_EQ(log.filter("Zu lange Zeile ohne Zeilenende verworfen").size(), 1);
    // Every log line is short, the dropped line included.
    for (const QString& line : log)
        EXPECT_LE(line.size(), MaxShownChars + 60);
}

TEST_F(DamagedInput, TheSerialConsolesDefaultHeaderBooksTheTagsNumberAndAStoredHeaderIsKept) {
    FakeSerialPort& port = openSerial();
    ASSERT_EQ(console->edtRFIDKopf->text(), "21");
    port.feed("123\r");
    assign("A17", 17);
    port.feed("A17\r");
    EXPECT_EQ(main.handedOver, (QStringList{"123", "17"}));
    EXPECT_EQ(console->lastID(), "A17");

    console->edtRFIDKopf->setText("0");
    console->Form_Unload();
    console->Form_Load();
    EXPECT_EQ(console->edtRFIDKopf->text(), "0");
}

TEST_F(DamagedInput, OnlyTagReadsAreBookedAndAnUnassignedTagStillBooksZero) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    // 200 "Z": no "uam", so no read.
    c.ProcessTelegram(QString(200, 'Z') + "\r");
    // A reply with "uam" that is no longer than the header.
    c.ProcessTelegram("S13uam0FF050100000000\r");
    EXPECT_TRUE(main.handedOver.isEmpty());
    EXPECT_TRUE(c.bookingLines().filter(" gebucht!").isEmpty());
    EXPECT_EQ(c.rcvCount(), 0);
    const QStringList log = logLines();
    EXPECT_TRUE(log.contains("Kein Transponder-Telegramm, nicht gebucht: " + QString(200, 'Z')));

    // A real tag without an assignment and without a number for an ID books 0.
    const QString tag = "S2Auam0FF0501" + QStringLiteral("C0615669") + "E200341201FFFFFFFFFFFFFFFFF\r";
    c.ProcessTelegram(tag);
    EXPECT_EQ(main.handedOver, QStringList{"0"});
}

TEST_F(DamagedInput, UnitsAreLoggedAndShownOnOneLineEach) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabMeldungen);
    c.ProcessTelegram("S06uam\r\nX\r");
    c.ProcessTelegram(QString(5000, 'Y'));
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], "S06uam<CR><LF>X");
    EXPECT_EQ(log[2], QString(MaxShownChars, 'Y') + " ... (gekürzt, 5000 Zeichen)");
    EXPECT_EQ(c.telegramRows(), (QStringList{"S06uam<CR><LF>X", log[2]}));
}

TEST_F(DamagedInput, ReadsOfABurstAreTimedByTheirArrival) {
    ReaderConsole& c = open(ReaderKind::RFID);
    link(c);
    const QDateTime arrived = t.clock().now();
    // Each result takes the main window a second.
    main.onHandOver = [&] { t.clock().advanceMs(1000); };
    reader.send(nativeTelegram(1) + nativeTelegram(2) + nativeTelegram(3));
    expectHandedOver({"1", "2", "3"});
    EXPECT_EQ(main.arrivals, (QList<QDateTime>{arrived, arrived, arrived}));
    // The debounce counts from the arrival as well.
    EXPECT_EQ(c.debounceTable().lastBook(3), TagReadTelegram::VbTimeToNetTime(arrived));
}

TEST_F(DamagedInput, ABurstIsHandledInSlicesWithTheWindowRunningInBetween) {
    ReaderConsole& c = open(ReaderKind::RFID);
    link(c);
    int ticks = 0;
    int ticksAtFirst = -1;
    int ticksAtLast = -1;
    main.onHandOver = [&] {
        QThread::msleep(2);
        if (ticksAtFirst < 0)
            ticksAtFirst = ticks;
        ticksAtLast = ticks;
    };
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(0);
    QByteArray burst;
    for (int tag = 1; tag <= 100; ++tag)
        burst += nativeTelegram(tag);
    reader.send(burst);
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 100; }, 10000));
    EXPECT_GT(ticksAtLast, ticksAtFirst);
}

TEST_F(DamagedInput, AFloodingReaderIsHeldBackWhileTheQueueIsFullAndEveryReadIsStillTaken) {
    auto& c = open<TcpReaderConsole>(ReaderKind::RFID);
    link(c);
    // Every result takes a millisecond and shows a box, in whose event loop the link goes on
    // delivering. A telegram cut by the hold-back waits longer than a reader may leave one.
    main.onHandOver = [&] {
        t.clock().advanceMs(1);
        QCoreApplication::processEvents();
    };
    std::size_t peak = 0;
    QObject::connect(&c.Winsock1(), &TcpSocket::DataArrival, [&] { peak = std::max(peak, c.queuedUnits()); });
    const int reads = 3 * int(ReaderConsole::MaxQueuedUnits);
    QByteArray flood;
    for (int tag = 1; tag <= reads; ++tag)
        flood += nativeTelegram(tag);
    reader.send(flood);
    // The reader goes while much of what it sent still waits on the link.
    reader.peer()->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return c.telegramCount() == reads; }, 30000)) << c.telegramCount();
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
    EXPECT_LE(peak,
              ReaderConsole::MaxQueuedUnits + QtTcpSocket::ReadBufferBytes / nativeTelegram(1).size() + 1);
    // Tags up to 10000 are their own start numbers; the others are refused.
    EXPECT_EQ(main.handedOver.size(), 10000);

    // The serial console alike, 10000 lines coming while the first result's box is open.
    FakeSerialPort& port = openSerial();
    main.handedOver.clear();
    peak = 0;
    bool first = true;
    main.onHandOver = [&] {
        if (!std::exchange(first, false))
            return;
        for (int n = 2; n <= 10000; n += 100) {
            QByteArray lines;
            for (int i = n; i < n + 100 && i <= 10000; ++i)
                lines += QByteArray::number(i) + "\r";
            port.feed(lines);
            peak = std::max(peak, console->queuedUnits());
        }
    };
    port.feed("1\r");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 10000; }, 30000)) << main.handedOver.size();
    EXPECT_LE(peak, ReaderConsole::MaxQueuedUnits + 100);
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(DamagedInput, AResetByTheReaderIsReportedAsError10054) {
    auto& c = open<TcpReaderConsole>(ReaderKind::RFID);
    connectTo(c, reader);
    linger l{1, 0};
    ASSERT_EQ(::setsockopt(static_cast<int>(reader.peer()->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l,
                           sizeof l),
              0);
    reader.peer()->abort();
    ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Red; }));
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_EQ(t.dialogs().messages().first(), "Die Verbindung wurde von der Gegenstelle zurückgesetzt");
    EXPECT_EQ(c.statusPanel(1), "nicht verbunden");
}

TEST(InfoTextModel, KeepsEveryRowsTextAndTimeCompactly) {
    InfoTextModel m;
    const qint64 t0 = 1'767'268'800'000;
    QStringList texts;
    for (int i = 0; i < 5000; ++i) {
        texts << QStringLiteral("S2Cuam0FF0501C0615669%1").arg(i, 26, 10, QLatin1Char('0'));
        m.append(texts.last(), t0 + i * 7 - (i % 3));
    }
    m.append(QStringLiteral("Startnummer: ä ü 0 gebucht!"), t0 - 5);
    texts << QStringLiteral("Startnummer: ä ü 0 gebucht!");
    ASSERT_EQ(m.count(), 5001);
    EXPECT_EQ(m.rows(), texts);
    for (int i : {0, 1, 15, 16, 17, 1234, 2499, 4999})
        EXPECT_EQ(m.timeMs(i), t0 + i * 7 - (i % 3)) << i;
    EXPECT_EQ(m.text(5000), texts.last());
    EXPECT_EQ(m.timeMs(5000), t0 - 5);
    EXPECT_LE(m.memoryBytes(), 5001 * 64);
    // Views see rows when they are shown.
    EXPECT_EQ(m.rowCount(), 0);
    m.show();
    EXPECT_EQ(m.rowCount(), 5001);
    EXPECT_EQ(m.data(m.index(4999, 0)).toString(), texts[4999]);
    m.clear();
    EXPECT_EQ(m.count(), 0);
    EXPECT_TRUE(m.rows().isEmpty());
}

} // namespace
