// The receive path of the consoles: units, the repeat test, the tab actions and booking.
#include "ReaderTestSupport.h"

#include "core/TransponderLookup.h"
#include "platform/SerialPort.h"
#include "readers/TransponderData.h"
#include "platform/Dialogs.h"
#include "support/PtyPair.h"

#include <QApplication>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

struct Booking : ConsoleTest {
    FakeReaderServer reader;

    // Connects the console's socket to the fake reader and selects the booking tab.
    void link(ReaderConsole& c) {
        connectTo(c, reader);
        c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    }
    QStringList bookingList() const { return console->bookingLines(); }
};

// A bridge line of a Motorola reader: the tag number's digits, two by two from the back.
QByteArray motorolaLine(const QString& pairsReversed) {
    return (pairsReversed + "000000000000\r\n").toLatin1();
}

TEST_F(Booking, NativeTelegramsAreBookedWhateverTheReaderChunking) {
    ReaderConsole& c = open(ReaderKind::RFID);
    assign(idOf(7), 17);
    link(c);

    // Two telegrams in one event are two reads.
    reader.send(nativeTelegram(7) + nativeTelegram(8));
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 2; }));
    EXPECT_EQ(main.handedOver, (QStringList{"17", "8"}));

    // A telegram split over two events is one read.
    const QByteArray t9 = nativeTelegram(9, 2);
    reader.send(t9.left(30));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(main.handedOver.size(), 2);
    reader.send(t9.mid(30) + nativeTelegram(10).left(5));
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 3; }));
    EXPECT_EQ(main.handedOver.last(), "9");
    EXPECT_EQ(c.statusPanel(5), "1");
    EXPECT_EQ(c.statusPanel(3), "RCV: 3");

    // The log holds each telegram as received (without its CR), its antenna and its booking.
    const QStringList log = logLines();
    const QString t7 = QString::fromLatin1(nativeTelegram(7)).chopped(1);
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0], t7);
    EXPECT_EQ(log[1], "Transponder erkannt an Antenne: 1");
    EXPECT_EQ(log[2], "17.05.2026 10:00:00 RFID: " + idOf(7) + " Startnummer: 17 gebucht!");
    EXPECT_EQ(bookingList().size(), 3);
}

