// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include "link/ProgrammerLink.h"
#include "programmer/SerialProgrammer.h"
#include "sim/SimulatedProgrammer.h"
#include "sim/SimulatedSerialControl.h"
#include "sim/VirtualClock.h"
#include "sim/VirtualPump.h"

namespace kv::test {

// A programmer link wired to a simulated programmer on a virtual clock, port
// open, every log entry collected. The usual starting point of a test.
struct SimRig {
    explicit SimRig(const QString& model = QStringLiteral("ATMEGA8"), int portNumber = 1);

    sim::VirtualClock clock;
    sim::SimulatedProgrammer device;
    sim::SimulatedSerialControl port;
    sim::VirtualPump pump;
    QStringList log;
    ProgrammerLink link;
    // The programmer over that link; its log lines go to `log`.
    SerialProgrammer programmer;

    // Bytes the device received so far (its transcript).
    QByteArray wire() const { return device.transcript(); }
    void clearWire() { device.clearTranscript(); }
    qint64 elapsedMsSince(qint64 startUs) const { return (clock.nowUs() - startUs) / 1000; }
};

}  // namespace kv::test
