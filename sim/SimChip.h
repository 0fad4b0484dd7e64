// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace kv::sim {

// What the simulated hardware knows about one chip model: the facts a real
// chip carries in silicon. Kept apart from the program's own model table on
// purpose, so that a mistake there shows up against the device.
struct SimChip {
    QString name;  // upper case, e.g. "ATMEGA8"
    quint8 signature[3];
    int flashBytes;
    int eepromBytes;
    int pageWords;  // FLASH page in 16-bit words
    bool hasExtended;
    bool hasHigh;
    // Factory values of lock, extended, high, low (0xFF for an absent byte).
    quint8 lockDefault, extendedDefault, highDefault, lowDefault;
    // Bits that exist in silicon; the others always read as 1.
    quint8 lockUsed, extendedUsed, highUsed, lowUsed;
    int calibrationBytes;  // information bytes 0x80.. that carry a value
    int eesaveBit;         // bit of the high fuse byte, -1 when the chip has none

    static const std::vector<SimChip>& all();
    // The whole name, blanks around it ignored, in any letter case; nullptr
    // when unknown.
    static const SimChip* find(const QString& name);
};

}  // namespace kv::sim
