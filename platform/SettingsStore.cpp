#include "platform/SettingsStore.h"

#include "platform/RuntimeError.h"

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
    m_location = QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + appTitle;
    m_format = QSettings::NativeFormat;
#else
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(dir);
    m_location = dir + "/" + appTitle + ".ini";
    m_format = QSettings::IniFormat;
#endif
    reopen();
}

SettingsStore::SettingsStore(const QString& appTitle, const QString& iniFile)
    : m_appTitle(appTitle), m_location(iniFile), m_format(QSettings::IniFormat) {
    reopen();
}

void SettingsStore::reopen() {
    m_settings = std::make_unique<QSettings>(m_location, static_cast<QSettings::Format>(m_format));
}

bool SettingsStore::commit(const QString& changed, const Snapshot& before) {
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    // The change could not be written: what was stored before is put back in memory, so reads
    // answer what is really stored.
    if (!changed.isEmpty())
        m_settings->remove(changed);
    for (const auto& [key, value] : before)
        m_settings->setValue(key, value);
    reopen();
    return false;
}

SettingsStore::Snapshot SettingsStore::beforeChange(const QString& keyOrSection) {
    if (m_settings->status() != QSettings::NoError)
        reopen();
    Snapshot values;
    if (m_settings->contains(keyOrSection))
        values.push_back({keyOrSection, m_settings->value(keyOrSection)});
    m_settings->beginGroup(keyOrSection);
    const QStringList inside = m_settings->allKeys();
    m_settings->endGroup();
    for (const QString& key : inside)
        values.push_back({keyOrSection + "/" + key, m_settings->value(keyOrSection + "/" + key)});
    return values;
}

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

bool SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value) {
    const QString k = groupKey(section, key);
    const Snapshot before = beforeChange(k);
    m_settings->setValue(k, value);
    return commit(k, before);
}

void SettingsStore::StoreSetting(const QString& section, const QString& key, const QString& value) {
    if (!SaveSetting(section, key, value))
        throw WriteError();
}

RuntimeError SettingsStore::WriteError() const {
    return RuntimeError(RuntimeError::PathFileAccessError,
                        "Fehler beim Zugriff auf Pfad/Datei: " + location());
}

bool SettingsStore::DeleteSetting(const QString& section, const QString& key) {
    const QString k = groupKey(section, key);
    const Snapshot before = beforeChange(k);
    m_settings->remove(k);
    return commit(k, before);
}

bool SettingsStore::DeleteSection(const QString& section) {
    const Snapshot before = beforeChange(section);
    m_settings->remove(section);
    return commit(section, before);
}

bool SettingsStore::ReplaceSection(const QString& section, const QList<QPair<QString, QString>>& values) {
    const Snapshot before = beforeChange(section);
    m_settings->remove(section);
    for (const auto& [key, value] : values)
        m_settings->setValue(groupKey(section, key), value);
    return commit(section, before);
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

bool SettingsStore::SaveBool(const QString& section, const QString& key, bool value) {
    return SaveSetting(section, key, value ? "-1" : "0");
}

QString SettingsStore::location() const {
    return m_settings->fileName();
}

bool SettingsStore::sync() {
    return commit({}, {});
}
