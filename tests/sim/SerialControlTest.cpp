// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QStringList>

#include "SimBench.h"
#include "core/OperationError.h"
#include "sim/ProgrammerTexts.h"
#include "tests/support/ThrownText.h"

using kv::OperationError;
using kv::sim::SimulatedProgrammer;
using kv::sim::SimulatedSerialControl;
using kv::test::SimBench;

namespace {

QString openError(SimulatedSerialControl& port) {
    return kv::test::thrownText([&] { port.setOpen(true); });
}

}  // namespace

TEST(SimulatedPort, OpensOnlyPortsThatExistAndAreFree) {
    kv::sim::VirtualClock clock;
    SimulatedSerialControl port(clock);
    SimulatedProgrammer device;
    port.attach(3, &device);
    port.attach(4, nullptr);  // a port with nothing connected
    port.setBusy(5);

    port.setPortNumber(2);
    EXPECT_EQ(openError(port), "无法打开端口COM2：没有与它对应的串口设备。");
    port.setPortNumber(5);
    EXPECT_EQ(openError(port),
              "无法打开端口COM5（SIM5）：Permission denied\n该端口正被其他程序使用。");
    EXPECT_FALSE(port.isOpen());

    port.setPortNumber(4);
    EXPECT_EQ(openError(port), "");
    port.write("CC#");
    EXPECT_FALSE(port.waitForReadyRead(300));
    EXPECT_EQ(port.written(), "CC#");
    port.setOpen(false);

    port.setPortNumber(3);
    port.setOpen(true);
    // As on the real port: another number needs the port closed first, the
    // same number is accepted.
    EXPECT_THROW(port.setPortNumber(4), OperationError);
    EXPECT_NO_THROW(port.setPortNumber(3));
    EXPECT_TRUE(port.isOpen());
    port.write("CC#");
    EXPECT_TRUE(port.waitForReadyRead(300));
    EXPECT_EQ(port.written(), "CC#CC#");
    EXPECT_EQ(device.transcript(), "CC#");
    EXPECT_THROW(port.setPortNumber(17), OperationError);
}

TEST(SimulatedPort, ValidatesLineSettingsAndHandshaking) {
    SimBench bench;
    for (const char* text : {"9600,E,7,1.5", "19200,o,8,2", "57600,M,6,1", "4800,s,5,1"}) {
        EXPECT_NO_THROW(bench.port.setSettings(text)) << text;
        EXPECT_EQ(bench.port.settings(), text);
    }
    EXPECT_EQ(bench.device.baud(), 4800);
    for (const char* text : {"", "115200,n,8", "115200,x,8,1", "115200,n,9,1", "115200,n,3,1",
                             "115200,n,8,3", "fast,n,8,1", "-9600,n,8,1"}) {
        EXPECT_THROW(bench.port.setSettings(text), OperationError) << text;
    }
    EXPECT_EQ(bench.port.settings(), "4800,s,5,1");
    EXPECT_NO_THROW(bench.port.setHandshaking(3));
    EXPECT_THROW(bench.port.setHandshaking(4), OperationError);
    EXPECT_THROW(bench.port.setHandshaking(-1), OperationError);
    EXPECT_EQ(bench.port.handshaking(), 3);
}

TEST(SimulatedPort, EveryByteOperationOnAClosedPortThrows) {
    SimBench bench;
    bench.port.setOpen(false);
    bench.port.setOpen(false);  // closing twice is harmless
    EXPECT_THROW(bench.port.write("CC#"), OperationError);
    EXPECT_THROW(bench.port.readAll(), OperationError);
    EXPECT_THROW(bench.port.bytesAvailable(), OperationError);
    EXPECT_THROW(bench.port.bytesToWrite(), OperationError);
    EXPECT_THROW(bench.port.waitForBytesWritten(10), OperationError);
    EXPECT_THROW(bench.port.waitForReadyRead(10), OperationError);
    EXPECT_EQ(bench.port.nextEventUs(), -1);
}

TEST(SimulatedPort, NotifiesArrivalAndPulledCable) {
    SimBench bench;
    int arrivals = 0;
    QStringList closes;
    bench.port.onInputArrived = [&] { ++arrivals; };
    bench.port.onClosedByError = [&](const QString& why) { closes << why; };
    bench.port.write("CC#");
    bench.run(5'000);
    EXPECT_GE(arrivals, 1);
    EXPECT_EQ(bench.port.bytesAvailable(), 9);
    bench.port.hangUp();
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_EQ(closes, QStringList{"端口COM1的连接已断开（设备被拔出或已关闭）。"});
    bench.port.hangUp();  // already closed: no second notice
    EXPECT_EQ(closes.size(), 1);
    // A glitch, not a dead device: the port opens again, with empty buffers.
    bench.port.setOpen(true);
    EXPECT_EQ(bench.port.bytesAvailable(), 0);
}

TEST(SimulatedPort, RepliesSentWhileClosedAreLost) {
    SimBench bench;
    bench.port.write("RF0100#");
    bench.run(2'000);  // the command is on the line, the reply is starting
    bench.port.setOpen(false);
    bench.run(100'000);
    bench.port.setOpen(true);
    bench.run(100'000);
    EXPECT_EQ(bench.port.readAll(), "");
}
