// SPDX-License-Identifier: MIT
#pragma once

#include <stdint.h>

// The bytes the loader took off the line when they turned out to be a command
// for the firmware, not an update: the loader reads on to the command's "#"
// and leaves them here for the firmware. GPIOR2 = kHandoverValid marks them,
// GPIOR1 counts them. The place is 256 bytes below the top of RAM: the stack
// the C runtime starts there is only a few bytes deep when main() copies them.
namespace handover {

// Enumerators, not constants: the loader is compiled keeping every top-level
// object in order, and a constant object would land in .rodata.
enum : uint16_t { kAddress = 0x2100 };
enum : uint8_t { kMax = 32, kValid = 0xA5 };

inline volatile uint8_t* bytes() {
    return reinterpret_cast<volatile uint8_t*>(kAddress);
}

}  // namespace handover
