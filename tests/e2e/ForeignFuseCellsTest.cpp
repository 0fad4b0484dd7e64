// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>

#include "app/Workbench.h"
#include "tests/app/ShellFakes.h"
#include "tests/support/TestFiles.h"
#include "ui/MainWindow.h"

namespace kv::test {
namespace {

const QString kShipped = QStringLiteral(KV_SOURCE_DIR "/data/Set/");

// How the ATMEGA88 definition file is spoilt in the folder the program reads.
enum class Spoilt { Missing, CutTo20Lines };

// The window on the simulated programmer, reading definitions from a folder
// with ATMEGA8.FUS and a missing or cut ATMEGA88.FUS; settings may be stored
// before start().
class ForeignFuseCells : public ::testing::TestWithParam<Spoilt> {
protected:
    ForeignFuseCells() {
        QDir().mkpath(setDir());
        test::writeFile(setDir() + "/ATMEGA8.FUS", test::readFile(kShipped + "ATMEGA8.FUS"));
        if (GetParam() == Spoilt::CutTo20Lines) {
            const QList<QByteArray> lines = test::readFile(kShipped + "ATMEGA88.FUS").split('\n');
            test::writeFile(setDir() + "/ATMEGA88.FUS", lines.mid(0, 20).join('\n') + '\n');
        }
    }

    QString setDir() const { return dir.filePath("Set"); }
    QString fileNamed() const { return QDir::toNativeSeparators(dir.filePath("Set/ATMEGA88.FUS")); }

    void start() {
        window = std::make_unique<ui::MainWindow>(ui::MainWindowParts{
            p.port, p.clock, p.pump, p.prompts, p.settings, p.dataFolder(), nullptr, &p.dialogs});
        wb().session().fuses().setDefinitionFolders({setDir()});
        window->load();
        p.device.clearTranscript();
    }
    Workbench& wb() { return window->workbench(); }

    // Every command that would write the cells to the chip or load the
    // defaults into them shows one warning box naming the file, sends
    // nothing and leaves the cells alone; a fuse read still works.
    void expectWritesRefusedAndReadsWork() {
        const QString cells = wb().session().fuses().fuseBitString();
        wb().session().options().setFromText("0001100000");
        const std::vector<std::function<void()>> commands = {
            [&] { wb().runCommand(CommandId::WriteFuses); },
            [&] { wb().runCommand(CommandId::WriteLock); },
            [&] { wb().runCommand(CommandId::RecoverFuses); },
            [&] { wb().runCommand(CommandId::FuseDefaults); },
            [&] { wb().runCommand(CommandId::RunPass); },
        };
        for (std::size_t i = 0; i < commands.size(); ++i) {
            p.prompts.warnings.clear();
            commands[i]();
            ASSERT_EQ(p.prompts.warnings.size(), 1) << i;
            EXPECT_EQ(p.prompts.warnings[0].first, wb().appCaption());
            EXPECT_TRUE(p.prompts.warnings[0].second.contains(fileNamed()))
                << i << ": " << p.prompts.warnings[0].second.toStdString();
        }
        EXPECT_EQ(p.device.transcript(), "");
        EXPECT_EQ(wb().session().fuses().fuseBitString(), cells);

        auto* warning = window->definitionsWarning();
        EXPECT_FALSE(warning->isHidden());
        EXPECT_TRUE(warning->text().contains(fileNamed()));
        EXPECT_TRUE(warning->text().contains("ATMEGA88"));

        p.prompts.warnings.clear();
        wb().runCommand(CommandId::ReadFuses);
        EXPECT_EQ(p.device.transcript(), "RS#");
        EXPECT_TRUE(p.prompts.warnings.isEmpty());
        EXPECT_TRUE(wb().session().log().text().contains(QStringLiteral("读熔丝位:")));
    }

    QTemporaryDir dir;
    ShellPlatform p;
    std::unique_ptr<ui::MainWindow> window;
};

TEST_P(ForeignFuseCells, ChoosingAModelWithoutUsableDefinitionsAfterAnother) {
    start();
    ASSERT_EQ(wb().session().model().selectedModelName(), "ATMEGA8");
    EXPECT_TRUE(window->definitionsWarning()->isHidden());
    wb().selectModelFromMenu(QStringLiteral("ATMEGA88"));
    ASSERT_EQ(wb().session().model().selectedModelName(), "ATMEGA88");
    expectWritesRefusedAndReadsWork();

    // Back on a model with its definitions, writing goes through again.
    wb().selectModelFromMenu(QStringLiteral("ATMEGA8"));
    p.device.clearTranscript();
    wb().runCommand(CommandId::WriteFuses);
    EXPECT_EQ(p.device.transcript(), "WS..D9E1#");
    EXPECT_TRUE(window->definitionsWarning()->isHidden());
}

TEST_P(ForeignFuseCells, FirstStartWithTheStoredModelsDefinitionsSpoilt) {
    ASSERT_TRUE(p.settings.write(QStringLiteral("芯片"), QStringLiteral("型号"),
                                 QStringLiteral("ATMEGA88")));
    ASSERT_TRUE(p.settings.write(QStringLiteral("熔丝"), QStringLiteral("设置"),
                                 QStringLiteral("**111111*****0011101111101100010")));
    start();
    ASSERT_EQ(wb().session().model().selectedModelName(), "ATMEGA88");
    expectWritesRefusedAndReadsWork();
}

INSTANTIATE_TEST_SUITE_P(Spoilt, ForeignFuseCells,
                         ::testing::Values(Spoilt::Missing, Spoilt::CutTo20Lines),
                         [](const auto& info) {
                             return info.param == Spoilt::Missing ? "Missing" : "CutTo20Lines";
                         });

}  // namespace
}  // namespace kv::test
