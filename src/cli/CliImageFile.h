// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/MemoryKind.h"
#include "images/ElfReader.h"
#include "images/ImageFiles.h"

namespace kv::cli {

// An image file as the command line takes it: read from disk and parsed
// once per run, into bytes. A refused file throws CommandEnd (a file
// problem) with the text the window's warning box would show.
struct ImageFile {
    QString path;
    bool elf = false;
    QByteArray flash;  // an ELF file's FLASH, or the file's bytes for a FLASH command
    QByteArray eeprom;
    QByteArray fuses;  // an ELF file's fuse bytes: low, high, extended, as many as it has
    std::optional<quint8> lock;
    // An .eep whose first line is not a HEX record, taken byte for byte.
    std::optional<RawRead> raw;

    // memory: the memory a HEX, EEP or binary file is for.
    static ImageFile load(const QString& path, MemoryKind memory);
    const QByteArray& bytes(MemoryKind memory) const {
        return memory == MemoryKind::Flash ? flash : eeprom;
    }
    // Once the model is known: an ELF section beyond its memories or fuse
    // bytes is refused with the reader's own words.
    void checkElf(const ElfLimits& limits) const;

private:
    QByteArray m_raw;  // an ELF file's bytes, for checkElf's words
};

}  // namespace kv::cli
