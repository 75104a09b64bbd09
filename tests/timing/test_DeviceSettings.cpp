#include "support/FakeSerialPort.h"
#include "support/TestServices.h"
#include "timing/frmSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A computer on which only COM1 and COM3 can be opened.
struct DeviceSettings : ::testing::Test {
    TestServices t;
    frmSettings* d = nullptr;

    void SetUp() override {
        t.services().createSerialPort = [] {
            auto port = std::make_unique<FakeSerialPort>();
            for (int n = 1; n <= 255; ++n)
                if (n != 1 && n != 3)
                    port->heldPorts << n;
            return port;
        };
    }
    void TearDown() override { delete d; }
    void open() {
        d = new frmSettings(t.services());
        d->Form_Load();
    }
    QStringList items(int list) const {
        QStringList out;
        for (int i = 0; i < d->cboPort[list]->count(); ++i)
            out << d->cboPort[list]->itemText(i);
        return out;
    }
    QString get(const char* section, const char* key) {
        return t.settings().GetSetting(section, key, "<none>");
    }
};

TEST_F(DeviceSettings, OffersOnlyTheFreePortsAndShowsItsOwnDefaults) {
    open();
    EXPECT_EQ(d->windowTitle(), "Einstellungen für externe Geräte");
    EXPECT_EQ(items(0), QStringList({"1", "3"}));
    EXPECT_EQ(items(1), QStringList({"1", "3"}));
    EXPECT_FALSE(d->chkSensor->isChecked());
    EXPECT_EQ(d->cboPort[0]->currentText(), "1");
    EXPECT_EQ(d->cmdAnzExtIp->text(), "localhost");
    EXPECT_EQ(d->cmdAnzExtPort->text(), "9999");
    EXPECT_EQ(d->cboPort[1]->currentText(), "2");
    // The dialog's own test port is closed again.
    EXPECT_EQ(get("ExtSensor", "Port"), "<none>");
}

TEST_F(DeviceSettings, SaveWritesAllNineKeysAndKeepsAPortThatIsNotFree) {
    t.settings().SaveSetting("ExtSensor", "ExtSensor", "1");
    t.settings().SaveSetting("ExtSensor", "Port", "2");
    t.settings().SaveSetting("ExtAnzeige", "ExtAnzeigeIpBlink", "1");
    open();
    EXPECT_TRUE(d->chkSensor->isChecked());
    EXPECT_TRUE(d->chkAnzExtIpBlink->isChecked());
    EXPECT_EQ(d->cboPort[0]->currentText(), "2");
    d->chkExtRS232Display->setChecked(true);
    d->cmdAnzExtIp->setText("192.168.1.50");
    // Typed text is taken as it stands but never becomes an entry of the list.
    d->cboPort[1]->setFocus();
    d->cboPort[1]->lineEdit()->selectAll();
    QTest::keyClicks(d->cboPort[1], "7");
    QTest::keyClick(d->cboPort[1], Qt::Key_Return);
    EXPECT_EQ(items(1), QStringList({"1", "3"}));
    d->cmdSave_Click();
    EXPECT_EQ(get("ExtSensor", "ExtSensor"), "1");
    EXPECT_EQ(get("ExtSensor", "Port"), "2");
    EXPECT_EQ(get("ExtAnzeige", "ExtAnzeige"), "0");
    EXPECT_EQ(get("ExtAnzeige", "ExtAnzeigeIp"), "192.168.1.50");
    EXPECT_EQ(get("ExtAnzeige", "ExtAnzeigeIpBlink"), "1");
    EXPECT_EQ(get("ExtAnzeige", "ExtAnzeigePort"), "9999");
    EXPECT_EQ(get("ExtAnzeige", "ExtRS232Anzeige"), "1");
    EXPECT_EQ(get("ExtAnzeige", "ExtRS232Blink"), "0");
    EXPECT_EQ(get("ExtAnzeige", "ExtRS232Parameter"), "7");
}

TEST_F(DeviceSettings, CancelStoresNothing) {
    open();
    d->chkSensor->setChecked(true);
    d->cmdAnzExtPort->setText("23");
    d->cmdCancel_Click();
    EXPECT_EQ(get("ExtSensor", "ExtSensor"), "<none>");
    EXPECT_EQ(get("ExtAnzeige", "ExtAnzeigePort"), "<none>");
}

} // namespace
