// SPDX-License-Identifier: MIT
#include "gang/GangRunner.h"

#include <signal.h>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>
#include <QUuid>

#include "core/Clock.h"

namespace kv {

struct GangRunner::Child {
    SocketTracker tracker;
    std::unique_ptr<QProcess> process;
    QByteArray pending;     // a line not yet ended
    QString lastErrorLine;  // the last line on its stderr
    bool stopRequested = false;
    bool restartPending = false;
    QTimer killTimer;
};

GangRunner::GangRunner(QString cliPath, const Clock& clock, QObject* parent)
    : QObject(parent), m_cliPath(std::move(cliPath)), m_clock(clock) {}

GangRunner::~GangRunner() {
    // A window closed with sockets running must not leave children behind.
    for (auto& child : m_children) {
        if (child->process && child->process->state() != QProcess::NotRunning) {
            child->process->disconnect(this);
            child->process->kill();
            child->process->waitForFinished(1000);
        }
    }
}

QString GangRunner::defaultCliPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/kelvaro-cli");
}

bool GangRunner::setSockets(const QList<GangSocket>& sockets) {
    if (anyRunning())
        return false;
    m_sockets = sockets;
    m_children.clear();
    for (int i = 0; i < sockets.size(); ++i) {
        auto child = std::make_unique<Child>();
        child->killTimer.setSingleShot(true);
        connect(&child->killTimer, &QTimer::timeout, this, [this, i] {
            if (isRunning(i))
                m_children[size_t(i)]->process->kill();
        });
        m_children.push_back(std::move(child));
    }
    return true;
}

void GangRunner::setCommand(const QStringList& command, const QStringList& globalOptions) {
    m_command = command;
    m_globalOptions = globalOptions;
}

const SocketState& GangRunner::state(int index) const {
    return m_children.at(size_t(index))->tracker.state();
}

bool GangRunner::isRunning(int index) const {
    const Child& child = *m_children.at(size_t(index));
    return child.process && child.process->state() != QProcess::NotRunning;
}

bool GangRunner::anyRunning() const {
    for (int i = 0; i < count(); ++i) {
        if (isRunning(i))
            return true;
    }
    return false;
}

qint64 GangRunner::nowMs() const {
    return m_clock.nowMs();
}

QProcessEnvironment GangRunner::defaultEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(recordVariable());
    return environment;
}

QStringList GangRunner::argumentsFor(const GangSocket& socket) const {
    QStringList arguments{QStringLiteral("--json"), QStringLiteral("-p"), socket.port};
    if (!socket.baud().isEmpty())
        arguments << QStringLiteral("-b") << socket.baud();
    return arguments + m_globalOptions + m_command;
}

void GangRunner::startAll() {
    m_runId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    for (int i = 0; i < count(); ++i)
        startOne(i);
}

void GangRunner::startOne(int index) {
    if (index < 0 || index >= count() || isRunning(index) || m_command.isEmpty())
        return;
    Child& child = *m_children[size_t(index)];
    child.pending.clear();
    child.lastErrorLine.clear();
    child.stopRequested = false;
    child.restartPending = false;
    // A fresh process each run: the old one's buffers and signals go with it.
    child.process = std::make_unique<QProcess>();
    QProcess* process = child.process.get();
    // The child's record names the run and the socket; the parent's id lets
    // it notice that the parent is gone and stop cleanly.
    if (m_runId.isEmpty())
        m_runId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("KV_GANG_RUN"), m_runId);
    environment.insert(QStringLiteral("KV_GANG_SOCKET"), QString::number(index + 1));
    environment.insert(QStringLiteral("KV_GANG_PARENT"),
                       QString::number(QCoreApplication::applicationPid()));
    process->setProcessEnvironment(environment);
    connect(process, &QProcess::readyReadStandardOutput, this, [this, index] { readLines(index); });
    connect(process, &QProcess::readyReadStandardError, this, [this, index, process] {
        const QList<QByteArray> lines = process->readAllStandardError().split('\n');
        for (const QByteArray& line : lines) {
            if (!line.trimmed().isEmpty())
                m_children[size_t(index)]->lastErrorLine = QString::fromUtf8(line.trimmed());
        }
    });
    connect(process, &QProcess::finished, this,
            [this, index](int exitCode, QProcess::ExitStatus status) {
                onExited(index, exitCode, status == QProcess::CrashExit);
            });
    connect(process, &QProcess::errorOccurred, this,
            [this, index, process](QProcess::ProcessError e) {
                // A program that never started sends no finished().
                if (e == QProcess::FailedToStart) {
                    m_children[size_t(index)]->lastErrorLine = process->errorString();
                    onExited(index, -1, true);
                }
            });
    child.tracker.started(nowMs());
    Q_EMIT stateChanged(index);
    process->start(m_cliPath, argumentsFor(m_sockets[index]));
}

void GangRunner::readLines(int index) {
    Child& child = *m_children[size_t(index)];
    child.pending += child.process->readAllStandardOutput();
    qsizetype end;
    while ((end = child.pending.indexOf('\n')) >= 0) {
        const QByteArray raw = child.pending.left(end);
        child.pending.remove(0, end + 1);
        if (raw.trimmed().isEmpty())
            continue;
        const QJsonObject line = QJsonDocument::fromJson(raw).object();
        Q_EMIT lineReceived(index, line, raw);
        if (child.tracker.feed(line, nowMs()))
            Q_EMIT stateChanged(index);
    }
}

void GangRunner::onExited(int index, int exitCode, bool crashed) {
    Child& child = *m_children[size_t(index)];
    if (!child.process)
        return;
    child.killTimer.stop();
    readLines(index);
    child.tracker.exited(exitCode, crashed, child.stopRequested, child.lastErrorLine, nowMs());
    // The process object may not go while its own signal is delivered.
    child.process.release()->deleteLater();
    Q_EMIT stateChanged(index);
    Q_EMIT socketFinished(index);
    if (child.restartPending) {
        QTimer::singleShot(kRestartSettleMs, this, [this, index] {
            if (index < count() && m_children[size_t(index)]->restartPending)
                startOne(index);
            else if (!anyRunning())
                Q_EMIT allFinished();  // stopped while it waited to start again
        });
        return;
    }
    if (!anyRunning())
        Q_EMIT allFinished();
}

void GangRunner::stopOne(int index, int signal) {
    if (index < 0 || index >= count() || !isRunning(index))
        return;
    Child& child = *m_children[size_t(index)];
    child.stopRequested = true;
    // Ctrl-C's signal: the command line ends between two exchanges and closes the port.
    const qint64 pid = child.process->processId();
    if (pid > 0)
        ::kill(pid_t(pid), signal);
    if (!child.killTimer.isActive())
        child.killTimer.start(m_stopGraceMs);
}

void GangRunner::stopAll(int signal) {
    for (int i = 0; i < count(); ++i) {
        m_children[size_t(i)]->restartPending = false;
        stopOne(i, signal);
    }
}

void GangRunner::restart(int index) {
    if (index < 0 || index >= count())
        return;
    if (!isRunning(index)) {
        startOne(index);
        return;
    }
    stopOne(index);
    m_children[size_t(index)]->restartPending = true;
}

}  // namespace kv
