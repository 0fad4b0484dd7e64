// SPDX-License-Identifier: MIT
// The ELF reader. First byte: the chip whose sizes the sections must fit
// (one of three), then the file.
#include "FuzzTarget.h"
#include "images/ElfReader.h"

KV_FUZZ_TARGET(elf_reader) {
    if (size < 1)
        return 0;
    static const kv::ElfLimits chips[] = {{0x2000, 512, 2}, {0x8000, 1024, 3}, {0x800, 128, 1}};
    const kv::ElfLimits& chip = chips[data[0] % 3];
    const auto result = kv::ElfReader::read(kv::fuzz::bytesOf(data + 1, size - 1), chip);
    const kv::ElfImage& image = result.image;
    if (!result.ok()) {
        // Nothing of a refused file is kept, and the refusal says why.
        KV_FUZZ_CHECK(image.flash.isEmpty() && image.eeprom.isEmpty() && !image.hasFuseOrLock());
        KV_FUZZ_CHECK(!kv::ElfReader::describe(result).isEmpty());
        return 0;
    }
    // Whatever the file claims, nothing lands outside the chip's memories.
    KV_FUZZ_CHECK(image.flash.size() <= chip.flashSize);
    KV_FUZZ_CHECK(image.eeprom.size() <= chip.eepromSize);
    KV_FUZZ_CHECK(image.fuses.size() <= chip.fuseBytes);
    KV_FUZZ_CHECK(kv::ElfReader::describe(result).isEmpty());
    return 0;
}
