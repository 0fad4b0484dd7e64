// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/DataFolder.h"
#include "tests/support/QtPrinters.h"

namespace kv {
namespace {

// Program in <root>/bin; each case creates some "Set" folders and names the
// folder that must win.
struct Layout {
    const char* name;
    QStringList setFolders;  // relative to root
    QStringList plainFiles;  // relative to root
    QString expected;        // relative to root
};

TEST(DataFolder, BesideTheProgramThenShareThenTheConfiguredPlace) {
    const QList<Layout> layouts = {
        {"build tree", {"bin/Set", "share/kelvaro/Set", "configured/Set"}, {}, "bin"},
        {"moved install", {"share/kelvaro/Set", "configured/Set"}, {}, "share/kelvaro"},
        {"configured place", {"configured/Set"}, {}, "configured"},
        {"nothing anywhere", {}, {}, "configured"},
        {"a file named Set", {"configured/Set"}, {"bin/Set", "share/kelvaro/Set"}, "configured"},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        QTemporaryDir temporary;
        const QDir root(temporary.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("bin")));
        for (const QString& folder : layout.setFolders)
            ASSERT_TRUE(root.mkpath(folder));
        for (const QString& name : layout.plainFiles) {
            ASSERT_TRUE(root.mkpath(QFileInfo(root.filePath(name)).path()));
            QFile file(root.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const QString found = findDataFolder(root.filePath(QStringLiteral("bin")),
                                             root.filePath(QStringLiteral("configured")));
        EXPECT_EQ(QDir::cleanPath(found), root.filePath(layout.expected));
    }
}

}  // namespace
}  // namespace kv
