// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "SimBench.h"
#include "sim/ProgrammerTexts.h"
#include "sim/SimTiming.h"

using kv::test::SimBench;
namespace timing = kv::sim::timing;

namespace {

QByteArray hexPairs(const QByteArray& bytes) {
    return bytes.toHex().toUpper();
}

// Waits up to `ms` for one character from the loader.
QByteArray awaitChar(SimBench& bench, int ms) {
    bench.port.waitForReadyRead(ms);
    return bench.port.readAll();
}

// Plays the program's side of the update: mode, start characters, then each
// page after its "?", the last page filled with "F", then "!".
void sendFirmware(SimBench& bench, const QByteArray& file, int pageSize, char mode) {
    bench.port.write(QByteArray(1, mode));
    bench.run(400'000);
    bench.port.write("0");
    bench.port.write("0");
    for (int at = 0; at < file.size(); at += pageSize) {
        ASSERT_EQ(awaitChar(bench, 100), "?");
        QByteArray page = hexPairs(file.mid(at, pageSize));
        page += QByteArray(2 * pageSize - page.size(), 'F');
        bench.port.write(">" + page);
    }
    ASSERT_EQ(awaitChar(bench, 100), "?");
    bench.port.write("!");
    bench.run(10'000);
}

}  // namespace

TEST(Loader, GreetsAfterRestartAndKeepsEveryPageAsReceived) {
    SimBench bench;
    QByteArray file(200, 0);
    for (int i = 0; i < file.size(); ++i) {
        file[i] = char(i * 13 + 5);
    }
    const qint64 restartAt = bench.clock.nowUs();
    bench.device.restartIntoLoader();
    EXPECT_TRUE(bench.device.inLoader());
    EXPECT_EQ(awaitChar(bench, 10'000), "B");
    EXPECT_GE(bench.clock.nowUs() - restartAt, timing::kLoaderRestartUs);

    sendFirmware(bench, file, 64, 'D');
    EXPECT_EQ(bench.device.loaderMode(), "D");
    EXPECT_EQ(bench.device.loaderStart(), "00");
    EXPECT_EQ(bench.device.receivedFirmware(), file + QByteArray(56, char(0xFF)));
    EXPECT_EQ(bench.device.loaderErrors(), 0);
    EXPECT_FALSE(bench.device.inLoader());
    EXPECT_EQ(bench.exchange("CC#"), SimBench::gbk(kv::sim::texts::kConnected));
}

TEST(Loader, PageSizeIsConfigurableAndAnEmptyLastPageIsHarmless) {
    SimBench bench;
    bench.device.setLoaderPageSize(32);
    bench.device.restartIntoLoader();
    ASSERT_EQ(awaitChar(bench, 1000), "B");
    const QByteArray file(64, char(0x0A));
    sendFirmware(bench, file, 32, 'B');
    EXPECT_EQ(bench.device.loaderMode(), "B");
    EXPECT_EQ(bench.device.receivedFirmware(), file);
    EXPECT_EQ(bench.device.loaderErrors(), 0);

    // The program's closing ">" with no data before "!" is not an error either.
    bench.device.restartIntoLoader();
    ASSERT_EQ(awaitChar(bench, 1000), "B");
    bench.port.write("D00");
    ASSERT_EQ(awaitChar(bench, 100), "?");
    bench.port.write(">" + hexPairs(file.left(32)));
    ASSERT_EQ(awaitChar(bench, 100), "?");
    bench.port.write(">!");
    bench.run(10'000);
    EXPECT_EQ(bench.device.receivedFirmware(), file.left(32));
    EXPECT_EQ(bench.device.loaderErrors(), 0);
}

TEST(Loader, CountsWhatItDidNotExpect) {
    SimBench bench;
    bench.device.restartIntoLoader();
    ASSERT_EQ(awaitChar(bench, 1000), "B");
    bench.port.write("D00");
    ASSERT_EQ(awaitChar(bench, 100), "?");
    bench.port.write("AB>0a");  // digits outside a page, a lower-case digit
    bench.port.write("12!");    // page cut short by the end
    bench.run(10'000);
    EXPECT_EQ(bench.device.loaderErrors(), 4);
    // The refused "a" is skipped: "0" and "1" make one byte, "2" is left over.
    EXPECT_EQ(bench.device.receivedFirmware(), QByteArray("\x01", 1));
    EXPECT_FALSE(bench.device.inLoader());
}

TEST(Loader, SilentLoaderNeverGreets) {
    SimBench bench;
    bench.device.faults().silent = true;
    bench.device.restartIntoLoader();
    EXPECT_EQ(awaitChar(bench, 10'000), "");
}
