// SPDX-License-Identifier: MIT
#include "Shield.h"

namespace shield {

void init() {
    allLow();
    DDRB |= kLed;
    // The two sense inputs are analog only.
    DIDR0 = _BV(ADC0D) | _BV(ADC1D);
    // AVcc reference, 125 kHz conversion clock (16 MHz / 128).
    ADMUX = _BV(REFS0);
    ADCSRA = _BV(ADEN) | _BV(ADPS2) | _BV(ADPS1) | _BV(ADPS0);
}

uint16_t readAdc(uint8_t channel) {
    ADMUX = uint8_t(_BV(REFS0) | (channel & 0x07));
    ADCSRB &= uint8_t(~_BV(MUX5));
    // The first conversion after a channel change settles the sample capacitor;
    // the second is the one to trust.
    uint16_t value = 0;
    for (uint8_t i = 0; i < 2; ++i) {
        ADCSRA |= _BV(ADSC);
        while (ADCSRA & _BV(ADSC)) {
        }
        value = ADC;
    }
    return value;
}

}  // namespace shield
