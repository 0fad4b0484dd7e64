#pragma once

#include <QString>

class QIODevice;

namespace kv {

// Per-user text settings addressed by application name, section and key. The
// application name is the main window's title as built at start, so each
// program version keeps its own settings. A missing value reads as the empty
// text; a write replaces the value and reaches the disk atomically, so a crash
// mid-write never loses the previous settings.
//
// Storage: one UTF-8 JSON file per application name in the folder, holding
// {"application": name, "sections": {section: {key: value}}}. Any text survives
// unchanged (Chinese, U+3000, leading blanks, "=", ";", "#", line breaks).
// The file name is fileNameFor(applicationName). Every call reads the file
// afresh, so two program instances never overwrite each other's other keys.
class SettingsStore {
public:
    // folder: where the settings files live; empty means the user's
    // configuration folder. Tests always pass a temporary folder.
    explicit SettingsStore(const QString& applicationName, const QString& folder = QString());
    virtual ~SettingsStore() = default;
    SettingsStore(const SettingsStore&) = default;
    SettingsStore& operator=(const SettingsStore&) = default;

    const QString& applicationName() const { return m_applicationName; }
    QString read(const QString& section, const QString& key) const;
    // False when the file could not be replaced; the previous file then stays
    // exactly as it was. An existing file that cannot be read is never
    // overwritten; one that is not valid settings is kept beside as ".bad".
    bool write(const QString& section, const QString& key, const QString& value);

    QString filePath() const;
    const QString& folder() const { return m_folder; }

    // The user's configuration folder + "/kelvaro".
    static QString defaultFolder();
    // Percent-encoded UTF-8 of the name (letters, digits, "-", "_" and a
    // non-leading "." kept) + ".json". Names whose encoding is longer than 160
    // characters keep the first 160 followed by "~" and a SHA-256 prefix of the
    // whole name, so every name maps to a distinct, portable file name.
    static QString fileNameFor(const QString& applicationName);

protected:
    // Puts the whole new file content into the not yet committed temporary
    // file. A false result abandons the write.
    virtual bool writeContent(QIODevice& file, const QByteArray& content);

private:
    QString m_applicationName;
    QString m_folder;
};

}  // namespace kv
