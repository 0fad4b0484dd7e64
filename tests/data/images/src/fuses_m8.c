/* Test image source: one ELF file for an ATmega8 that carries everything a
 * chip receives: program (with initialised data, so .data follows .text in
 * FLASH), EEPROM contents larger than the small chips' EEPROM, fuse and lock
 * bytes. */
#include <avr/eeprom.h>
#include <avr/io.h>
#include <avr/pgmspace.h>

FUSES = {
    .low = 0xE4,  /* internal RC 8 MHz */
    .high = 0xC9, /* CKOPT programmed */
};
LOCKBITS = 0xFC; /* further programming and verification disabled */

uint8_t EEMEM settings[160] = {1, 2, 3, 4, 5, 6, 7, 8, [150] = 0x5A, 0xA5};
char EEMEM label[] = "kelvaro elf m8";

const uint8_t table[] PROGMEM = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
volatile uint8_t pattern[12] = {0xC3, 0x3C, 0x81, 0x18, 0xE7, 0x7E, 0x99, 0x66, 1, 2, 3, 4};

int main(void)
{
    DDRB = 0xFF;
    for (uint8_t i = 0;; ++i) {
        PORTB = pattern[i % sizeof pattern] ^ pgm_read_byte(&table[i & 7]) ^
                eeprom_read_byte(&settings[i & 127]);
    }
}
