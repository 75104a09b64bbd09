// The menu "&RFID" of the main window opens each console once.
#include "ReaderTestSupport.h"

#include "timing/frmChronivo.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace {

TEST(ReaderMenu, EachItemOpensItsConsoleOnceAndBringsItBackAfterClosing) {
    TestServices t;
    frmChronivo w(t.services());
    w.startUp();
    ASSERT_FALSE(w.isUnloaded());

    QMenu* rfid = w.menuBar()->findChild<QMenu*>("mnuRFID");
    ASSERT_NE(rfid, nullptr);
    EXPECT_EQ(rfid->title(), "&RFID");
    const QList<QAction*> items = rfid->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0], w.mnuMotorola);
    EXPECT_EQ(items[1], w.mnuMercury);
    EXPECT_EQ(items[2], w.mnuRFIDDialog);
    EXPECT_EQ(items[3], w.mnuSerialReader);

    EXPECT_EQ(w.readerConsole(ReaderKind::RFID), nullptr);
    w.mnuRFIDDialog->trigger();
    ReaderConsole* console = w.readerConsole(ReaderKind::RFID);
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(console->isVisible());
    EXPECT_EQ(console->parentWidget(), nullptr);
    console->edtRFIDIpAddr->setText("10.9.8.7");
    w.mnuRFIDDialog->trigger();
    EXPECT_EQ(w.readerConsole(ReaderKind::RFID), console);
    EXPECT_EQ(console->edtRFIDIpAddr->text(), "10.9.8.7");

    console->close();
    w.mnuRFIDDialog->trigger();
    EXPECT_EQ(w.readerConsole(ReaderKind::RFID), console);
    EXPECT_EQ(console->edtRFIDIpAddr->text(), "10.9.8.7");
    EXPECT_EQ(console->statusPanel(1), "nicht verbunden");
}

} // namespace
