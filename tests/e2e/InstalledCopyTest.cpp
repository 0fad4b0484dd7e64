// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "app/ShellTexts.h"
#include "tests/support/QtPrinters.h"

namespace {

// Runs a program to its end; its standard output, or a test failure.
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120'000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// A copy installed into one prefix and then moved elsewhere still finds its
// fuse definitions and help file, not in the folder the build was set up for.
TEST(InstalledCopy, FindsItsDataAfterTheTreeWasMoved) {
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QString installed = temporary.filePath(QStringLiteral("installed"));
    run(QStringLiteral(KV_CMAKE_COMMAND),
        {QStringLiteral("--install"), QStringLiteral(KV_BIN_DIR "/.."), QStringLiteral("--prefix"),
         installed});
    const QString moved = temporary.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().rename(installed, moved));

    const QString program = QDir(moved).filePath(QStringLiteral("bin/kelvaro"));
    ASSERT_TRUE(QFileInfo(program).isExecutable());
    const QString found = run(program, {QStringLiteral("--data-folder")});
    const QString expected = QDir(moved).filePath(QStringLiteral("share/kelvaro"));
    ASSERT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(expected).canonicalFilePath())
        << found.toStdString();
    EXPECT_TRUE(QFileInfo(QDir(found).filePath(QStringLiteral("Set/ATMEGA8.FUS"))).isFile());
    EXPECT_TRUE(QFileInfo(QDir(found).filePath(kv::ShellTexts::helpFileName())).isFile());
}

}  // namespace
