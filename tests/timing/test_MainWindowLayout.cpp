#include "MainWindowFixture.h"

#include "timing/ElidedLabel.h"
#include "timing/frmStartRun.h"
#include "timing/WrapButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Every text the window shows whole: a caption that needs more room than its control has is
// cut on the screen. Returns one line per clipped control.
QStringList clippedTexts(QWidget& window) {
    QStringList clipped;
    const auto report = [&](QWidget* w, const QString& text, QSize need) {
        clipped << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
                       .arg(w->objectName(), text)
                       .arg(need.width())
                       .arg(need.height())
                       .arg(w->width())
                       .arg(w->height());
    };
    for (QLabel* l : window.findChildren<QLabel*>()) {
        if (!l->isVisibleTo(&window) || l->text().isEmpty() || !l->pixmap().isNull())
            continue;
        // A file path in a narrow place is shortened on purpose and shown whole as its tip.
        if (dynamic_cast<ElidedLabel*>(l))
            continue;
        const QRect room = l->contentsRect();
        if (l->wordWrap()) {
            const int height = l->heightForWidth(l->width());
            if (height > l->height())
                report(l, l->text(), {l->width(), height});
            continue;
        }
        const QSize need = l->fontMetrics().size(Qt::TextShowMnemonic, l->text());
        if (need.width() > room.width() || need.height() > room.height())
            report(l, l->text(), need);
    }
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&window) || b->text().isEmpty() || b->parent() == nullptr)
            continue;
        // Buttons of the item views' corners and the like have no caption of ours.
        if (!qobject_cast<QPushButton*>(b) && !qobject_cast<QCheckBox*>(b))
            continue;
        if (auto* wrapping = dynamic_cast<WrapButton*>(b)) {
            if (!wrapping->captionFits())
                report(b, b->text(), b->sizeHint());
            continue;
        }
        const QSize need = b->sizeHint();
        // A push button's hint holds a margin for the frame; the caption itself must fit.
        const int frame = qobject_cast<QPushButton*>(b) ? 8 : 0;
        if (need.width() - frame > b->width() || need.height() - frame > b->height())
            report(b, b->text(), need);
    }
    return clipped;
}

// Buttons that cannot be pressed but are drawn like those that can.
QStringList disabledLookingEnabled(QWidget& window) {
    QStringList wrong;
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&window) || b->isEnabled() || b->text().isEmpty())
            continue;
        const QPalette& pal = b->palette();
        if (pal.color(QPalette::Disabled, QPalette::ButtonText) ==
            pal.color(QPalette::Active, QPalette::ButtonText))
            wrong << b->objectName() + " \"" + b->text() + "\"";
    }
    return wrong;
}

// Columns narrower than their heading or their widest cell.
QStringList narrowColumns(QTableView& grid) {
    QStringList narrow;
    if (grid.verticalHeader()->defaultSectionSize() < grid.fontMetrics().height())
        narrow << QStringLiteral("%1 rows: %2 high for a font of %3")
                      .arg(grid.objectName())
                      .arg(grid.verticalHeader()->defaultSectionSize())
                      .arg(grid.fontMetrics().height());
    QHeaderView* header = grid.horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        const int need =
            std::max(header->sectionSizeHint(c), static_cast<QAbstractItemView&>(grid).sizeHintForColumn(c));
        if (header->sectionSize(c) < need)
            narrow << QStringLiteral("%1 column %2 \"%3\": %4 < %5")
                          .arg(grid.objectName())
                          .arg(c)
                          .arg(grid.model()->headerData(c, Qt::Horizontal).toString())
                          .arg(header->sectionSize(c))
                          .arg(need);
    }
    return narrow;
}

struct Layout : MainWindowTest {
    // Keeps a picture of the window where CHRONIVO_SHOTS points, for a person to judge.
    void shot(const QString& name) {
        const QString folder = qEnvironmentVariable("CHRONIVO_SHOTS");
        if (!folder.isEmpty() && QDir().mkpath(folder))
            w->grab().save(QDir(folder).filePath("main-" + name + ".png"));
    }
    void expectNothingClipped(const QString& state) {
        shot(state);
        const QStringList looksEnabled = disabledLookingEnabled(*w);
        EXPECT_TRUE(looksEnabled.isEmpty()) << state.toStdString() << ": disabled but drawn as enabled:\n"
                                            << looksEnabled.join("\n").toStdString();
        const QStringList clipped = clippedTexts(*w);
        EXPECT_TRUE(clipped.isEmpty()) << state.toStdString() << ":\n" << clipped.join("\n").toStdString();
        for (QTableView* grid : {w->dbgZeiten, w->dbgStartnummern}) {
            const QStringList narrow = narrowColumns(*grid);
            EXPECT_TRUE(narrow.isEmpty()) << state.toStdString() << ":\n" << narrow.join("\n").toStdString();
        }
    }
    void takeSomeResults() {
        startRunAt(10, 0, 0);
        const int numbers[] = {1234, 7, 0, 10000, 42};
        for (int i = 0; i < 5; ++i) {
            at(11, 23, 10 + i, 987);
            enter(QString::number(numbers[i]));
        }
    }
};

TEST_F(Layout, NotRunning) {
    start();
    expectNothingClipped("not-running");
}

