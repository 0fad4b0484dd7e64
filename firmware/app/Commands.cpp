// SPDX-License-Identifier: MIT
#include "Commands.h"

#include <avr/pgmspace.h>
#include <stdint.h>

#include "Hvpp.h"
#include "SelfTest.h"
#include "Serial.h"
#include "Texts.h"

namespace commands {

namespace {

using hvpp::Fuse;

// A partial command older than this is dropped when the next byte comes, so a
// stray byte cannot spoil the command after it.
constexpr uint16_t kCommandIdleMs = 100;
// The FLASH stream: the host pauses 100 ms between "WF#" and the header and
// waits for each page's acknowledgement; a second of silence means it gave up.
constexpr uint16_t kStreamIdleMs = 1000;
constexpr uint8_t kMaxCommand = 16;

const char kVersion[] PROGMEM = "kelvaro open HV programmer 1.0 (ATmega2560, parallel) 12V=";

// Fields are upper-case hex only, as the host sends them.
bool parseHex(const char* text, uint8_t digits, uint16_t& value) {
    value = 0;
    for (uint8_t i = 0; i < digits; ++i) {
        const char c = text[i];
        uint8_t digit;
        if (c >= '0' && c <= '9')
            digit = uint8_t(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = uint8_t(c - 'A' + 10);
        else
            return false;
        value = uint16_t(value << 4 | digit);
    }
    return true;
}

void reply(const char* text) {
    serial::printP(text);
}

// Enters programming mode; on failure answers why and returns false.
bool startSession() {
    switch (hvpp::begin()) {
        case hvpp::Result::Ok:
            return true;
        case hvpp::Result::NoRail:
            reply(texts::kRail);
            reply(texts::kFailed);
            return false;
        default:
            reply(texts::kNoChip);
            return false;
    }
}

uint8_t used(uint8_t Chip::*mask) {
    const Chip* chip = hvpp::chip();
    return chip ? chip->*mask : 0xFF;
}

bool hasFuse(uint8_t flag) {
    const Chip* chip = hvpp::chip();
    return !chip || chip->has(flag);
}

// Writes and reads back; only bits the part has are compared.
bool writeChecked(Fuse which, uint8_t value, uint8_t Chip::*mask) {
    const bool written = hvpp::writeFuse(which, value);
    const uint8_t back = hvpp::readFuse(which);
    return written && ((back ^ value) & used(mask)) == 0;
}

// "WS"/"SS" + EE HH LL, EE ".." when the model has no extended byte. The
// recovery also reaches a part whose lock bits freeze the fuses: it erases
// the part first (lock mode 2 or 3 keeps the fuses from being written).
void writeFuses(const char* args, bool recover) {
    uint16_t ee = 0, hh, ll;
    const bool noExtended = args[0] == '.' && args[1] == '.';
    if ((!noExtended && !parseHex(args, 2, ee)) || !parseHex(args + 2, 2, hh) ||
        !parseHex(args + 4, 2, ll)) {
        reply(texts::kBadArguments);
        return;
    }
    if (!startSession())
        return;
    bool ok = true;
    if (recover && (hvpp::readFuse(Fuse::Lock) & 0x03) != 0x03)
        ok = hvpp::chipErase();
    if (!noExtended && hasFuse(chipflag::kExtended))
        ok &= writeChecked(Fuse::Extended, uint8_t(ee), &Chip::extendedUsed);
    if (hasFuse(chipflag::kHigh))
        ok &= writeChecked(Fuse::High, uint8_t(hh), &Chip::highUsed);
    ok &= writeChecked(Fuse::Low, uint8_t(ll), &Chip::lowUsed);
    hvpp::end();
    if (recover)
        reply(ok ? texts::kFusesRecovered : texts::kFusesNotRecovered);
    else
        reply(ok ? texts::kFusesWritten : texts::kFusesNotWritten);
}

void readFuses() {
    if (!startSession())
        return;
    const uint8_t lock = hvpp::readFuse(Fuse::Lock);
    const uint8_t ext = hasFuse(chipflag::kExtended) ? hvpp::readFuse(Fuse::Extended) : 0xFF;
    const uint8_t high = hasFuse(chipflag::kHigh) ? hvpp::readFuse(Fuse::High) : 0xFF;
    const uint8_t low = hvpp::readFuse(Fuse::Low);
    hvpp::end();
    serial::printHex(lock);
    serial::printHex(ext);
    serial::printHex(high);
    serial::printHex(low);
}

void readInfoByte(uint8_t address) {
    if (!startSession())
        return;
    uint8_t value = 0xFF;
    const Chip* chip = hvpp::chip();
    if (address <= 2) {
        value = hvpp::signature(address);
    } else if (address >= 0x80 && address <= 0x83) {
        const uint8_t index = uint8_t(address - 0x80);
        if (!chip || index < chip->calibration)
            value = hvpp::readCalibrationByte(index);
    }
    hvpp::end();
    serial::printHex(value);
}

uint16_t flashWords() {
    const Chip* chip = hvpp::chip();
    return chip ? chip->flashWords() : 0;  // 0: all 64 Ki words
}

uint16_t eepromBytes() {
    const Chip* chip = hvpp::chip();
    return chip ? chip->eepromBytes : 0;
}

uint16_t wrap(uint16_t address, uint16_t size) {
    return size ? uint16_t(address % size) : address;
}

// "RF"/"RE" + NNNN: NNNN bytes from address 0 as hex. Addresses past the end
// wrap, as the part decodes only the address bits it has.
void readMemory(bool flash, uint16_t count) {
    if (!startSession())
        return;
    const uint16_t size = flash ? flashWords() : eepromBytes();
    uint16_t word = 0;
    for (uint16_t i = 0; i < count; ++i) {
        if (flash) {
            if (!(i & 1))
                word = hvpp::readFlashWord(wrap(uint16_t(i >> 1), size));
            serial::printHex(i & 1 ? uint8_t(word >> 8) : uint8_t(word));
        } else {
            serial::printHex(hvpp::readEeprom(wrap(i, size)));
        }
    }
    hvpp::end();
}

void readWord(uint16_t address) {
    if (!startSession())
        return;
    const uint16_t word = hvpp::readFlashWord(wrap(address, flashWords()));
    hvpp::end();
    serial::printHex(uint8_t(word));
    serial::printHex(uint8_t(word >> 8));
}

void readEepromByte(uint16_t address) {
    if (!startSession())
        return;
    const uint8_t value = hvpp::readEeprom(wrap(address, eepromBytes()));
    hvpp::end();
    serial::printHex(value);
}

// "WE"/"WW": "!" once written. A failure answers nothing, since any text with
// "!" in it would pass for the acknowledgement.
void writeEepromByte(uint8_t value, uint16_t address) {
    if (hvpp::begin() != hvpp::Result::Ok) {
        hvpp::end();
        return;
    }
    const bool ok = hvpp::writeEeprom(wrap(address, eepromBytes()), value);
    hvpp::end();
    if (ok)
        serial::write('!');
}

void writeFlashWord(uint16_t data, uint16_t address) {
    if (hvpp::begin() != hvpp::Result::Ok) {
        hvpp::end();
        return;
    }
    // Memory order on the wire: the even byte first, and that is the low byte.
    const uint16_t word = uint16_t((data & 0xFF) << 8 | data >> 8);
    const uint16_t at = wrap(address, flashWords());
    const uint8_t page = hvpp::pageWords(64);
    hvpp::beginFlashPage(uint16_t(at & ~uint16_t(page - 1)));
    hvpp::loadFlashWord(at, word);
    const bool ok = hvpp::writeFlashPage();
    hvpp::endFlash();
    hvpp::end();
    if (ok)
        serial::write('!');
}

void eraseChip() {
    if (!startSession())
        return;
    const bool ok = hvpp::chipErase();
    hvpp::end();
    reply(ok ? texts::kErased : texts::kEraseFailed);
}

void writeLock(uint8_t value) {
    if (!startSession())
        return;
    const bool ok = writeChecked(Fuse::Lock, value, &Chip::lockUsed);
    hvpp::end();
    reply(ok ? texts::kLockWritten : texts::kLockNotWritten);
}

// "WF#", then page size in words, words - 1 (high, low), then the image from
// address 0 in pages of that size (the last one short). The part's own page
// size decides how the words are programmed; the host's only cuts the stream.
// Pages left all 0xFFFF are not written: after an erase they already are.
void writeFlashStream() {
    serial::beginStream();
    const hvpp::Result session = hvpp::begin();
    int16_t header[3];
    for (int16_t& byte : header) {
        byte = serial::read(kStreamIdleMs);
        if (byte < 0) {
            serial::endStream();
            hvpp::end();
            reply(texts::kFlashFailed);
            return;
        }
    }
    if (header[0] == 0) {
        serial::endStream();
        hvpp::end();
        reply(texts::kBadArguments);
        return;
    }
    const uint32_t total = 2ul * ((uint16_t(header[1]) << 8 | uint16_t(header[2])) + 1ul);
    const bool present = session == hvpp::Result::Ok;
    const uint8_t page = present ? hvpp::pageWords(uint8_t(header[0])) : 0;
    const uint16_t words = flashWords();
    bool ok = present;
    bool open = false;
    bool dirty = false;
    uint16_t first = 0;
    for (uint32_t i = 0; i < total; i += 2) {
        const int16_t low = serial::read(kStreamIdleMs);
        const int16_t high = low < 0 ? -1 : serial::read(kStreamIdleMs);
        if (high < 0) {
            ok = false;
            break;
        }
        if (!present)
            continue;
        const uint32_t at = i >> 1;
        if (words && at >= words) {
            ok = false;  // past the end of the part: not written, not wrapped
            continue;
        }
        const uint16_t value = uint16_t(high << 8 | low);
        const uint16_t pageFirst = uint16_t(at & ~uint32_t(page - 1));
        if (!open || pageFirst != first) {
            if (open && dirty)
                ok &= hvpp::writeFlashPage();
            hvpp::beginFlashPage(pageFirst);
            first = pageFirst;
            open = true;
            dirty = false;
        }
        if (value != 0xFFFF) {
            hvpp::loadFlashWord(uint16_t(at), value);
            dirty = true;
        }
    }
    if (open && dirty)
        ok &= hvpp::writeFlashPage();
    if (present)
        hvpp::endFlash();
    hvpp::end();
    serial::service();
    serial::endStream();
    reply(ok ? texts::kFlashWritten : texts::kFlashFailed);
}

void printTenths(uint16_t tenths) {
    char text[6];
    uint8_t n = 0;
    uint16_t whole = tenths / 10;
    char digits[4];
    uint8_t d = 0;
    do {
        digits[d++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole && d < sizeof digits);
    while (d)
        text[n++] = digits[--d];
    text[n++] = '.';
    text[n++] = char('0' + tenths % 10);
    text[n] = 0;
    serial::print(text);
    serial::write('V');
}

void version() {
    reply(kVersion);
    printTenths(selftest::railTenths());
}

void dispatch(const char* command, uint8_t length) {
    const char op0 = command[0];
    const char op1 = command[1];
    const char* args = command + 2;
    const uint8_t n = uint8_t(length - 2);
    const auto is = [&](char a, char b) { return op0 == a && op1 == b; };
    uint16_t a = 0, b = 0;
    if (length < 2) {
        reply(texts::kUnknownCommand);
    } else if (is('C', 'C') || is('F', 'M') || is('R', 'S') || is('E', 'M') || is('W', 'F') ||
               is('S', 'T')) {
        if (n != 0)
            reply(texts::kBadArguments);
        else if (op0 == 'C')
            reply(texts::kConnected);
        else if (op0 == 'F')
            version();
        else if (op0 == 'R')
            readFuses();
        else if (op0 == 'E')
            eraseChip();
        else if (op0 == 'S')
            selftest::run();
        else
            writeFlashStream();
    } else if (is('R', 'I')) {
        if (n == 2 && parseHex(args, 2, a))
            readInfoByte(uint8_t(a));
        else
            reply(texts::kBadArguments);
    } else if (is('W', 'S') || is('S', 'S')) {
        if (n == 6)
            writeFuses(args, op0 == 'S');
        else
            reply(texts::kBadArguments);
    } else if (is('W', 'L')) {
        if (n == 2 && parseHex(args, 2, a))
            writeLock(uint8_t(a));
        else
            reply(texts::kBadArguments);
    } else if (is('W', 'E')) {
        if (n == 6 && parseHex(args, 2, a) && parseHex(args + 2, 4, b))
            writeEepromByte(uint8_t(a), b);
        else
            reply(texts::kBadArguments);
    } else if (is('W', 'W')) {
        if (n == 8 && parseHex(args, 4, a) && parseHex(args + 4, 4, b))
            writeFlashWord(a, b);
        else
            reply(texts::kBadArguments);
    } else if (is('R', 'F') || is('R', 'E') || is('R', 'W') || is('R', 'B')) {
        if (n != 4 || !parseHex(args, 4, a))
            reply(texts::kBadArguments);
        else if (op1 == 'F' || op1 == 'E')
            readMemory(op1 == 'F', a);
        else if (op1 == 'W')
            readWord(a);
        else
            readEepromByte(a);
    } else {
        reply(texts::kUnknownCommand);
    }
}

}  // namespace

void run() {
    char command[kMaxCommand];
    uint8_t length = 0;
    bool tooLong = false;
    uint16_t last = serial::millis();
    for (;;) {
        const int16_t byte = serial::read(0xFFFF);
        if (byte < 0)
            continue;
        const uint16_t now = serial::millis();
        if (uint16_t(now - last) > kCommandIdleMs) {
            length = 0;
            tooLong = false;
        }
        last = now;
        // Line ends and blanks between commands, from a terminal, are not part
        // of any command.
        if (length == 0 && (byte == '\r' || byte == '\n' || byte == ' '))
            continue;
        if (byte == '#') {
            if (tooLong)
                reply(texts::kUnknownCommand);
            else
                dispatch(command, length);
            length = 0;
            tooLong = false;
            last = serial::millis();
            continue;
        }
        if (length < kMaxCommand)
            command[length++] = char(byte);
        else
            tooLong = true;
    }
}

}  // namespace commands
