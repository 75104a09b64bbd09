#pragma once

#include <QDialog>

class QLabel;
struct Services;

// The start-up splash: title, version and the program file's date over the program's picture,
// held for a moment and then faded out; the main window's load waits for it to close, while
// the clock, the ports and the sockets go on.
class frmSplash final : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(Services& services, QWidget* parent = nullptr);

    void Form_Load();
    void Form_Activate();

    // How long the splash stays fully visible.
    static constexpr int HoldMs = 2500;

    QLabel* Picture1;
    QLabel* lblProductName;
    QLabel* lblVersion;
    QLabel* lblBeschraenkung;
    QLabel* lblFiletime;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Services& m_services;
    bool m_activated = false;
};
