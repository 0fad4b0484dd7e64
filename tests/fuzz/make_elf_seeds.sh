#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the ELF reader's seeds with the AVR toolchain (gcc-avr, avr-libc,
# binutils-avr): small linked programs with FLASH, .data, EEPROM, fuse and
# lock sections, stripped. A seed is one byte (the chip the fuzz target checks
# against: 0 ATmega8-sized, 1 the largest, 2 a small one) and the file.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/corpus/elf_reader"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

cat >"$work/full.c" <<'C'
#include <avr/eeprom.h>
#include <avr/fuse.h>
#include <avr/io.h>
#include <avr/lock.h>
FUSES = {.low = 0xE4, .high = 0xC9};
LOCKBITS = 0xFC;
uint8_t EEMEM serial[4] = {1, 2, 3, 4};
volatile uint8_t counter = 7;
int main(void) {
    for (;;)
        PORTB = counter++ ^ eeprom_read_byte(&serial[1]);
}
C
cat >"$work/plain.c" <<'C'
#include <avr/io.h>
int main(void) {
    DDRB = 1;
    for (;;)
        PORTB ^= 1;
}
C

build() {  # source mcu seed-name chip-byte
    avr-gcc -mmcu="$2" -Os -o "$work/$3.elf" "$work/$1"
    avr-strip "$work/$3.elf"
    { printf "\\x$4"; cat "$work/$3.elf"; } >"$out/$3"
}
build full.c atmega8 full_m8 00
build full.c atmega32 full_m32 01
build plain.c attiny2313 plain_t2313 02
ls -l "$out"
