// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace kv {

// The selected model's memory sizes, as the read, write and verify operations
// need them.
struct MemoryGeometry {
    qint64 flashSize = 0;    // bytes
    int eepromSize = 0;      // bytes
    int flashPageWords = 0;  // 16-bit words per FLASH page: 16, 32 or 64
};

}  // namespace kv
