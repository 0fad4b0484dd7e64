/* Test image source for an ATmega32: a 3 KiB table in FLASH summed onto PORTA,
   plus a block of EEPROM data, so the images span many pages. */
#include <avr/eeprom.h>
#include <avr/io.h>
#include <avr/pgmspace.h>

#define V(i) (uint8_t)((i) * 37u + ((i) >> 3))
#define R4(i) V(i), V((i) + 1), V((i) + 2), V((i) + 3)
#define R16(i) R4(i), R4((i) + 4), R4((i) + 8), R4((i) + 12)
#define R64(i) R16(i), R16((i) + 16), R16((i) + 32), R16((i) + 48)
#define R256(i) R64(i), R64((i) + 64), R64((i) + 128), R64((i) + 192)
#define R1K(i) R256(i), R256((i) + 256), R256((i) + 512), R256((i) + 768)

const uint8_t table[3072] PROGMEM = {R1K(0), R1K(1024), R1K(2048)};

#define E16(i) (uint8_t)(0xA0 ^ (i)), (uint8_t)(0xA1 ^ (i)), (uint8_t)(0xA2 ^ (i)), \
    (uint8_t)(0xA3 ^ (i)), (uint8_t)(0xA4 ^ (i)), (uint8_t)(0xA5 ^ (i)), (uint8_t)(0xA6 ^ (i)), \
    (uint8_t)(0xA7 ^ (i)), (uint8_t)(0xA8 ^ (i)), (uint8_t)(0xA9 ^ (i)), (uint8_t)(0xAA ^ (i)), \
    (uint8_t)(0xAB ^ (i)), (uint8_t)(0xAC ^ (i)), (uint8_t)(0xAD ^ (i)), (uint8_t)(0xAE ^ (i)), \
    (uint8_t)(0xAF ^ (i))
uint8_t EEMEM settings[203] = {E16(0), E16(1), E16(2), E16(3), E16(4), E16(5), E16(6),
                               E16(7), E16(8), E16(9), E16(10), E16(11), 0x5A, 0xC3, 0x3C,
                               0x00, 0xFF, 0x01, 0x80, 0x7F, 0x10, 0x20, 0x30};

int main(void)
{
    DDRA = 0xFF;
    for (;;) {
        uint8_t sum = 0;
        for (uint16_t i = 0; i < sizeof table; ++i) {
            sum += pgm_read_byte(&table[i]);
        }
        PORTA = sum ^ eeprom_read_byte(&settings[PINB % sizeof settings]);
    }
}
