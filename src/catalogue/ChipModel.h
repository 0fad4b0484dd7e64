// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kv {

// One row of the model table.
struct ChipModel {
    QString name;        // upper case, as shown and stored; also the base name of its .FUS file
    QString signature;   // "1E" + second and third signature byte, upper-case hex
    int flashSize = 0;   // bytes
    int eepromSize = 0;  // bytes
    int pageWords = 0;   // FLASH page in 16-bit words, as sent in the FLASH write header
    bool needsAdapter = false;  // the chip sits in the socket through the adapter
    // The fuse commands send the extended fuse byte ("WS"/"SS" carry ".."
    // in its place otherwise).
    bool extendedFuse = false;

    int flashWords() const { return flashSize / 2; }
    bool operator==(const ChipModel&) const = default;
};

}  // namespace kv
