// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

namespace kv {

// What the station shows of one socket: where its run stands and how the
// runs since the gang's start went.
struct SocketState {
    enum class Phase {
        Waiting,      // no run yet, or the last one has been reported
        Identifying,  // the child opens the port and reads the signature
        Working,      // a step of the pass runs
        Passed,
        Failed,    // reason says why
        Stopped,   // stopped from the station (or Ctrl-C) before its end
        PortLost,  // the port could not be opened or went away during the run
        PortBusy,  // another program holds the port
    };

    Phase phase = Phase::Waiting;
    QString step;      // the pass's step ("erase", "write flash"); empty before the first
    int progress = 0;  // of that step, 0 to 100
    QString signature;
    QString model;
    QString reason;     // why the run failed, as the child said it
    int exitCode = -1;  // the child's; -1 while none
    std::optional<qint64> record;
    qint64 startedMs = 0;
    qint64 finishedMs = 0;
    int passes = 0;  // since the gang started
    int fails = 0;

    bool isRunning() const { return phase == Phase::Identifying || phase == Phase::Working; }
    bool isSettled() const {
        return phase == Phase::Passed || phase == Phase::Failed || phase == Phase::Stopped ||
               phase == Phase::PortLost || phase == Phase::PortBusy;
    }
    qint64 elapsedMs(qint64 nowMs) const;
    static QString phaseText(Phase phase);
    // "pass", "fail", "stopped", "port lost", "port busy": the result's name in JSON lines.
    static QString resultName(Phase phase);
};

// The state machine behind one socket: fed the child's JSON lines in order,
// then told how the child ended. Times come from the caller's clock.
class SocketTracker {
public:
    const SocketState& state() const { return m_state; }

    // A new run: the counts stay, everything of the last run goes.
    void started(qint64 nowMs);
    // One JSON line of the child; false when it changed nothing shown.
    bool feed(const QJsonObject& line, qint64 nowMs);
    // The child ended. Without a result line the run failed (stopped, when
    // the station asked for it); stderrLine: the last line it wrote there.
    void exited(int exitCode, bool crashed, bool stopRequested, const QString& stderrLine,
                qint64 nowMs);

private:
    void settle(SocketState::Phase phase, qint64 nowMs);

    SocketState m_state;
    bool m_resultSeen = false;
    QString m_lastWarning;
};

}  // namespace kv
