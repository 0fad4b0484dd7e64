/* Test image source: blinks PB0 on an ATmega8 and keeps a counter in EEPROM. */
#include <avr/eeprom.h>
#include <avr/io.h>
#include <util/delay.h>

uint8_t EEMEM bootCount = 0;
char EEMEM banner[] = "kelvaro m8 test";
uint16_t EEMEM limits[3] = {0x1234, 0xABCD, 0x00FF};

int main(void)
{
    uint8_t count = eeprom_read_byte(&bootCount);
    eeprom_write_byte(&bootCount, (uint8_t)(count + 1));
    DDRB |= _BV(PB0);
    for (;;) {
        PORTB ^= _BV(PB0);
        _delay_ms(250);
    }
}
