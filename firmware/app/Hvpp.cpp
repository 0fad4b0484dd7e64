// SPDX-License-Identifier: MIT
#include "Hvpp.h"

#include <avr/eeprom.h>
#include <util/delay.h>

#include "Serial.h"
#include "Shield.h"

namespace hvpp {

namespace {

using namespace shield;

// Commands of the "Command Byte Bit Coding" table.
constexpr uint8_t kCmdChipErase = 0x80;
constexpr uint8_t kCmdWriteFuse = 0x40;
constexpr uint8_t kCmdWriteLock = 0x20;
constexpr uint8_t kCmdWriteFlash = 0x10;
constexpr uint8_t kCmdWriteEeprom = 0x11;
constexpr uint8_t kCmdReadSignature = 0x08;
constexpr uint8_t kCmdReadFuse = 0x04;
constexpr uint8_t kCmdReadFlash = 0x02;
constexpr uint8_t kCmdReadEeprom = 0x03;
constexpr uint8_t kCmdNoOperation = 0x00;

// XA1 XA0 coding: what an XTAL1 pulse loads.
constexpr uint8_t kLoadAddress = 0x0;
constexpr uint8_t kLoadData = 0x1;
constexpr uint8_t kLoadCommand = 0x2;

// Longest RDY/BSY low time allowed before a write counts as failed: the
// datasheets give at most 9-10 ms for a chip erase and 4.5-9 ms for a page,
// byte or fuse; a hundred gives old parts and slow rails room.
constexpr uint16_t kWriteTimeoutMs = 100;

const Chip* g_chip;
uint8_t g_flags;  // of the part in the socket (shared pins)
uint8_t g_signature[3];
// The entry that worked last, kept in the board's EEPROM so a batch of one
// family is entered its own way from the first command after a power-up.
Entry g_lastEntry = Entry::ClockedReset;
uint8_t EEMEM g_savedEntry = uint8_t(Entry::ClockedReset);
uint8_t g_command = 0xFF;  // the command last loaded, 0xFF before any
uint16_t g_pageFirst;
uint8_t g_pageWords;
uint8_t g_pageLoaded[8];  // one bit per word of the page being loaded
uint8_t g_addressHigh;

bool shared(uint8_t flag) {
    return g_flags & flag;
}

void setBs1(bool on) {
    setControl(ctl::kBs1, on);
}

// BS2 travels on XA1 on the parts that share the pin.
void setBs2(bool on) {
    setControl(shared(chipflag::kBs2OnXa1) ? ctl::kXa1 : ctl::kBs2, on);
}

void setXa(uint8_t xa) {
    setControl(ctl::kXa1, xa & 0x2);
    setControl(ctl::kXa0, xa & 0x1);
}

// One XTAL1-strobed load: action, byte select, data, then the strobe.
void load(uint8_t xa, bool bs1, uint8_t value) {
    setXa(xa);
    setBs1(bs1);
    driveData(value);
    settle();
    xtal1Pulse();
}

void loadCommand(uint8_t command) {
    // BS2 on its own pin must be low with the command; on a shared pin XA1
    // carries the load action instead.
    if (!shared(chipflag::kBs2OnXa1))
        setControl(ctl::kBs2, false);
    load(kLoadCommand, false, command);
    g_command = command;
}

void loadAddressLow(uint8_t low) {
    load(kLoadAddress, false, low);
}

void loadAddressHigh(uint8_t high) {
    load(kLoadAddress, true, high);
    g_addressHigh = high;
}

// PAGEL's positive pulse, with BS1 high (the high data byte selected). On a
// shared BS1/PAGEL pin the line is brought low first, so the pulse that latches
// starts after the high byte has been loaded.
void latchData() {
    if (shared(chipflag::kPagelOnBs1)) {
        setBs1(false);
        settle();
        setBs1(true);
        settle();
        setBs1(false);
    } else {
        setBs1(true);
        settle();
        setControl(ctl::kPagel, true);
        settle();
        setControl(ctl::kPagel, false);
    }
    settle();
}

bool waitReady() {
    const uint16_t start = serial::millis();
    while (!ready()) {
        serial::service();
        if (uint16_t(serial::millis() - start) > kWriteTimeoutMs)
            return false;
    }
    return true;
}

// /WR's negative pulse, then RDY/BSY: it falls within 1 us of /WR falling, so
// the pulse is held past that before the poll starts.
bool writePulse() {
    setControl(ctl::kWr, false);
    _delay_us(1);
    setControl(ctl::kWr, true);
    settle();
    return waitReady();
}

// /OE low with the byte selects given, the byte read, /OE high. The bus is
// released before /OE falls and driven again only after the target let go.
uint8_t readByte(bool bs1, bool bs2) {
    setBs1(bs1);
    setBs2(bs2);
    releaseData();
    setControl(ctl::kOe, false);
    settle();
    const uint8_t value = readData();
    setControl(ctl::kOe, true);
    settle();
    return value;
}

void enter(Entry entry) {
    allLow();
    // The rail may still be falling from the last session; every entry starts
    // from VCC at 0 V.
    _delay_ms(1);
    if (entry == Entry::ResetRace) {
        // Prog_enable (PAGEL, XA1, XA0, BS1 and, on the 20-pin parts, /WR) all
        // low; VCC on; 12 V within 20-60 us, before the part's own code can
        // start; the pins held 10 us more; 300 us before the first command.
        setVcc(true);
        PORTC = ctl::kOe | ctl::kRdy;
        _delay_us(40);
        setHighVoltage(true);
        _delay_us(20);
        setControl(ctl::kWr, true);
        _delay_us(320);
    } else if (entry == Entry::ClockedReset) {
        // VCC on and settled (100 us), RESET held at 0 V while XTAL1 toggles at
        // least six times, Prog_enable low, then 12 V; 50 us before a command.
        setVcc(true);
        PORTC = ctl::kOe | ctl::kWr | ctl::kRdy;
        _delay_us(120);
        for (uint8_t i = 0; i < 8; ++i)
            xtal1Pulse();
        _delay_us(1);
        setHighVoltage(true);
        _delay_us(100);
    } else {
        // Prog_enable (and /WR) low, VCC and 12 V in one port write, the pins
        // held 10 us more, 300 us for VCC to settle.
        PORTL |= pwr::kVcc | pwr::kHv;
        PORTC = ctl::kOe | ctl::kRdy;
        _delay_us(20);
        setControl(ctl::kWr, true);
        _delay_us(320);
    }
    g_command = 0xFF;
    g_addressHigh = 0;
}

bool railPresent() {
    // 12 V through 10k/3.3k reads about 610; below 11 V the parts may not enter.
    return readAdc(0) >= 560;
}

// In programming mode with `entry` and a signature read; false (and powered
// down) when nothing answered.
bool identify(Entry entry) {
    enter(entry);
    g_signature[0] = readSignatureByte(0);
    if (g_signature[0] != 0x1E) {
        end();
        return false;
    }
    g_signature[1] = readSignatureByte(1);
    g_signature[2] = readSignatureByte(2);
    g_chip = findChip(g_signature[1], g_signature[2]);
    g_flags = g_chip ? g_chip->flags : 0;
    return true;
}

}  // namespace

void init() {
    const uint8_t saved = eeprom_read_byte(&g_savedEntry);
    if (saved == uint8_t(Entry::ResetRace) || saved == uint8_t(Entry::ClockedReset))
        g_lastEntry = Entry(saved);
}

Result begin() {
    setLed(true);
    g_chip = nullptr;
    g_flags = 0;
    // The entry a part needs depends on its family, and the host never says
    // which part is in the socket, nor can the part tell before it is in
    // programming mode: the entry that worked last goes first, then the other
    // family's. A part refusing both (RESET disabled, an external clock
    // selected) gets the datasheets' entry for putting such fuses right.
    const Entry other = g_lastEntry == Entry::ResetRace ? Entry::ClockedReset : Entry::ResetRace;
    const Entry order[3] = {g_lastEntry, other, Entry::Together};
    for (Entry entry : order) {
        if (!identify(entry))
            continue;
        // After the rescue entry the part's own comes first: the fuses that
        // kept it out are usually what the session puts right.
        const Entry next = entry == Entry::Together && g_chip ? g_chip->entry : entry;
        if (next != Entry::Together && next != g_lastEntry) {
            g_lastEntry = next;
            eeprom_update_byte(&g_savedEntry, uint8_t(next));
        }
        return Result::Ok;
    }
    const bool rail = railPresent();
    setLed(false);
    return rail ? Result::NoChip : Result::NoRail;
}

void end() {
    // RESET to 0 V first: the part leaves programming mode before it loses VCC.
    setHighVoltage(false);
    _delay_us(10);
    allLow();
    setLed(false);
}

const Chip* chip() {
    return g_chip;
}

uint8_t signature(uint8_t index) {
    return g_signature[index];
}

uint8_t readSignatureByte(uint8_t address) {
    if (g_command != kCmdReadSignature)
        loadCommand(kCmdReadSignature);
    loadAddressLow(address);
    return readByte(false, false);
}

uint8_t readCalibrationByte(uint8_t address) {
    if (g_command != kCmdReadSignature)
        loadCommand(kCmdReadSignature);
    loadAddressLow(address);
    return readByte(true, false);
}

uint8_t readFuse(Fuse which) {
    if (g_command != kCmdReadFuse)
        loadCommand(kCmdReadFuse);
    uint8_t value;
    switch (which) {
        case Fuse::Low:
            value = readByte(false, false);
            break;
        case Fuse::High:
            value = readByte(true, true);
            break;
        case Fuse::Extended:
            value = readByte(false, true);
            break;
        default:
            value = readByte(true, false);
            break;
    }
    setBs1(false);
    setBs2(false);
    return value;
}

bool writeFuse(Fuse which, uint8_t value) {
    loadCommand(which == Fuse::Lock ? kCmdWriteLock : kCmdWriteFuse);
    load(kLoadData, false, value);
    // Byte selects: low 0/0, high BS1, extended BS2; the lock byte 0/0 under
    // its own command.
    setBs1(which == Fuse::High);
    setBs2(which == Fuse::Extended);
    settle();
    const bool ok = writePulse();
    setBs1(false);
    setBs2(false);
    return ok;
}

bool chipErase() {
    loadCommand(kCmdChipErase);
    return writePulse();
}

uint16_t readFlashWord(uint16_t wordAddress) {
    if (g_command != kCmdReadFlash) {
        loadCommand(kCmdReadFlash);
        loadAddressHigh(uint8_t(wordAddress >> 8));
    } else if (uint8_t(wordAddress >> 8) != g_addressHigh) {
        loadAddressHigh(uint8_t(wordAddress >> 8));
    }
    loadAddressLow(uint8_t(wordAddress));
    const uint8_t low = readByte(false, false);
    const uint8_t high = readByte(true, false);
    setBs1(false);
    return uint16_t(high) << 8 | low;
}

uint8_t readEeprom(uint16_t address) {
    if (g_command != kCmdReadEeprom) {
        loadCommand(kCmdReadEeprom);
        loadAddressHigh(uint8_t(address >> 8));
    } else if (uint8_t(address >> 8) != g_addressHigh) {
        loadAddressHigh(uint8_t(address >> 8));
    }
    loadAddressLow(uint8_t(address));
    return readByte(false, false);
}

bool writeEeprom(uint16_t address, uint8_t value) {
    // A part outside the table is taken to have the common 4-byte page.
    const uint8_t page = g_chip ? g_chip->eepromPage : 4;
    if (page <= 1 || (g_chip && g_chip->has(chipflag::kEepromBytes))) {
        // Byte at a time: address, data, /WR.
        loadCommand(kCmdWriteEeprom);
        loadAddressHigh(uint8_t(address >> 8));
        loadAddressLow(uint8_t(address));
        load(kLoadData, false, value);
        setBs1(false);
        settle();
        return writePulse();
    }
    // A page write programs the whole EEPROM page buffer, so the page's other
    // bytes are read first and loaded with their own values.
    const uint16_t first = address & uint16_t(~(page - 1));
    uint8_t bytes[8];
    for (uint8_t i = 0; i < page && i < sizeof bytes; ++i)
        bytes[i] = readEeprom(uint16_t(first + i));
    bytes[address - first] = value;
    loadCommand(kCmdWriteEeprom);
    loadAddressHigh(uint8_t(first >> 8));
    for (uint8_t i = 0; i < page && i < sizeof bytes; ++i) {
        loadAddressLow(uint8_t(first + i));
        load(kLoadData, false, bytes[i]);
        latchData();
    }
    setBs1(false);
    settle();
    return writePulse();
}

void beginFlashPage(uint16_t firstWord) {
    g_pageFirst = firstWord;
    for (uint8_t& bits : g_pageLoaded)
        bits = 0;
    loadCommand(kCmdWriteFlash);
}

void loadFlashWord(uint16_t wordAddress, uint16_t value) {
    loadAddressLow(uint8_t(wordAddress));
    load(kLoadData, false, uint8_t(value));
    load(kLoadData, true, uint8_t(value >> 8));
    latchData();
    const uint8_t index = uint8_t(wordAddress - g_pageFirst);
    g_pageLoaded[index >> 3] |= uint8_t(1 << (index & 7));
}

bool writeFlashPage() {
    const uint8_t words = g_pageWords;
    for (uint8_t i = 0; i < words; ++i) {
        if (!(g_pageLoaded[i >> 3] & (1 << (i & 7))))
            loadFlashWord(uint16_t(g_pageFirst + i), 0xFFFF);
    }
    loadAddressHigh(uint8_t(g_pageFirst >> 8));
    setBs1(false);
    settle();
    return writePulse();
}

void endFlash() {
    loadCommand(kCmdNoOperation);
}

uint8_t pageWords(uint8_t fallback) {
    g_pageWords = g_chip ? g_chip->pageWords : fallback;
    if (g_pageWords == 0 || g_pageWords > 64)
        g_pageWords = 64;
    return g_pageWords;
}

}  // namespace hvpp
