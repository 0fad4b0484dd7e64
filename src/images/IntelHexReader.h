// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

class QIODevice;

namespace kv {

// Reads the data records of an Intel HEX file into image text.
//
// Records are placed in file order from address 0: a gap before a record is
// filled with "F" digits (bytes 0xFF), data digits are kept as they stand.
// Reading stops at an end-of-file record (type 01, in either case) or at the
// end of the file. Extended address records (types 02 and 04) move the
// following records; start address records (03, 05) are skipped; any other
// type is refused. Every record must be well formed (":", hex digits, a
// length that matches its line and its type, a correct checksum). A UTF-8
// byte-order mark before the first record and blank lines are ignored; a data
// record without data changes nothing.
//
// Stricter than most readers on purpose: records out of order, overlapping
// (even with the same bytes) and lines ended by CR alone are refused, since
// each means the file is not what its writer thought it was.
class IntelHexReader {
public:
    enum class Error {
        None,
        Empty,               // no line at all
        NoStartCode,         // a line that does not start with ":"
        BadDigit,            // a character that is no hex digit
        BadLength,           // the record's length disagrees with its line
        CarriageReturnOnly,  // lines ended by CR alone: the file is one long line
        BadChecksum,
        WrongTypeLength,  // an address or end record of the wrong length
        UnknownType,
        OutOfOrder,  // a record below the data already collected
        OutOfRange,  // a record, or an address base, reaching 0x8000 or above
        ReadFailed,
    };

    struct Result {
        Error error = Error::None;
        int line = 0;         // 1-based line of the error
        int recordType = -1;  // of the record at fault, where one was read
        QString digits;       // empty after a refusal: nothing of such a file is kept
        bool ok() const { return error == Error::None; }
    };

    // A data record must end below this address: the largest supported chip
    // has 32 KiB of FLASH.
    static constexpr qint64 kAddressLimit = 0x8000;

    // Where the AVR toolchain puts EEPROM data in its files (an ELF section
    // address). An EEPROM file written without moving the section to 0 holds
    // its data there; the EEPROM loader reads that window as address 0.
    static constexpr qint64 kAvrEepromSection = 0x810000;

    // yieldOnce runs before every line so the window stays responsive. Records
    // in the 64 KiB from `window` on are placed as if they started at 0; a
    // negative window places every record at its own address.
    static Result read(QIODevice& file, const std::function<void()>& yieldOnce, qint64 window = -1);

    // Log text for a failed read ("第 12 行：校验和错误").
    static QString describe(const Result& result);
};

}  // namespace kv
