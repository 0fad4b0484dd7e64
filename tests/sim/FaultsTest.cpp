// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "SimBench.h"
#include "core/OperationError.h"
#include "sim/ProgrammerTexts.h"

using kv::sim::SimulatedSerialControl;
using kv::test::SimBench;
namespace texts = kv::sim::texts;

TEST(Faults, SilentProgrammerAnswersNothingButStillActs) {
    SimBench bench;
    bench.device.faults().silent = true;
    EXPECT_EQ(bench.exchange("CC#", 500), "");
    EXPECT_EQ(bench.exchange("WE420000#"), "");
    EXPECT_EQ(bench.device.eeprom()[0], 0x42);
    EXPECT_EQ(bench.device.transcript(), "CC#WE420000#");
}

TEST(Faults, LateRepliesArriveAfterTheExtraDelay) {
    SimBench bench;
    bench.device.faults().extraReplyDelayMs = 150;
    EXPECT_EQ(bench.exchange("CC#", 100), "");
    bench.run(100'000);
    EXPECT_EQ(bench.port.readAll(), SimBench::gbk(texts::kConnected));
}

TEST(Faults, LowerCaseHexAndGarbageChangeTheReplies) {
    SimBench bench;
    bench.device.faults().lowerCaseHex = true;
    bench.device.flash()[0] = char(0xAB);
    EXPECT_EQ(bench.exchange("RS#"), "ffffd9e1");
    EXPECT_EQ(bench.exchange("RF0001#"), "ab");
    bench.device.faults().lowerCaseHex = false;
    bench.device.faults().garbage = "\x7F?";
    EXPECT_EQ(bench.exchange("RI01#"), "93\x7F?");
    EXPECT_EQ(bench.exchange("WE000000#"), "!\x7F?");
}

TEST(Faults, AcknowledgementsStopAfterTheGivenCount) {
    SimBench bench;
    kv::sim::FaultPlan plan;
    plan.dropWriteAcksAfter = 2;
    bench.device.setFaults(plan);
    EXPECT_EQ(
        bench.exchange("WE010000#") + bench.exchange("WW00000000#") + bench.exchange("WE020001#"),
        "!!");
    EXPECT_EQ(bench.device.eeprom()[1], 0x02);  // written all the same

    plan = {};
    plan.dropPageAcksAfter = 1;
    bench.device.setFaults(plan);
    bench.port.write("WF#");
    bench.run(50'000);
    bench.port.write(QByteArray("\x20\x00\x5F", 3));  // 3 pages of 64 bytes
    QByteArray acks;
    for (int page = 0; page < 3; ++page) {
        bench.port.write(QByteArray(64, char(page)));
        bench.run(20'000);
        acks += bench.port.readAll();
    }
    EXPECT_EQ(acks, "!" + SimBench::gbk(texts::kFlashWritten));
    EXPECT_EQ(bench.device.flash()[128], 2);
}

TEST(Faults, ReadReplyIsCutShort) {
    SimBench bench;
    bench.device.faults().readReplyLimitChars = 5;
    EXPECT_EQ(bench.exchange("RF0008#", 500), "FFFFF");
    EXPECT_EQ(bench.exchange("RE0002#", 500), "FFFF");  // shorter than the limit anyway
}

TEST(Faults, StuckCellsNeverTakeAWrite) {
    SimBench bench;
    bench.device.faults().stuckFlashByte = 1;
    bench.device.faults().stuckEepromByte = 3;
    bench.exchange("WW12340000#");
    EXPECT_EQ(bench.exchange("RW0000#"), "12FF");
    bench.exchange("WE550003#");
    EXPECT_EQ(bench.exchange("RB0003#"), "FF");
}

TEST(Faults, HangUpClosesThePortUntilTheCableIsBack) {
    SimBench bench;
    QString reason;
    int closes = 0;
    bench.port.onClosedByError = [&](const QString& why) {
        reason = why;
        ++closes;
    };
    bench.device.faults().hangUpAfterBytes = 5;
    bench.port.write("CC#RS#");
    bench.run(10'000);
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(reason, kv::SerialControl::hangUpText(1));
    EXPECT_EQ(bench.device.transcript(), "CC#RS");
    EXPECT_THROW(bench.port.readAll(), kv::OperationError);
    // The device is gone: reopening fails until it is plugged in again.
    EXPECT_THROW(bench.port.setOpen(true), kv::OperationError);
    bench.device.faults().hangUpAfterBytes = -1;
    bench.device.reconnect();
    bench.port.setOpen(true);
    EXPECT_EQ(bench.exchange("CC#"), SimBench::gbk(texts::kConnected));

    // With 0 the very first byte is already lost.
    bench.device.clearTranscript();
    bench.device.faults().hangUpAfterBytes = 0;
    bench.port.write("C");
    bench.run(1'000);
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_EQ(bench.device.transcript(), "");
}
