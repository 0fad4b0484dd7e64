// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFileInfo>

#include <stdexcept>
#include <vector>

#include "app/Language.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "link/ProgrammerLink.h"
#include "tests/app/ShellFakes.h"

namespace kv::test {
namespace {

const QString kNoReply = QStringLiteral("编程器无反应!");

// Counts the emissions of a signal.
struct Count {
    template <typename Sender, typename Signal>
    Count(Sender* sender, Signal signal) {
        QObject::connect(sender, signal, &context, [this] { ++n; });
    }
    int count() const { return n; }
    QObject context;
    int n = 0;
};

class WorkbenchDispatch : public ::testing::Test {
protected:
    WorkbenchDispatch() : wb(p.parts()) {
        wb.start();
        p.device.clearTranscript();
    }

    // The log's entries (message lines only).
    QStringList entries() {
        QStringList out;
        const QStringList lines =
            wb.session().log().text().mid(wb.session().log().logBanner().size()).split("\r\n");
        for (const QString& line : lines)
            if (!line.isEmpty() && !line.startsWith('['))
                out << line;
        return out;
    }

    ShellPlatform p;
    Workbench wb;
};

TEST_F(WorkbenchDispatch, CheckComWithASilentProgrammerLogsNoReplyAfter260ms) {
    p.device.faults().silent = true;
    const qint64 start = p.clock.nowUs();
    wb.runCommand(CommandId::CheckLink);
    EXPECT_GE(p.clock.nowUs() - start, 260'000);
    EXPECT_LT(p.clock.nowUs() - start, 280'000);
    EXPECT_EQ(entries().last(), kNoReply);
    EXPECT_EQ(p.device.transcript(), "CC#");
}

TEST_F(WorkbenchDispatch, CheckComAndFirmwareVersionLogTheReplies) {
    wb.runCommand(CommandId::CheckLink);
    EXPECT_EQ(entries().last(), "连接成功!");
    wb.runCommand(CommandId::FirmwareVersion);
    EXPECT_EQ(entries().last(), QString::fromUtf8(p.device.firmwareVersionText));
    EXPECT_EQ(p.device.transcript(), "CC#FM#");
}

TEST_F(WorkbenchDispatch, FirmwareWithThePortClosedShowsAWarningAndGoesOn) {
    wb.runCommand(CommandId::ClosePort);
    ASSERT_FALSE(p.port.isOpen());
    wb.runCommand(CommandId::FirmwareVersion);
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, wb.appCaption());
    EXPECT_FALSE(p.prompts.warnings[0].second.isEmpty());
    EXPECT_FALSE(wb.session().link().isBusy());
    wb.runCommand(CommandId::OpenPort);
    wb.runCommand(CommandId::FirmwareVersion);
    EXPECT_EQ(p.prompts.warnings.size(), 1);
}

TEST_F(WorkbenchDispatch, SelectMcuWithoutReplyWarnsAndChangesNothing) {
    p.device.faults().silent = true;
    wb.selectModelFromMenu(QStringLiteral("ATMEGA16"));
    const QString bits = wb.session().fuses().fuseBitString();
    const QString log = wb.session().log().text();
    bool busyDuringBox = true;
    p.prompts.onWarning = [&] { busyDuringBox = wb.session().link().isBusy(); };
    wb.runCommand(CommandId::SelectModel);
    EXPECT_EQ(wb.session().signature().signatureText(), "1E");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0],
              qMakePair(wb.appCaption(), QStringLiteral("无目标芯片或不支持!")));
    // The box waits for the user only once the exchange is over.
    EXPECT_FALSE(busyDuringBox);
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATMEGA16");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA16");
    EXPECT_EQ(wb.session().fuses().fuseBitString(), bits);
    EXPECT_EQ(wb.session().log().text(), log);
    EXPECT_EQ(p.device.transcript(), "RI01#RI02#");
}

TEST_F(WorkbenchDispatch, SelectMcuFindsAnAtmega8WhileAtmega16IsSelected) {
    wb.selectModelFromMenu(QStringLiteral("ATMEGA16"));
    const QString atmega16Defaults = wb.session().fuses().defaultFuseBits();
    p.device.signature() = {0x1E, 0x93, 0x07};
    Count reloads(&wb.session().fuses(), &FuseEditor::definitionsChanged);
    const QString log = wb.session().log().text();
    wb.runCommand(CommandId::SelectModel);
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    EXPECT_EQ(wb.session().log().text(), log);
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATMEGA8");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA8");
    EXPECT_EQ(wb.session().signature().signatureText(), "1E9307");
    EXPECT_EQ(wb.session().signature().identifiedModel(), "ATMEGA8");
    EXPECT_GE(reloads.count(), 1);
    EXPECT_NE(wb.session().fuses().defaultFuseBits(), atmega16Defaults);
    EXPECT_EQ(wb.session().fuses().fuseBitString(), wb.session().fuses().defaultFuseBits());

    // Once more on the model already selected: the cells return to the defaults.
    wb.session().fuses().toggleBitCell(0);
    wb.runCommand(CommandId::SelectModel);
    EXPECT_EQ(wb.session().fuses().fuseBitString(), wb.session().fuses().defaultFuseBits());
}

