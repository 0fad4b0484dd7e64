// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "tests/support/ProcessCpu.h"

using kv::QtEventPump;
using kv::SystemClock;
using kv::test::processCpuUs;

namespace {

// A deadline or alarm so far off that only a fault, never a busy machine,
// lets a wait run into it.
constexpr int kFarMs = 30'000;

struct QtEventPumpTest : ::testing::Test {
    SystemClock clock;
    QtEventPump pump{clock};
    qint64 ms(qint64 n) const { return clock.nowUs() + n * 1000; }
};

}  // namespace

TEST_F(QtEventPumpTest, SleepsUntilTheDeadlineWithoutSpinning) {
    // Warm up Qt's timer machinery so its one-off set-up is not measured.
    pump.yieldUntil(ms(2));

    const qint64 start = clock.nowUs();
    const qint64 deadline = start + 50'000;
    const qint64 cpuBefore = processCpuUs();
    pump.yieldUntil(deadline);
    const qint64 cpuUs = processCpuUs() - cpuBefore;
    const qint64 end = clock.nowUs();

    // Millisecond timers may end up to 1 ms early; callers yield again then.
    // How late it ends depends on the machine's load, so only the lower bound
    // and the share of the processor are checked.
    EXPECT_GE(end, deadline - 1000);
    EXPECT_LT(cpuUs * 4, end - start) << "cpu " << cpuUs << " us";
    EXPECT_EQ(pump.depth(), 0);
}

TEST_F(QtEventPumpTest, PassedDeadlineOnlyRunsPendingEvents) {
    bool ran = false;
    bool later = false;
    QTimer::singleShot(0, [&] { ran = true; });
    // Waiting for anything at all would run into this one.
    QTimer sentinel;
    sentinel.setSingleShot(true);
    QObject::connect(&sentinel, &QTimer::timeout, [&] { later = true; });
    sentinel.start(kFarMs);
    pump.yieldUntil(clock.nowUs() - 1);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(later);

    // The clock never runs backwards.
    const qint64 a = clock.nowUs();
    EXPECT_GE(clock.nowUs(), a);
}

// Waits end by order, not by the stopwatch: after the wake, long before a
// deadline that no load can reach.
TEST_F(QtEventPumpTest, WakeEndsTheWaitEarly) {
    qint64 wokeAt = -1;
    QTimer::singleShot(20, [&] {
        wokeAt = clock.nowUs();
        pump.wake();
    });
    qint64 deadline = ms(kFarMs);
    pump.yieldUntil(deadline);
    qint64 end = clock.nowUs();
    ASSERT_GE(wokeAt, 0);
    EXPECT_GE(end, wokeAt);
    EXPECT_LT(end, deadline);

    // A wake from an event that was already pending ends it before sleeping.
    bool woke = false;
    QTimer::singleShot(0, [&] {
        woke = true;
        pump.wake();
    });
    deadline = ms(kFarMs);
    pump.yieldUntil(deadline);
    EXPECT_TRUE(woke);
    EXPECT_LT(clock.nowUs(), deadline);

    // A wake with nobody waiting does not shorten the next wait.
    pump.wake();
    deadline = ms(30);
    pump.yieldUntil(deadline);
    EXPECT_GE(clock.nowUs(), deadline - 1000);
}

TEST_F(QtEventPumpTest, NestedYieldsEachEndAtTheirOwnTime) {
    // The inner wait ends at its own deadline, well before the outer one.
    const qint64 outerDeadline = ms(1000);
    qint64 innerDeadline = -1;
    qint64 innerEnd = -1;
    int innerDepth = 0;
    QTimer::singleShot(10, [&] {
        innerDepth = pump.depth();
        innerDeadline = ms(60);
        pump.yieldUntil(innerDeadline);
        innerEnd = clock.nowUs();
    });
    pump.yieldUntil(outerDeadline);
    const qint64 outerEnd = clock.nowUs();
    EXPECT_EQ(innerDepth, 1);
    ASSERT_GE(innerDeadline, 0);
    EXPECT_GE(innerEnd, innerDeadline - 1000);
    EXPECT_LT(innerEnd, outerDeadline);
    EXPECT_GE(outerEnd, outerDeadline - 1000);
    EXPECT_EQ(pump.depth(), 0);

    // The outer deadline passes inside the inner wait: the outer returns once
    // the inner one has, without needing another event to end it.
    bool rescued = false;
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        rescued = true;
        pump.wake();
    });
    rescue.start(kFarMs);
    qint64 nestedEnd = -1;
    QTimer::singleShot(5, [&] {
        pump.yieldUntil(ms(120));
        nestedEnd = clock.nowUs();
    });
    const qint64 shortDeadline = ms(30);
    pump.yieldUntil(shortDeadline);
    ASSERT_GE(nestedEnd, shortDeadline);
    EXPECT_GE(clock.nowUs(), nestedEnd);
    EXPECT_FALSE(rescued);
}

TEST_F(QtEventPumpTest, WakeInsideANestedYieldEndsBoth) {
    qint64 wokeAt = -1;
    qint64 innerEnd = -1;
    qint64 innerDeadline = -1;
    QTimer::singleShot(10, [&] {
        QTimer::singleShot(20, [&] {
            wokeAt = clock.nowUs();
            pump.wake();
        });
        innerDeadline = ms(kFarMs);
        pump.yieldUntil(innerDeadline);
        innerEnd = clock.nowUs();
    });
    const qint64 outerDeadline = ms(kFarMs);
    pump.yieldUntil(outerDeadline);
    ASSERT_GE(wokeAt, 0);
    EXPECT_GE(innerEnd, wokeAt);
    EXPECT_LT(innerEnd, innerDeadline);
    EXPECT_LT(clock.nowUs(), outerDeadline);
    EXPECT_EQ(pump.depth(), 0);
}

TEST_F(QtEventPumpTest, AWaitAfterQuitSleepsInsteadOfSpinning) {
    // Every event loop returns at once from here on, until exec() runs again.
    QCoreApplication::exit(0);
    // Wall time counts from before the deadline is set, so a pause of the
    // whole process in between cannot make it look short.
    const qint64 start = clock.nowUs();
    const qint64 deadline = start + 100'000;
    const qint64 cpuBefore = processCpuUs();
    int passes = 0;
    while (clock.nowUs() <= deadline && passes < 1'000'000) {
        pump.yieldUntil(deadline);
        ++passes;
    }
    const qint64 wallUs = clock.nowUs() - start;
    const qint64 cpuUs = processCpuUs() - cpuBefore;
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();  // clears the quit state for the tests that follow

    // Ended by the clock after a few sleeping passes, not by the pass limit.
    EXPECT_GT(start + wallUs, deadline);
    EXPECT_LT(passes, 100);
    EXPECT_LT(cpuUs * 4, wallUs) << "cpu " << cpuUs << " us";
}
