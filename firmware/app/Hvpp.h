// SPDX-License-Identifier: MIT
#pragma once

#include <stdint.h>

#include "Chips.h"

// High-voltage parallel programming of the part in the socket, step by step as
// the parts' datasheets give it ("Parallel Programming" in each datasheet's
// memory programming chapter). Every operation runs between begin() and end():
// the target is powered only while the firmware talks to it, so a part can be
// changed between two commands.
namespace hvpp {

enum class Fuse : uint8_t { Low, High, Extended, Lock };

enum class Result : uint8_t {
    Ok,
    NoChip,  // nothing answered with a signature in either entry variant
    NoRail,  // the 12 V rail is missing, so no entry was possible
};

// Reads the entry that worked before the last power-down.
void init();

// Powers the target and puts it into programming mode, trying the entry that
// worked last first. Ok also for a part outside the table (chip() is then null).
Result begin();
// RESET back to 0 V, then VCC off and every line low.
void end();

const Chip* chip();
uint8_t signature(uint8_t index);  // as read at begin()

uint8_t readSignatureByte(uint8_t address);
uint8_t readCalibrationByte(uint8_t address);
uint8_t readFuse(Fuse which);
// Writes one fuse or the lock byte; false when RDY/BSY never came back.
bool writeFuse(Fuse which, uint8_t value);
bool chipErase();

// FLASH, by 16-bit words; the low byte sits at the even byte address.
uint16_t readFlashWord(uint16_t wordAddress);
uint8_t readEeprom(uint16_t address);
bool writeEeprom(uint16_t address, uint8_t value);

// Page programming: load the words of one page (any order), then write it.
// Words of the page that were not loaded are loaded as 0xFFFF by writePage, so
// nothing left in the page buffer is programmed by accident.
void beginFlashPage(uint16_t firstWord);
void loadFlashWord(uint16_t wordAddress, uint16_t value);
bool writeFlashPage();
// Ends a run of page writes ("no operation" command).
void endFlash();

// FLASH page in words of the part in the socket (the host's page size when the
// part is not in the table).
uint8_t pageWords(uint8_t fallback);

}  // namespace hvpp
