#pragma once

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class SerialPort;
struct Services;

// Settings of the devices wired to the timing computer: the contact input on a serial port,
// the network display board and the RS-232 display board. The port lists offer the ports
// 1 to 16 that are free when the dialog opens; what is typed is stored unchecked.
class frmSettings final : public QDialog {
    Q_OBJECT
public:
    explicit frmSettings(Services& services, QWidget* parent = nullptr);
    ~frmSettings() override;

    void Form_Load();
    void cmdSave_Click();
    void cmdCancel_Click();

    QCheckBox* chkSensor;
    QCheckBox* chkExtEnzeige;
    QLineEdit* cmdAnzExtIp;
    QLineEdit* cmdAnzExtPort;
    QCheckBox* chkAnzExtIpBlink;
    QCheckBox* chkExtRS232Display;
    QCheckBox* chkExtRS232Blink;
    // 0: the contact input's port, 1: the RS-232 board's port.
    std::array<QComboBox*, 2> cboPort{};
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

private:
    bool IsComPortFree(int port);
    void FillComPortLists();

    Services& m_services;
    // Used only to try the ports.
    std::unique_ptr<SerialPort> MSComm1;
};
