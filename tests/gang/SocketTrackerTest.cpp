// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QJsonDocument>

#include "gang/SocketState.h"

namespace kv::test {
namespace {

using Phase = SocketState::Phase;

struct ChildRun {
    const char* name;
    QList<QByteArray> lines;  // the child's standard output, in order
    int exitCode;             // how the child ended
    bool crashed;
    bool stopRequested;
    QString stderrLine;
    Phase phase;
    QString step;
    int progress;
    QString model;
    QString reason;
    int passes, fails;
};

class SocketTrackerRuns : public ::testing::TestWithParam<ChildRun> {};

// A child's lines as the command line writes them, through to how it ended:
// the phase, the step and its progress, the chip, the reason and the counts.
TEST_P(SocketTrackerRuns, EndsInTheRightState) {
    const ChildRun& run = GetParam();
    SocketTracker tracker;
    tracker.started(1000);
    ASSERT_EQ(tracker.state().phase, Phase::Identifying);
    qint64 now = 1000;
    for (const QByteArray& line : run.lines)
        tracker.feed(QJsonDocument::fromJson(line).object(), now += 10);
    tracker.exited(run.exitCode, run.crashed, run.stopRequested, run.stderrLine, 5000);
    const SocketState& s = tracker.state();
    EXPECT_EQ(s.phase, run.phase);
    EXPECT_EQ(s.step, run.step);
    EXPECT_EQ(s.progress, run.progress);
    EXPECT_EQ(s.model, run.model);
    EXPECT_EQ(s.reason, run.reason);
    EXPECT_EQ(s.passes, run.passes);
    EXPECT_EQ(s.fails, run.fails);
    // Elapsed time stops with the result line, not with the process.
    if (s.isSettled()) {
        EXPECT_LE(s.elapsedMs(99'000), 4000);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SocketTrackerRuns,
    ::testing::Values(
        ChildRun{"pass",
                 {R"({"event":"step","step":"signature"})",
                  R"({"event":"chip","signature":"1E9307","model":"ATMEGA8"})",
                  R"({"event":"step","step":"write flash"})",
                  R"({"event":"progress","step":"flash","done":40,"total":100})",
                  R"({"event":"step","step":"verify flash"})",
                  R"({"event":"progress","step":"flash","done":50,"total":100})",
                  R"({"event":"result","ok":true,"exit":0,"record":7})"},
                 0,
                 false,
                 false,
                 "",
                 Phase::Passed,
                 "verify flash",
                 100,
                 "ATMEGA8",
                 "",
                 1,
                 0},
        ChildRun{"fail_keeps_the_step_it_failed_in",
                 {R"({"event":"step","step":"write flash"})",
                  R"({"event":"progress","step":"flash","done":30,"total":100})",
                  R"({"event":"warning","text":"写FLASH中断"})",
                  R"({"event":"result","ok":false,"exit":3,"message":"编程器无反应!"})"},
                 3,
                 false,
                 false,
                 "",
                 Phase::Failed,
                 "write flash",
                 30,
                 "",
                 "编程器无反应!",
                 0,
                 1},
        ChildRun{"result_without_message_takes_the_warning",
                 {R"({"event":"warning","text":"写FLASH中断"})",
                  R"({"event":"result","ok":false,"exit":1})"},
                 1,
                 false,
                 false,
                 "",
                 Phase::Failed,
                 "",
                 0,
                 "",
                 "写FLASH中断",
                 0,
                 1},
        ChildRun{
            "port_lost",
            {R"({"event":"result","ok":false,"exit":3,"portLost":true,"message":"端口已关闭。"})"},
            3,
            false,
            false,
            "",
            Phase::PortLost,
            "",
            0,
            "",
            "端口已关闭。",
            0,
            1},
        ChildRun{"port_busy",
                 {R"({"event":"result","ok":false,"exit":3,"portBusy":true,"message":"被占用"})"},
                 3,
                 false,
                 false,
                 "",
                 Phase::PortBusy,
                 "",
                 0,
                 "",
                 "被占用",
                 0,
                 1},
        ChildRun{"ctrl_c_is_no_fail",
                 {R"({"event":"progress","step":"eeprom","done":1,"total":2})",
                  R"({"event":"result","ok":false,"exit":130,"message":"已按 Ctrl-C 停止"})"},
                 130,
                 false,
                 true,
                 "",
                 Phase::Stopped,
                 "eeprom",
                 50,
                 "",
                 "已按 Ctrl-C 停止",
                 0,
                 0},
        ChildRun{"crash_without_result_names_the_last_error_line",
                 {R"({"event":"step","step":"erase"})", "not json at all"},
                 -1,
                 true,
                 false,
                 "Segmentation fault",
                 Phase::Failed,
                 "erase",
                 0,
                 "",
                 "Segmentation fault",
                 0,
                 1},
        ChildRun{"killed_after_stop",
                 {R"({"event":"step","step":"erase"})"},
                 9,
                 true,
                 true,
                 "",
                 Phase::Stopped,
                 "erase",
                 0,
                 "",
                 "已停止。",
                 0,
                 0},
        ChildRun{"lines_after_the_result_change_nothing",
                 {R"({"event":"result","ok":true,"exit":0,"model":"ATMEGA16"})",
                  R"({"event":"step","step":"erase"})",
                  R"({"event":"result","ok":false,"exit":3,"message":"late"})"},
                 0,
                 false,
                 false,
                 "",
                 Phase::Passed,
                 "",
                 100,
                 "ATMEGA16",
                 "",
                 1,
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Counts survive the next run; everything else of the last run goes.
TEST(SocketTracker, CountsAddUpOverRuns) {
    SocketTracker tracker;
    const auto result = [](bool ok) {
        return QJsonDocument::fromJson(
                   ok ? R"({"event":"result","ok":true,"exit":0})"
                      : R"({"event":"result","ok":false,"exit":1,"message":"x"})")
            .object();
    };
    for (const bool ok : {true, false, true, true}) {
        tracker.started(0);
        EXPECT_TRUE(tracker.state().reason.isEmpty());
        tracker.feed(result(ok), 10);
    }
    EXPECT_EQ(tracker.state().passes, 3);
    EXPECT_EQ(tracker.state().fails, 1);
}

}  // namespace
}  // namespace kv::test
