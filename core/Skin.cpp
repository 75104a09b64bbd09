#include "core/Skin.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace Skin {

namespace {

bool tagged(const QWidget* w) {
    return w->property(TagProperty).toString() == "#";
}

QIcon programIcon() {
    // A stopwatch-like mark drawn once; the program ships no image files.
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 172, 66));
    p.setPen(QPen(QColor(90, 50, 0), 4));
    p.drawEllipse(6, 10, 52, 52);
    p.drawRect(26, 0, 12, 8);
    p.setPen(QPen(QColor(90, 50, 0), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(32, 36, 32, 18);
    p.drawLine(32, 36, 46, 42);
    return QIcon(pm);
}

// Paints the gradient under the widget's children on every paint event.
class GradientPainter final : public QObject {
public:
    GradientPainter(QWidget* target, QColor a, QColor b, int direction)
        : QObject(target), m_a(a), m_b(b), m_direction(direction) {}

    bool eventFilter(QObject* obj, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* w = static_cast<QWidget*>(obj);
            QPainter p(w);
            QLinearGradient g(0, 0, m_direction == 0 ? w->width() : 0, m_direction == 0 ? 0 : w->height());
            g.setColorAt(0, m_a);
            g.setColorAt(1, m_b);
            p.fillRect(w->rect(), g);
        }
        return false;
    }

private:
    QColor m_a, m_b;
    int m_direction;
};

} // namespace

QColor OleColor(quint32 ole) {
    if ((ole & 0xFF000000u) == 0x80000000u) {
        // System colours by their classic index.
        const QPalette pal = QApplication::palette();
        switch (ole & 0xFFFFFF) {
        case 0x0F:
            return pal.color(QPalette::Button);
        case 0x12:
            return pal.color(QPalette::ButtonText);
        case 0x0D:
            return pal.color(QPalette::Highlight);
        case 0x08:
            return pal.color(QPalette::WindowText);
        case 0x05:
            return pal.color(QPalette::Base);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(ole & 0xFF), static_cast<int>((ole >> 8) & 0xFF),
                  static_cast<int>((ole >> 16) & 0xFF));
}

void ApplyFormSkin(QWidget& window) {
    window.setWindowIcon(programIcon());
    const QColor back = window.palette().color(QPalette::Window);
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (tagged(w))
            continue;
        if (qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w)) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, back);
            w->setPalette(pal);
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            view->setTabKeyNavigation(true);
        }
    }
}

void PaintGradient(QWidget& widget, const QColor& first, const QColor& second, int direction) {
    // Painters carry no meta-object of their own, so they are told apart by type here.
    for (QObject* child : widget.children()) {
        if (auto* old = dynamic_cast<GradientPainter*>(child)) {
            widget.removeEventFilter(old);
            old->deleteLater();
        }
    }
    auto* painter = new GradientPainter(&widget, first, second, direction);
    widget.installEventFilter(painter);
    widget.update();
}

void MarkProgramWindow(QWidget& window) {
    window.setProperty("chronivoProgramWindow", true);
}

bool IsProgramWindow(const QWidget* window) {
    return window && window->property("chronivoProgramWindow").toBool();
}

} // namespace Skin
