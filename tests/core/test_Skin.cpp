#include "core/Skin.h"
#include "core/modFade.h"
#include "support/FakeClock.h"
#include "support/TestServices.h"
#include "timing/frmSplash.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

QColor windowColor(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

TEST(Skin, ControlsTakeTheLookOfTheirKindAndTaggedOnesKeepTheirs) {
    QDialog window;
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    window.setPalette(pal);
    auto* plain = new QLabel("plain", &window);
    auto* kept = new QLabel("kept", &window);
    kept->setProperty(Skin::TagProperty, "#");
    QPalette keptPal = kept->palette();
    keptPal.setColor(QPalette::Window, Qt::black);
    kept->setPalette(keptPal);
    auto* frame = new QGroupBox("Rahmen", &window);
    QFont bold = frame->font();
    bold.setBold(true);
    frame->setFont(bold);
    auto* inFrame = new QLabel("im Rahmen", frame);
    const QColor labelText = inFrame->palette().color(QPalette::WindowText);
    auto* button = new QPushButton("Knopf", &window);

    Skin::ApplyFormSkin(window);
    EXPECT_EQ(windowColor(plain), QColor(10, 20, 30));
    EXPECT_EQ(windowColor(kept), QColor(Qt::black));
    EXPECT_EQ(frame->palette().color(QPalette::WindowText), Skin::OleColor(0x8000000D));
    EXPECT_FALSE(frame->font().bold());
    // The frame's title colour does not pass on to what it holds.
    EXPECT_EQ(inFrame->palette().color(QPalette::WindowText), labelText);
    EXPECT_EQ(button->font().family(), "Arial");
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), Skin::OleColor(0x80000012));
    EXPECT_FALSE(window.windowIcon().isNull());

    // Applying it again changes nothing.
    Skin::ApplyFormSkin(window);
    EXPECT_EQ(inFrame->palette().color(QPalette::WindowText), labelText);
    EXPECT_EQ(windowColor(kept), QColor(Qt::black));
}

TEST(Skin, ADisabledControlStillLooksDisabled) {
    QWidget window;
    auto* button = new QPushButton("&Start", &window);
    auto* check = new QCheckBox("Externer Sensor", &window);
    auto* label = new QLabel("Systemzeit:", &window);
    for (QWidget* w :
         {static_cast<QWidget*>(button), static_cast<QWidget*>(check), static_cast<QWidget*>(label)})
        w->setEnabled(false);
    Skin::ApplyFormSkin(window);
    for (QWidget* w :
         {static_cast<QWidget*>(button), static_cast<QWidget*>(check), static_cast<QWidget*>(label)}) {
        const QPalette& pal = w->palette();
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText})
            EXPECT_NE(pal.color(QPalette::Disabled, role), pal.color(QPalette::Active, role))
                << w->metaObject()->className() << " role " << role;
    }
    // What a person sees: the disabled caption is drawn lighter than the same caption enabled.
    auto darkest = [](QWidget* w) {
        const QImage img = w->grab().toImage();
        int least = 255;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                least = std::min(least, qGray(img.pixel(x, y)));
        return least;
    };
    button->resize(100, 30);
    const int disabled = darkest(button);
    button->setEnabled(true);
    EXPECT_LT(darkest(button) + 40, disabled);
}

TEST(Skin, EscPressesTheCloseButtonWhereThereIsOne) {
    QWidget window;
    auto* beenden = new QPushButton("&Beenden", &window);
    beenden->setObjectName("cmdBeenden");
    int pressed = 0;
    QObject::connect(beenden, &QPushButton::clicked, [&] { ++pressed; });
    Skin::ApplyFormSkin(window);
    Skin::ApplyFormSkin(window);
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(pressed, 1);
}

TEST(Skin, TheProgramIconComesInFourSizesAndReachesTheTopOwner) {
    const QList<QSize> sizes = Skin::ProgramIcon().availableSizes();
    for (int s : {16, 32, 48, 64})
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
    // Every size is drawn, not left empty.
    const QImage small = Skin::ProgramIcon().pixmap(16, 16).toImage();
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            opaque += qAlpha(small.pixel(x, y)) > 0 ? 1 : 0;
    EXPECT_GT(opaque, 60);

    QWidget owner;
    QDialog child(&owner);
    Skin::SetWindowIcon(child, "A00");
    EXPECT_FALSE(child.windowIcon().isNull());
    EXPECT_FALSE(owner.windowIcon().isNull());
    QWidget other;
    Skin::SetWindowIcon(other, "B01");
    EXPECT_TRUE(other.windowIcon().availableSizes().isEmpty());
}

