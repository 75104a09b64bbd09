#pragma once

#include "platform/Services.h"

#include <QDateTime>

#include <cstdio>

// Stand-ins for the parts of the services a person would answer, for programs that drive
// the real main window without anybody watching.

// No dialog may wait for a person; every box is printed and counted.
class CountingDialogs final : public Dialogs {
public:
    int shown = 0;
    int MsgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(prompt));
        ++shown;
        return MsgBoxResult::Ok;
    }
    // What every input box answers.
    QString inputAnswer;
    QString InputBox(const QString&, const QString&, const QString&) override { return inputAnswer; }
    bool ShowOpen(FileDialogRequest&) override { return false; }
    bool ShowSave(FileDialogRequest&) override { return false; }
    bool ShowColor(QColor&) override { return false; }
    bool ShowFont(QFont&) override { return false; }
};

// The real clock, without the splash's hold.
class NoWaitClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void Sleep(int) override {}
};

class SilentBeeper final : public Beeper {
public:
    void Beep() override {}
};
