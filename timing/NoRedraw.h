#pragma once

#include <QWidget>

// Drawing of a widget (a grid) switched off for the lifetime of the guard, and on again
// whatever happens in between: many changes, one paint.
class NoRedraw final {
public:
    explicit NoRedraw(QWidget* w) : m_w(w) { m_w->setUpdatesEnabled(false); }
    ~NoRedraw() { m_w->setUpdatesEnabled(true); }
    NoRedraw(const NoRedraw&) = delete;
    NoRedraw& operator=(const NoRedraw&) = delete;

private:
    QWidget* m_w;
};
