// SPDX-License-Identifier: MIT
#include "app/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

QString findDataFolder(const QString& programFolder, const QString& installedFolder) {
    const QDir program(programFolder);
    const QStringList candidates = {
        program.absolutePath(),
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/kelvaro"))),
        installedFolder,
    };
    for (const QString& folder : candidates) {
        if (QFileInfo(QDir(folder).filePath(QStringLiteral("Set"))).isDir())
            return folder;
    }
    return installedFolder;
}

}  // namespace kv
