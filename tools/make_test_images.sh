#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the image-loader test files under tests/data/images/ with the AVR
# toolchain (gcc-avr, binutils-avr, avr-libc) and srecord. The outputs are
# committed, so CI never needs the toolchain; rerun only when a source changes.
#
# For each program P: P.hex and P.eep as avr-objcopy writes them, and P.bin /
# P.eep.bin, the raw bytes of the same sections (what a loader must produce).
# srec_cat variants re-encode the same bytes with other record lengths and with
# extended-address records.
#
# For each ELF program E: E.elf as avr-gcc links it (program, .eeprom, .fuse and
# .lock sections), with E.bin and E.eep.bin, avr-objcopy's raw bytes of its
# program sections and of its EEPROM section (what the ELF reader must produce).
set -euo pipefail
cd "$(dirname "$0")/../tests/data/images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {  # name mcu source
    local name=$1 mcu=$2 src=$3
    avr-gcc -mmcu="$mcu" -Os -DF_CPU=1000000UL -std=gnu99 -o "$work/$name.elf" "src/$src"
    avr-objcopy -O ihex -R .eeprom "$work/$name.elf" "$name.hex"
    avr-objcopy -O binary -R .eeprom "$work/$name.elf" "$name.bin"
    avr-objcopy -j .eeprom --set-section-flags=.eeprom=alloc,load \
        --change-section-lma .eeprom=0 --no-change-warnings -O ihex "$work/$name.elf" "$name.eep"
    avr-objcopy -j .eeprom --set-section-flags=.eeprom=alloc,load \
        --change-section-lma .eeprom=0 --no-change-warnings -O binary "$work/$name.elf" "$name.eep.bin"
}

elf() {  # name mcu source
    local name=$1 mcu=$2 src=$3
    avr-gcc -mmcu="$mcu" -Os -std=gnu99 -o "$name.elf" "src/$src"
    avr-objcopy -O binary -j .text -j .data "$name.elf" "$name.bin"
    avr-objcopy -O binary -j .eeprom --set-section-flags=.eeprom=alloc,load \
        --change-section-lma .eeprom=0 --no-change-warnings "$name.elf" "$name.eep.bin"
}

build blink_m8 atmega8 blink_m8.c
build table_m32 atmega32 table_m32.c
elf fuses_m8 atmega8 fuses_m8.c
elf fuses_t2313 attiny2313 fuses_t2313.c
# The ATmega8 program without its fuse and lock sections.
avr-objcopy -R .fuse -R .lock fuses_m8.elf plain_m8.elf

# Same FLASH bytes, 32-byte records.
srec_cat table_m32.hex -Intel -o table_m32_rec32.hex -Intel -Output_Block_Size=32
# Same bytes, 8-byte records, led by an extended linear address record (upper 0).
srec_cat table_m32.hex -Intel -o table_m32_ela.hex -Intel -address-length=4 -Output_Block_Size=8
# Same EEPROM bytes with an extended segment address record (base 0).
srec_cat blink_m8.eep -Intel -o blink_m8_esa.eep -Intel -address-length=3 -Output_Block_Size=24
# Data placed at 0x10000 by an extended linear address record: beyond 16-bit
# addresses, so a loader must refuse it rather than fold it onto address 0.
srec_cat blink_m8.hex -Intel -offset 0x10000 -o blink_m8_high.hex -Intel -address-length=4

# objcopy marks its output executable; the committed files are plain data.
chmod 644 ./*.bin ./*.elf
ls -l
