// SPDX-License-Identifier: MIT
#include "BenchRig.h"

#include <sys/resource.h>
#include <QFile>
#include <QRandomGenerator>
#include <stdexcept>

#include "core/OperationError.h"
#include "schemes/SchemeFile.h"

namespace kv::bench {

namespace {

qint64 usageUs(int who) {
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1'000'000LL + u.ru_utime.tv_usec +
           u.ru_stime.tv_usec;
}

}  // namespace

qint64 processCpuUs() {
    return usageUs(RUSAGE_SELF);
}
qint64 childrenCpuUs() {
    return usageUs(RUSAGE_CHILDREN);
}

BenchRig::BenchRig(const QString& simPath, const QStringList& simArguments) {
    m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sim.start(simPath, simArguments);
    if (!m_sim.waitForStarted(5000)) {
        throw std::runtime_error("cannot start " + simPath.toStdString() + ": " +
                                 m_sim.errorString().toStdString());
    }
    // The simulator names its device on the first line of its output:
    // "kelvaro-sim: MODEL on /dev/pts/N".
    while (!m_sim.canReadLine() && m_sim.waitForReadyRead(5000)) {
    }
    const QString greeting = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    m_devicePath = greeting.mid(greeting.lastIndexOf(u' ') + 1);
    if (!m_devicePath.startsWith(u'/')) {
        m_devicePath.clear();
    }
    if (m_devicePath.isEmpty()) {
        throw std::runtime_error("the simulator did not name its device");
    }

    m_store =
        std::make_unique<SettingsStore>(QStringLiteral("kelvaro-bench"), m_settingsDir.path());
    m_map = std::make_unique<PortMap>(m_store.get());
    m_map->setDevicePath(1, m_devicePath);
    m_port = std::make_unique<QtSerialControl>(*m_map);
    m_link = std::make_unique<ProgrammerLink>(*m_port, m_clock, m_pump,
                                              [this](const QString& m) { m_log << m; });
    try {
        m_port->setPortNumber(1);
        m_port->setSettings(QStringLiteral("%1,n,8,1").arg(kBaud));
        m_port->setOpen(true);
    } catch (const OperationError& e) {
        throw std::runtime_error(e.text().toStdString());
    }
}

BenchRig::~BenchRig() {
    m_link.reset();
    if (m_port) {
        m_port->setOpen(false);
    }
    if (m_sim.state() != QProcess::NotRunning) {
        simCommand("quit");
        if (!m_sim.waitForFinished(3000)) {
            m_sim.kill();
            m_sim.waitForFinished(3000);
        }
    }
}

void BenchRig::simCommand(const QByteArray& line) {
    m_sim.write(line + '\n');
    m_sim.waitForBytesWritten(1000);
}

PtySim::PtySim(const QString& simPath, const QString& model) {
    m_process.start(simPath, {QStringLiteral("--model"), model});
    if (!m_process.waitForStarted(10'000) || !m_process.waitForReadyRead(10'000))
        throw std::runtime_error("kelvaro-sim did not start");
    // "kelvaro-sim: MODEL on /dev/pts/N"
    const QString greeting = QString::fromUtf8(m_process.readLine()).trimmed();
    m_pts = greeting.mid(greeting.indexOf(QStringLiteral(" on ")) + 4);
}

PtySim::~PtySim() {
    command("quit");
    if (!m_process.waitForFinished(3000))
        m_process.kill();
}

void PtySim::command(const QByteArray& line) {
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(3000);
}

QString writeRandomFile(const QTemporaryDir& dir, const char* name, int count, quint32 seed) {
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != count)
        throw std::runtime_error("cannot write a bench image");
    return path;
}

QString writeFullPassScheme(const QTemporaryDir& dir, const QString& name) {
    Scheme scheme;
    scheme.model = QStringLiteral("ATMEGA32");
    scheme.fuseBits = QStringLiteral(
        "11111111"
        "11111111"
        "10011001"
        "11100001");
    scheme.options = {1, 1, 1, 1, 1, 1, 0, 0, 1, 1};
    scheme.flashPath = writeRandomFile(dir, "flash.bin", 32768, 11);
    scheme.eepromPath = writeRandomFile(dir, "eeprom.bin", 512, 12);
    scheme.flashAddress = QStringLiteral("32767");
    scheme.eepromAddress = QStringLiteral("1023");
    const QString path = dir.filePath(name);
    SchemeFile::save(path, scheme);
    return path;
}

}  // namespace kv::bench
