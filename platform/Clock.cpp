#include "platform/Clock.h"

#include <QApplication>
#include <QThread>

void SystemClock::Sleep(int ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void SystemBeeper::Beep() {
    QApplication::beep();
}
