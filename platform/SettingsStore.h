#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <memory>

class QSettings;

// The per-user key/value store addressed by the application title, a section and a key.
// Values are text; every read names its default. On Windows it lives where classic per-user
// program settings live in the registry; elsewhere in one INI file.
class SettingsStore final {
public:
    // Store in the platform's usual place for the given application title.
    explicit SettingsStore(const QString& appTitle);
    // Store in the given INI file (tests, or a store moved elsewhere).
    SettingsStore(const QString& appTitle, const QString& iniFile);
    ~SettingsStore();

    QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    void SaveSetting(const QString& section, const QString& key, const QString& value);
    // Removes one key; a missing key is no error.
    void DeleteSetting(const QString& section, const QString& key);
    // Removes a whole section; a missing section is no error.
    void DeleteSection(const QString& section);
    // Replaces the whole section by these keys and values in one write, so that the store
    // never holds part of the old section and part of the new. False when it was not written.
    bool ReplaceSection(const QString& section, const QList<QPair<QString, QString>>& values);

    // Booleans are stored as "-1"/"0" (modes) or "1"/"0" (check boxes) and read back from those
    // and from "True"/"False"; text that is none of these reads as the default.
    bool GetBool(const QString& section, const QString& key, bool defaultValue) const;
    // Mode toggles store "-1" and "0".
    void SaveBool(const QString& section, const QString& key, bool value);

    QString location() const;
    void sync();

private:
    QString groupKey(const QString& section, const QString& key) const;

    QString m_appTitle;
    std::unique_ptr<QSettings> m_settings;
};
