#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// Qt's own German texts (standard buttons, colour and font dialogs, file dialogs, system
// error texts), so that nothing in this German program speaks English.
namespace Translations {

// Folders searched for Qt's translation files, in order: "translations" beside the program
// (a program folder shipped with its own copies), then the folder of the installed Qt
// (on Debian the package qt6-translations-l10n puts them there).
QStringList SearchFolders(const QString& programFolder);

// Loads "qtbase_de" from the first folder that has it and installs it for the application;
// the translator lives as long as the application. False when no folder has the file.
bool InstallGerman(QCoreApplication& app, const QString& programFolder);

} // namespace Translations
