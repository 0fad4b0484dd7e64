#pragma once

#include <QString>

namespace kv {

// Per-user text settings addressed by application name, section and key. The
// application name is the main window's title as built at start, so each
// program version keeps its own settings. A missing value reads as the empty
// text; a write replaces the value and reaches the disk atomically, so a crash
// mid-write never loses the previous settings.
class SettingsStore {
public:
    // folder: where the settings files live; empty means the user's
    // configuration folder. Tests always pass a temporary folder.
    explicit SettingsStore(const QString& applicationName, const QString& folder = QString());

    const QString& applicationName() const { return m_applicationName; }
    QString read(const QString& section, const QString& key) const;
    void write(const QString& section, const QString& key, const QString& value);

    static QString defaultFolder();

private:
    QString m_applicationName;
    QString m_folder;
};

}  // namespace kv