TEST_F(Layout, ALongBackupPathIsShortenedNotCut) {
    const QString longPath =
        t->path("Zeitnahme/Stadtlauf 2026/Sicherungen der Zieleinläufe/backup-hauptlauf.log");
    t->settings().SaveSetting(S, "LogDatei", longPath);
    start();
    EXPECT_EQ(w->lblLogdatei->text(), longPath);
    EXPECT_FALSE(w->cmdWertung->isEnabled());
    expectNothingClipped("long-backup-path");
}

TEST_F(Layout, RunningWithResults) {
    start();
    takeSomeResults();
    expectNothingClipped("running");
}

TEST_F(Layout, SplitTimeMode) {
    t->settings().SaveSetting(S, "Triathlonmodus", "-1");
    start();
    takeSomeResults();
    expectNothingClipped("split-time");
}

TEST_F(Layout, ExpertMode) {
    t->settings().SaveSetting(S, "Expertenmodus", "-1");
    start();
    takeSomeResults();
    expectNothingClipped("expert");
}

TEST_F(Layout, TwelvePointGridFont) {
    t->settings().SaveSetting(S, "dbgZeiten.Font.Size", "12");
    start();
    takeSomeResults();
    expectNothingClipped("grid-12pt");
}

TEST_F(Layout, TwelvePointChosenOverWidthsStoredForTheSmallFont) {
    // Widths a session with the small font stored at its end.
    const int twips[] = {570, 660, 960, 960, 1380, 960, 960};
    for (int i = 0; i < 7; ++i)
        t->settings().SaveSetting(S, QStringLiteral("ColWith%1").arg(i), QString::number(twips[i]));
    start();
    takeSomeResults();
    QFont big = w->dbgZeiten->font();
    big.setPointSize(12);
    t->dialogs().planFont(big);
    w->mnuPrefsGridFont_Click();
    expectNothingClipped("grid-12pt-chosen");
}

TEST_F(Layout, TheRunListShowsNumbersAndNamesWhole) {
    t->settings().SaveSetting(S, "Direkteinbuchung", "-1");
    t->settings().SaveSetting(S, "DBDirekt", t->copyRaceDatabase());
    start();
    w->cboLaufnummer->showPopup();
    auto* list = qobject_cast<QTableView*>(w->cboLaufnummer->view());
    ASSERT_NE(list, nullptr);
    const QString folder = qEnvironmentVariable("CHRONIVO_SHOTS");
    if (!folder.isEmpty())
        list->window()->grab().save(QDir(folder).filePath("main-run-list.png"));
    EXPECT_TRUE(narrowColumns(*list).isEmpty()) << narrowColumns(*list).join("\n").toStdString();
    EXPECT_GE(list->viewport()->width(), list->columnWidth(0) + list->columnWidth(1));
    w->cboLaufnummer->hidePopup();
}

TEST_F(Layout, SinglePassThroughRunning) {
    t->settings().SaveSetting(S, "Durchlaufmodus", "-1");
    start();
    w->cmdDurchlauf_Click();
    expectNothingClipped("pass-through");
}

TEST_F(Layout, WaveButtons) {
    t->settings().SaveSetting(S, "LaufNrStartzeit", "1");
    t->settings().SaveSetting("StartZeiten", "Rows", "3");
    t->settings().SaveSetting("StartZeiten", "1", "1;10;06:05:00;Welle A");
    t->settings().SaveSetting("StartZeiten", "2", "11;2000;06:10:00;Welle B");
    t->settings().SaveSetting("StartZeiten", "3", "2001;10000;06:15:00;Welle C");
    start();
    expectNothingClipped("waves");
}

// Wherever the wave buttons are shown, the window is wide enough for them and their counters:
// after the table is edited with start times by number off, after the countdown button, after
// a run's end.
TEST_F(Layout, TheWaveButtonsAreInsideTheWindowWheneverTheyAreShown) {
    t->settings().SaveSetting("StartZeiten", "Rows", "2");
    t->settings().SaveSetting("StartZeiten", "1", "1;10;06:05:00;Welle A");
    t->settings().SaveSetting("StartZeiten", "2", "11;2000;06:10:00;Welle B");
    start();
    const auto outside = [this] {
        QStringList out;
        for (int i = 0; i < 10; ++i)
            for (QWidget* c :
                 {static_cast<QWidget*>(w->cmdSetStartZeit[i]), static_cast<QWidget*>(w->edtImZiel[i])})
                if (c->isVisibleTo(w.get()) &&
                    !w->rect().contains(QRect(c->mapTo(w.get(), QPoint()), c->size())))
                    out << c->objectName();
        return out.join(" ").toStdString();
    };
    QTimer::singleShot(0, [] {
        if (auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            editor->done(0);
    });
    w->mnuSetStartTimeStartnummern_Click();
    ASSERT_TRUE(w->cmdSetStartZeit[1]->isVisibleTo(w.get()));
    EXPECT_EQ(outside(), "") << "after editing";
    shot("waves-edited");
    w->cmdAutoStart_Click();
    EXPECT_EQ(outside(), "") << "after the countdown button";
    w->m_frmStartRun->close();
    startRunAt(6, 5, 0);
    w->mnuLaufBeenden_Click();
    EXPECT_EQ(outside(), "") << "after the run's end";
    shot("waves-run-ended");
}

} // namespace
