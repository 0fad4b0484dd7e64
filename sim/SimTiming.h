// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

// Every duration of the simulated programmer, in microseconds. The chip figures
// are those of high-voltage parallel programming.
namespace kv::sim::timing {

// Bits per character on the line: start, 8 data, stop.
inline constexpr int kBitsPerByte = 10;
// From a command's "#" (or any byte that completes a step) to the first reply byte.
inline constexpr qint64 kProcessingUs = 200;
inline constexpr qint64 kFlashPageWriteUs = 4500;  // also one "WW" word (a page write)
inline constexpr qint64 kEepromByteWriteUs = 9000;
inline constexpr qint64 kFuseByteWriteUs = 4500;  // each fuse or lock byte
inline constexpr qint64 kChipEraseUs = 9000;
// From restartIntoLoader() to the loader's greeting.
inline constexpr qint64 kLoaderRestartUs = 300'000;
inline constexpr qint64 kLoaderPageWriteUs = 4500;
// A partial text command older than this is dropped when the next byte comes,
// so one stray byte cannot spoil the following command.
inline constexpr qint64 kCommandIdleResetUs = 100'000;
// A FLASH stream that stalls this long is abandoned; the device listens for
// commands again.
inline constexpr qint64 kStreamIdleResetUs = 1'000'000;

// Time for `count` characters at `baud`, rounded up to whole microseconds.
inline constexpr qint64 lineTimeUs(qint64 count, int baud) {
    return baud > 0 ? (count * kBitsPerByte * 1'000'000 + baud - 1) / baud : 0;
}

}  // namespace kv::sim::timing
