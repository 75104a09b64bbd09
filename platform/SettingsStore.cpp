#include "platform/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cmath>

namespace {

// The numeric value of a leading number, as the settings readers use it; kept local so the
// platform layer does not depend on the helpers above it.
bool parseNumber(const QString& text, double& value) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    if (t.startsWith("&H", Qt::CaseInsensitive)) {
        bool ok = false;
        const qlonglong v = t.mid(2).toLongLong(&ok, 16);
        if (ok)
            value = static_cast<double>(static_cast<qint32>(v));
        return ok;
    }
    bool ok = false;
    value = t.toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

SettingsStore::SettingsStore(const QString& appTitle) : m_appTitle(appTitle) {
#ifdef Q_OS_WIN
    m_settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + appTitle,
        QSettings::NativeFormat);
#else
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(dir);
    m_settings = std::make_unique<QSettings>(dir + "/" + appTitle + ".ini", QSettings::IniFormat);
#endif
}

SettingsStore::SettingsStore(const QString& appTitle, const QString& iniFile)
    : m_appTitle(appTitle), m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::groupKey(const QString& section, const QString& key) const {
    // The store is opened for this application only, so the title is implied.
    return section + "/" + key;
}

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    const QVariant v = m_settings->value(groupKey(section, key));
    if (!v.isValid())
        return defaultValue;
    // An INI value holding commas that was written by hand comes back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(",");
    return v.toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value) {
    m_settings->setValue(groupKey(section, key), value);
    m_settings->sync();
}

void SettingsStore::DeleteSetting(const QString& section, const QString& key) {
    m_settings->remove(groupKey(section, key));
    m_settings->sync();
}

void SettingsStore::DeleteSection(const QString& section) {
    m_settings->remove(section);
    m_settings->sync();
}

bool SettingsStore::ReplaceSection(const QString& section, const QList<QPair<QString, QString>>& values) {
    // QSettings keeps the first error it met for good; a store that failed once is opened
    // anew so that this write's own outcome is seen.
    if (m_settings->status() != QSettings::NoError)
        m_settings = std::make_unique<QSettings>(m_settings->fileName(), m_settings->format());
    m_settings->remove(section);
    for (const auto& [key, value] : values)
        m_settings->setValue(groupKey(section, key), value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool SettingsStore::GetBool(const QString& section, const QString& key, bool defaultValue) const {
    const QString t = GetSetting(section, key, QString()).trimmed();
    if (t.compare("True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare("False", Qt::CaseInsensitive) == 0)
        return false;
    double v = 0;
    if (parseNumber(t, v))
        return v != 0;
    return defaultValue;
}

void SettingsStore::SaveBool(const QString& section, const QString& key, bool value) {
    SaveSetting(section, key, value ? "-1" : "0");
}

QString SettingsStore::location() const {
    return m_settings->fileName();
}

void SettingsStore::sync() {
    m_settings->sync();
}
