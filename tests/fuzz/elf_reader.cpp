// SPDX-License-Identifier: MIT
// The ELF reader, and the loader that puts its sections into the images.
// First byte: the chip whose sizes the sections must fit (one of three), then
// the file.
#include "FuzzTarget.h"
#include "core/Clock.h"
#include "images/ElfReader.h"
#include "images/ImageFiles.h"
#include "images/ImageSlot.h"
#include "images/MemoryImage.h"

namespace {

class NoPump : public kv::EventPump {
public:
    void yieldUntil(qint64) override {}
};

bool sameImage(const kv::ElfImage& a, const kv::ElfImage& b) {
    return a.flash == b.flash && a.eeprom == b.eeprom && a.fuses == b.fuses && a.lock == b.lock;
}

}  // namespace

KV_FUZZ_TARGET(elf_reader) {
    if (size < 1)
        return 0;
    static const kv::ElfLimits chips[] = {{0x2000, 512, 2}, {0x8000, 1024, 3}, {0x800, 128, 1}};
    const kv::ElfLimits& chip = chips[data[0] % 3];
    const QByteArray file = kv::fuzz::bytesOf(data + 1, size - 1);
    const auto result = kv::ElfReader::read(file, chip);
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
    // A file that fits a chip fits every larger one, with the same content.
    for (const kv::ElfLimits& larger : chips) {
        if (larger.flashSize >= chip.flashSize && larger.eepromSize >= chip.eepromSize &&
            larger.fuseBytes >= chip.fuseBytes) {
            const auto again = kv::ElfReader::read(file, larger);
            KV_FUZZ_CHECK(again.ok());
            KV_FUZZ_CHECK(sameImage(again.image, image));
        }
    }
    // The loader holds exactly the reader's bytes, in both images.
    kv::ImageSlot flash{kv::MemoryKind::Flash};
    kv::ImageSlot eeprom{kv::MemoryKind::Eeprom};
    NoPump pump;
    kv::ImageFiles files(flash, eeprom, pump, {});
    files.setElfLimits([&] { return chip; });
    const QString path = kv::fuzz::writeScratch(QStringLiteral("image.elf"), file);
    KV_FUZZ_CHECK(files.load(kv::MemoryKind::Flash, path) == kv::LoadStatus::Loaded);
    KV_FUZZ_CHECK(files.load(kv::MemoryKind::Eeprom, path) == kv::LoadStatus::Loaded);
    KV_FUZZ_CHECK(flash.image().toBytes() == image.flash);
    KV_FUZZ_CHECK(eeprom.image().toBytes() == image.eeprom);
    KV_FUZZ_CHECK(files.fileFuses().has_value() == image.hasFuseOrLock());
    return 0;
}
