// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>

#include "core/Clock.h"

namespace kv {

// The machine's monotonic clock, counted from construction.
class SystemClock : public Clock {
public:
    SystemClock() { m_timer.start(); }
    qint64 nowUs() const override { return m_timer.nsecsElapsed() / 1000; }

private:
    QElapsedTimer m_timer;
};

}  // namespace kv
