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

// A kelvaro-sim of its own on a pseudo-terminal, for programs that open the
// port themselves (kelvaro-cli, the gang's children); quit when destroyed.
class PtySim {
public:
    // Throws std::runtime_error when the simulator does not start.
    PtySim(const QString& simPath, const QString& model);
    ~PtySim();
    PtySim(const PtySim&) = delete;
    PtySim& operator=(const PtySim&) = delete;

    const QString& pts() const { return m_pts; }
    // A line for its command input ("fault delay 60000", ...).
    void command(const QByteArray& line);

private:
    QProcess m_process;
    QString m_pts;
};

// count bytes from a generator seeded with seed, written to dir/name; throws.
QString writeRandomFile(const QTemporaryDir& dir, const char* name, int count, quint32 seed);
// The full ATMEGA32 pass as a scheme file dir/name: erase, 32 KiB FLASH and
// 512 B EEPROM written and verified, fuses and lock, files reloaded.
QString writeFullPassScheme(const QTemporaryDir& dir, const QString& name);

// CPU time of this process (user + system), microseconds.
qint64 processCpuUs();
// CPU time of the children that have ended and been waited for, microseconds.
qint64 childrenCpuUs();

}  // namespace kv::bench
