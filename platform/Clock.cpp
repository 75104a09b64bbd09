#include "platform/Clock.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

void Clock::waitAsync(int ms, QObject* context, std::function<void()> then) {
    QTimer::singleShot(std::max(ms, 0), Qt::PreciseTimer, context, std::move(then));
}

void SystemClock::Sleep(int ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void SystemBeeper::Beep() {
    QApplication::beep();
}
