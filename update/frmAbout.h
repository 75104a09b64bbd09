#pragma once

#include <QDialog>

class OnlineUpdate;
class QLabel;
class QPushButton;
struct Services;

// The about box: title, version and the program file's date; starts the system-information
// program and is the way into the online update. Shown modally by the main window.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Services& services, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void cmdCheckNewVersion_Click();

    void StartSysInfo();
    // One value of the machine registry; false when it cannot be read.
    bool GetKeyValue(const QString& rootKey, const QString& keyName, const QString& subKeyRef,
                     QString& keyVal);

    // Whether the user may replace the program file (see Services::isUserAnAdmin).
    bool IsUserAnAdmin() const;

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblFiletime = nullptr;
    QLabel* picIcon = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QPushButton* cmdCheckNewVersion = nullptr;

    // Closing the box (OK, Escape, the window's close) while an update waits for the server
    // ends that update.
    void done(int result) override;

private:
    Services& m_services;
    // The update in progress; it lives on the stack of cmdCheckNewVersion_Click.
    OnlineUpdate* m_update = nullptr;
};

// "Version " & major & "." & minor & "." & revision of a version text such as "1.2.34".
QString AboutVersionText(const QString& applicationVersion);
