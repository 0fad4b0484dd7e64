// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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
    // Virtual for a store that keeps a private copy of the settings in memory.
    virtual QString read(const QString& section, const QString& key) const;
    // False when the file could not be replaced; the previous file then stays
    // exactly as it was. An existing file that cannot be read is never
    // overwritten; one that is not valid settings is kept beside as ".bad".
    // A failure also goes to the failure report, naming the file and the reason.
    [[nodiscard]] virtual bool write(const QString& section, const QString& key,
                                     const QString& value);

    // Where failed writes are told, one message each; without one they go to
    // Qt's warning output. The window's controller points it at the log.
    using FailureReport = std::function<void(const QString& message)>;
    void setFailureReport(FailureReport report) { m_report = std::move(report); }
    // Why the last write failed; empty after one that succeeded.
    const QString& errorString() const { return m_error; }
    // The report's text for a failure of this store.
    QString failureText(const QString& reason) const;

    // Groups the writes of one step, such as confirming the port dialog (device
    // paths, then line settings). While one is alive a failure already reported
    // is not reported again, so a folder that refuses them makes one log entry.
    class Batch {
    public:
        explicit Batch(SettingsStore& store) : m_store(store) { ++m_store.m_batchDepth; }
        ~Batch() {
            if (--m_store.m_batchDepth == 0)
                m_store.m_reportedInBatch.clear();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SettingsStore& m_store;
    };

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
    // Replaces the file with the value set; the reason of a failure, else empty.
    QString replaceFile(const QString& section, const QString& key, const QString& value);
    void reportFailure(const QString& reason);

    QString m_applicationName;
    QString m_folder;
    FailureReport m_report;
    QString m_error;
    int m_batchDepth = 0;
    QStringList m_reportedInBatch;
};

}  // namespace kv
