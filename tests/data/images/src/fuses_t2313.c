/* Test image source: one ELF file for an ATtiny2313, whose fuses are three
 * bytes (low, high, extended), with EEPROM data and a lock byte. */
#include <avr/eeprom.h>
#include <avr/io.h>

FUSES = {
    .low = 0xE4,      /* internal RC 8 MHz, no clock division */
    .high = 0x9B,     /* brown-out at 2.7 V */
    .extended = 0xFE, /* self-programming enabled */
};
LOCKBITS = 0xFE; /* further programming disabled */

uint8_t EEMEM calibration[4] = {0x9A, 0xBC, 0xDE, 0xF0};
volatile uint16_t steps[5] = {1000, 2000, 3000, 4000, 5000};

int main(void)
{
    DDRD = 0x7F;
    for (uint8_t i = 0;; ++i)
        PORTD = (uint8_t)(steps[i % 5] >> 4) ^ eeprom_read_byte(&calibration[i & 3]);
}
