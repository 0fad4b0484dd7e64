// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "core/QtEventPump.h"
#include "core/SystemClock.h"
#include "link/PortMap.h"
#include "link/ProgrammerLink.h"
#include "link/QtSerialControl.h"
#include "settings/SettingsStore.h"

namespace kv::bench {

// kelvaro-sim on a pseudo-terminal, reached through the program's own port
// stack: QtSerialControl as COM1, SystemClock, QtEventPump, ProgrammerLink.
class BenchRig {
public:
    static constexpr int kBaud = 115200;

    // Starts the simulator and opens the port; throws std::runtime_error.
    BenchRig(const QString& simPath, const QStringList& simArguments);
    ~BenchRig();
    BenchRig(const BenchRig&) = delete;
    BenchRig& operator=(const BenchRig&) = delete;

    ProgrammerLink& link() { return *m_link; }
    SystemClock& clock() { return m_clock; }
    QtSerialControl& port() { return *m_port; }
    const QString& devicePath() const { return m_devicePath; }
    // Log entries the link wrote (sendInfo).
    QStringList& log() { return m_log; }
    // A line for the simulator's command input ("dump", "hangup", ...).
    void simCommand(const QByteArray& line);

private:
    QProcess m_sim;
    QString m_devicePath;
    QTemporaryDir m_settingsDir;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<PortMap> m_map;
    SystemClock m_clock;
    QtEventPump m_pump{m_clock};
    std::unique_ptr<QtSerialControl> m_port;
    std::unique_ptr<ProgrammerLink> m_link;
    QStringList m_log;
};

// CPU time of this process (user + system), microseconds.
qint64 processCpuUs();
// CPU time of the children that have ended and been waited for, microseconds.
qint64 childrenCpuUs();

}  // namespace kv::bench
