// SPDX-License-Identifier: MIT
#include "Chips.h"

#include <avr/pgmspace.h>
#include <string.h>

namespace {

using namespace chipflag;
constexpr uint8_t kXH = kExtended | kHigh;
constexpr uint8_t k20Pin = kPagelOnBs1 | kBs2OnXa1;
constexpr Entry R = Entry::ResetRace;
constexpr Entry C = Entry::ClockedReset;

// From each part's datasheet, chapter "Memory Programming": "Parallel
// Programming Parameters, Pin Mapping, and Commands" (signal names, the pins a
// 20-pin part shares), "Enter Programming Mode" (entry variant), "Signature
// Bytes" / "Calibration Byte", "Page Size" (FLASH and EEPROM pages), and the
// "Fuse Bits" / "Lock Bits" tables (which bits exist).
//   ATmega8 2486, ATmega16 2466, ATmega32 2503, ATmega8535 2502, ATmega8515 2512,
//   ATmega162 2513, ATmega161 1228, ATmega163 1142, ATmega323 1457,
//   ATmega48/88/168 2545, ATmega48PA..328P 8271/8161, ATmega164A..324PA 8272,
//   ATtiny2313 2543, ATtiny4313 8246, ATtiny26 1477.
// The 40-pin and 20-pin parts whose pins differ from the socket's reach the
// same signals through the adapter; the firmware only needs to know which two
// signals a 20-pin part carries on one pin.
const Chip kChips[] PROGMEM = {
    // sig1  sig2  KiB page EEPROM epage cal flags                   entry lock  ext   high  low
    {0x93, 0x07, 8, 32, 512, 4, 4, kHigh, C, 0x3F, 0x00, 0xFF, 0xFF},                  // ATmega8
    {0x94, 0x03, 16, 64, 512, 4, 4, kHigh, C, 0x3F, 0x00, 0xFF, 0xFF},                 // ATmega16
    {0x95, 0x02, 32, 64, 1024, 4, 4, kHigh, C, 0x3F, 0x00, 0xFF, 0xFF},                // ATmega32
    {0x92, 0x05, 4, 32, 256, 4, 1, kXH, R, 0x03, 0x01, 0xFF, 0xFF},                    // ATmega48
    {0x93, 0x0A, 8, 32, 512, 4, 1, kXH, R, 0x3F, 0x07, 0xFF, 0xFF},                    // ATmega88
    {0x94, 0x06, 16, 64, 512, 4, 1, kXH, R, 0x3F, 0x07, 0xFF, 0xFF},                   // ATmega168
    {0x93, 0x08, 8, 32, 512, 4, 4, kHigh, C, 0x3F, 0x00, 0xFF, 0xFF},                  // ATmega8535
    {0x94, 0x02, 16, 64, 512, 1, 1, kHigh | kEepromBytes, C, 0x3F, 0x00, 0x07, 0xEF},  // ATmega163
    {0x95, 0x01, 32, 64, 1024, 1, 1, kHigh | kEepromBytes, C, 0x3F, 0x00, 0xEF, 0xCF},  // ATmega323
    {0x93, 0x06, 8, 32, 512, 4, 4, kHigh, C, 0x3F, 0x00, 0xFF, 0xFF},           // ATmega8515
    {0x94, 0x01, 16, 64, 512, 1, 0, kEepromBytes, C, 0x3F, 0x00, 0x00, 0x77},   // ATmega161
    {0x94, 0x04, 16, 64, 512, 4, 1, kXH, C, 0x3F, 0x1E, 0xFF, 0xFF},            // ATmega162
    {0x91, 0x0A, 2, 16, 128, 4, 2, kXH | k20Pin, R, 0x03, 0x01, 0xFF, 0xFF},    // ATtiny2313
    {0x91, 0x09, 2, 16, 128, 4, 4, kHigh | k20Pin, C, 0x03, 0x00, 0x1F, 0xFF},  // ATtiny26
    // The later parts of the same families.
    {0x92, 0x0A, 4, 32, 256, 4, 1, kXH, R, 0x03, 0x01, 0xFF, 0xFF},           // ATmega48PA
    {0x93, 0x0F, 8, 32, 512, 4, 1, kXH, R, 0x3F, 0x07, 0xFF, 0xFF},           // ATmega88PA
    {0x94, 0x0B, 16, 64, 512, 4, 1, kXH, R, 0x3F, 0x07, 0xFF, 0xFF},          // ATmega168PA
    {0x95, 0x14, 32, 64, 1024, 4, 1, kXH, R, 0x3F, 0x07, 0xFF, 0xFF},         // ATmega328
    {0x95, 0x0F, 32, 64, 1024, 4, 1, kXH, R, 0x3F, 0x07, 0xFF, 0xFF},         // ATmega328P
    {0x94, 0x0F, 16, 64, 512, 4, 1, kXH, C, 0x3F, 0x07, 0xFF, 0xFF},          // ATmega164A
    {0x94, 0x0A, 16, 64, 512, 4, 1, kXH, C, 0x3F, 0x07, 0xFF, 0xFF},          // ATmega164PA
    {0x95, 0x15, 32, 64, 1024, 4, 1, kXH, C, 0x3F, 0x07, 0xFF, 0xFF},         // ATmega324A
    {0x95, 0x11, 32, 64, 1024, 4, 1, kXH, C, 0x3F, 0x07, 0xFF, 0xFF},         // ATmega324PA
    {0x92, 0x0D, 4, 32, 256, 4, 2, kXH | k20Pin, R, 0x03, 0x01, 0xFF, 0xFF},  // ATtiny4313
};

Chip g_current;

}  // namespace

const Chip* findChip(uint8_t sig1, uint8_t sig2) {
    for (const Chip& row : kChips) {
        if (pgm_read_byte(&row.sig1) == sig1 && pgm_read_byte(&row.sig2) == sig2) {
            memcpy_P(&g_current, &row, sizeof g_current);
            return &g_current;
        }
    }
    return nullptr;
}
