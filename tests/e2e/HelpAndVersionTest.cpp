// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "core/Version.h"
#include "tests/support/QtPrinters.h"

namespace kv::test {
namespace {

struct Asked {
    const char* program;
    const char* option;
    // Texts the help lists; for a version, the whole answer.
    QStringList expected;
    bool whole = false;
};

void PrintTo(const Asked& a, std::ostream* os) {
    *os << a.program << ' ' << a.option;
}

class HelpAndVersion : public testing::TestWithParam<Asked> {};

// Scripts and packagers ask these without a display. The window program must
// answer and stop: a window start would abort there, so a clean exit also
// shows that none was attempted. Nothing goes into the settings folder.
TEST_P(HelpAndVersion, AnswerOnStandardOutputWithoutADisplay) {
    const Asked& asked = GetParam();
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));

    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KV_BIN_DIR "/") + QLatin1String(asked.program),
                  {QLatin1String(asked.option)});
    ASSERT_TRUE(process.waitForStarted(5000));
    if (!process.waitForFinished(30000))
        process.kill();

    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    if (asked.whole) {
        EXPECT_EQ(out, asked.expected.join(QString()));
    }
    for (const QString& text : asked.expected)
        EXPECT_TRUE(out.contains(text)) << text.toStdString() << " missing in:\n"
                                        << out.toStdString();
    EXPECT_TRUE(QDir(config.path()).isEmpty());
}

// A language the program lacks, or an option it does not know, is refused
// before any window, so without a display too, and the answer names it.
TEST(WindowOptions, UnknownLanguageOrOptionIsRefusedWithOrWithoutADisplay) {
    const std::pair<QStringList, QString> refused[] = {
        {{"--lang", "fr"}, QStringLiteral("“fr”")},
        {{"--bogus"}, QStringLiteral("bogus")},
        {{"-platform", "offscreen", "--bogus"}, QStringLiteral("bogus")},
    };
    for (const auto& [arguments, named] : refused) {
        for (const bool offscreen : {false, true}) {
            SCOPED_TRACE(arguments.join(u' ').toStdString() + (offscreen ? " offscreen" : ""));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(QString::fromLatin1(name));
            if (offscreen)
                env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(QStringLiteral(KV_BIN_DIR "/kelvaro"), arguments);
            ASSERT_TRUE(process.waitForStarted(5000));
            if (!process.waitForFinished(30000))
                process.kill();
            EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(process.exitCode(), 1);
            EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardError()).contains(named));
        }
    }
}

QString versionLine(const char* program) {
    return QLatin1String(program) + ' ' + QLatin1String(kProgramVersion) + '\n';
}

INSTANTIATE_TEST_SUITE_P(
    Programs, HelpAndVersion,
    testing::Values(Asked{"kelvaro", "--version", {versionLine("kelvaro")}, true},
                    // The program by its name, not by the path it was started with.
                    Asked{"kelvaro", "-h", {"Usage: kelvaro [options]", "-v, --verbose"}},
                    Asked{"kelvaro",
                          "--help",
                          {"Usage:", "--version", "--settings-path", "--data-folder", "--lang",
                           "opens the window"}},
                    Asked{"kelvaro-cli", "--version", {versionLine("kelvaro-cli")}, true},
                    Asked{"kelvaro-cli",
                          "--help",
                          {"Usage: kelvaro-cli ", "--version", "-v, --verbose", "--lang", "detect",
                           "Exit codes:"}},
                    Asked{"kelvaro-sim", "--version", {versionLine("kelvaro-sim")}, true},
                    Asked{"kelvaro-sim",
                          "--help",
                          {"Usage: kelvaro-sim [options]", "--version", "--model", "--link"}}));

}  // namespace
}  // namespace kv::test