TEST_F(WorkbenchDispatch, SelectMcuWithThePortClosedShowsThePortFailure) {
    wb.requestPortToggle();
    ASSERT_FALSE(p.port.isOpen());
    wb.runCommand(CommandId::SelectModel);
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, wb.appCaption());
    EXPECT_EQ(wb.session().signature().signatureText(), "1E");
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATMEGA8");
}

TEST_F(WorkbenchDispatch, ModelMenuReloadsDefinitionsOnlyForAnotherModel) {
    wb.session().fuses().toggleBitCell(0);
    const QString edited = wb.session().fuses().fuseBitString();
    Count reloads(&wb.session().fuses(), &FuseEditor::definitionsChanged);
    wb.selectModelFromMenu(QStringLiteral("ATMEGA8"));
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_EQ(wb.session().fuses().fuseBitString(), edited);

    wb.selectModelFromMenu(QStringLiteral("ATTINY26"));
    EXPECT_GE(reloads.count(), 1);
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATTINY26");
    EXPECT_EQ(p.read("芯片", "型号"), "ATTINY26");
    EXPECT_EQ(wb.session().fuses().fuseBitString(), wb.session().fuses().defaultFuseBits());
    EXPECT_TRUE(p.device.transcript().isEmpty());
}

TEST_F(WorkbenchDispatch, ProgramMenuEntriesChangeNothing) {
    // Not ATMEGA8: a key taken for a model name would fall back to it.
    wb.selectModelFromMenu(QStringLiteral("ATTINY26"));
    wb.session().fuses().toggleBitCell(0);
    const QString edited = wb.session().fuses().fuseBitString();
    Count reloads(&wb.session().fuses(), &FuseEditor::definitionsChanged);
    for (const CommandId id : {CommandId::ProgramFlashEntry, CommandId::ProgramEepromEntry})
        wb.runCommand(id);
    // The model menu's separator is no model.
    wb.selectModelFromMenu(QStringLiteral("SP"));
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATTINY26");
    EXPECT_EQ(p.read("芯片", "型号"), "ATTINY26");
    EXPECT_EQ(wb.session().fuses().fuseBitString(), edited);
    EXPECT_TRUE(p.device.transcript().isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

// The box that ends a command comes once the exchange is over, so the link is
// not held busy while the user reads it; the programming pass is no exception.
TEST_F(WorkbenchDispatch, AFailureBoxComesAfterTheExchangeAlsoForTheProgrammingPass) {
    wb.runCommand(CommandId::ClosePort);
    ASSERT_TRUE(wb.session().options().isOn(ProgramOptions::EraseChip));
    std::vector<bool> busyWhileShown;
    p.prompts.onWarning = [&] { busyWhileShown.push_back(wb.session().link().isBusy()); };
    wb.runCommand(CommandId::FirmwareVersion);
    wb.runCommand(CommandId::RunPass);
    ASSERT_EQ(p.prompts.warnings.size(), 2);
    EXPECT_EQ(p.prompts.warnings[1].first, wb.appCaption());
    EXPECT_EQ(p.prompts.warnings[1].second, p.prompts.warnings[0].second);
    EXPECT_EQ(busyWhileShown, std::vector<bool>({false, false}))
        << p.prompts.lines().join("\n").toStdString();
    EXPECT_FALSE(wb.session().programPass().isRunning());
}

TEST_F(WorkbenchDispatch, AnyFailureInsideACommandBecomesAWarningBox) {
    p.dialogs.onDialog = [] { throw std::runtime_error("dialog failed"); };
    wb.runCommand(CommandId::About);
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0], qMakePair(wb.appCaption(), QStringLiteral("dialog failed")));
    // The program goes on: commands run and the window may close.
    p.dialogs.onDialog = nullptr;
    wb.runCommand(CommandId::CheckLink);
    EXPECT_EQ(entries().last(), "连接成功!");
    EXPECT_TRUE(wb.requestClose());
}

TEST_F(WorkbenchDispatch, ToggleRefreshesEveryIndicatorFromThePort) {
    ASSERT_TRUE(wb.session().connection().connected());
    wb.requestPortToggle();
    EXPECT_FALSE(p.port.isOpen());
    EXPECT_FALSE(wb.session().connection().connected());
    EXPECT_TRUE(wb.session().connection().openEntryEnabled());
    EXPECT_FALSE(wb.session().deviceControls().enabled());
    EXPECT_EQ(wb.session().connection().portText(),
              QString(2, QChar(0x3000)) + "COM1:115200,N,8,1");

    p.port.setBusy(1);
    wb.requestPortToggle();
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, Workbench::portWarningTitle());
    EXPECT_FALSE(wb.session().connection().connected());
    EXPECT_FALSE(wb.session().deviceControls().enabled());

    p.port.setBusy(1, false);
    wb.requestPortToggle();
    EXPECT_TRUE(wb.session().connection().connected());
    EXPECT_TRUE(wb.session().connection().closeEntryEnabled());
    EXPECT_FALSE(wb.session().connection().openEntryEnabled());
    EXPECT_TRUE(wb.session().deviceControls().enabled());
}

