// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "SimBench.h"
#include "sim/ProgrammerTexts.h"
#include "sim/SimTiming.h"

using kv::test::SimBench;
namespace texts = kv::sim::texts;
namespace timing = kv::sim::timing;

namespace {

QByteArray pattern(int size, int seed = 0) {
    QByteArray bytes(size, 0);
    for (int i = 0; i < size; ++i) {
        bytes[i] = char((i * 7 + seed) & 0xFF);
    }
    return bytes;
}

// Starts a FLASH stream the way the program does: command, pauses, header.
void startStream(SimBench& bench, int pageWords, int imageBytes) {
    bench.port.write("WF#");
    bench.run(100'000);
    const int wordsMinusOne = imageBytes / 2 - 1;
    bench.port.write(QByteArray(1, char(pageWords)));
    bench.port.write(QByteArray(1, char(wordsMinusOne >> 8)));
    bench.port.write(QByteArray(1, char(wordsMinusOne & 0xFF)));
    bench.run(50'000);
}

}  // namespace

TEST(FlashStream, AcknowledgesEachFullPageButNotTheShortBlock) {
    SimBench bench;  // ATMEGA8: 32-word pages of 64 bytes
    const QByteArray image = pattern(100);
    startStream(bench, 32, 100);
    EXPECT_TRUE(bench.device.inFlashStream());
    bench.port.write(image.left(64));
    ASSERT_TRUE(bench.port.waitForReadyRead(100));
    EXPECT_EQ(bench.port.readAll(), "!");
    bench.port.write(image.mid(64));
    bench.run(20'000);
    EXPECT_EQ(bench.port.readAll(), SimBench::gbk(texts::kFlashWritten));
    EXPECT_FALSE(bench.device.inFlashStream());
    EXPECT_EQ(bench.device.flash().left(100), image);
    EXPECT_EQ(bench.device.flash().mid(100), QByteArray(8192 - 100, char(0xFF)));
    EXPECT_EQ(bench.exchange("CC#"), SimBench::gbk(texts::kConnected));
}

TEST(FlashStream, WholePagesEachGetAnAckAndTheLastIsFollowedByTheClosingText) {
    SimBench bench("ATTINY26");  // 16-word pages of 32 bytes
    const QByteArray image = pattern(96, 3);
    startStream(bench, 16, 96);
    QByteArray replies;
    for (int page = 0; page < 3; ++page) {
        bench.port.write(image.mid(page * 32, 32));
        ASSERT_TRUE(bench.port.waitForReadyRead(100));
        replies += bench.port.readAll();
    }
    bench.run(10'000);
    replies += bench.port.readAll();
    EXPECT_EQ(replies, "!!!" + SimBench::gbk(texts::kFlashWritten));
    EXPECT_EQ(bench.device.flash().left(96), image);
}

TEST(FlashStream, PageAckComesAfterThePageWriteTime) {
    SimBench bench;
    startStream(bench, 32, 128);
    bench.port.write(pattern(64));
    const qint64 lastByteOnLine = bench.clock.nowUs() + bench.device.lineTimeUs(64);
    ASSERT_TRUE(bench.port.waitForReadyRead(100));
    const qint64 ackAt = bench.clock.nowUs();
    EXPECT_GE(ackAt - lastByteOnLine, timing::kFlashPageWriteUs + bench.device.byteTimeUs());
    EXPECT_LT(ackAt - lastByteOnLine, timing::kFlashPageWriteUs + 1000);
}

TEST(FlashStream, ProgrammingWithoutEraseOnlyClearsBits) {
    SimBench bench;
    bench.device.flash().replace(0, 4, QByteArray("\x0F\xFF\x00\xAA", 4));
    startStream(bench, 32, 4);
    bench.port.write(QByteArray("\xF0\x3C\xFF\x55", 4));
    bench.run(20'000);
    EXPECT_EQ(bench.device.flash().left(4), QByteArray("\x00\x3C\x00\x00", 4));
}

TEST(FlashStream, BytesBeyondTheAnnouncedCountAreNotProgrammed) {
    // Header announces 1 word (N = 0) but three bytes follow.
    SimBench bench;
    startStream(bench, 32, 2);
    bench.port.write(QByteArray("\x11\x22\x33", 3));
    bench.run(300'000);
    EXPECT_EQ(bench.port.readAll(), SimBench::gbk(texts::kFlashWritten));
    EXPECT_EQ(bench.device.flash().left(3), QByteArray("\x11\x22\xFF", 3));
    EXPECT_EQ(bench.exchange("CC#"), SimBench::gbk(texts::kConnected));
}

TEST(FlashStream, ZeroPageSizeIsRefusedAndAStalledStreamIsAbandoned) {
    SimBench bench;
    bench.port.write("WF#");
    bench.run(50'000);
    bench.port.write(QByteArray("\x00\x00\x10", 3));
    bench.run(50'000);
    EXPECT_EQ(bench.port.readAll(), SimBench::gbk(texts::kBadArguments));
    EXPECT_FALSE(bench.device.inFlashStream());

    startStream(bench, 32, 200);
    bench.port.write(pattern(10));
    bench.run(1'500'000);
    EXPECT_EQ(bench.exchange("CC#"), SimBench::gbk(texts::kConnected));
}
