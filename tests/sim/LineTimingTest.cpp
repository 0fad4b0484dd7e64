// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "SimBench.h"
#include "sim/SimTiming.h"
#include "sim/VirtualPump.h"

using kv::test::SimBench;
namespace timing = kv::sim::timing;

namespace {

// Time from writing `command` until `replyBytes` bytes of reply are readable.
qint64 replyTimeUs(SimBench& bench, const QByteArray& command, int replyBytes) {
    const qint64 start = bench.clock.nowUs();
    bench.port.write(command);
    QByteArray got;
    while (got.size() < replyBytes && bench.port.waitForReadyRead(1000)) {
        got += bench.port.readAll();
    }
    EXPECT_EQ(got.size(), replyBytes);
    return bench.clock.nowUs() - start;
}

}  // namespace

TEST(LineTiming, EveryByteTakesTenBitTimesEachWay) {
    SimBench fast;
    EXPECT_EQ(fast.device.byteTimeUs(), 87);  // 86.8 us at 115200
    // 3 bytes out, 9 bytes back: 12 x 86.8 us plus processing.
    const qint64 fastUs = replyTimeUs(fast, "CC#", 9);
    EXPECT_GE(fastUs, 1041 + timing::kProcessingUs);
    EXPECT_LE(fastUs, 1043 + timing::kProcessingUs);

    SimBench slow;
    slow.port.setOpen(false);
    slow.port.setSettings("9600,n,8,1");
    slow.port.setOpen(true);
    EXPECT_EQ(slow.device.baud(), 9600);
    const qint64 slowUs = replyTimeUs(slow, "CC#", 9);
    EXPECT_GE(slowUs, 12'500 + timing::kProcessingUs);
    EXPECT_LE(slowUs, 12'502 + timing::kProcessingUs);
}

TEST(LineTiming, UnsentBytesDrainAtLineSpeed) {
    SimBench bench;
    bench.port.setSettings("9600,n,8,1");
    bench.port.write("0123456789");
    EXPECT_EQ(bench.port.bytesToWrite(), 10);
    bench.run(5'300);  // five bytes of 1041.7 us
    EXPECT_EQ(bench.port.bytesToWrite(), 5);
    EXPECT_EQ(bench.device.transcript(), "01234");
    EXPECT_TRUE(bench.port.waitForBytesWritten(100));
    EXPECT_EQ(bench.port.bytesToWrite(), 0);
    EXPECT_GE(bench.clock.nowUs(), 1'000'000 + 10'417);
}

TEST(LineTiming, ReadRepliesArePacedByTheLine) {
    SimBench bench;
    bench.port.write("RF2000#");  // 16384 characters: about 1.42 s at 115200
    bench.run(1'000'000);
    const int afterOneSecond = int(bench.port.readAll().size());
    EXPECT_GT(afterOneSecond, 11'000);
    EXPECT_LT(afterOneSecond, 11'600);
    bench.run(500'000);
    EXPECT_EQ(afterOneSecond + bench.port.readAll().size(), 16384);
}

TEST(LineTiming, WriteAcksWaitForTheChipAndLaterCommandsQueueBehindIt) {
    SimBench bench;
    const qint64 eepromUs = replyTimeUs(bench, "WE550000#", 1);
    EXPECT_GE(eepromUs, timing::kEepromByteWriteUs);
    EXPECT_LT(eepromUs, timing::kEepromByteWriteUs + 2000);
    const qint64 wordUs = replyTimeUs(bench, "WW12340000#", 1);
    EXPECT_GE(wordUs, timing::kFlashPageWriteUs);
    EXPECT_LT(wordUs, timing::kFlashPageWriteUs + 2000);
    // A read sent right behind a write is answered once the write is done.
    const qint64 bothUs = replyTimeUs(bench, "WE660001#RB0001#", 3);
    EXPECT_GE(bothUs, timing::kEepromByteWriteUs + 3 * bench.device.byteTimeUs());
    EXPECT_EQ(bench.device.eeprom()[1], 0x66);
}

TEST(VirtualPump, AdvancesToTheNextLineEventOrTheDeadline) {
    SimBench bench;
    kv::sim::VirtualPump pump(bench.clock, bench.port);
    int hooks = 0;
    pump.onYield = [&] { ++hooks; };
    const qint64 t0 = bench.clock.nowUs();
    pump.yieldUntil(t0 + 50'000);  // nothing on the line: straight to the deadline
    EXPECT_EQ(bench.clock.nowUs(), t0 + 50'000);
    pump.yieldUntil(t0);  // a passed deadline does not move time
    EXPECT_EQ(bench.clock.nowUs(), t0 + 50'000);
    EXPECT_EQ(hooks, 2);
    EXPECT_EQ(pump.yields(), 2);

    bench.port.write("CC#");
    const qint64 t1 = bench.clock.nowUs();
    pump.yieldUntil(t1 + 50'000);  // stops when the first byte is on the line
    EXPECT_EQ(bench.clock.nowUs(), t1 + bench.device.byteTimeUs());
    EXPECT_EQ(bench.device.transcript(), "C");
}

TEST(BlockingWaits, EndAtTheirLimitAndNeverHang) {
    SimBench bench;
    const qint64 t0 = bench.clock.nowUs();
    EXPECT_FALSE(bench.port.waitForReadyRead(30));
    EXPECT_EQ(bench.clock.nowUs(), t0 + 30'000);
    EXPECT_TRUE(bench.port.waitForBytesWritten(10));  // nothing to send
    bench.port.write("CC#");
    // A negative time counts as 0, as on the real port: never an open-ended wait.
    EXPECT_FALSE(bench.port.waitForReadyRead(-1));
    EXPECT_FALSE(bench.port.waitForBytesWritten(-1));
    EXPECT_EQ(bench.clock.nowUs(), t0 + 30'000);
    EXPECT_TRUE(bench.port.waitForReadyRead(100));
    EXPECT_TRUE(bench.port.waitForReadyRead(0));  // already readable
}
