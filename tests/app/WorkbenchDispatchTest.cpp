#include <gtest/gtest.h>

#include <stdexcept>

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
        wb.Start();
        p.device.clearTranscript();
    }

    // The log's entries (message lines only).
    QStringList entries() {
        QStringList out;
        const QStringList lines = wb.log().text().mid(wb.log().LogBanner().size()).split("\r\n");
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
    wb.Toolbar1_ButtonClick("CheckCOM");
    EXPECT_GE(p.clock.nowUs() - start, 260'000);
    EXPECT_LT(p.clock.nowUs() - start, 280'000);
    EXPECT_EQ(entries().last(), kNoReply);
    EXPECT_EQ(p.device.transcript(), "CC#");
}

TEST_F(WorkbenchDispatch, CheckComAndFirmwareVersionLogTheReplies) {
    wb.Toolbar1_ButtonClick("CheckCOM");
    EXPECT_EQ(entries().last(), "连接成功!");
    wb.Toolbar1_ButtonMenuClick("FIRMWARE");
    EXPECT_EQ(entries().last(), QString::fromUtf8(p.device.firmwareVersionText));
    EXPECT_EQ(p.device.transcript(), "CC#FM#");
}

TEST_F(WorkbenchDispatch, FirmwareWithThePortClosedShowsAWarningAndGoesOn) {
    wb.Toolbar1_ButtonMenuClick("CloseCOM");
    ASSERT_FALSE(p.port.isOpen());
    wb.Toolbar1_ButtonMenuClick("FIRMWARE");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, wb.AppCaption());
    EXPECT_FALSE(p.prompts.warnings[0].second.isEmpty());
    EXPECT_FALSE(wb.link().isBusy());
    wb.Toolbar1_ButtonMenuClick("OpenCOM");
    wb.Toolbar1_ButtonMenuClick("FIRMWARE");
    EXPECT_EQ(p.prompts.warnings.size(), 1);
}

TEST_F(WorkbenchDispatch, SelectMcuWithoutReplyWarnsAndChangesNothing) {
    p.device.faults().silent = true;
    wb.Toolbar1_ButtonMenuClick("ATMEGA16");
    const QString bits = wb.fuses().FuseBitString();
    const QString log = wb.log().text();
    bool busyDuringBox = true;
    p.prompts.onWarning = [&] { busyDuringBox = wb.link().isBusy(); };
    wb.Toolbar1_ButtonClick("SelectMCU");
    EXPECT_EQ(wb.signature().SIG_LABEL(), "1E");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0],
              qMakePair(wb.AppCaption(), QStringLiteral("无目标芯片或不支持!")));
    // The box waits for the user only once the exchange is over.
    EXPECT_FALSE(busyDuringBox);
    EXPECT_EQ(wb.model().SelectedModel(), "ATMEGA16");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA16");
    EXPECT_EQ(wb.fuses().FuseBitString(), bits);
    EXPECT_EQ(wb.log().text(), log);
    EXPECT_EQ(p.device.transcript(), "RI01#RI02#");
}

TEST_F(WorkbenchDispatch, SelectMcuFindsAnAtmega8WhileAtmega16IsSelected) {
    wb.Toolbar1_ButtonMenuClick("ATMEGA16");
    const QString atmega16Defaults = wb.fuses().DefaultFuseBits();
    p.device.signature() = {0x1E, 0x93, 0x07};
    Count reloads(&wb.fuses(), &FuseEditor::definitionsChanged);
    const QString log = wb.log().text();
    wb.Toolbar1_ButtonClick("SelectMCU");
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    EXPECT_EQ(wb.log().text(), log);
    EXPECT_EQ(wb.model().SelectedModel(), "ATMEGA8");
    EXPECT_EQ(p.read("芯片", "型号"), "ATMEGA8");
    EXPECT_EQ(wb.signature().SIG_LABEL(), "1E9307");
    EXPECT_EQ(wb.signature().Crunt_MCUTYPE(), "ATMEGA8");
    EXPECT_GE(reloads.count(), 1);
    EXPECT_NE(wb.fuses().DefaultFuseBits(), atmega16Defaults);
    EXPECT_EQ(wb.fuses().FuseBitString(), wb.fuses().DefaultFuseBits());

    // Once more on the model already selected: the cells return to the defaults.
    wb.fuses().ToggleBitCell(0);
    wb.Toolbar1_ButtonClick("SelectMCU");
    EXPECT_EQ(wb.fuses().FuseBitString(), wb.fuses().DefaultFuseBits());
}

TEST_F(WorkbenchDispatch, SelectMcuWithThePortClosedShowsThePortFailure) {
    wb.OpenCOM_Click();
    ASSERT_FALSE(p.port.isOpen());
    wb.Toolbar1_ButtonClick("SelectMCU");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, wb.AppCaption());
    EXPECT_EQ(wb.signature().SIG_LABEL(), "1E");
    EXPECT_EQ(wb.model().SelectedModel(), "ATMEGA8");
}

TEST_F(WorkbenchDispatch, ModelMenuReloadsDefinitionsOnlyForAnotherModel) {
    wb.fuses().ToggleBitCell(0);
    const QString edited = wb.fuses().FuseBitString();
    Count reloads(&wb.fuses(), &FuseEditor::definitionsChanged);
    wb.Toolbar1_ButtonMenuClick("ATMEGA8");
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_EQ(wb.fuses().FuseBitString(), edited);

    wb.Toolbar1_ButtonMenuClick("ATTINY26");
    EXPECT_GE(reloads.count(), 1);
    EXPECT_EQ(wb.model().SelectedModel(), "ATTINY26");
    EXPECT_EQ(p.read("芯片", "型号"), "ATTINY26");
    EXPECT_EQ(wb.fuses().FuseBitString(), wb.fuses().DefaultFuseBits());
    EXPECT_TRUE(p.device.transcript().isEmpty());
}