TEST_F(Booking, RepeatsAreSkippedAndAStartNumberIsDebouncedUntilTheTimeIsOver) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    const auto read = [&](int tag) { c.ProcessTelegram(QString::fromLatin1(nativeTelegram(tag, 3))); };

    read(1);
    read(1); // a repeat: no list line, no booking log line
    EXPECT_EQ(main.handedOver, QStringList{"1"});
    EXPECT_EQ(bookingList().size(), 1);
    read(2);
    t.clock().advanceMs(60'000);
    read(1); // 60 s after its booking: still debounced
    EXPECT_EQ(main.handedOver, (QStringList{"1", "2"}));
    EXPECT_EQ(bookingList().last(), "RFID: " + idOf(1) + " Startnummer: 1 entprellt!");
    EXPECT_TRUE(logLines().contains("RFID: " + idOf(1) + " Startnummer: 1 entprellt!"));
    read(2);
    t.clock().advanceMs(1'000);
    read(1);
    EXPECT_EQ(main.handedOver, (QStringList{"1", "2", "1"}));

    // Antenna 3 counted every read, repeats too; RCV only the others.
    EXPECT_EQ(c.statusPanel(6), "6");
    EXPECT_EQ(c.statusPanel(3), "RCV: 5");
    EXPECT_EQ(c.statusPanel(2), idOf(1));
    EXPECT_EQ(c.lastID(), idOf(1));
}

TEST_F(Booking, EachConsoleFollowsItsOwnBookingRules) {
    // Tag 123 is assigned to start number 77; tags 99999 and 99998 are unassigned and too
    // high to be their own number, so both book start number 0.
    assign(idOf(123), 77);
    assign(QString(23, '0') + "123", 77);
    for (ReaderKind kind :
         {ReaderKind::RFID, ReaderKind::Mercury, ReaderKind::Motorola, ReaderKind::SerialReader}) {
        ReaderConsole& c = open(kind);
        const std::string name = c.objectName().toStdString();
        main.handedOver.clear();
        QFile::remove(t.path("Reader.txt"));
        const auto unit = [kind](int tag) {
            if (kind == ReaderKind::RFID)
                return QString::fromLatin1(nativeTelegram(tag));
            if (kind == ReaderKind::SerialReader)
                return QString::number(tag);
            // The tag's decimal digits two by two from the back, as both bridges send them.
            QString digits = QStringLiteral("%1").arg(tag, 6, 10, QLatin1Char('0'));
            QString pairs;
            for (int i = digits.size() - 2; i >= 0; i -= 2)
                pairs += digits.mid(i, 2);
            return pairs + QString(24 - pairs.size(), '0');
        };
        if (kind == ReaderKind::SerialReader)
            c.edtRFIDKopf->setText("21");
        else
            c.edtRFIDIpAddr->setText("127.0.0.1"); // a bridge on this PC is the normal case
        c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);

        c.ProcessTelegram(unit(123));
        c.ProcessTelegram(unit(124));
        c.ProcessTelegram(unit(123)); // within the debounce time
        // Only the native console takes a reader on 127.0.0.1 for a simulation sending start
        // numbers as IDs.
        EXPECT_EQ(main.handedOver, (QStringList{kind == ReaderKind::RFID ? "123" : "77", "124"})) << name;
        const bool listed = c.bookingLines().last().endsWith(" entprellt!");
        EXPECT_EQ(listed, kind == ReaderKind::Mercury || kind == ReaderKind::RFID) << name;
        EXPECT_TRUE(logLines().last().endsWith(" entprellt!")) << name;

        // The adapted telegram goes to the log after the adapter's lines on Mercury and serial.
        const QStringList log = logLines();
        const auto out = log.indexOf(QRegularExpression("^\\(OUT\\) PrepareMessage: .*"));
        if (kind != ReaderKind::RFID) {
            ASSERT_GE(out, 0) << name;
            EXPECT_EQ(log.value(out + 1).startsWith("S2Cuam"),
                      kind == ReaderKind::Mercury || kind == ReaderKind::SerialReader)
                << name;
        }

        // Start number 0 escapes the debounce on Mercury alone.
        if (kind != ReaderKind::SerialReader)
            c.edtRFIDIpAddr->setText(ReaderHost);
        main.handedOver.clear();
        c.ProcessTelegram(unit(99999));
        c.ProcessTelegram(unit(99998));
        c.ProcessTelegram(unit(99999));
        EXPECT_EQ(main.handedOver.size(), kind == ReaderKind::Mercury ? 3 : 1) << name;
    }
}

TEST_F(Booking, BridgeLinesAreBookedWhateverTheChunking) {
    ReaderConsole& c = open(ReaderKind::Motorola);
    link(c);
    // Lines 123, 124 and the start of 125 in one event: 125 waits for its line end, which
    // may come as CR, LF or CR LF, also split.
    reader.send(motorolaLine("230100000000") + motorolaLine("240100000000") + "2501");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 2; }));
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(main.handedOver.size(), 2);
    reader.send("00000000000000000000\r");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 3; }));
    reader.send("\n");
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(main.handedOver, (QStringList{"123", "124", "125"}));

    // A repeat is logged; every unit is preceded by the separator line.
    reader.send(motorolaLine("250100000000"));
    ASSERT_TRUE(waitUntil([&] { return logLines().contains("Transponder doppelt erkannt!"); }));
    const QStringList log = logLines();
    EXPECT_EQ(log.count(QString(44, '-')), 4);
    EXPECT_TRUE(log.contains("(IN) PrepareMessage: 230100000000000000000000"));
    EXPECT_TRUE(log.contains("(OUT) PrepareMessage: 00000000000000000000000123"));
    // The newest booking is selected.
    EXPECT_TRUE(waitUntil([&] { return c.selectedBooking() == 2; }));
}

