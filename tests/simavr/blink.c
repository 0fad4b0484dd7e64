/* Test image for the end-to-end proof: toggles PB1 every 5 ms at the factory
 * clock of the ATmega8, ATmega328P and ATtiny2313 (1 MHz), so a run of 60 ms
 * shows it. */
#include <avr/io.h>
#include <util/delay.h>

int main(void)
{
    DDRB |= _BV(PB1);
    for (;;) {
        PORTB ^= _BV(PB1);
        _delay_ms(5);
    }
}
