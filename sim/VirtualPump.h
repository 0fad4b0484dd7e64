// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "core/Clock.h"

namespace kv::sim {

class SimulatedSerialControl;
class VirtualClock;

// Yields on virtual time: each call advances the clock to the next line event
// or to the deadline, whichever comes first, and runs the test's "window
// events" hook (onYield) once, as a real window would run its handlers.
// A deadline at or before the current time does not move the clock.
class VirtualPump : public EventPump {
public:
    VirtualPump(VirtualClock& clock, SimulatedSerialControl& port);
    void yieldUntil(qint64 deadlineUs) override;

    std::function<void()> onYield;
    int yields() const { return m_yields; }

private:
    VirtualClock& m_clock;
    SimulatedSerialControl& m_port;
    int m_yields = 0;
};

}  // namespace kv::sim
