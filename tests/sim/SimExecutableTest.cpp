// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QElapsedTimer>

#include "tests/support/SimProcess.h"

namespace {

// How long the test waits for what should come at once; only a fault, never
// a busy machine, runs into it.
constexpr int kPatienceMs = 30'000;

// Reads from fd until `count` bytes came or `timeoutMs` passed.
QByteArray readFor(int fd, int count, int timeoutMs) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < count && timer.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(timeoutMs - timer.elapsed())) <= 0 || !(p.revents & POLLIN)) {
            break;
        }
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.append(buffer, n);
    }
    return got;
}

}  // namespace

using kv::test::SimProcess;

TEST(SimExecutable, ServesThePseudoTerminalAndObeysStdin) {
    ASSERT_TRUE(SimProcess::built()) << "build the kelvaro-sim target first";
    SimProcess sim({"--model", "ATMEGA16"});
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(sim.greeting().startsWith("kelvaro-sim: ATMEGA16 on /dev/"))
        << sim.greeting().toStdString();
    const QByteArray path = sim.pts().toLocal8Bit();

    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios line{};
    ::tcgetattr(fd, &line);
    ::cfmakeraw(&line);
    ::cfsetspeed(&line, B115200);
    ::tcsetattr(fd, TCSANOW, &line);

    ASSERT_EQ(::write(fd, "CC#", 3), 3);
    EXPECT_EQ(readFor(fd, 9, kPatienceMs), QByteArray("\xC1\xAC\xBD\xD3\xB3\xC9\xB9\xA6!"));
    ASSERT_EQ(::write(fd, "RI02#", 5), 5);
    EXPECT_EQ(readFor(fd, 2, kPatienceMs), "03");
    EXPECT_EQ(sim.command("transcript"),
              QString::fromLatin1(QByteArray("CC#RI02#").toHex().toUpper()));

    // Replies are paced at the rate the client set: 71 characters at 9600 baud
    // take at least 70 ms (how much longer depends on the machine's load).
    ::cfsetspeed(&line, B9600);
    ::tcsetattr(fd, TCSANOW, &line);
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(::write(fd, "RF0020#", 7), 7);
    EXPECT_EQ(readFor(fd, 64, kPatienceMs), QByteArray(64, 'F'));
    EXPECT_GE(timer.elapsed(), 70);

    // A pulled cable: the client sees the line hang up.
    EXPECT_EQ(sim.command("hangup"), "ok hangup");
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, kPatienceMs), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR));
    ::close(fd);

    EXPECT_EQ(sim.command("quit"), "ok quit");
    EXPECT_TRUE(sim.waitForExit(kPatienceMs));
    EXPECT_EQ(sim.exitCode(), 0);
}
