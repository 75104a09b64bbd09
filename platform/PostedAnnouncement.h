#pragma once

#include <functional>

class QObject;

// Announces new input from the event loop instead of from inside Qt's own input signal. Qt does
// not signal new input again while a handler of its last signal still runs, and a receiver's
// handler may show a message box: input that comes while the receiver waits in a box is then
// announced from the box's event loop. Asked again before it has run, it runs once.
class PostedAnnouncement final {
public:
    PostedAnnouncement(QObject* context, std::function<void()> announce)
        : m_context(context), m_announce(std::move(announce)) {}

    void post();

private:
    QObject* m_context;
    std::function<void()> m_announce;
    bool m_posted = false;
};
