#include "core/SystemFormats.h"

#include <QDir>

namespace SystemFormats {

QString ShortDateText(const QDate& date) {
    return date.toString("dd.MM.yyyy");
}

QString DefaultDrivePath(const QString& windowsPath) {
#ifdef Q_OS_WIN
    return windowsPath;
#else
    if (windowsPath.size() >= 3 && windowsPath.at(0).toUpper() == 'C' && windowsPath.at(1) == ':' &&
        (windowsPath.at(2) == '\\' || windowsPath.at(2) == '/')) {
        QString rest = windowsPath.mid(3);
        rest.replace('\\', '/');
        return QDir::homePath() + "/" + rest;
    }
    return windowsPath;
#endif
}

} // namespace SystemFormats
