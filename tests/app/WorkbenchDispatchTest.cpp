// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

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
        const QStringList lines = wb.log().text().mid(wb.log().logBanner().size()).split("\r\n");
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
    wb.onToolbarButton("CheckCOM");
    EXPECT_GE(p.clock.nowUs() - start, 260'000);
    EXPECT_LT(p.clock.nowUs() - start, 280'000);
    EXPECT_EQ(entries().last(), kNoReply);
    EXPECT_EQ(p.device.transcript(), "CC#");
}

TEST_F(WorkbenchDispatch, CheckComAndFirmwareVersionLogTheReplies) {
    wb.onToolbarButton("CheckCOM");
    EXPECT_EQ(entries().last(), "连接成功!");
    wb.onToolbarMenuItem("FIRMWARE");
    EXPECT_EQ(entries().last(), QString::fromUtf8(p.device.firmwareVersionText));
    EXPECT_EQ(p.device.transcript(), "CC#FM#");
}

TEST_F(WorkbenchDispatch, FirmwareWithThePortClosedShowsAWarningAndGoesOn) {
    wb.onToolbarMenuItem("CloseCOM");
    ASSERT_FALSE(p.port.isOpen());
    wb.onToolbarMenuItem("FIRMWARE");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, wb.appCaption());
    EXPECT_FALSE(p.prompts.warnings[0].second.isEmpty());
    EXPECT_FALSE(wb.link().isBusy());
    wb.onToolbarMenuItem("OpenCOM");
    wb.onToolbarMenuItem("FIRMWARE");
    EXPECT_EQ(p.prompts.warnings.size(), 1);
}

TEST_F(WorkbenchDispatch, SelectMcuWithoutReplyWarnsAndChangesNothing) {
    p.device.faults().silent = true;
    wb.onToolbarMenuItem("ATMEGA16");
    const QString bits = wb.fuses().fuseBitString();
    const QString log = wb.log().text();
    bool busyDuringBox = true;
    p.prompts.onWarning = [&] { busyDuringBox = wb.link().isBusy(); };
    wb.onToolbarButton("SelectMCU");
    EXPECT_EQ(wb.signature().signatureText(), "1E");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0],
              qMakePair(wb.appCaption(), QStringLiteral("无目标芯片或不支持!")));
    // The box waits for the user only once the exchange is over.
    EXPECT_FALSE(busyDuringBox);
    EXPECT_EQ(wb.model().selectedModelName(), "ATMEGA16");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA16");
    EXPECT_EQ(wb.fuses().fuseBitString(), bits);
    EXPECT_EQ(wb.log().text(), log);
    EXPECT_EQ(p.device.transcript(), "RI01#RI02#");
}

TEST_F(WorkbenchDispatch, SelectMcuFindsAnAtmega8WhileAtmega16IsSelected) {
    wb.onToolbarMenuItem("ATMEGA16");
    const QString atmega16Defaults = wb.fuses().defaultFuseBits();
    p.device.signature() = {0x1E, 0x93, 0x07};
    Count reloads(&wb.fuses(), &FuseEditor::definitionsChanged);
    const QString log = wb.log().text();
    wb.onToolbarButton("SelectMCU");
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    EXPECT_EQ(wb.log().text(), log);
    EXPECT_EQ(wb.model().selectedModelName(), "ATMEGA8");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA8");
    EXPECT_EQ(wb.signature().signatureText(), "1E9307");
    EXPECT_EQ(wb.signature().identifiedModel(), "ATMEGA8");
    EXPECT_GE(reloads.count(), 1);
    EXPECT_NE(wb.fuses().defaultFuseBits(), atmega16Defaults);
    EXPECT_EQ(wb.fuses().fuseBitString(), wb.fuses().defaultFuseBits());

    // Once more on the model already selected: the cells return to the defaults.
    wb.fuses().toggleBitCell(0);
    wb.onToolbarButton("SelectMCU");
    EXPECT_EQ(wb.fuses().fuseBitString(), wb.fuses().defaultFuseBits());
}

