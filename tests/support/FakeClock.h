#pragma once

#include <functional>

#include "platform/Clock.h"

#include <QTimer>

// A clock the test sets; Sleep and waitAsync let the time pass at once (waitAsync still
// runs its continuation from the event loop, as a real wait would).
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 5, 17), QTime(10, 0, 0, 0)))
        : m_now(std::move(start)) {}

    QDateTime now() const override { return m_now; }
    void Sleep(int ms) override {
        m_slept += ms;
        m_now = m_now.addMSecs(ms);
    }

    void waitAsync(int ms, QObject* context, std::function<void()> then) override {
        m_slept += ms;
        m_now = m_now.addMSecs(ms);
        QTimer::singleShot(0, context, std::move(then));
    }

    void set(const QDateTime& t) { m_now = t; }
    void setTime(const QTime& t) { m_now = QDateTime(m_now.date(), t); }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }
    qint64 slept() const { return m_slept; }

private:
    QDateTime m_now;
    qint64 m_slept = 0;
};

class FakeBeeper final : public Beeper {
public:
    void Beep() override {
        ++beeps;
        if (onBeep)
            onBeep();
    }
    int beeps = 0;
    // Runs at each beep: lets a test change the world while a handler is still at work.
    std::function<void()> onBeep;
};
