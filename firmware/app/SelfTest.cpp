// SPDX-License-Identifier: MIT
#include "SelfTest.h"

#include <avr/io.h>
#include <avr/pgmspace.h>
#include <util/delay.h>

#include "Serial.h"
#include "Shield.h"
#include "Texts.h"

namespace selftest {

namespace {

using namespace shield;

// ADC counts to tenths of a volt at the divider's input: 5 V / 1023 counts,
// times (10k + 3.3k) / 3.3k, is 0.01970 V a count.
uint16_t tenths(uint16_t counts) {
    return uint16_t((uint32_t(counts) * 197u + 500u) / 1000u);
}

constexpr uint16_t kRailMin = 110;  // tenths of a volt
constexpr uint16_t kRailMax = 130;
constexpr uint16_t kResetOff = 10;

// Walks one driven line at a time high and low over the lines of `mask` on a
// port; returns the first pattern that read back wrong, or 0 with `ok`.
bool walk(volatile uint8_t& port, volatile uint8_t& ddr, volatile uint8_t& pin, uint8_t mask,
          uint8_t& bad) {
    ddr |= mask;
    for (uint8_t bit = 1; bit; bit = uint8_t(bit << 1)) {
        if (!(mask & bit))
            continue;
        for (uint8_t level = 0; level < 2; ++level) {
            const uint8_t pattern = level ? bit : uint8_t(mask & ~bit);
            port = uint8_t((port & ~mask) | pattern);
            settle();
            settle();
            if ((pin & mask) != pattern) {
                bad = uint8_t(pin & mask);
                port = uint8_t(port & ~mask);
                return false;
            }
        }
    }
    port = uint8_t(port & ~mask);
    return true;
}

void item(const char* label, bool ok) {
    serial::write(' ');
    serial::print(label);
    serial::print(ok ? "=OK" : "=BAD");
}

void printVolts(uint16_t t) {
    if (t >= 100)
        serial::write(uint8_t('0' + t / 100 % 10));
    serial::write(uint8_t('0' + t / 10 % 10));
    serial::write('.');
    serial::write(uint8_t('0' + t % 10));
    serial::write('V');
}

// RESET's reading in tenths after waiting up to 1 ms for it to pass `limit`
// in the given direction.
uint16_t settleReset(bool rising, uint16_t limit) {
    uint16_t t = 0;
    for (uint8_t i = 0; i < 5; ++i) {
        t = tenths(readAdc(1));
        if (rising ? t >= limit : t < limit)
            break;
        _delay_us(200);
    }
    return t;
}

}  // namespace

uint16_t railTenths() {
    return tenths(readAdc(0));
}

void run() {
    allLow();
    setLed(true);
    const uint16_t rail = railTenths();
    const bool railOk = rail >= kRailMin && rail <= kRailMax;

    const uint16_t resetIdle = tenths(readAdc(1));
    setHighVoltage(true);
    const uint16_t resetOn = settleReset(true, rail > 10 ? uint16_t(rail - 10) : 0);
    setHighVoltage(false);
    const uint16_t resetOff = settleReset(false, kResetOff);
    const bool resetOk = resetIdle < kResetOff && railOk && resetOn + 10 >= rail &&
                         resetOn <= rail + 10 && resetOff < kResetOff;

    uint8_t badData = 0, badControl = 0;
    const bool dataOk = walk(PORTA, DDRA, PINA, 0xFF, badData);
    const bool controlOk = walk(PORTC, DDRC, PINC, ctl::kOutputs, badControl);

    // RDY/BSY alone, with its pull-up and nothing driving it.
    DDRC &= uint8_t(~ctl::kRdy);
    PORTC |= ctl::kRdy;
    _delay_us(10);
    const bool rdyOk = PINC & ctl::kRdy;
    allLow();
    setLed(false);

    const bool ok = railOk && resetOk && dataOk && controlOk && rdyOk;
    serial::printP(texts::kSelfTest);
    serial::printP(ok ? texts::kPassed : texts::kFailed);
    serial::print(" 12V ");
    printVolts(rail);
    serial::print(railOk ? " OK" : " BAD");
    serial::print(", RESET ");
    printVolts(resetIdle);
    serial::write('/');
    printVolts(resetOn);
    serial::write('/');
    printVolts(resetOff);
    serial::print(resetOk ? " OK" : " BAD");
    serial::write(',');
    item("DATA", dataOk);
    if (!dataOk) {
        serial::write('(');
        serial::printHex(badData);
        serial::write(')');
    }
    serial::write(',');
    item("CTRL", controlOk);
    if (!controlOk) {
        serial::write('(');
        serial::printHex(badControl);
        serial::write(')');
    }
    serial::write(',');
    item("RDY", rdyOk);
}

}  // namespace selftest
