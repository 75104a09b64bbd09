#pragma once

#include <QDateTime>

// The local clock to the millisecond. Waits go through it too, so that a test clock can
// let time pass without anybody waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // A plain wait of the calling thread, as the splash hold needs: no events meanwhile.
    virtual void Sleep(int ms) = 0;
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
