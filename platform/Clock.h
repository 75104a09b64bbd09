#pragma once

#include <QDateTime>

#include <functional>

class QObject;

// The local clock to the millisecond. Waits go through it too, so that a test clock can
// let time pass without anybody waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // A plain wait of the calling thread: no events are handled meanwhile.
    virtual void Sleep(int ms) = 0;
    // Runs `then` once ms have passed, on the event loop of the context's thread, unless the
    // context is gone by then. The caller does not wait: timers, ports and sockets go on.
    virtual void waitAsync(int ms, QObject* context, std::function<void()> then);
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void Sleep(int ms) override;
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep() = 0;
};

class SystemBeeper final : public Beeper {
public:
    void Beep() override;
};