TEST_F(WorkbenchDispatch, SelectMcuWithThePortClosedShowsThePortFailure) {
    wb.requestPortToggle();
    ASSERT_FALSE(p.port.isOpen());
    wb.onToolbarButton("SelectMCU");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, wb.appCaption());
    EXPECT_EQ(wb.signature().signatureText(), "1E");
    EXPECT_EQ(wb.model().selectedModelName(), "ATMEGA8");
}

TEST_F(WorkbenchDispatch, ModelMenuReloadsDefinitionsOnlyForAnotherModel) {
    wb.fuses().toggleBitCell(0);
    const QString edited = wb.fuses().fuseBitString();
    Count reloads(&wb.fuses(), &FuseEditor::definitionsChanged);
    wb.onToolbarMenuItem("ATMEGA8");
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_EQ(wb.fuses().fuseBitString(), edited);

    wb.onToolbarMenuItem("ATTINY26");
    EXPECT_GE(reloads.count(), 1);
    EXPECT_EQ(wb.model().selectedModelName(), "ATTINY26");
    EXPECT_EQ(p.read("芯片", "型号"), "ATTINY26");
    EXPECT_EQ(wb.fuses().fuseBitString(), wb.fuses().defaultFuseBits());
    EXPECT_TRUE(p.device.transcript().isEmpty());
}

TEST_F(WorkbenchDispatch, ProgramMenuEntriesChangeNothing) {
    // Not ATMEGA8: a key taken for a model name would fall back to it.
    wb.onToolbarMenuItem("ATTINY26");
    wb.fuses().toggleBitCell(0);
    const QString edited = wb.fuses().fuseBitString();
    Count reloads(&wb.fuses(), &FuseEditor::definitionsChanged);
    for (const char* key : {"ProgramFLASH", "ProgramEEPROM", "SP"})
        wb.onToolbarMenuItem(key);
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_EQ(wb.model().selectedModelName(), "ATTINY26");
    EXPECT_EQ(p.read("芯片", "型号"), "ATTINY26");
    EXPECT_EQ(wb.fuses().fuseBitString(), edited);
    EXPECT_TRUE(p.device.transcript().isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

// The box that ends a command comes once the exchange is over, so the link is
// not held busy while the user reads it; the programming pass is no exception.
TEST_F(WorkbenchDispatch, AFailureBoxComesAfterTheExchangeAlsoForTheProgrammingPass) {
    wb.onToolbarMenuItem("CloseCOM");
    ASSERT_TRUE(wb.options().isOn(ProgramOptions::EraseChip));
    std::vector<bool> busyWhileShown;
    p.prompts.onWarning = [&] { busyWhileShown.push_back(wb.link().isBusy()); };
    wb.onToolbarMenuItem("FIRMWARE");
    wb.runProgrammingPass();
    ASSERT_EQ(p.prompts.warnings.size(), 2);
    EXPECT_EQ(p.prompts.warnings[1].first, wb.appCaption());
    EXPECT_EQ(p.prompts.warnings[1].second, p.prompts.warnings[0].second);
    EXPECT_EQ(busyWhileShown, std::vector<bool>({false, false}))
        << p.prompts.lines().join("\n").toStdString();
    EXPECT_FALSE(wb.programPass().isRunning());
}

TEST_F(WorkbenchDispatch, AnyFailureInsideACommandBecomesAWarningBox) {
    p.dialogs.onDialog = [] { throw std::runtime_error("dialog failed"); };
    wb.onToolbarButton("About");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0], qMakePair(wb.appCaption(), QStringLiteral("dialog failed")));
    // The program goes on: commands run and the window may close.
    p.dialogs.onDialog = nullptr;
    wb.onToolbarButton("CheckCOM");
    EXPECT_EQ(entries().last(), "连接成功!");
    EXPECT_TRUE(wb.requestClose());
}

