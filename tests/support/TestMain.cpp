#include "platform/Translations.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The headless platform warns on every fading step of a window; the fade is tested by what it
// sets, so that warning is only noise.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support setting window opacity"))
        return;
    g_defaultHandler(type, context, message);
}

} // namespace

// Every test program runs headless unless the caller asks for a display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(quietHandler);
    // Qt keeps the state of its own dialogs (QtProject.conf) in the user's config folder: each
    // test program gets a folder of its own, so that no test writes into the real home.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    // Tests see the program's German texts, found the way the program finds them.
    Translations::InstallGerman(app, QCoreApplication::applicationDirPath());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