TEST_F(Booking, MercuryBridgeLinesSplitOrJoinedAreEachOneRead) {
    ReaderConsole& c = open(ReaderKind::Mercury);
    link(c);
    reader.send("230100000000000000000000\r\n240100000");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 1; }));
    reader.send("000000000000000\r\n");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 2; }));
    EXPECT_EQ(main.handedOver, (QStringList{"123", "124"}));
    // A bridge whose runtime ends its lines with LF alone loses no read.
    reader.send("250100000000000000000000\n");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 3; }));
    EXPECT_EQ(main.handedOver.last(), "125");
    // The built telegram is logged after the adapter's two lines.
    const QStringList log = logLines();
    const auto out = log.indexOf("(OUT) PrepareMessage: 00000000000000000000000123");
    ASSERT_GE(out, 1);
    EXPECT_TRUE(log[out + 1].startsWith("S2Cuam0FF050"));
    EXPECT_TRUE(log[out + 1].endsWith("00000000000000000000000123"));
}

TEST_F(Booking, TheSerialReaderBooksEveryLineOfItsChunks) {
    PtyPair pty;
    if (!pty.ok())
        GTEST_SKIP() << "socat is not available";
    t.services().createSerialPort = [&] {
        return std::make_unique<QtSerialPort>([&](int) { return pty.deviceA(); });
    };
    ReaderConsole& c = open(ReaderKind::SerialReader);
    c.edtRFIDKopf->setText("21"); // the whole 26-digit ID field
    c.cmdConnect_Click();
    ASSERT_EQ(c.statusPanel(1), "verbunden...");
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    PtyEnd far(pty.deviceB());
    ASSERT_TRUE(far.isOpen());

    far.write("4321\r\n678");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 1; }));
    far.write("\r");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 2; }));
    // Blanks at the ends of a chunk go; the line is put together from its chunks.
    far.write("12 ");
    waitUntil([] { return false; }, 50);
    far.write("34\r9");
    ASSERT_TRUE(waitUntil([&] { return main.handedOver.size() == 3; }));
    EXPECT_EQ(main.handedOver, (QStringList{"4321", "678", "1234"}));
    EXPECT_TRUE(waitUntil([&] { return c.selectedBooking() == 2; }));
    EXPECT_TRUE(logLines().contains("(IN) PrepareMessage: 678"));
    c.cmdDisconnect_Click();
}

