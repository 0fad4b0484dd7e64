// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>

namespace kv::processidentity {

// A "started" row of another host is taken as interrupted once it is this
// old: no pass takes more than minutes, and that host's processes cannot be
// asked whether they still run.
inline constexpr qint64 kForeignStartedLimitSecs = 2 * 3600;

// This machine's name as rows carry it.
QString localHost();
qint64 currentPid();
// What tells this process from a later one that got the same id: the boot
// and the process's start time. Empty when there is no such process.
QString tokenOf(qint64 pid);
QString currentToken();

// Whether the process that wrote a "started" row has ended without
// finishing it: on this host by its id and token, elsewhere by age.
bool writerIsGone(const QString& host, qint64 pid, const QString& token, const QDateTime& startedAt,
                  const QDateTime& now);

}  // namespace kv::processidentity