TEST_F(WorkbenchDispatch, ProgramMenuEntriesChangeNothing) {
    // Not ATMEGA8: a key taken for a model name would fall back to it.
    wb.Toolbar1_ButtonMenuClick("ATTINY26");
    wb.fuses().ToggleBitCell(0);
    const QString edited = wb.fuses().FuseBitString();
    Count reloads(&wb.fuses(), &FuseEditor::definitionsChanged);
    for (const char* key : {"ProgramFLASH", "ProgramEEPROM", "SP"})
        wb.Toolbar1_ButtonMenuClick(key);
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_EQ(wb.model().SelectedModel(), "ATTINY26");
    EXPECT_EQ(p.read("芯片", "型号"), "ATTINY26");
    EXPECT_EQ(wb.fuses().FuseBitString(), edited);
    EXPECT_TRUE(p.device.transcript().isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

TEST_F(WorkbenchDispatch, AnyFailureInsideACommandBecomesAWarningBox) {
    p.dialogs.onDialog = [] { throw std::runtime_error("dialog failed"); };
    wb.Toolbar1_ButtonClick("About");
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0], qMakePair(wb.AppCaption(), QStringLiteral("dialog failed")));
    // The program goes on: commands run and the window may close.
    p.dialogs.onDialog = nullptr;
    wb.Toolbar1_ButtonClick("CheckCOM");
    EXPECT_EQ(entries().last(), "连接成功!");
    EXPECT_TRUE(wb.requestClose());
}

TEST_F(WorkbenchDispatch, ToggleRefreshesEveryIndicatorFromThePort) {
    ASSERT_TRUE(wb.connection().connected());
    wb.OpenCOM_Click();
    EXPECT_FALSE(p.port.isOpen());
    EXPECT_FALSE(wb.connection().connected());
    EXPECT_TRUE(wb.connection().openEntryEnabled());
    EXPECT_FALSE(wb.deviceControls().enabled());
    EXPECT_EQ(wb.connection().portText(), QString(2, QChar(0x3000)) + "COM1:115200,N,8,1");

    p.port.setBusy(1);
    wb.OpenCOM_Click();
    ASSERT_EQ(p.prompts.warnings.size(), 1);
    EXPECT_EQ(p.prompts.warnings[0].first, Workbench::portWarningTitle());
    EXPECT_FALSE(wb.connection().connected());
    EXPECT_FALSE(wb.deviceControls().enabled());

    p.port.setBusy(1, false);
    wb.OpenCOM_Click();
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
        wb.Toolbar1_ButtonClick("SelectMCU");
        wb.Toolbar1_ButtonMenuClick("ATMEGA16");
        wb.Toolbar1_ButtonClick("About");
        wb.OpenCOM_Click();
        wb.ReadSIG_Click();
        EXPECT_FALSE(wb.requestClose());
        EXPECT_EQ(closes.count(), 0);
    };
    wb.Toolbar1_ButtonClick("CheckCOM");
    EXPECT_TRUE(tried);
    EXPECT_EQ(p.device.transcript(), "CC#");
    EXPECT_TRUE(p.port.isOpen());
    EXPECT_EQ(wb.model().SelectedModel(), "ATMEGA8");
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
    wb.Toolbar1_ButtonClick("CheckCOM");
    ASSERT_TRUE(raised);
    EXPECT_TRUE(entries().contains("连接成功!"));

    // Idle: whatever waits in the buffer becomes one entry at once.
    p.pump.onYield = nullptr;
    wb.link().SendCommand("CC#");
    wb.link().DelayMs(50);
    p.port.onLineEvent();
    EXPECT_EQ(entries().count("连接成功!"), 2);
}

TEST_F(WorkbenchDispatch, ButtonsForDialogsAndViewers) {
    wb.Toolbar1_ButtonClick("About");
    wb.Toolbar1_ButtonClick("SetCOM");
    wb.Toolbar1_ButtonMenuClick("UPDATE");
    EXPECT_EQ(p.dialogs.calls, QStringList({"About", "PortSettings", "Firmware"}));

    wb.Toolbar1_ButtonMenuClick("HELP");
    ASSERT_EQ(p.dialogs.opened.size(), 1);
    EXPECT_EQ(p.dialogs.opened[0], QUrl::fromLocalFile(wb.helpFilePath()));
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
    wb.OpenWebPage();
    EXPECT_EQ(p.dialogs.opened.last(), ShellTexts::WebPage());

    p.dialogs.viewerAvailable = false;
    wb.OpenHelp();
    EXPECT_EQ(p.prompts.warnings.size(), 1);
}

TEST_F(WorkbenchDispatch, ProgramAndSchemeButtonsAloneDoNothing) {
    wb.Toolbar1_ButtonClick("ProgramMCU");
    wb.Toolbar1_ButtonClick("slSET");
    EXPECT_TRUE(p.device.transcript().isEmpty());
    EXPECT_TRUE(p.dialogs.calls.isEmpty());
    EXPECT_TRUE(p.prompts.warnings.isEmpty());
}

}  // namespace
}  // namespace kv::test