TEST_F(Booking, ReadsArrivingWhileAHandOverShowsABoxKeepTheirTimeAndSurviveTrennen) {
    PtyPair pty;
    if (!pty.ok())
        GTEST_SKIP() << "socat is not available";
    t.services().createSerialPort = [&] {
        return std::make_unique<QtSerialPort>([&](int) { return pty.deviceA(); });
    };
    for (ReaderKind kind : {ReaderKind::RFID, ReaderKind::SerialReader}) {
        ReaderConsole& c = open(kind);
        std::unique_ptr<PtyEnd> far;
        std::function<void(int)> send = [&](int tag) { reader.send(nativeTelegram(tag)); };
        if (kind == ReaderKind::RFID) {
            link(c);
        } else {
            c.edtRFIDKopf->setText("21");
            c.cmdConnect_Click();
            c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
            far = std::make_unique<PtyEnd>(pty.deviceB());
            send = [&](int tag) { far->write(QByteArray::number(tag) + "\r"); };
        }
        main.handedOver.clear();
        main.arrivals.clear();
        const QDateTime t0 = t.clock().now();
        // The first hand-over shows a real box. While it is open, reads come at 10:00:05 and
        // 10:00:09, each once the one before was taken (or 2 s passed); it closes at 10:00:20.
        bool first = true;
        bool boxClosed = false;
        main.onHandOver = [&] {
            if (!std::exchange(first, false))
                return;
            int step = 0;
            QElapsedTimer since;
            since.start();
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                QWidget* box = QApplication::activeModalWidget();
                if (!box || (step > 0 && c.queuedUnits() < std::size_t(step) && since.elapsed() < 2000))
                    return;
                since.restart();
                t.clock().set(t0.addSecs(step == 0 ? 5 : step == 1 ? 9 : 20));
                if (step < 2)
                    send(2 + step);
                else
                    box->close();
                ++step;
            });
            poll.start(5);
            QtDialogs("Vek. Chronivo").MsgBox("Zusatzsicherung nicht geschrieben", MsgBoxStyle::Critical, {});
            boxClosed = true;
        };
        send(1);
        ASSERT_TRUE(waitUntil([&] { return boxClosed; }, 10000));
        c.cmdDisconnect_Click();
        waitUntil([&] { return main.handedOver.size() == 3; });
        EXPECT_EQ(main.handedOver, (QStringList{"1", "2", "3"})) << c.objectName().toStdString();
        EXPECT_EQ(main.arrivals, (QList<QDateTime>{t0, t0.addSecs(5), t0.addSecs(9)}))
            << c.objectName().toStdString();
        console.reset();
    }
}

TEST_F(Booking, WithoutARunEveryConsoleSaysSoAndBooksNothing) {
    for (ReaderKind kind :
         {ReaderKind::RFID, ReaderKind::Mercury, ReaderKind::Motorola, ReaderKind::SerialReader}) {
        ReaderConsole& c = open(kind);
        const QString unit = kind == ReaderKind::RFID           ? QString::fromLatin1(nativeTelegram(5))
                             : kind == ReaderKind::SerialReader ? QString("5")
                                                                : QString("0500000000000000000000");
        const int before = t.dialogs().countContaining("Lauf ist noch nicht gestartet!");
        main.running = false;
        c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
        c.ProcessTelegram(unit);
        EXPECT_EQ(t.dialogs().countContaining("Lauf ist noch nicht gestartet!"), before + 1);
        EXPECT_EQ(t.dialogs().shown().back().style, MsgBoxStyle::Information);
        EXPECT_EQ(c.tabRDIF->currentIndex(), ReaderConsole::TabMeldungen);
        EXPECT_TRUE(main.handedOver.isEmpty());
        EXPECT_EQ(c.debounceTable().lastBook(5), 0);

        // The read became the last ID: the same tag next is a repeat, another one books.
        main.running = true;
        c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
        if (kind == ReaderKind::RFID) {
            c.ProcessTelegram(unit);
            EXPECT_TRUE(main.handedOver.isEmpty());
        }
        main.handedOver.clear();
    }
}

TEST_F(Booking, ReadsThatCannotBeBookedAreLoggedAndSkipped) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    assign(idOf(1), 20000);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(1)));
    // An ID shorter than the header: the telegram has no ID.
    c.ProcessTelegram("S2Cuam0FF0501\r");
    c.edtRFIDKopf->setText("");
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(3)));
    EXPECT_TRUE(main.handedOver.isEmpty());
    EXPECT_TRUE(t.dialogs().messages().isEmpty());

    const QStringList log = logLines();
    EXPECT_TRUE(log.contains("RFID: " + idOf(1) +
                             " Startnummer: 20000 nicht gebucht: Startnummer nicht zwischen 0 "
                             "und 10000!"));
    EXPECT_EQ(log.filter("Telegramm ohne Transponder-ID").size(), 2);
    EXPECT_EQ(bookingList().size(), 3);

    // Back to sound settings, the next read books.
    c.edtRFIDKopf->setText("22");
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(4)));
    EXPECT_EQ(main.handedOver, QStringList{"4"});
}

