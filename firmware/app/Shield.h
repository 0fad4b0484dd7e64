// SPDX-License-Identifier: MIT
#pragma once

// The high-voltage shield on the Arduino Mega 2560: which port bit drives which
// programming signal of the target. Every strobe is a single port write, so the
// target sees clean edges without a shift register in between.
//
//   DATA0..7  PA0..7   both ways (input, pull-ups off, while /OE is low)
//   RDY/BSY   PC0      input, pull-up on while the target is powered
//   /OE       PC1      /WR  PC2   BS1  PC3   XA0  PC4
//   XA1       PC5      PAGEL PC6  BS2  PC7
//   XTAL1     PL0      VCC_EN PL1 (target 5 V)   HV_EN PL2 (12 V on RESET)
//   ADC0      12 V rail through 10k/3.3k         ADC1 target RESET, same divider
//   PB7       busy LED

#include <avr/io.h>
#include <stdint.h>

namespace shield {

namespace ctl {  // PORTC
constexpr uint8_t kRdy = 1 << 0;
constexpr uint8_t kOe = 1 << 1;
constexpr uint8_t kWr = 1 << 2;
constexpr uint8_t kBs1 = 1 << 3;
constexpr uint8_t kXa0 = 1 << 4;
constexpr uint8_t kXa1 = 1 << 5;
constexpr uint8_t kPagel = 1 << 6;
constexpr uint8_t kBs2 = 1 << 7;
constexpr uint8_t kOutputs = 0xFF & ~kRdy;
}  // namespace ctl

namespace pwr {  // PORTL
constexpr uint8_t kXtal1 = 1 << 0;
constexpr uint8_t kVcc = 1 << 1;
constexpr uint8_t kHv = 1 << 2;
constexpr uint8_t kOutputs = kXtal1 | kVcc | kHv;
}  // namespace pwr

constexpr uint8_t kLed = 1 << 7;  // PORTB

// Half a microsecond: twice the longest setup, hold and pulse minimum of the
// parts' parallel programming characteristics (250 ns), so every edge the
// target sees is separated from the next by a safe margin.
inline void settle() {
    __builtin_avr_delay_cycles(F_CPU / 2000000);
}

inline void setControl(uint8_t bits, bool on) {
    if (on)
        PORTC |= bits;
    else
        PORTC &= uint8_t(~bits);
}

inline bool ready() {
    return PINC & ctl::kRdy;
}

inline void driveData(uint8_t value) {
    PORTA = value;
    DDRA = 0xFF;
}

inline void releaseData() {
    DDRA = 0x00;
    PORTA = 0x00;
}

inline uint8_t readData() {
    return PINA;
}

inline void xtal1Pulse() {
    PORTL |= pwr::kXtal1;
    settle();
    PORTL &= uint8_t(~pwr::kXtal1);
    settle();
}

inline void setVcc(bool on) {
    if (on)
        PORTL |= pwr::kVcc;
    else
        PORTL &= uint8_t(~pwr::kVcc);
}

inline void setHighVoltage(bool on) {
    if (on)
        PORTL |= pwr::kHv;
    else
        PORTL &= uint8_t(~pwr::kHv);
}

inline void setLed(bool on) {
    if (on)
        PORTB |= kLed;
    else
        PORTB &= uint8_t(~kLed);
}

// Everything the target could be fed through: low, so an unpowered chip in the
// socket is not powered through its protection diodes.
inline void allLow() {
    PORTL &= uint8_t(~pwr::kOutputs);
    DDRL |= pwr::kOutputs;
    PORTC = 0;
    DDRC = ctl::kOutputs;
    PORTA = 0;
    DDRA = 0xFF;
}

void init();

// 10-bit conversion against AVcc of ADC channel 0 (12 V rail) or 1 (RESET).
uint16_t readAdc(uint8_t channel);

}  // namespace shield
