// From the reader to the result table: a run is started in the main window, a native reader
// on a loopback port sends reads, and the results appear in Chronvo.
#include "ReaderTestSupport.h"

#include "platform/DbEngine.h"
#include "timing/frmChronivo.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

struct EndToEnd : ::testing::Test {
    TestServices t;
    std::unique_ptr<frmChronivo> w;

    EndToEnd() { qputenv("TMPDIR", QFile::encodeName(t.folder())); }
    ~EndToEnd() override {
        w.reset();
        qunsetenv("TMPDIR");
    }
    void at(int h, int m, int s) {
        t.clock().setTime(QTime(h, m, s));
        w->lblSysTimeOut->setText(QTime(h, m, s).toString("hh:mm:ss"));
    }
    QStringList logLines() const {
        QFile f(t.path("Reader.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).split("\r\n") : QStringList();
    }
    std::vector<std::pair<int, int>> placesAndStartNumbers() {
        Recordset rs = t.services().local.gdbLocal->OpenRecordset(
            "select Platzierung, Startnummer from Chronvo where Laufnummer = 1 order by Platzierung");
        std::vector<std::pair<int, int>> out;
        for (const auto& row : rs.rows())
            out.emplace_back(row[0].toInt(), row[1].toInt());
        return out;
    }
};

TEST_F(EndToEnd, ReadsOfARunningRunBecomeResultsWithoutRepeatsAndDebouncedReads) {
    w = std::make_unique<frmChronivo>(t.services());
    w->startUp();
    w->mnuRFIDDialog_Click();
    ReaderConsole& c = *w->readerConsole(ReaderKind::RFID);

    // Two runners' transponders assigned on the tab "Erfassen".
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabErfassen);
    for (const auto& [tag, number] : {std::pair{7, "17"}, std::pair{8, "18"}}) {
        c.cmdNeu_Click();
        c.edtStartnummer->setText(number);
        c.edtTransponder->setText(idOf(tag));
        c.cmdSpeichern_Click();
    }

    FakeReaderServer reader;
    c.edtRFIDIpAddr->setText(ReaderHost);
    c.edtRFIDIpPort->setText(QString::number(reader.port()));
    c.cmdConnect_Click();
    ASSERT_TRUE(reader.waitForPeer());
    ASSERT_TRUE(waitUntil([&] { return c.lamp() == Lamp::Green; }));
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);
    const auto bookings = [&] { return logLines().filter(" gebucht!").size(); };

    // Before the start nothing is booked.
    reader.send(nativeTelegram(5));
    ASSERT_TRUE(
        waitUntil([&] { return t.dialogs().countContaining("Lauf ist noch nicht gestartet!") == 1; }));
    c.tabRDIF->setCurrentIndex(ReaderConsole::TabBuchen);

    at(10, 0, 0);
    w->cmdStart_Click();
    // The timekeeper is typing a number meanwhile; the reads leave it alone.
    w->edtStartnummer->setText("4");
    at(10, 5, 0);
    // 17; a repeat; 9 (no assignment); 17 within the debounce time.
    reader.send(nativeTelegram(7) + nativeTelegram(7) + nativeTelegram(9) + nativeTelegram(7, 2));
    ASSERT_TRUE(waitUntil([&] { return c.telegramRows().size() == 5; }));
    // 18 split over two events, then 0 (an unassigned number beyond 10000) and 9 again in one.
    const QByteArray t8 = nativeTelegram(8);
    reader.send(t8.left(25));
    waitUntil([] { return false; }, 50);
    reader.send(t8.mid(25));
    ASSERT_TRUE(waitUntil([&] { return bookings() == 3; }));
    reader.send(nativeTelegram(12000) + nativeTelegram(9, 3));
    ASSERT_TRUE(waitUntil([&] { return c.telegramRows().size() == 8; }));
    // 17 again, one second after its debounce time.
    at(10, 6, 1);
    reader.send(nativeTelegram(7, 4));
    ASSERT_TRUE(waitUntil([&] { return bookings() == 5; }));

    EXPECT_EQ(placesAndStartNumbers(),
              (std::vector<std::pair<int, int>>{{1, 17}, {2, 9}, {3, 18}, {4, 0}, {5, 17}}));
    Recordset last = t.services().local.gdbLocal->OpenRecordset(
        "select Millisekunden from Chronvo where Laufnummer = 1 and Platzierung = 5");
    EXPECT_EQ(last.Fields(0).toLongLong(), 361000);
    EXPECT_EQ(logLines().filter(" entprellt!").size(), 2);
    EXPECT_EQ(w->edtStartnummer->text(), "4");
    EXPECT_EQ(t.dialogs().messages().size(), 1);
}

} // namespace
