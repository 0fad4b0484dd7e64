// SPDX-License-Identifier: MIT
#pragma once

#include <csignal>

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>
#include <vector>

#include "gang/GangSocket.h"
#include "gang/SocketState.h"

namespace kv {

class Clock;

// Drives one kelvaro-cli process per socket, each with its own port, event
// loop and link, so a programmer that fails, falls silent or is unplugged
// fails its own socket alone. The children's JSON lines keep each socket's
// state; the caller's event loop drives the processes.
class GangRunner : public QObject {
    Q_OBJECT
public:
    // cliPath: the kelvaro-cli executable; clock: for the sockets' times.
    GangRunner(QString cliPath, const Clock& clock, QObject* parent = nullptr);
    ~GangRunner() override;

    // kelvaro-cli beside the running program.
    static QString defaultCliPath();

    // Replaces the sockets; refused (false) while any runs.
    bool setSockets(const QList<GangSocket>& sockets);
    const QList<GangSocket>& sockets() const { return m_sockets; }
    // What each child does ("run", "line3.SET"), and the global options each
    // child gets besides --json, its port and baud (such as "-m", model).
    void setCommand(const QStringList& command, const QStringList& globalOptions = {});
    const QStringList& command() const { return m_command; }
    // The command line a socket's child is started with.
    QStringList argumentsFor(const GangSocket& socket) const;
    // The children's environment (their settings and record folders).
    void setEnvironment(const QProcessEnvironment& environment) { m_environment = environment; }
    // The variable that gives kelvaro-cli the record's address when --record
    // does not: how a gang hands it to its children without putting it on a
    // command line, which anyone may read. The default environment leaves it
    // out, so that children keep to the record of the window's settings.
    static QString recordVariable() { return QStringLiteral("KELVARO_RECORD"); }
    // How long a child may take to end after the stop before it is killed.
    void setStopGraceMs(int ms) { m_stopGraceMs = ms; }

    int count() const { return int(m_sockets.size()); }
    const SocketState& state(int index) const;
    bool isRunning(int index) const;
    bool anyRunning() const;
    qint64 nowMs() const;

    // Starts every socket that is not running.
    void startAll();
    // Starts one socket; a running one is left alone (restart() stops it first).
    void startOne(int index);
    // The child ends between two exchanges (as on Ctrl-C); one that does not
    // end within the grace time is killed.
    // signal: what the child gets, SIGINT as for Ctrl-C unless the gang itself
    // was stopped by another one, which its children then share.
    void stopOne(int index, int signal = SIGINT);
    void stopAll(int signal = SIGINT);
    // Stops the socket if it runs, and starts it again once its child ended
    // and the programmer has given up the exchange that was cut off.
    void restart(int index);
    // The programmer drops an unfinished FLASH page stream after a second of
    // silence; a new run before that would have its first command eaten.
    static constexpr int kRestartSettleMs = 1500;

Q_SIGNALS:
    void stateChanged(int index);
    // Every JSON line of a child, as read.
    void lineReceived(int index, const QJsonObject& line, const QByteArray& raw);
    // The socket's run ended and its state is settled.
    void socketFinished(int index);
    // No child runs any more.
    void allFinished();

private:
    struct Child;
    void readLines(int index);
    void onExited(int index, int exitCode, bool crashed);
    static QProcessEnvironment defaultEnvironment();

    QString m_cliPath;
    const Clock& m_clock;
    QList<GangSocket> m_sockets;
    QStringList m_command;
    QStringList m_globalOptions;
    QProcessEnvironment m_environment = defaultEnvironment();
    int m_stopGraceMs = 10'000;
    std::vector<std::unique_ptr<Child>> m_children;
    QString m_runId;  // one per startAll(), shared by its sockets' records
};

}  // namespace kv