TEST_F(WorkbenchDispatch, HangUpRefreshesTheIndicatorsAndLogsTheReason) {
    p.port.hangUp();
    EXPECT_FALSE(wb.session().connection().connected());
    EXPECT_FALSE(wb.session().deviceControls().enabled());
    EXPECT_FALSE(entries().isEmpty());
}

TEST_F(WorkbenchDispatch, CommandsDuringAnExchangeAreRefusedAndCloseIsDeferred) {
    Count closes(&wb, &Workbench::closeRequested);
    bool tried = false;
    p.pump.onYield = [&] {
        if (tried || !wb.session().link().isBusy())
            return;
        tried = true;
        wb.runCommand(CommandId::SelectModel);
        wb.selectModelFromMenu(QStringLiteral("ATMEGA16"));
        wb.runCommand(CommandId::About);
        wb.requestPortToggle();
        wb.runCommand(CommandId::ReadSignature);
        EXPECT_FALSE(wb.requestClose());
        EXPECT_EQ(closes.count(), 0);
    };
    wb.runCommand(CommandId::CheckLink);
    EXPECT_TRUE(tried);
    EXPECT_EQ(p.device.transcript(), "CC#");
    EXPECT_TRUE(p.port.isOpen());
    EXPECT_EQ(wb.session().model().selectedModelName(), "ATMEGA8");
    EXPECT_TRUE(p.dialogs.calls.isEmpty());
    EXPECT_EQ(entries().count(CommandRunner::busyText()), 5);
    EXPECT_TRUE(entries().contains("连接成功!"));
    EXPECT_EQ(closes.count(), 1);
    EXPECT_TRUE(wb.requestClose());
}

TEST_F(WorkbenchDispatch, LineEventDuringAnExchangeWaitsAndKeepsTheReply) {
    bool raised = false;
    p.pump.onYield = [&] {
        // Once the reply has started to arrive, a line error is reported.
        if (!raised && p.port.bytesAvailable() > 0) {
            raised = true;
            p.port.onLineEvent();
        }
    };
    wb.runCommand(CommandId::CheckLink);
    ASSERT_TRUE(raised);
    EXPECT_TRUE(entries().contains("连接成功!"));

    // Idle: whatever waits in the buffer becomes one entry at once.
    p.pump.onYield = nullptr;
    wb.session().link().sendCommand("CC#");
    wb.session().link().delayMs(50);
    p.port.onLineEvent();
    EXPECT_EQ(entries().count("连接成功!"), 2);
}

TEST_F(WorkbenchDispatch, ButtonsForDialogsAndViewers) {
    wb.runCommand(CommandId::About);
    wb.runCommand(CommandId::PortSettings);
    wb.runCommand(CommandId::FirmwareUpdate);
    wb.runCommand(CommandId::Production);
    wb.runCommand(CommandId::RecordViewer);
    wb.runCommand(CommandId::RecordSettings);
    EXPECT_EQ(p.dialogs.calls, QStringList({"About", "PortSettings", "Firmware", "RecordViewer",
                                            "RecordViewer", "RecordSettings"}));

    wb.runCommand(CommandId::Help);
    ASSERT_EQ(p.dialogs.opened.size(), 1);
    EXPECT_EQ(p.dialogs.opened[0], QUrl::fromLocalFile(wb.helpFilePath()));
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    wb.openWebPage();
    EXPECT_EQ(p.dialogs.opened.last(), ShellTexts::webPage());
    {
        // The page of the window's language.
        const LanguageTexts english(Language::English);
        wb.runCommand(CommandId::Help);
        EXPECT_EQ(QFileInfo(p.dialogs.opened.last().toLocalFile()).fileName(),
                  ShellTexts::helpFileName(Language::English));
        EXPECT_NE(ShellTexts::helpFileName(Language::English), ShellTexts::helpFileName());
    }

    p.dialogs.viewerAvailable = false;
    wb.runCommand(CommandId::Help);
    EXPECT_EQ(p.prompts.warnings.size(), 1);
}

TEST_F(WorkbenchDispatch, ProgramAndSchemeButtonsAloneDoNothing) {
    wb.runCommand(CommandId::ProgramMenu);
    wb.runCommand(CommandId::Schemes);
    EXPECT_TRUE(p.device.transcript().isEmpty());
    EXPECT_TRUE(p.dialogs.calls.isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

}  // namespace
}  // namespace kv::test
