#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <memory>
#include <utility>
#include <vector>

class QSettings;
class RuntimeError;

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

    // Every change is written through at once. False when it could not be stored (a full disk,
    // a store without write access); reads then answer what is really stored.
    QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    bool SaveSetting(const QString& section, const QString& key, const QString& value);
    // SaveSetting for state that must not be lost: raises RuntimeError 75 when it could not
    // be stored.
    void StoreSetting(const QString& section, const QString& key, const QString& value);
    // The error of a change that could not be stored (75, naming the store).
    RuntimeError WriteError() const;
    // Removes one key; a missing key is no error.
    bool DeleteSetting(const QString& section, const QString& key);
    // Removes a whole section; a missing section is no error.
    bool DeleteSection(const QString& section);
    // Replaces the whole section by these keys and values in one write, so that the store
    // never holds part of the old section and part of the new. False when it was not written.
    bool ReplaceSection(const QString& section, const QList<QPair<QString, QString>>& values);

    // Booleans are stored as "-1"/"0" (modes) or "1"/"0" (check boxes) and read back from those
    // and from "True"/"False"; text that is none of these reads as the default.
    bool GetBool(const QString& section, const QString& key, bool defaultValue) const;
    // Mode toggles store "-1" and "0".
    bool SaveBool(const QString& section, const QString& key, bool value);

    QString location() const;
    bool sync();

private:
    QString groupKey(const QString& section, const QString& key) const;
    using Snapshot = std::vector<std::pair<QString, QVariant>>;
    void reopen();
    // What a key, or every key of a section, holds now, before a change. QSettings keeps the
    // first error it met (also one of reading the file) for good: a store in that state is
    // opened anew, so that the change's own outcome is seen.
    Snapshot beforeChange(const QString& keyOrSection);
    // Writes the changes through; when that fails, `changed` gets back what it held before.
    bool commit(const QString& changed, const Snapshot& before);

    QString m_appTitle;
    QString m_location;
    int m_format = 0; // QSettings::Format
    std::unique_ptr<QSettings> m_settings;
};
