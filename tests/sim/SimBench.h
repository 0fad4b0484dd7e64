// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include "sim/SimulatedProgrammer.h"
#include "sim/SimulatedSerialControl.h"
#include "sim/VirtualClock.h"

namespace kv::test {

// A simulated programmer on an open in-process port, driven without the link.
struct SimBench {
    explicit SimBench(const QString& model = QStringLiteral("ATMEGA8"))
        : device(model), port(clock) {
        port.attach(1, &device);
        port.setPortNumber(1);
        port.setOpen(true);
    }

    // Lets the line run for `us` microseconds.
    void run(qint64 us) {
        clock.advanceBy(us);
        port.settle();
    }
    // Writes `command`, lets the line run `ms` milliseconds and takes the reply.
    QByteArray exchange(const QByteArray& command, int ms = 100) {
        port.write(command);
        run(qint64(ms) * 1000);
        return port.readAll();
    }

    static QByteArray gbk(const char* utf8) { return sim::SimulatedProgrammer::gbk(utf8); }

    sim::VirtualClock clock;
    sim::SimulatedProgrammer device;
    sim::SimulatedSerialControl port;
};

}  // namespace kv::test
