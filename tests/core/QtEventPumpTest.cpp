#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "tests/support/ProcessCpu.h"

using kv::QtEventPump;
using kv::SystemClock;
using kv::test::processCpuUs;

namespace {

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
    EXPECT_GE(end, deadline - 1000);
    EXPECT_LT(end, deadline + 200'000);
    EXPECT_LT(cpuUs * 4, end - start) << "cpu " << cpuUs << " us";
    EXPECT_EQ(pump.depth(), 0);
}

TEST_F(QtEventPumpTest, PassedDeadlineOnlyRunsPendingEvents) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    const qint64 start = clock.nowUs();
    pump.yieldUntil(start - 1);
    EXPECT_TRUE(ran);
    EXPECT_LT(clock.nowUs() - start, 20'000);

    // The clock never runs backwards.
    const qint64 a = clock.nowUs();
    EXPECT_GE(clock.nowUs(), a);
}

TEST_F(QtEventPumpTest, WakeEndsTheWaitEarly) {
    QTimer::singleShot(20, [&] { pump.wake(); });
    QElapsedTimer t;
    t.start();
    pump.yieldUntil(ms(2000));
    EXPECT_GE(t.elapsed(), 15);
    EXPECT_LT(t.elapsed(), 1000);

    // A wake from an event that was already pending ends it before sleeping.
    QTimer::singleShot(0, [&] { pump.wake(); });
    t.restart();
    pump.yieldUntil(ms(2000));
    EXPECT_LT(t.elapsed(), 500);

    // A wake with nobody waiting does not shorten the next wait.
    pump.wake();
    t.restart();
    pump.yieldUntil(ms(30));
    EXPECT_GE(t.elapsed(), 28);
}

TEST_F(QtEventPumpTest, NestedYieldsEachEndAtTheirOwnTime) {
    QElapsedTimer t;
    t.start();
    qint64 innerEndMs = -1;
    int innerDepth = 0;
    QTimer::singleShot(10, [&] {
        innerDepth = pump.depth();
        pump.yieldUntil(ms(60));
        innerEndMs = t.elapsed();
    });
    pump.yieldUntil(ms(150));
    const qint64 outerEndMs = t.elapsed();
    EXPECT_EQ(innerDepth, 1);
    EXPECT_GE(innerEndMs, 60);
    EXPECT_LT(innerEndMs, 140);
    EXPECT_GE(outerEndMs, 149);
    EXPECT_LT(outerEndMs, 400);
    EXPECT_EQ(pump.depth(), 0);

    // The outer deadline passes inside the inner wait: the outer returns as
    // soon as the inner one has, not a full period later.
    t.restart();
    QTimer::singleShot(5, [&] { pump.yieldUntil(ms(120)); });
    pump.yieldUntil(ms(30));
    EXPECT_GE(t.elapsed(), 120);
    EXPECT_LT(t.elapsed(), 300);
}

TEST_F(QtEventPumpTest, WakeInsideANestedYieldEndsBoth) {
    QElapsedTimer t;
    t.start();
    qint64 innerEndMs = -1;
    QTimer::singleShot(10, [&] {
        QTimer::singleShot(20, [&] { pump.wake(); });
        pump.yieldUntil(ms(2000));
        innerEndMs = t.elapsed();
    });
    pump.yieldUntil(ms(2000));
    EXPECT_GE(innerEndMs, 25);
    EXPECT_LT(innerEndMs, 1000);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(pump.depth(), 0);
}

TEST_F(QtEventPumpTest, AWaitAfterQuitSleepsInsteadOfSpinning) {
    // Every event loop returns at once from here on, until exec() runs again.
    QCoreApplication::exit(0);
    const qint64 deadline = ms(100);
    const qint64 cpuBefore = processCpuUs();
    QElapsedTimer t;
    t.start();
    int passes = 0;
    while (clock.nowUs() <= deadline && passes < 1'000'000) {
        pump.yieldUntil(deadline);
        ++passes;
    }
    const qint64 wallUs = t.nsecsElapsed() / 1000;
    const qint64 cpuUs = processCpuUs() - cpuBefore;
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();  // clears the quit state for the tests that follow

    EXPECT_GE(wallUs, 95'000);
    EXPECT_LT(passes, 100);
    EXPECT_LT(cpuUs * 4, wallUs) << "cpu " << cpuUs << " us";
}
