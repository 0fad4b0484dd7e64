// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "app/ShellTexts.h"
#include "settings/SettingsStore.h"

namespace kv::test {
namespace {

// The demo and picture scripts learn the settings file from the program itself.
// Without a display a window start would abort, so success also shows that no
// window was started; nothing may be written either.
TEST(SettingsPathOption, NamesTheFileOfThisVersionWithoutADisplay) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KV_BIN_DIR "/kelvaro"), {QStringLiteral("--settings-path")});
    ASSERT_TRUE(program.waitForStarted(5000));
    if (!program.waitForFinished(30000))
        program.kill();

    const SettingsStore expected(ShellTexts::appTitle(),
                                 config.path() + QStringLiteral("/kelvaro"));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()), expected.filePath() + '\n');
    EXPECT_TRUE(QDir(config.path()).isEmpty());
}

}  // namespace
}  // namespace kv::test
