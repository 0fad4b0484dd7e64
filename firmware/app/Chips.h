// SPDX-License-Identifier: MIT
#pragma once

#include <stdint.h>

// What the firmware must know about a part to program it in parallel
// (high-voltage) mode. The part is recognised by its signature once it is in
// programming mode; the host never names it.

enum class Entry : uint8_t {
    // Prog_enable pins at 0, VCC applied, 12 V on RESET 20-60 us later, the pins
    // held 10 us, 300 us before the first command (ATmega48/88/168/328 family,
    // ATtiny2313/4313).
    ResetRace,
    // VCC applied and settled, RESET at 0 V while XTAL1 toggles six times or
    // more, Prog_enable pins at 0, then 12 V (the 40-pin ATmegas, ATmega8,
    // ATmega161/162/163/323, ATtiny26).
    ClockedReset,
    // Prog_enable pins at 0, VCC and 12 V together, 300 us before the first
    // command. Both families' datasheets give it for a part whose RESET pin or
    // clock is configured away (old family: "apply VCC simultaneously as
    // 11.5 - 12.5V is applied to RESET", to put the fuses right and enter again
    // the ordinary way; new family: 12 V as soon as VCC passes 1 V). The
    // firmware's last resort, for a part that refuses both ordinary entries.
    Together,
};

namespace chipflag {
constexpr uint8_t kExtended = 1 << 0;     // has an extended fuse byte (written with BS2)
constexpr uint8_t kHigh = 1 << 1;         // has a fuse high byte
constexpr uint8_t kPagelOnBs1 = 1 << 2;   // one pin "BS1/PAGEL"
constexpr uint8_t kBs2OnXa1 = 1 << 3;     // one pin "XA1/BS2"
constexpr uint8_t kEepromBytes = 1 << 4;  // EEPROM written a byte at a time, no page latch
}  // namespace chipflag

struct Chip {
    uint8_t sig1, sig2;  // second and third signature byte (the first is 0x1E)
    uint8_t flashKiB;    // FLASH in KiB
    uint8_t pageWords;   // FLASH page in 16-bit words
    uint16_t eepromBytes;
    uint8_t eepromPage;   // EEPROM page in bytes
    uint8_t calibration;  // calibration bytes readable at 0..n-1
    uint8_t flags;
    // The entry its datasheet gives. The firmware cannot know the part before
    // it is in programming mode, so it tries the entry that worked last first;
    // after a rescue entry, this one.
    Entry entry;
    // Bits that exist; the others read back as 1 whatever was written.
    uint8_t lockUsed, extendedUsed, highUsed, lowUsed;

    uint16_t flashWords() const { return uint16_t(flashKiB) * 512u; }
    bool has(uint8_t flag) const { return flags & flag; }
};

// The part with this signature, or nullptr.
const Chip* findChip(uint8_t sig1, uint8_t sig2);
