// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>

#include "core/OperationError.h"
#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/ProgrammerLink.h"
#include "link/QtSerialControl.h"
#include "tests/support/ProcessCpu.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempSettings.h"

using kv::OperationError;
using kv::test::processCpuUs;
using kv::test::SimProcess;

namespace {

// How long a test waits for something that should come at once.
constexpr int kPatienceMs = 30'000;

// The program's real port stack (QtSerialControl as COM1, SystemClock,
// QtEventPump) against the kelvaro-sim executable on a pseudo-terminal.
struct SimProcessLinkTest : ::testing::Test {
    void SetUp() override {
        if (!SimProcess::built()) {
            GTEST_SKIP() << "kelvaro-sim is not built: " << SimProcess::path().toStdString();
        }
        sim = std::make_unique<SimProcess>();
        ASSERT_TRUE(sim->started());
        ASSERT_TRUE(sim->pts().startsWith(u'/')) << sim->greeting().toStdString();

        map.setDevicePath(1, sim->pts());
        port.setPortNumber(1);
        port.setOpen(true);
        port.onClosedByError = [this](const QString&) { ++closures; };
    }

    // Yields until n bytes wait in the port; the simulator answers at once,
    // so only a fault runs into the limit.
    void awaitInput(int n) {
        for (int i = 0; i < kPatienceMs / 10 && link.inputCount() < n; ++i) {
            link.delayMs(10);
        }
        ASSERT_GE(link.inputCount(), n);
    }

    std::unique_ptr<SimProcess> sim;
    kv::test::TempSettings store;
    kv::PortMap map{&store};
    kv::QtSerialControl port{map};
    kv::SystemClock clock;
    kv::QtEventPump pump{clock};
    QStringList log;
    kv::ProgrammerLink link{port, clock, pump, [this](const QString& m) { log << m; }};
    int closures = 0;
};

}  // namespace

TEST_F(SimProcessLinkTest, ConnectionCheckAndAcknowledgedWrite) {
    link.discardInput();
    link.delayMs(10);
    link.sendCommand("CC#");
    awaitInput(9);  // "连接成功!" in GBK
    link.logReplyAfter(0);
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0], QStringLiteral("连接成功!"));

    // waitForText ends when "!" arrives, not at its limit (which a busy
    // machine cannot reach).
    QElapsedTimer t;
    t.start();
    link.sendCommand("WEA501FF#");
    EXPECT_TRUE(link.waitForText(kPatienceMs, QStringLiteral("!")));
    EXPECT_LT(t.elapsed(), kPatienceMs);
    link.sendCommand("RB01FF#");
    awaitInput(2);
    EXPECT_EQ(link.readInput(), "A5");
    EXPECT_EQ(closures, 0);
}

TEST_F(SimProcessLinkTest, HangUpMidExchangeStopsTheOperationWithoutSpinning) {
    link.discardInput();
    const qint64 cpu0 = processCpuUs();
    QElapsedTimer t;
    t.start();
    QString collected;
    bool stopped = false;
    bool hungUp = false;
    try {
        // The FLASH read's collection loop: 64 KiB of hex would take 5.7 s.
        // The cable is pulled once the first part has arrived.
        link.sendCommand("RF8000#");
        link.delayMs(200);
        for (int step = 0; step < 60 && collected.size() < 65536; ++step) {
            collected += link.readInput();
            if (!collected.isEmpty() && !hungUp) {
                sim->send("hangup");
                hungUp = true;
            }
            link.delayMs(200);
        }
    } catch (const OperationError& e) {
        stopped = true;
        EXPECT_TRUE(e.text().contains("COM1")) << e.text().toStdString();
    }
    const qint64 wallMs = t.elapsed();
    EXPECT_TRUE(hungUp);
    EXPECT_TRUE(stopped);
    EXPECT_LT(collected.size(), 65536);
    EXPECT_EQ(closures, 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_LT(processCpuUs() - cpu0, wallMs * 1000 / 2);
}
