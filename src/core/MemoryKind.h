// SPDX-License-Identifier: MIT
#pragma once

namespace kv {

// The chip's two memories an image, a read or a write is for.
enum class MemoryKind { Flash, Eeprom };

}  // namespace kv