TEST_F(WorkbenchDispatch, ToggleRefreshesEveryIndicatorFromThePort) {
    ASSERT_TRUE(wb.connection().connected());
    wb.requestPortToggle();
    EXPECT_FALSE(p.port.isOpen());
    EXPECT_FALSE(wb.connection().connected());
    EXPECT_TRUE(wb.connection().openEntryEnabled());
    EXPECT_FALSE(wb.deviceControls().enabled());
    EXPECT_EQ(wb.connection().portText(), QString(2, QChar(0x3000)) + "COM1:115200,N,8,1");

    p.port.setBusy(1);
    wb.requestPortToggle();
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, Workbench::portWarningTitle());
    EXPECT_FALSE(wb.connection().connected());
    EXPECT_FALSE(wb.deviceControls().enabled());

    p.port.setBusy(1, false);
    wb.requestPortToggle();
    EXPECT_TRUE(wb.connection().connected());
    EXPECT_TRUE(wb.connection().closeEntryEnabled());
    EXPECT_FALSE(wb.connection().openEntryEnabled());
    EXPECT_TRUE(wb.deviceControls().enabled());
}

TEST_F(WorkbenchDispatch, HangUpRefreshesTheIndicatorsAndLogsTheReason) {
    p.port.hangUp();
    EXPECT_FALSE(wb.connection().connected());
    EXPECT_FALSE(wb.deviceControls().enabled());
    EXPECT_FALSE(entries().isEmpty());
}

TEST_F(WorkbenchDispatch, CommandsDuringAnExchangeAreRefusedAndCloseIsDeferred) {
    Count closes(&wb, &Workbench::closeRequested);
    bool tried = false;
    p.pump.onYield = [&] {
        if (tried || !wb.link().isBusy())
            return;
        tried = true;
        wb.onToolbarButton("SelectMCU");
        wb.onToolbarMenuItem("ATMEGA16");
        wb.onToolbarButton("About");
        wb.requestPortToggle();
        wb.readSignature();
        EXPECT_FALSE(wb.requestClose());
        EXPECT_EQ(closes.count(), 0);
    };
    wb.onToolbarButton("CheckCOM");
    EXPECT_TRUE(tried);
    EXPECT_EQ(p.device.transcript(), "CC#");
    EXPECT_TRUE(p.port.isOpen());
    EXPECT_EQ(wb.model().selectedModelName(), "ATMEGA8");
    EXPECT_TRUE(p.dialogs.calls.isEmpty());
    EXPECT_EQ(entries().count(Workbench::busyText()), 5);
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
    wb.onToolbarButton("CheckCOM");
    ASSERT_TRUE(raised);
    EXPECT_TRUE(entries().contains("连接成功!"));

    // Idle: whatever waits in the buffer becomes one entry at once.
    p.pump.onYield = nullptr;
    wb.link().sendCommand("CC#");
    wb.link().delayMs(50);
    p.port.onLineEvent();
    EXPECT_EQ(entries().count("连接成功!"), 2);
}

TEST_F(WorkbenchDispatch, ButtonsForDialogsAndViewers) {
    wb.onToolbarButton("About");
    wb.onToolbarButton("SetCOM");
    wb.onToolbarMenuItem("UPDATE");
    wb.onToolbarButton("Production");
    wb.onToolbarMenuItem("RecordViewer");
    wb.onToolbarMenuItem("RecordSettings");
    EXPECT_EQ(p.dialogs.calls, QStringList({"About", "PortSettings", "Firmware", "RecordViewer",
                                            "RecordViewer", "RecordSettings"}));

    wb.onToolbarMenuItem("HELP");
    ASSERT_EQ(p.dialogs.opened.size(), 1);
    EXPECT_EQ(p.dialogs.opened[0], QUrl::fromLocalFile(wb.helpFilePath()));
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    wb.openWebPage();
    EXPECT_EQ(p.dialogs.opened.last(), ShellTexts::webPage());

    p.dialogs.viewerAvailable = false;
    wb.openHelp();
    EXPECT_EQ(p.prompts.warnings.size(), 1);
}

TEST_F(WorkbenchDispatch, ProgramAndSchemeButtonsAloneDoNothing) {
    wb.onToolbarButton("ProgramMCU");
    wb.onToolbarButton("slSET");
    EXPECT_TRUE(p.device.transcript().isEmpty());
    EXPECT_TRUE(p.dialogs.calls.isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

}  // namespace
}  // namespace kv::test
