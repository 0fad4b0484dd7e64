// SPDX-License-Identifier: MIT
#include "app/DataFolder.h"

#include <QDir>
#include <QFileInfo>

#include "catalogue/ChipModelTable.h"

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

void loadModelTable(const QString& dataFolder, const QString& installedFolder) {
    QString shipped;
    for (const QString& folder : {dataFolder, installedFolder}) {
        shipped = QDir(folder).filePath(QStringLiteral("Set/") + ChipModelTable::fileName());
        if (QFileInfo::exists(shipped))
            break;
    }
    ChipModelTable::load(shipped, ChipModelTable::userFile());
}

}  // namespace kv
