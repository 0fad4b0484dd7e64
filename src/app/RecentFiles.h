// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kv {

class SettingsStore;

// The files the window opened or saved last (images and schemes), newest
// first, kept in the settings so the next start offers them again.
class RecentFiles {
public:
    static constexpr int kLimit = 8;

    explicit RecentFiles(SettingsStore& settings) : m_settings(settings) {}

    // The entries whose files still exist; the ones gone are dropped from
    // the stored list as well.
    QStringList entries();
    // Puts a file first (once) and drops the oldest beyond the limit.
    void add(const QString& path);

private:
    QStringList stored() const;
    void store(const QStringList& paths);

    SettingsStore& m_settings;
};

}  // namespace kv
