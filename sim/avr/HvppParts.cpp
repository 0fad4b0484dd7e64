// SPDX-License-Identifier: MIT
#include "avr/HvppParts.h"

#include <iterator>

namespace kv::sim::avr {

namespace {

constexpr auto C = EntryStyle::ClockedReset;
constexpr auto P = EntryStyle::PowerWindow;

// Signatures, sizes, page sizes and factory fuses live in SimChip (sim/SimChip.cpp);
// this table adds what the programming interface needs, each row from the
// "Memory Programming" chapter of the datasheet named beside it: its "Signal
// Names" / "Pin Name Mapping" table (shared pins, BS2), "Enter Programming
// Mode" (entry style, the Prog_enable pins) and "Programming the EEPROM" (page
// or byte writes).
// clang-format off
constexpr HvppPart kParts[] = {
    // name          entry pagel=bs1 bs2=xa1 bs2   /WR in entry EEPROM page  datasheet
    {"ATMEGA8",      C, false, false, true,  false, 4, "ATmega8 (2486), Parallel Programming"},
    {"ATMEGA16",     C, false, false, true,  false, 4, "ATmega16 (2466), Parallel Programming"},
    {"ATMEGA32",     C, false, false, true,  false, 4, "ATmega32 (2503), Parallel Programming"},
    {"ATMEGA48",     P, false, false, true,  false, 4, "ATmega48/88/168 (2545), Parallel Programming"},
    {"ATMEGA88",     P, false, false, true,  false, 4, "ATmega48/88/168 (2545), Parallel Programming"},
    {"ATMEGA168",    P, false, false, true,  false, 4, "ATmega48/88/168 (2545), Parallel Programming"},
    {"ATMEGA8535",   C, false, false, true,  false, 4, "ATmega8535 (2502), Parallel Programming"},
    {"ATMEGA163",    C, false, false, true,  false, 0, "ATmega163 (1142), Parallel Programming"},
    {"ATMEGA323",    C, false, false, true,  false, 0, "ATmega323 (1457), Parallel Programming"},
    {"ATMEGA8515",   C, false, false, true,  false, 4, "ATmega8515 (2512), Parallel Programming"},
    {"ATMEGA161",    C, false, false, false, false, 0, "ATmega161 (1228), Parallel Programming"},
    {"ATMEGA162",    C, false, false, true,  false, 4, "ATmega162 (2513), Parallel Programming"},
    {"ATTINY2313",   P, true,  true,  true,  true,  4, "ATtiny2313 (2543), Parallel Programming, Pin Mapping"},
    {"ATTINY26",     C, true,  true,  true,  false, 4, "ATtiny26 (1477), Parallel Programming"},
    {"ATMEGA48PA",   P, false, false, true,  false, 4, "ATmega48PA/88PA/168PA/328P (8271), Parallel Programming"},
    {"ATMEGA88PA",   P, false, false, true,  false, 4, "ATmega48PA/88PA/168PA/328P (8271), Parallel Programming"},
    {"ATMEGA168PA",  P, false, false, true,  false, 4, "ATmega48PA/88PA/168PA/328P (8271), Parallel Programming"},
    {"ATMEGA328",    P, false, false, true,  false, 4, "ATmega48A/PA/88A/PA/168A/PA/328/P (8271), Parallel Programming"},
    {"ATMEGA328P",   P, false, false, true,  false, 4, "ATmega48PA/88PA/168PA/328P (8271), Parallel Programming"},
    {"ATMEGA164A",   P, false, false, true,  false, 4, "ATmega164A/PA/324A/PA/644A/PA/1284/P (8272), Parallel Programming"},
    {"ATMEGA164PA",  P, false, false, true,  false, 4, "ATmega164A/PA/324A/PA/644A/PA/1284/P (8272), Parallel Programming"},
    {"ATMEGA324A",   P, false, false, true,  false, 4, "ATmega164A/PA/324A/PA/644A/PA/1284/P (8272), Parallel Programming"},
    {"ATMEGA324PA",  P, false, false, true,  false, 4, "ATmega164A/PA/324A/PA/644A/PA/1284/P (8272), Parallel Programming"},
    {"ATTINY4313",   P, true,  true,  true,  true,  4, "ATtiny2313A/4313 (8246), Parallel Programming, Pin Mapping"},
};
// clang-format on

}  // namespace

const HvppPart* hvppPart(const QString& name) {
    const QString upper = name.trimmed().toUpper();
    for (const HvppPart& part : kParts) {
        if (upper == QLatin1String(part.name)) {
            return &part;
        }
    }
    return nullptr;
}

}  // namespace kv::sim::avr
