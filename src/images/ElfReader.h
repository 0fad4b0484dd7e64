// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace kv {

// What a chip can take from a program file: the sizes a section must fit.
// The defaults are those of the largest supported chip.
struct ElfLimits {
    qint64 flashSize = 0x8000;
    int eepromSize = 1024;
    int fuseBytes = 3;  // low, high and extended
};

// Everything an avr-gcc ELF file says a chip should receive.
struct ElfImage {
    QByteArray flash;   // from address 0; bytes no section covers are 0xFF
    QByteArray eeprom;  // from address 0, likewise
    QByteArray fuses;   // low, high, extended, as many as the file has
    std::optional<quint8> lock;

    bool hasFuseOrLock() const { return !fuses.isEmpty() || lock.has_value(); }
    // "低字节 E4，高字节 C9；锁定位 FC", naming only what the file has.
    QString fuseText() const;
};

// Reads ELF32 files for the AVR machine with libelf. Sections are placed by
// their load address, as the AVR toolchain lays memories out: FLASH from 0
// (.text, then .data's initial values), EEPROM from 0x810000, fuses from
// 0x820000, lock from 0x830000; the signature (0x840000) is ignored. Nothing
// of a refused file is kept.
class ElfReader {
public:
    enum class Error {
        None,
        ReadFailed,     // the file could not be read
        TooLarge,       // larger than any image file can be
        NotElf,         // no ELF header
        Truncated,      // a header or section lies beyond the end of the file
        Not32Bit,       // a 64-bit file
        WrongMachine,   // built for another processor
        NotExecutable,  // not a linked program (an object file, a library)
        BadStructure,   // libelf could not read the section table
        FlashOverflow,  // a program section beyond the chip's FLASH
        EepromOverflow,
        FuseTooLong,  // more fuse bytes than the model has
        LockTooLong,
        UnknownAddress,  // a loadable section outside every chip memory
    };

    static constexpr qint64 kEepromBase = 0x810000;
    static constexpr qint64 kFuseBase = 0x820000;
    static constexpr qint64 kLockBase = 0x830000;
    static constexpr qint64 kSignatureBase = 0x840000;

    struct Result {
        Error error = Error::None;
        QString detail;    // the section at fault, an error text, a machine number
        qint64 end = 0;    // where the section at fault ends in its memory
        qint64 limit = 0;  // what the memory holds
        ElfImage image;    // empty unless ok()
        bool ok() const { return error == Error::None; }
    };

    static Result read(const QByteArray& bytes, const ElfLimits& limits);
    // Reads at most ImageFiles::kMaxFileBytes from path; larger files are refused.
    static Result readFile(const QString& path, const ElfLimits& limits);

    // Why a file was refused, for the log and the warning box.
    static QString describe(const Result& result);
};

}  // namespace kv