TEST(Skin, TheGradientRunsFromTheFirstColourToTheSecondAndReadsSystemColours) {
    QWidget w;
    w.resize(40, 100);
    Skin::PaintGradient(w, 0x8000000Fu, 0x0000FFu, 1);
    const QImage img = w.grab().toImage();
    EXPECT_TRUE(near(QColor(img.pixel(20, 0)), QApplication::palette().color(QPalette::Button)));
    EXPECT_EQ(QColor(img.pixel(20, 99)).red(), 255);
    EXPECT_LT(QColor(img.pixel(20, 99)).green(), 10);
    // Direction 0 runs left to right.
    Skin::PaintGradient(w, QColor(Qt::black), QColor(Qt::white), 0);
    const QImage across = w.grab().toImage();
    EXPECT_LT(QColor(across.pixel(0, 50)).red(), 10);
    EXPECT_GT(QColor(across.pixel(39, 50)).red(), 240);
    EXPECT_EQ(QColor(across.pixel(20, 0)), QColor(across.pixel(20, 99)));
}

// The alpha of each step with the clock's time at that step, in ms after the start.
struct FadeTrace {
    std::vector<std::pair<qint64, int>> steps;
};

FadeTrace fade(int holdMs) {
    QWidget window;
    FakeClock clock;
    const QDateTime begin = clock.now();
    FadeTrace trace;
    auto* fader = new modFade::FormFader(window, clock);
    QObject::connect(fader, &modFade::FormFader::alphaChanged, [&](int alpha) {
        trace.steps.push_back({begin.msecsTo(clock.now()), alpha});
    });
    fader->start(holdMs);
    // Nothing waits: the call returns at once with the window fully visible.
    EXPECT_EQ(fader->alpha(), 255);
    EXPECT_FALSE(fader->isFinished());
    for (int i = 0; i < 100 && !fader->isFinished(); ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(fader->isFinished());
    EXPECT_NEAR(window.windowOpacity(), 5 / 255.0, 0.01);
    return trace;
}

TEST(Fade, HoldsTheWindowFullyVisibleThenStepsDownByTenToFive) {
    for (int hold : {0, 2500}) {
        const FadeTrace trace = fade(hold);
        ASSERT_EQ(trace.steps.size(), 26u) << hold;
        EXPECT_EQ(trace.steps.front(), std::make_pair(qint64{0}, 255));
        for (size_t i = 1; i < trace.steps.size(); ++i) {
            // All steps after the hold follow one another without a pause.
            EXPECT_EQ(trace.steps[i].first, hold) << i;
            EXPECT_EQ(trace.steps[i].second, 255 - 10 * static_cast<int>(i));
        }
        EXPECT_EQ(trace.steps.back().second, 5);
    }
}

TEST(Splash, ShowsTitleVersionAndFileTimeThenFadesAndClosesWhileEventsGoOn) {
    TestServices t;
    frmSplash splash(t.services());
    splash.Form_Load();
    EXPECT_EQ(splash.lblProductName->text(), "Vek. Chronivo");
    EXPECT_TRUE(splash.lblVersion->text().startsWith("Version "));
    // The test's program file does not exist: the zero date.
    EXPECT_EQ(splash.lblFiletime->text(), "30.12.1899 00:00:00");
    EXPECT_EQ(splash.size(), splash.Picture1->size());
    EXPECT_EQ(splash.Picture1->pos(), QPoint(0, 0));
    EXPECT_EQ(t.settings().GetSetting("LastUser", "AppPath"), t.folder());
    EXPECT_FALSE(splash.windowIcon().isNull());

    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(0);
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
    EXPECT_EQ(t.clock().slept(), 2500);
    EXPECT_NEAR(splash.windowOpacity(), 5 / 255.0, 0.01);
    // Other handlers ran while the splash was held.
    EXPECT_GT(ticks, 0);
}

} // namespace
