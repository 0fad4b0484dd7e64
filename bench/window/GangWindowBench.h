// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv::bench {

struct GangWindowIdle {
    double percentPerSocket = 0;  // of one core, window and runner together
    int sockets = 0;
    int stillWaiting = 0;  // children still waiting when the span ended
    double spanS = 0;
    QString endedEarly;  // why a child ended within the span
};

// The "量产" window with four sockets whose programmers are slow to answer:
// what the window and its runner cost while every child waits. Throws
// std::runtime_error when the set-up cannot be made.
GangWindowIdle gangWindowIdle(const QString& simPath, const QString& cliPath);

}  // namespace kv::bench
