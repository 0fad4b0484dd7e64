// SPDX-License-Identifier: MIT
#include "gang/SocketState.h"

#include <csignal>

#include <QCoreApplication>

namespace kv {

namespace {

// The command line's exit codes the station tells apart.
constexpr int kExitInterrupted = 130;

}  // namespace

qint64 SocketState::elapsedMs(qint64 nowMs) const {
    if (startedMs == 0 && finishedMs == 0)
        return 0;
    return (isRunning() ? nowMs : finishedMs) - startedMs;
}

QString SocketState::phaseText(Phase phase) {
    switch (phase) {
        case Phase::Waiting:
            return QCoreApplication::translate("SocketState", "等待");
        case Phase::Identifying:
            return QCoreApplication::translate("SocketState", "识别芯片");
        case Phase::Working:
            return QCoreApplication::translate("SocketState", "编程中");
        case Phase::Passed:
            return QCoreApplication::translate("SocketState", "通过");
        case Phase::Failed:
            return QCoreApplication::translate("SocketState", "失败");
        case Phase::Stopped:
            return QCoreApplication::translate("SocketState", "已停止");
        case Phase::PortLost:
            return QCoreApplication::translate("SocketState", "端口丢失");
        case Phase::PortBusy:
            return QCoreApplication::translate("SocketState", "端口被占用");
    }
    return {};
}

QString SocketState::resultName(Phase phase) {
    switch (phase) {
        case Phase::Passed:
            return QStringLiteral("pass");
        case Phase::Stopped:
            return QStringLiteral("stopped");
        case Phase::PortLost:
            return QStringLiteral("port lost");
        case Phase::PortBusy:
            return QStringLiteral("port busy");
        case Phase::Failed:
            return QStringLiteral("fail");
        default:
            return QString();
    }
}

void SocketTracker::started(qint64 nowMs) {
    const int passes = m_state.passes;
    const int fails = m_state.fails;
    m_state = SocketState{};
    m_state.passes = passes;
    m_state.fails = fails;
    m_state.phase = SocketState::Phase::Identifying;
    m_state.startedMs = nowMs;
    m_resultSeen = false;
    m_lastWarning.clear();
}

void SocketTracker::settle(SocketState::Phase phase, qint64 nowMs) {
    m_state.phase = phase;
    m_state.finishedMs = nowMs;
    if (phase == SocketState::Phase::Passed)
        ++m_state.passes;
    else if (phase == SocketState::Phase::Failed || phase == SocketState::Phase::PortLost ||
             phase == SocketState::Phase::PortBusy)
        ++m_state.fails;
}

bool SocketTracker::feed(const QJsonObject& line, qint64 nowMs) {
    // A line after the result (or after the run) belongs to no run of ours.
    if (m_resultSeen || !m_state.isRunning())
        return false;
    const QString event = line.value(QLatin1String("event")).toString();
    if (event == u"step") {
        m_state.step = line.value(QLatin1String("step")).toString();
        m_state.progress = 0;
        m_state.phase = m_state.step == u"signature" ? SocketState::Phase::Identifying
                                                     : SocketState::Phase::Working;
        return true;
    }
    if (event == u"progress") {
        const int total = line.value(QLatin1String("total")).toInt();
        const int done = line.value(QLatin1String("done")).toInt();
        const int percent = total > 0 ? int(qint64(done) * 100 / total) : 0;
        // Progress names the memory; the step line before it names what is done to it.
        const QString memory = line.value(QLatin1String("step")).toString();
        if (!m_state.step.contains(memory))
            m_state.step = memory;
        m_state.phase = SocketState::Phase::Working;
        if (percent == m_state.progress)
            return false;
        m_state.progress = qBound(0, percent, 100);
        return true;
    }
    if (event == u"chip") {
        m_state.signature = line.value(QLatin1String("signature")).toString();
        m_state.model = line.value(QLatin1String("model")).toString();
        return true;
    }
    if (event == u"warning") {
        m_lastWarning = line.value(QLatin1String("text")).toString();
        return false;
    }
    if (event != u"result")
        return false;
    m_resultSeen = true;
    m_state.exitCode = line.value(QLatin1String("exit")).toInt(-1);
    for (const char* key : {"signature", "model"}) {
        const QString value = line.value(QLatin1String(key)).toString();
        if (!value.isEmpty())
            (key[0] == 's' ? m_state.signature : m_state.model) = value;
    }
    if (line.contains(QLatin1String("record")))
        m_state.record = line.value(QLatin1String("record")).toInteger();
    if (line.value(QLatin1String("ok")).toBool()) {
        m_state.progress = 100;
        settle(SocketState::Phase::Passed, nowMs);
        return true;
    }
    m_state.reason = line.value(QLatin1String("message")).toString();
    if (m_state.reason.isEmpty())
        m_state.reason = m_lastWarning;
    // Ctrl-C, SIGTERM or SIGHUP: the child stopped at a safe point.
    if (m_state.exitCode == kExitInterrupted || m_state.exitCode == 128 + SIGTERM ||
        m_state.exitCode == 128 + SIGHUP)
        settle(SocketState::Phase::Stopped, nowMs);
    else if (line.value(QLatin1String("portLost")).toBool())
        settle(SocketState::Phase::PortLost, nowMs);
    else if (line.value(QLatin1String("portBusy")).toBool())
        settle(SocketState::Phase::PortBusy, nowMs);
    else
        settle(SocketState::Phase::Failed, nowMs);
    return true;
}

void SocketTracker::exited(int exitCode, bool crashed, bool stopRequested,
                           const QString& stderrLine, qint64 nowMs) {
    if (m_resultSeen || !m_state.isRunning())
        return;
    m_state.exitCode = crashed ? -1 : exitCode;
    if (stopRequested) {
        m_state.reason = QCoreApplication::translate("SocketState", "已停止。");
        settle(SocketState::Phase::Stopped, nowMs);
        return;
    }
    if (!stderrLine.isEmpty())
        m_state.reason = stderrLine;
    else if (!m_lastWarning.isEmpty())
        m_state.reason = m_lastWarning;
    else if (crashed)
        m_state.reason = QCoreApplication::translate("SocketState", "编程进程意外终止。");
    else
        m_state.reason =
            QCoreApplication::translate("SocketState", "编程进程未报告结果就退出了（退出码%1）。")
                .arg(exitCode);
    settle(SocketState::Phase::Failed, nowMs);
}

}  // namespace kv
