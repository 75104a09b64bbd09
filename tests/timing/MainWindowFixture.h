#pragma once

#include "platform/DbEngine.h"
#include "results/DataControl.h"
#include "support/FakeSerialPort.h"
#include "support/TestServices.h"
#include "timing/frmChronivo.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

// Message boxes shown for real, each closed by a timer after 20 ms, so that what arrives
// while one is open goes through its event loop. The scripted dialogs still record and answer.
class RealBoxes final : public Dialogs {
public:
    explicit RealBoxes(std::unique_ptr<Dialogs> scripted) : m_scripted(std::move(scripted)) {}
    // Runs once, inside the next box shown.
    std::function<void()> whileOpen;

    int MsgBox(const QString& prompt, int style, const QString& title) override {
        const int answer = m_scripted->MsgBox(prompt, style, title);
        QMessageBox box(QMessageBox::Information, title, prompt);
        if (auto action = std::exchange(whileOpen, nullptr))
            QTimer::singleShot(0, &box, action);
        QTimer::singleShot(20, &box, &QMessageBox::accept);
        box.exec();
        return answer;
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& text) override {
        return m_scripted->InputBox(prompt, title, text);
    }
    bool ShowOpen(FileDialogRequest& r) override { return m_scripted->ShowOpen(r); }
    bool ShowSave(FileDialogRequest& r) override { return m_scripted->ShowSave(r); }
    bool ShowColor(QColor& c) override { return m_scripted->ShowColor(c); }
    bool ShowFont(QFont& f) override { return m_scripted->ShowFont(f); }

private:
    std::unique_ptr<Dialogs> m_scripted;
};

// A started main window on its own database, settings, clock and dialogs.
struct MainWindowTest : ::testing::Test {
    static constexpr const char* S = "frmChronivo";

    std::unique_ptr<TestServices> t = std::make_unique<TestServices>();
    std::unique_ptr<frmChronivo> w;

    void start() {
        w = std::make_unique<frmChronivo>(t->services());
        w->startUp();
    }
    RealBoxes& showBoxesForReal() {
        auto boxes = std::make_unique<RealBoxes>(std::move(t->services().dialogs));
        RealBoxes& shown = *boxes;
        t->services().dialogs = std::move(boxes);
        return shown;
    }
    void TearDown() override {
        w.reset();
        t.reset();
    }

    // Sets the clock and the clock display as the 250 ms tick would.
    void at(int h, int m, int s, int ms = 0) {
        const QTime time(h, m, s, ms);
        t->clock().setTime(time);
        w->lblSysTimeOut->setText(time.toString("hh:mm:ss"));
    }
    // Starts run 1 by the start button at that moment.
    void startRunAt(int h, int m, int s, int ms = 0) {
        at(h, m, s, ms);
        w->cmdStart_Click();
    }
    // The Enter key in the start-number field with the given text.
    void enter(const QString& startnummer) {
        w->edtStartnummer->setText(startnummer);
        w->edtStartnummer_KeyPress(13);
    }
    void chooseRun(int n) {
        w->cboLaufnummer->setEditText(QString::number(n));
        w->cboLaufnummer_Click();
    }
    // A line of the run selector's list: its two columns, number and run name, joined by ";".
    QString runItem(int row) const {
        const QAbstractItemModel* m = w->cboLaufnummer->model();
        return m->index(row, 0).data().toString() + ";" + m->index(row, 1).data().toString();
    }
    Recordset rows(int lauf = 1) {
        return t->services().local.gdbLocal->OpenRecordset(
            "select * from Chronvo where Laufnummer = :l order by Platzierung", {{"l", lauf}});
    }
    QVariant field(Recordset& rs, int row, const char* name) {
        rs.MoveFirst();
        for (int i = 0; i < row; ++i)
            rs.MoveNext();
        return rs.Fields(name);
    }
    QString setting(const QString& key, const QString& section = S) {
        return t->settings().GetSetting(section, key, "<none>");
    }
};
