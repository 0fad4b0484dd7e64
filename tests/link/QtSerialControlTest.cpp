// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <termios.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include "PseudoTerminal.h"
#include "core/OperationError.h"
#include "link/PortMap.h"
#include "link/QtSerialControl.h"
#include "tests/support/ProcessCpu.h"
#include "tests/support/TempSettings.h"
#include "tests/support/ThrownText.h"

using kv::OperationError;
using kv::PortMap;
using kv::QtSerialControl;
using kv::test::processCpuUs;
using kv::test::PseudoTerminal;
using kv::test::thrownText;

namespace {

// How long a test waits for something that should come at once; only a
// fault, never a busy machine, runs into it.
constexpr int kPatienceMs = 30'000;

// Runs the event loop (sleeping, not spinning) until `done` holds or ms pass;
// true when it held.
template <typename Pred>
bool runEventsUntil(Pred done, int ms) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    poll.start(2);
    loop.exec();
    return done();
}

// COM3 is a pseudo-terminal; the fake root has no serial devices, so every
// other number maps to nothing.
struct QtSerialControlTest : ::testing::Test {
    QtSerialControlTest() {
        map.setDevicePath(3, pty.slavePath());
        port.setPortNumber(3);
        port.onInputArrived = [this] { ++arrivals; };
        port.onLineEvent = [this] { ++lineEvents; };
        port.onClosedByError = [this](const QString& reason) {
            ++closures;
            closeReason = reason;
        };
    }
    termios slaveTermios() {
        termios t{};
        tcgetattr(pty.slaveDescriptor(), &t);
        return t;
    }

    QTemporaryDir emptyRoot;
    kv::test::TempSettings store;
    PortMap map{&store, emptyRoot.path()};
    PseudoTerminal pty;
    QtSerialControl port{map};
    int arrivals = 0, lineEvents = 0, closures = 0;
    QString closeReason;
};

}  // namespace

TEST_F(QtSerialControlTest, CarriesBytesBothWaysAndLeavesInputForTheReader) {
    ASSERT_TRUE(pty.ok());
    port.setOpen(true);
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.devicePath(), pty.slavePath());

    port.write("CC#");
    // Handed to the driver at once, without the event loop.
    EXPECT_EQ(port.bytesToWrite(), 0);
    EXPECT_EQ(pty.receive(3, kPatienceMs), QByteArray("CC#"));

    const QByteArray reply = QStringEncoder("GBK").encode(QStringLiteral("连接成功!"));
    ASSERT_TRUE(pty.send(reply));
    ASSERT_TRUE(runEventsUntil([&] { return port.bytesAvailable() >= reply.size(); }, kPatienceMs));
    EXPECT_GE(arrivals, 1);
    EXPECT_EQ(port.readAll(), reply);
    EXPECT_EQ(port.bytesAvailable(), 0);

    // A block larger than the driver takes at once still leaves completely.
    const QByteArray block(100'000, 'x');
    port.write(block);
    EXPECT_GT(port.bytesToWrite(), 0);
    QByteArray seen;
    QElapsedTimer t;
    t.start();
    while (seen.size() < block.size() && t.elapsed() < kPatienceMs) {
        seen += pty.receive(1, 20);
        port.waitForBytesWritten(20);  // the test plays both sides in one thread
    }
    EXPECT_EQ(seen.size(), block.size());
    EXPECT_TRUE(port.waitForBytesWritten(kPatienceMs));
    EXPECT_EQ(port.bytesToWrite(), 0);

    // The blocking read wait: true at once for buffered input, false on time-out.
    pty.send("!");
    EXPECT_TRUE(port.waitForReadyRead(kPatienceMs));
    EXPECT_TRUE(port.waitForReadyRead(0));
    EXPECT_EQ(port.readAll(), "!");
    EXPECT_FALSE(port.waitForReadyRead(30));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(lineEvents, 0);
    EXPECT_EQ(closures, 0);
}

// A pseudo-terminal keeps baud rate, stop bits, the odd-parity flag and both
// handshakes, but forces 8 data bits without parity (it refuses 7 data bits).
TEST_F(QtSerialControlTest, AppliesLineSettingsAndHandshakingAlsoWhileOpen) {
    port.setSettings("9600,O,8,2");
    port.setHandshaking(1);
    port.setOpen(true);
    termios t = slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(port.settings(), "9600,O,8,2");  // kept as given

    port.setSettings(" 115200 ,n,8,1");
    port.setHandshaking(3);  // both: runs as RTS/CTS
    t = slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & IXON);
    EXPECT_EQ(port.settings(), " 115200 ,n,8,1");
    EXPECT_EQ(port.handshaking(), 3);
    port.setHandshaking(0);
    t = slaveTermios();
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & IXON);

    // Refused values leave the previous ones in force: by the device (7 data
    // bits on a pseudo-terminal), by the platform, or as malformed.
    QString text = thrownText([&] { port.setSettings("2400,n,7,2"); });
    EXPECT_TRUE(text.contains("COM3") && text.contains("2400,n,7,2")) << text.toStdString();
    EXPECT_TRUE(thrownText([&] { port.setSettings("9600,n,4,1"); }).contains("数据位"));
    EXPECT_TRUE(thrownText([&] { port.setSettings("9600,n,8,1.5"); }).contains("停止位"));
    EXPECT_TRUE(thrownText([&] { port.setSettings("9600,x,8,1"); }).contains("校验位"));
    EXPECT_THROW(port.setHandshaking(4), OperationError);
    EXPECT_THROW(port.setHandshaking(-1), OperationError);
    EXPECT_EQ(port.settings(), " 115200 ,n,8,1");
    EXPECT_EQ(port.handshaking(), 0);
    t = slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_FALSE(t.c_cflag & CSTOPB);

    EXPECT_THROW(port.setPortNumber(4), OperationError);  // open: close first
    port.setOpen(false);
    EXPECT_THROW(port.setPortNumber(0), OperationError);
    EXPECT_THROW(port.setPortNumber(17), OperationError);
    port.setPortNumber(16);
    EXPECT_EQ(port.portNumber(), 16);
}

