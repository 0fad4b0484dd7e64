#pragma once

#include <QElapsedTimer>

#include "link/Clock.h"

namespace kv::sim {

// Real monotonic time for the simulator when it serves a real port.
class SteadyClock : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    qint64 nowUs() const override { return m_timer.nsecsElapsed() / 1000; }

private:
    QElapsedTimer m_timer;
};

}  // namespace kv::sim
