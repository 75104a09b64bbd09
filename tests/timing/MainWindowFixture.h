#pragma once

#include "platform/DbEngine.h"
#include "results/DataControl.h"
#include "support/FakeSerialPort.h"
#include "support/TestServices.h"
#include "timing/frmChronivo.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

// A started main window on its own database, settings, clock and dialogs.
struct MainWindowTest : ::testing::Test {
    static constexpr const char* S = "frmChronivo";

    std::unique_ptr<TestServices> t = std::make_unique<TestServices>();
    std::unique_ptr<frmChronivo> w;

    void start() {
        w = std::make_unique<frmChronivo>(t->services());
        w->startUp();
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