TEST_F(QtSerialControlTest, OpenFailuresExplainThemselves) {
    port.setPortNumber(5);
    QString text = thrownText([&] { port.setOpen(true); });
    EXPECT_TRUE(text.contains("COM5")) << text.toStdString();
    EXPECT_FALSE(port.isOpen());

    map.setDevicePath(6, emptyRoot.path() + "/dev/ttyUSB99");
    port.setPortNumber(6);
    text = thrownText([&] { port.setOpen(true); });
    EXPECT_TRUE(text.contains("COM6")) << text.toStdString();
    EXPECT_TRUE(text.contains("ttyUSB99")) << text.toStdString();
    EXPECT_TRUE(text.contains("No such file")) << text.toStdString();
    EXPECT_FALSE(port.isOpen());

    // Busy: another program (here a second control) holds the device.
    port.setPortNumber(3);
    port.setOpen(true);
    QtSerialControl other(map);
    other.setPortNumber(3);
    text = thrownText([&] { other.setOpen(true); });
    EXPECT_TRUE(text.contains("COM3")) << text.toStdString();
    EXPECT_TRUE(text.contains("其他程序")) << text.toStdString();
    EXPECT_FALSE(other.isOpen());
    EXPECT_TRUE(port.isOpen());
    port.setOpen(false);
    port.setOpen(false);  // closing a closed port does nothing
    other.setOpen(true);
    EXPECT_TRUE(other.isOpen());
}

TEST_F(QtSerialControlTest, ByteIoOnAClosedPortThrows) {
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { port.write("CC#"); },
             [&] { port.readAll(); },
             [&] { port.bytesAvailable(); },
             [&] { port.bytesToWrite(); },
             [&] { port.waitForReadyRead(10); },
             [&] { port.waitForBytesWritten(10); },
         }) {
        const QString text = thrownText(call);
        EXPECT_TRUE(text.contains("COM3") && text.contains("未打开")) << text.toStdString();
    }
}

TEST_F(QtSerialControlTest, HangUpClosesThePortAndReportsOnceWithoutSpinning) {
    port.setOpen(true);
    pty.hangUp();
    const qint64 cpuBefore = processCpuUs();
    QElapsedTimer wall;
    wall.start();
    EXPECT_TRUE(runEventsUntil([&] { return closures > 0; }, kPatienceMs));
    runEventsUntil([] { return false; }, 250);
    const qint64 wallUs = wall.nsecsElapsed() / 1000;
    EXPECT_EQ(closures, 1);
    EXPECT_EQ(lineEvents, 0);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(closeReason.contains("COM3")) << closeReason.toStdString();
    EXPECT_LT(processCpuUs() - cpuBefore, wallUs / 2);
    // Byte I/O now says what the log said, until the port is opened again.
    EXPECT_EQ(thrownText([&] { port.readAll(); }), closeReason);
    port.setOpen(false);
    EXPECT_TRUE(thrownText([&] { port.readAll(); }).contains("未打开"));
}

TEST_F(QtSerialControlTest, HangUpDuringABlockingReadWaitEndsIt) {
    port.setOpen(true);
    pty.hangUp();
    QElapsedTimer wall;
    wall.start();
    // Ended by the hang-up, not by its own limit.
    EXPECT_FALSE(port.waitForReadyRead(kPatienceMs));
    EXPECT_LT(wall.elapsed(), kPatienceMs);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(closures, 1);
    runEventsUntil([] { return false; }, 50);
    EXPECT_EQ(closures, 1);
}

TEST_F(QtSerialControlTest, WriteOnAHungUpLineFailsAndLeavesThePortClosed) {
    port.setOpen(true);
    pty.hangUp();
    const QString text = thrownText([&] { port.write("CC#"); });
    EXPECT_EQ(text, closeReason);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(closures, 1);
    EXPECT_EQ(thrownText([&] { port.write("CC#"); }), closeReason);
    EXPECT_EQ(closures, 1);
}
