#pragma once

#include <QLabel>

// A label for a file path in a narrow place: it keeps the whole text, shows it shortened in
// the middle when it does not fit, and shows the whole text as its tool tip.
class ElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
