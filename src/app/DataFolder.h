// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv {

// The folder that holds the fuse definitions ("Set") and the help file, for a
// program started from programFolder: beside the program (a build tree), then
// "../share/kelvaro" from it (an installed copy, wherever its prefix was moved
// to), then installedFolder, where the package puts it.
// The first that has a "Set" folder wins; with none, installedFolder.
QString findDataFolder(const QString& programFolder,
                       const QString& installedFolder = QStringLiteral(KV_INSTALL_DATADIR));

// Loads the model table from the data folder's "Set/models.txt" (or, without
// one, the installed copy's) and the user's own file; before any model is
// looked up, so that the command line's -m knows the added models too.
void loadModelTable(const QString& dataFolder,
                    const QString& installedFolder = QStringLiteral(KV_INSTALL_DATADIR));

}  // namespace kv