TEST_F(Booking, TheDebounceTimeTakesOnlyNumbersAndKeepsTheLastGoodOne) {
    t.settings().SaveSetting("RFID", "Entprellung", ""); // stored by an earlier version
    ReaderConsole& c = open(ReaderKind::RFID);
    EXPECT_EQ(c.edtEntprellung->text(), "60");
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    c.edtEntprellung->setText("30");
    QTest::keyClick(c.edtEntprellung, Qt::Key_Return);
    for (const QString& typed : {"0,5", "sechzig", "-5"}) {
        c.edtEntprellung->setText(typed);
        EXPECT_EQ(c.edtEntprellung->text(), "30") << typed.toStdString();
    }
    EXPECT_EQ(t.dialogs().messages(), QStringList(3, "Bitte nur Zahlen eingaben!"));
    // A box emptied to type anew books with the last good time.
    c.edtEntprellung->setText("");
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(2)));
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(3)));
    t.clock().advanceMs(40 * 1000); // past 30 s, not past the default 60 s
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(2)));
    EXPECT_EQ(main.handedOver, (QStringList{"2", "3", "2"}));
    c.close();
    EXPECT_EQ(t.settings().GetSetting("RFID", "Entprellung"), "30");
}

TEST_F(Booking, ADebounceTimeTypedWithACommaIsRefusedWholeAndTheTimeThatStoodStays) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(2)));
    c.edtEntprellung->selectAll();
    QTest::keyClicks(c.edtEntprellung, "0,5");
    QTest::keyClick(c.edtEntprellung, Qt::Key_Return);
    EXPECT_EQ(c.edtEntprellung->text(), "60");
    EXPECT_EQ(t.dialogs().messages(), QStringList{"Bitte nur Zahlen eingaben!"});
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(3)));
    t.clock().advanceMs(6000);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(2)));
    EXPECT_EQ(main.handedOver, (QStringList{"2", "3"}));
    c.close();
    EXPECT_EQ(t.settings().GetSetting("RFID", "Entprellung"), "60");
}

TEST_F(Booking, AFailedHandOverIsReportedAndTheTagsNextReadStillBooks) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    main.failHandOver = true;
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(8)));
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_EQ(t.dialogs().messages().first(), "Fehlernummer: 3146\rDatenbank gesperrt");
    EXPECT_EQ(c.debounceTable().lastBook(8), 0);
    // Logged and listed as not booked, as every other read that made no result.
    ASSERT_EQ(bookingList().size(), 1);
    EXPECT_TRUE(bookingList().first().endsWith("nicht gebucht: Wertung fehlgeschlagen!"));
    EXPECT_EQ(logLines().filter("nicht gebucht: Wertung fehlgeschlagen!").size(), 1);
    EXPECT_TRUE(logLines().filter(" gebucht!").isEmpty());
    main.failHandOver = false;

    // The main window could not store the result and said so itself: no second box, the
    // runner is not debounced and the same tag's next read is no repeat.
    main.refuseHandOver = true;
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(8)));
    EXPECT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_EQ(c.debounceTable().lastBook(8), 0);
    EXPECT_EQ(bookingList().size(), 2);
    EXPECT_TRUE(bookingList().last().endsWith("nicht gebucht: Wertung fehlgeschlagen!"));
    EXPECT_EQ(logLines().filter("nicht gebucht: Wertung fehlgeschlagen!").size(), 2);
    main.refuseHandOver = false;

    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(8)));
    EXPECT_EQ(main.handedOver, QStringList{"8"});
}

TEST_F(Booking, AReaderSimulatedOnThisPcSendsStartNumbersAsIds) {
    ReaderConsole& c = open(ReaderKind::RFID);
    assign(idOf(42), 7);
    c.edtRFIDIpAddr->setText("127.0.0.1");
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(42)));
    EXPECT_EQ(main.handedOver, QStringList{"42"});
}

