// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "core/MemoryKind.h"

// Every command the program sends to the programmer, built here and nowhere
// else. Addresses and counts go out as upper-case hex of fixed width; data
// digits go out as the caller gives them. The simulator parses them on its
// own, so a wrong byte here is caught by the tests, not copied into them.
namespace kv::wire {

QString checkLink();        // "CC#"
QString firmwareVersion();  // "FM#"
QString eraseChip();        // "EM#"
QString readFuses();        // "RS#": lock, extended, high, low byte
// "WS" / "SS" with EE HH LL (or ".." for a model without the extended byte).
QString writeFuses(const QString& field);
QString recoverFuses(const QString& field);
QString writeLock(const QString& byteDigits);  // "WL" + XX
QString readInfoByte(int address);             // "RI" + XX: signature and calibration bytes
// "RF" / "RE" + NNNN: the memory's first count bytes.
QString readMemory(MemoryKind memory, qint64 count);
QString writeFlashImage();  // "WF#", then the header and the pages as raw bytes
// "WW" + DDDD + AAAA (word address); "WE" + DD + AAAA (byte address).
QString writeFlashWord(const QString& digits, qint64 wordAddress);
QString writeEepromByte(const QString& digits, qint64 address);
QString readFlashWord(qint64 wordAddress);  // "RW" + AAAA
QString readEepromByte(qint64 address);     // "RB" + AAAA

// The programmer's loader, for a firmware update: one character at a time.
namespace loader {
QString start(bool encrypted);  // "B" encrypted, "D" plain
QString zero();                 // "0", sent twice after the start
QString pageStart();            // ">"
QString end();                  // "!"
QString fill();                 // "F": half of an erased byte after the file's tail
}  // namespace loader

}  // namespace kv::wire
