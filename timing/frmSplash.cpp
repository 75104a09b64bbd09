#include "timing/frmSplash.h"

#include "core/Skin.h"
#include "core/modFade.h"
#include "core/modGlobal.h"
#include "platform/Services.h"
#include "Version.h"

#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>

namespace {

constexpr int PictureWidth = 480;
constexpr int PictureHeight = 270;

// The splash artwork: the program's colours with its stopwatch, drawn rather than shipped.
QPixmap splashPicture() {
    QPixmap pm(PictureWidth, PictureHeight);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, PictureHeight);
    g.setColorAt(0, QColor(255, 231, 162));
    g.setColorAt(1, QColor(255, 172, 66));
    p.fillRect(pm.rect(), g);
    // A chequered finish line along the bottom edge.
    constexpr int square = 10;
    for (int x = 0; x < PictureWidth; x += square)
        for (int row = 0; row < 2; ++row)
            p.fillRect(x, PictureHeight - 2 * square + row * square, square, square,
                       ((x / square) + row) % 2 ? Qt::white : Qt::black);
    p.drawPixmap(24, 40, Skin::ProgramIconPixmap(144));
    return pm;
}

QLabel* makeLabel(QWidget* parent, const char* name, int x, int y, int w, int h, int pointSize, bool bold) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor(60, 35, 10));
    l->setPalette(pal);
    return l;
}

} // namespace

frmSplash::frmSplash(Services& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setObjectName("frmSplash");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    Skin::MarkProgramWindow(*this);
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(splashPicture());
    Picture1->setGeometry(12, 12, PictureWidth, PictureHeight);
    lblProductName = makeLabel(this, "lblProductName", 190, 56, 280, 44, 24, true);
    lblBeschraenkung = makeLabel(this, "lblBeschraenkung", 192, 104, 280, 24, 11, false);
    lblVersion = makeLabel(this, "lblVersion", 192, 150, 280, 22, 10, true);
    lblFiletime = makeLabel(this, "lblFiletime", 192, 174, 280, 22, 9, false);
}

void frmSplash::Form_Load() {
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(CHRONIVO_VERSION_MAJOR)
                            .arg(CHRONIVO_VERSION_MINOR)
                            .arg(CHRONIVO_VERSION_REVISION));
    lblProductName->setText(CHRONIVO_APP_TITLE);
    lblBeschraenkung->setText("Zeitnahme für Laufveranstaltungen");
    lblFiletime->setText(
        modGlobal::GetFileModifiedDate(m_services.programFile).toString("dd.MM.yyyy hh:mm:ss"));
    // The picture fills the window; the window around it is white.
    Picture1->move(0, 0);
    Picture1->lower();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(Picture1->size());
    m_services.settings->SaveSetting("LastUser", "AppPath", m_services.programFolder);
    Skin::ApplyFormSkin(*this);
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    // Activation runs once the splash is on screen, from the dialog's own event loop.
    QTimer::singleShot(0, this, &frmSplash::Form_Activate);
}

void frmSplash::Form_Activate() {
    modFade::FormFader* fader = modFade::FadeOutForm(*this, HoldMs, *m_services.clock);
    connect(fader, &modFade::FormFader::finished, this, &QDialog::accept);
}
