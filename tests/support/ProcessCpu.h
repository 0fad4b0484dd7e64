// SPDX-License-Identifier: MIT
#pragma once

#include <sys/resource.h>
#include <QtGlobal>

namespace kv::test {

// CPU time this process used so far, user and system, in microseconds: a wait
// that sleeps adds little, one that spins adds about its wall time.
inline qint64 processCpuUs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1'000'000LL + u.ru_utime.tv_usec +
           u.ru_stime.tv_usec;
}

}  // namespace kv::test
