// SPDX-License-Identifier: MIT
#pragma once

#include "core/Clock.h"

namespace kv::sim {

// A clock that only moves when told to; tests run hours of protocol time in
// milliseconds.
class VirtualClock : public Clock {
public:
    qint64 nowUs() const override { return m_nowUs; }
    void advanceTo(qint64 us) {
        if (us > m_nowUs)
            m_nowUs = us;
    }
    void advanceBy(qint64 us) { m_nowUs += us; }

private:
    qint64 m_nowUs = 1'000'000;
};

}  // namespace kv::sim
