// SPDX-License-Identifier: MIT
#pragma once

#include <stdint.h>

// The bytes the loader took off the line when they turned out to be a command
// for the firmware, not an update: the loader reads on to the command's "#"
// and leaves them here for the firmware. GPIOR2 = kValid marks them, GPIOR1
// counts them. The place is in the middle of RAM, clear of both programs: the
// firmware's data ends below 0x0800 and the loader's stack (its buffers, about
// 1.1 KiB) stays above 0x1C00; main() copies the bytes before it uses more
// than a few bytes of stack.
namespace handover {

// Enumerators, not constants: the loader is compiled keeping every top-level
// object in order, and a constant object would land in .rodata.
enum : uint16_t { kAddress = 0x1000 };
enum : uint8_t { kMax = 32, kValid = 0xA5 };

inline volatile uint8_t* bytes() {
    return reinterpret_cast<volatile uint8_t*>(kAddress);
}

}  // namespace handover
