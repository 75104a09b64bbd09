#include "platform/Translations.h"

#include <QApplication>

#include <gtest/gtest.h>

// Every test program runs headless unless the caller asks for a display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Tests see the program's German texts, found the way the program finds them.
    Translations::InstallGerman(app, QCoreApplication::applicationDirPath());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
