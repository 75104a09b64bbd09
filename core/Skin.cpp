#include "core/Skin.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QWidget>

#include <algorithm>

namespace Skin {

namespace {

constexpr quint32 ButtonText = 0x80000012;
constexpr quint32 Highlight = 0x8000000D;
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 WindowText = 0x80000008;
// Grid rows are 239 twips high, or as high as the grid's font needs.
constexpr int GridRowPixels = 16;

bool tagged(const QWidget* w) {
    return w->property(TagProperty).toString() == "#";
}

// Widgets that are parts of another control (a grid's scroll bars, a combo box's field) or
// belong to another window are not controls of this window.
bool isControlOf(const QWidget* w, const QWidget& window) {
    if (w->isWindow())
        return false;
    for (const QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget()) {
        if (p->isWindow() || qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QTextEdit*>(p) ||
            qobject_cast<const QPlainTextEdit*>(p) || qobject_cast<const QComboBox*>(p) ||
            qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QMenuBar*>(p) ||
            qobject_cast<const QTabBar*>(p) || qobject_cast<const QToolBar*>(p) ||
            qobject_cast<const QStatusBar*>(p))
            return false;
    }
    return true;
}

// The colour of a control that can be used; a disabled control keeps the style's greyed
// colours, so that a button that cannot be pressed does not look as if it could.
void setColor(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Active, role, c);
    pal.setColor(QPalette::Inactive, role, c);
    w->setPalette(pal);
}

// Design on a 64-pixel grid: a stopwatch with an orange rim, its crown and one hand, and a
// chequered corner for the finish line. Small sizes get heavier strokes so they stay legible.
QPixmap drawIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const bool small = size <= 16;
    const QColor rim(230, 120, 20);
    const QColor ink(60, 35, 10);

    // Finish-line flag behind the watch, top right.
    if (!small) {
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.fillRect(QRectF(40 + col * 8, 2 + row * 8, 8, 8), (row + col) % 2 ? Qt::white : Qt::black);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(40, 2, 24, 24));
    }
    // Crown and button.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(25, 2, 14, small ? 10 : 7), 2, 2);
    p.drawRect(QRectF(29, 8, 6, 8));
    // Body.
    QRadialGradient face(QPointF(28, 32), 30);
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, QColor(255, 231, 162));
    p.setBrush(face);
    p.setPen(QPen(rim, small ? 8 : 6));
    p.drawEllipse(QPointF(32, 38), 23, 23);
    // Quarter marks.
    if (!small) {
        p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(32, 20), QPointF(32, 24));
        p.drawLine(QPointF(50, 38), QPointF(46, 38));
        p.drawLine(QPointF(32, 56), QPointF(32, 52));
        p.drawLine(QPointF(14, 38), QPointF(18, 38));
    }
    // Hand pointing just past the full minute.
    p.setPen(QPen(ink, small ? 7 : 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 38), QPointF(42, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(32, 38), small ? 4.5 : 3.5, small ? 4.5 : 3.5);
    return pm;
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

QPixmap ProgramIconPixmap(int size) {
    return drawIcon(size);
}

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 32, 48, 64})
            i.addPixmap(drawIcon(size));
        return i;
    }();
    return icon;
}

void SetWindowIcon(QWidget& window, const QString& iconName) {
    if (iconName != ProgramIconName)
        return;
    const QIcon icon = ProgramIcon();
    window.setWindowIcon(icon);
    // The topmost owner: the last window up the chain of parents.
    QWidget* top = window.window();
    for (QWidget* p = top->parentWidget(); p; p = p->parentWidget())
        top = p->window();
    if (top != &window)
        top->setWindowIcon(icon);
}

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
    SetWindowIcon(window, ProgramIconName);
    const QColor back = window.palette().color(QPalette::Window);

    QList<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (isControlOf(w, window) && !tagged(w))
            controls << w;
    // A frame's title colour would pass on to what the frame holds; every control keeps the
    // text colour it had unless its kind sets one. Its usable colour is kept: a control that
    // is disabled now must not come out grey once it is enabled.
    QHash<QWidget*, QColor> ownText;
    for (QWidget* w : controls)
        ownText.insert(w, w->palette().color(QPalette::Active, QPalette::WindowText));

    for (QWidget* w : controls) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (button && !button->inherits("QCheckBox") && !button->inherits("QRadioButton")) {
            QFont f = button->font();
            f.setFamily("Arial");
            button->setFont(f);
            setColor(button, QPalette::ButtonText, OleColor(ButtonText));
            setColor(button, QPalette::WindowText, ownText.value(w));
        } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            QFont f = frame->font();
            f.setBold(false);
            frame->setFont(f);
            setColor(frame, QPalette::WindowText, OleColor(Highlight));
            setColor(frame, QPalette::Window, back);
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
                   qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) {
            // Text fields keep their look.
        } else if (auto* grid = qobject_cast<QTableView*>(w)) {
            const int row = std::max(GridRowPixels, grid->fontMetrics().height() + 4);
            grid->verticalHeader()->setDefaultSectionSize(row);
            for (QHeaderView* h : {grid->horizontalHeader(), grid->verticalHeader()})
                setColor(h, QPalette::Button, back);
            grid->setTabKeyNavigation(true);
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            view->setTabKeyNavigation(true);
        } else if (qobject_cast<QLabel*>(w) || QByteArray(w->metaObject()->className()) == "QFrame") {
            // Labels, panels and bare frames.
            setColor(w, QPalette::Window, back);
            setColor(w, QPalette::WindowText, ownText.value(w));
        } else if (qobject_cast<QMenuBar*>(w) || qobject_cast<QToolBar*>(w) || qobject_cast<QStatusBar*>(w)) {
            setColor(w, QPalette::Window, OleColor(ButtonFace));
            setColor(w, QPalette::Button, OleColor(ButtonFace));
        } else if (QByteArray(w->metaObject()->className()) == "QWidget") {
            // Containers and picture areas.
            setColor(w, QPalette::Window, back);
        } else {
            setColor(w, QPalette::WindowText, OleColor(WindowText));
        }
    }

    // Buttons addressed by name; the close button answers Esc.
    for (const char* name : {"SSCommand1_0", "SSCommand1_1", "SSCommand1_2", "cmdRefresh", "cmdBeenden"})
        if (auto* b = window.findChild<QAbstractButton*>(name))
            setColor(b, QPalette::ButtonText, OleColor(ButtonText));
    if (auto* beenden = window.findChild<QAbstractButton*>("cmdBeenden")) {
        if (!window.findChild<QShortcut*>("skinCancelShortcut")) {
            auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
            esc->setObjectName("skinCancelShortcut");
            QObject::connect(esc, &QShortcut::activated, beenden, &QAbstractButton::click);
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

void PaintGradient(QWidget& widget, quint32 first, quint32 second, int direction) {
    PaintGradient(widget, OleColor(first), OleColor(second), direction);
}

void MarkProgramWindow(QWidget& window) {
    window.setProperty("chronivoProgramWindow", true);
}

bool IsProgramWindow(const QWidget* window) {
    return window && window->property("chronivoProgramWindow").toBool();
}

void MoveOntoScreen(QWidget& window, const QPoint& topLeft) {
    window.move(topLeft);
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    // The right and bottom edges first, so that a window too large for the area ends with
    // its top left corner inside it.
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    window.move(x, y);
}

} // namespace Skin
