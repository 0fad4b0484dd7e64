// SPDX-License-Identifier: MIT
#include "sim/VirtualPump.h"

#include "sim/SimulatedSerialControl.h"
#include "sim/VirtualClock.h"

namespace kv::sim {

VirtualPump::VirtualPump(VirtualClock& clock, SimulatedSerialControl& port)
    : m_clock(clock), m_port(port) {}

void VirtualPump::yieldUntil(qint64 deadlineUs) {
    m_port.settle();
    const qint64 next = m_port.nextEventUs();
    const qint64 target = next >= 0 ? qMin(next, deadlineUs) : deadlineUs;
    m_clock.advanceTo(target);  // never backwards: a passed deadline does not move time
    m_port.settle();
    ++m_yields;
    if (onYield) {
        onYield();
    }
}

}  // namespace kv::sim
