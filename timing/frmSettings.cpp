#include "timing/frmSettings.h"

#include "core/Convert.h"
#include "core/Skin.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr const char* SensorSection = "ExtSensor";
constexpr const char* BoardSection = "ExtAnzeige";
constexpr int FirstPort = 1;
constexpr int LastPort = 16;

QComboBox* makePortList(QWidget* parent, int index, int y) {
    auto* label = new QLabel("COM Port:", parent);
    label->setGeometry(12, y + 3, 90, 20);
    auto* list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("cboPort_%1").arg(index));
    // The text can be typed, but typing never adds an entry to the list.
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setGeometry(104, y, 90, 26);
    return list;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const char* caption, int y) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setGeometry(12, y, 250, 22);
    return c;
}

bool checked(const QString& stored) {
    return Convert::Val(stored) != 0;
}

QString checkText(const QCheckBox* c) {
    return c->isChecked() ? "1" : "0";
}

} // namespace

frmSettings::frmSettings(Services& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setObjectName("frmSettings");
    setWindowTitle("Einstellungen für externe Geräte");
    setModal(true);
    Skin::MarkProgramWindow(*this);

    auto* sensor = new QGroupBox("Serielle Schnittstelle Handtaster", this);
    sensor->setGeometry(12, 8, 300, 96);
    chkSensor = makeCheck(sensor, "chkSensor", "Externer Sensor", 26);
    cboPort[0] = makePortList(sensor, 0, 56);

    auto* board = new QGroupBox("externe Anzeige", this);
    board->setGeometry(12, 112, 300, 160);
    chkExtEnzeige = makeCheck(board, "chkExtEnzeige", "Externe Netzwerk Anzeige", 26);
    auto* ipLabel = new QLabel("IP-Adresse:", board);
    ipLabel->setGeometry(12, 59, 90, 20);
    cmdAnzExtIp = new QLineEdit(board);
    cmdAnzExtIp->setObjectName("cmdAnzExtIp");
    cmdAnzExtIp->setGeometry(104, 56, 180, 26);
    auto* portLabel = new QLabel("IP-Port:", board);
    portLabel->setGeometry(12, 93, 90, 20);
    cmdAnzExtPort = new QLineEdit(board);
    cmdAnzExtPort->setObjectName("cmdAnzExtPort");
    cmdAnzExtPort->setGeometry(104, 90, 90, 26);
    chkAnzExtIpBlink = makeCheck(board, "chkAnzExtIpBlink", "Doppelpunkt blinken", 126);

    auto* rs232 = new QGroupBox("Externe RS232 Anzeige", this);
    rs232->setGeometry(12, 280, 300, 128);
    chkExtRS232Display = makeCheck(rs232, "chkExtRS232Display", "Externe Anzeige aktivieren", 26);
    cboPort[1] = makePortList(rs232, 1, 56);
    chkExtRS232Blink = makeCheck(rs232, "chkExtRS232Blink", "Doppelpunkt blinken", 94);

    cmdSave = new QPushButton("&Speichern", this);
    cmdSave->setObjectName("cmdSave");
    cmdSave->setGeometry(12, 418, 144, 32);
    cmdCancel = new QPushButton("&Abbrechen", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setGeometry(168, 418, 144, 32);
    setFixedSize(324, 462);
    // Enter in a field stores nothing; only a click or the button's key does.
    for (QPushButton* b : {cmdSave, cmdCancel})
        b->setAutoDefault(false);

    connect(cmdSave, &QPushButton::clicked, this, &frmSettings::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
}

frmSettings::~frmSettings() = default;

bool frmSettings::IsComPortFree(int port) {
    try {
        if (!MSComm1)
            MSComm1 = m_services.createSerialPort();
        MSComm1->setCommPort(port);
        if (MSComm1->PortOpen())
            return false;
        MSComm1->setPortOpen(true);
        MSComm1->setPortOpen(false);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

void frmSettings::FillComPortLists() {
    for (int port = FirstPort; port <= LastPort; ++port) {
        if (!IsComPortFree(port))
            continue;
        for (QComboBox* list : cboPort)
            list->addItem(QString::number(port));
    }
}

void frmSettings::Form_Load() {
    for (QComboBox* list : cboPort)
        list->clear();
    FillComPortLists();
    const SettingsStore& s = *m_services.settings;
    chkSensor->setChecked(checked(s.GetSetting(SensorSection, "ExtSensor", "0")));
    cboPort[0]->setEditText(s.GetSetting(SensorSection, "Port", "1"));
    chkExtEnzeige->setChecked(checked(s.GetSetting(BoardSection, "ExtAnzeige", "0")));
    cmdAnzExtIp->setText(s.GetSetting(BoardSection, "ExtAnzeigeIp", "localhost"));
    chkAnzExtIpBlink->setChecked(checked(s.GetSetting(BoardSection, "ExtAnzeigeIpBlink", "0")));
    cmdAnzExtPort->setText(s.GetSetting(BoardSection, "ExtAnzeigePort", "9999"));
    chkExtRS232Display->setChecked(checked(s.GetSetting(BoardSection, "ExtRS232Anzeige", "0")));
    chkExtRS232Blink->setChecked(checked(s.GetSetting(BoardSection, "ExtRS232Blink", "0")));
    cboPort[1]->setEditText(s.GetSetting(BoardSection, "ExtRS232Parameter", "2"));
}

void frmSettings::cmdSave_Click() {
    SettingsStore& s = *m_services.settings;
    s.SaveSetting(SensorSection, "ExtSensor", checkText(chkSensor));
    s.SaveSetting(SensorSection, "Port", cboPort[0]->currentText());
    s.SaveSetting(BoardSection, "ExtAnzeige", checkText(chkExtEnzeige));
    s.SaveSetting(BoardSection, "ExtAnzeigeIp", cmdAnzExtIp->text());
    s.SaveSetting(BoardSection, "ExtAnzeigeIpBlink", checkText(chkAnzExtIpBlink));
    s.SaveSetting(BoardSection, "ExtAnzeigePort", cmdAnzExtPort->text());
    s.SaveSetting(BoardSection, "ExtRS232Anzeige", checkText(chkExtRS232Display));
    s.SaveSetting(BoardSection, "ExtRS232Blink", checkText(chkExtRS232Blink));
    s.SaveSetting(BoardSection, "ExtRS232Parameter", cboPort[1]->currentText());
    accept();
}

void frmSettings::cmdCancel_Click() {
    reject();
}
