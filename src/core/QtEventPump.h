// SPDX-License-Identifier: MIT
#pragma once

#include <QList>

#include "core/Clock.h"

class QEventLoop;

namespace kv {

// Yields to the Qt event loop without spinning: pending events are processed,
// then a nested event loop sleeps until the deadline (a precise single-shot
// timer) or until wake(). Yields may nest (a handler run inside a wait starts
// another wait); wake() ends every active one, the inner first, since an outer
// wait cannot return before the inner ones have.
class QtEventPump : public EventPump {
public:
    explicit QtEventPump(const Clock& clock) : m_clock(clock) {}
    QtEventPump(const QtEventPump&) = delete;
    QtEventPump& operator=(const QtEventPump&) = delete;

    void yieldUntil(qint64 deadlineUs) override;
    void wake() override;

    // Number of yields currently running (nesting depth).
    int depth() const { return static_cast<int>(m_frames.size()); }

private:
    struct Frame {
        QEventLoop* loop = nullptr;
        bool woken = false;
    };

    const Clock& m_clock;
    QList<Frame*> m_frames;  // innermost last
};

}  // namespace kv
