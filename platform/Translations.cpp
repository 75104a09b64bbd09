#include "platform/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace Translations {

QStringList SearchFolders(const QString& programFolder) {
    return {QDir(programFolder).filePath("translations"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

bool InstallGerman(QCoreApplication& app, const QString& programFolder) {
    for (const QString& folder : SearchFolders(programFolder)) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QStringLiteral("qtbase_de"), folder) &&
            QCoreApplication::installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}

} // namespace Translations
