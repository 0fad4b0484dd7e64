// SPDX-License-Identifier: MIT
#pragma once

// One fuzz target per parser. KV_FUZZ_TARGET(name) { ... } defines the entry
// point: libFuzzer's LLVMFuzzerTestOneInput in a fuzzing build (KV_LIBFUZZER),
// otherwise an entry of the replay program that runs the stored inputs of
// every target under CTest. A target checks properties with KV_FUZZ_CHECK; a
// broken one aborts, which libFuzzer keeps as a crash and the replay reports.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace kv::fuzz {

using Entry = int (*)(const uint8_t* data, size_t size);

bool registerTarget(const char* name, Entry entry);

[[noreturn]] void failed(const char* condition, const char* file, int line);

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input split at NUL bytes, each part as UTF-8: an argument vector, a
// programmer's successive replies.
QList<QByteArray> partsOf(const uint8_t* data, size_t size);

// A folder of this process for targets whose parser reads a file; emptied by
// the caller as it likes, removed at exit.
QString scratchFolder();

// Writes bytes to name in the scratch folder; returns the path.
QString writeScratch(const QString& name, const QByteArray& bytes);

}  // namespace kv::fuzz

#define KV_FUZZ_CHECK(condition)                                \
    do {                                                        \
        if (!(condition))                                       \
            ::kv::fuzz::failed(#condition, __FILE__, __LINE__); \
    } while (false)

#if defined(KV_LIBFUZZER)
#define KV_FUZZ_TARGET(name)                                                  \
    static int kvFuzz_##name(const uint8_t* data, size_t size);               \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        return kvFuzz_##name(data, size);                                     \
    }                                                                         \
    static int kvFuzz_##name(const uint8_t* data, size_t size)
#else
#define KV_FUZZ_TARGET(name)                                     \
    static int kvFuzz_##name(const uint8_t* data, size_t size);  \
    [[maybe_unused]] static const bool kvFuzzRegistered_##name = \
        ::kv::fuzz::registerTarget(#name, &kvFuzz_##name);       \
    static int kvFuzz_##name(const uint8_t* data, size_t size)
#endif
