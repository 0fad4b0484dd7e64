// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace kv {

// Monotonic time for the link's waits. Injected so that tests run on a virtual
// clock that advances instantly.
class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds since an arbitrary fixed origin; never goes backwards.
    virtual qint64 nowUs() const = 0;
    qint64 nowMs() const { return nowUs() / 1000; }
};

// The "yield to the window" of the link's waits.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Processes pending window events, then returns no later than deadlineUs
    // (Clock time). It may return earlier: when wake() was called (new input
    // on the port) or a window event was handled. A deadline that has passed
    // processes what is pending once and returns. Window handlers may run
    // inside this call.
    virtual void yieldUntil(qint64 deadlineUs) = 0;
    // Ends the current yieldUntil early; safe to call from event handlers.
    virtual void wake() {}
};

}  // namespace kv
