// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv::sim {
struct SimChip;
}

namespace kv::sim::avr {

// How a part is put into high-voltage parallel programming mode. The older
// parts latch the mode from a few clocks on XTAL1 with RESET at 0 V; the newer
// ones from the level of the Prog_enable pins when 12 V reaches RESET within a
// short window after VCC.
enum class EntryStyle {
    ClockedReset,  // VCC, >= 100 us, RESET 0 V and XTAL1 toggled, Prog_enable 0000, then 12 V
    PowerWindow,   // Prog_enable 0000 and RESET 0 V, VCC, 12 V after 20-60 us, hold 10 us, wait 300
                   // us
};

// The facts of one part's parallel programming interface that SimChip does not
// carry, from the part's datasheet (the section is named in the table).
struct HvppPart {
    const char* name;
    EntryStyle entry;
    // 20-pin parts share one pin between BS1 and PAGEL and one between XA1 and
    // BS2; on the shield they are wired to its BS1 and XA1 lines.
    bool pagelOnBs1;
    bool bs2OnXa1;
    bool hasBs2;          // a pin (own or shared) selects the extended fuse byte
    bool wrInProgEnable;  // /WR is one of the Prog_enable pins (held low at entry)
    int eepromPageBytes;  // 0: EEPROM written a byte per /WR
    const char* datasheet;
};

// nullptr for a name without an entry.
const HvppPart* hvppPart(const QString& name);

}  // namespace kv::sim::avr
