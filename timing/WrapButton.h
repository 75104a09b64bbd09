#pragma once

#include <QFont>
#include <QPushButton>

// A push button whose caption is never cut: it breaks onto further lines at blanks, and when
// even that does not fit it is drawn in a smaller font (down to a legible minimum). The text
// itself stays as it was set, mnemonic included.
class WrapButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

    static constexpr int MinimumPointSize = 6;

    // The font the caption is drawn in at the button's present size.
    QFont captionFont() const;
    // True when the whole caption fits the button in captionFont().
    bool captionFits() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect captionRect() const;
    bool fitsIn(const QFont& font, const QRect& room) const;
};