TEST_F(Booking, TheOtherTabsFillTheirFieldsFromTheReads) {
    ReaderConsole& c = open(ReaderKind::RFID);
    assign(idOf(3), 33);
    const auto read = [&](int tab, const QString& unit) {
        c.tabRDIF->setCurrentIndex(tab);
        c.ProcessTelegram(unit);
    };
    read(ReaderConsole::TabErfassen, QString::fromLatin1(nativeTelegram(9)));
    EXPECT_EQ(c.edtTransponder->text(), idOf(9));
    read(ReaderConsole::TabPruefen, QString::fromLatin1(nativeTelegram(3)));
    EXPECT_EQ(c.edtPruefRFID->text(), idOf(3));
    EXPECT_EQ(c.edtPruefStartnummer->text(), "33");
    read(ReaderConsole::TabPruefen, QString::fromLatin1(nativeTelegram(12)));
    EXPECT_EQ(c.edtPruefStartnummer->text(), "12");

    // Register replies: power and attenuation of the antennas; an upper-case F is no reply.
    read(ReaderConsole::TabAntennen, "S05f06A44\rS05f06F28\rS05f06B00\r");
    read(ReaderConsole::TabAntennen, "S05F06C50\r");
    EXPECT_EQ(c.sliAntenne[0]->value(), 68);
    EXPECT_TRUE(c.chkAntAkt[0]->isChecked());
    EXPECT_FALSE(c.chkAntAkt[1]->isChecked());
    EXPECT_EQ(c.VScroll1[1]->value(), 40);
    EXPECT_EQ(c.edtAntDaempfung[1]->text(), "10");
    EXPECT_FALSE(c.chkAntAkt[2]->isChecked());
    EXPECT_EQ(c.edtRcvMsg[1]->text(), "S05F06C50\r");

    read(ReaderConsole::TabUhrzeit, "S0Bugt0C0615669\r");
    EXPECT_EQ(c.edtReaderZeit->text(), "01.01.2026 12:00:00");
    EXPECT_EQ(c.edtRcvMsg[2]->text(), "S0Bugt0C0615669\r");
    read(ReaderConsole::TabBefehl, "S04ok00\r");
    EXPECT_EQ(c.edtRcvMsg[3]->text(), "S04ok00\r");
    EXPECT_EQ(c.edtRcvMsg[2]->text(), "S0Bugt0C0615669\r");
    EXPECT_TRUE(main.handedOver.isEmpty());
}

TEST_F(Booking, AWrittenTagIsAssignedToItsNumberWhenItsReadConfirmsTheWrite) {
    ReaderConsole& c = open(ReaderKind::RFID);
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabSchreiben);
    c.edtWriteText->setText("123");
    // No write pending: nothing is stored.
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(123)));
    EXPECT_EQ(c.edtWriteText->text(), "123");

    c.setWritePending(true);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(555, 2))); // another tag: still waiting
    EXPECT_TRUE(c.isWritePending());
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(123, 2)));
    EXPECT_FALSE(c.isWritePending());
    EXPECT_EQ(c.edtWriteText->text(), "124");
    EXPECT_EQ(t.beeper().beeps, 1);
    EXPECT_EQ(modChronivo::GetStartnummerByTransponder(*t.services().local.gdbLocal, idOf(123)), "123");
    EXPECT_EQ(c.dataTransponder->rowCount(), 1);

    // A tag that has a row already: the refusal is reported, the number still moves on.
    c.edtWriteText->setText("123");
    c.setWritePending(true);
    c.ProcessTelegram(QString::fromLatin1(nativeTelegram(123, 4)));
    ASSERT_EQ(t.dialogs().messages().size(), 1);
    EXPECT_TRUE(t.dialogs().messages().first().startsWith("Fehlernummer: 3022\r"));
    EXPECT_EQ(c.edtWriteText->text(), "124");
    EXPECT_FALSE(c.isWritePending());
}

} // namespace
