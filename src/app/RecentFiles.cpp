// SPDX-License-Identifier: MIT
#include "app/RecentFiles.h"

#include <QFileInfo>
#include <tuple>

#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

QStringList RecentFiles::stored() const {
    return m_settings.read(SettingsKeys::kRecent, SettingsKeys::kRecentFiles)
        .split(u'\n', Qt::SkipEmptyParts);
}

void RecentFiles::store(const QStringList& paths) {
    // A list that cannot be stored is no reason to stop a load; the store
    // reports the failure itself.
    std::ignore =
        m_settings.write(SettingsKeys::kRecent, SettingsKeys::kRecentFiles, paths.join(u'\n'));
}

QStringList RecentFiles::entries() {
    const QStringList all = stored();
    QStringList present;
    for (const QString& path : all) {
        if (QFileInfo(path).isFile())
            present << path;
    }
    if (present.size() != all.size())
        store(present);
    return present;
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = stored();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    while (paths.size() > kLimit)
        paths.removeLast();
    store(paths);
}

}  // namespace kv
