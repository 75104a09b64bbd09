#include "core/Skin.h"
#include "platform/Services.h"
#include "platform/Translations.h"
#include "timing/frmChronivo.h"
#include "Version.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(CHRONIVO_APP_TITLE);
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(CHRONIVO_VERSION_MAJOR)
                                            .arg(CHRONIVO_VERSION_MINOR)
                                            .arg(CHRONIVO_VERSION_REVISION));

    // Qt's own buttons and dialogs speak German like the rest of the program. Without the
    // translation files the program still runs, with Qt's English texts.
    if (!Translations::InstallGerman(app, QCoreApplication::applicationDirPath()))
        qWarning("Qt's German translations (qtbase_de.qm) not found in %s",
                 qPrintable(Translations::SearchFolders(QCoreApplication::applicationDirPath()).join(", ")));

    // Dialogs and message boxes show the program's icon too.
    QApplication::setWindowIcon(Skin::ProgramIcon());

    // The one Services object of the program; every window gets it from here.
    auto services = Services::createDefault(CHRONIVO_APP_TITLE, QCoreApplication::applicationFilePath());
    frmChronivo main(*services);
    main.startUp();
    if (main.isUnloaded())
        return 0;
    return app.exec();
}
