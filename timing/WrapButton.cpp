#include "timing/WrapButton.h"

#include <QFontMetrics>

#include <algorithm>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

constexpr int CaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

} // namespace

QRect WrapButton::captionRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

bool WrapButton::fitsIn(const QFont& font, const QRect& room) const {
    const QRect needed = QFontMetrics(font).boundingRect(room, CaptionFlags, text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

QFont WrapButton::captionFont() const {
    QFont f = font();
    const QRect room = captionRect();
    while (!fitsIn(f, room) && f.pointSizeF() > MinimumPointSize)
        f.setPointSizeF(std::max<qreal>(MinimumPointSize, f.pointSizeF() - 0.5));
    return f;
}

bool WrapButton::captionFits() const {
    return fitsIn(captionFont(), captionRect());
}

void WrapButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The frame and face as the style draws them, the caption drawn here so that it can wrap.
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setFont(captionFont());
    painter.drawItemText(captionRect(), CaptionFlags, option.palette, isEnabled(), caption,
                         QPalette::ButtonText);
}
