// SPDX-License-Identifier: MIT
#pragma once

#include <stdint.h>

// UART0 (the board's USB serial), 115200 baud 8N1. Reception is interrupt
// driven into a ring that holds several FLASH pages, so the firmware can
// program one page while the host sends the next.
namespace serial {

void init();

// Milliseconds since start (Timer0), wrapping.
uint16_t millis();

bool available();
// The next received byte; -1 when none came within `timeoutMs`.
int16_t read(uint16_t timeoutMs);

void write(uint8_t byte);
void print(const char* text);   // RAM text
void printP(const char* text);  // PROGMEM text
void printHex(uint8_t value);   // two upper-case digits

// The FLASH stream after "WF#": the receive interrupt reads the 3-byte header
// itself and counts the data bytes, so every full page of the stream gets its
// acknowledgement the moment the page is in (and there is room for the next),
// not when the firmware has finished programming the one before.
void beginStream();
void endStream();
// Sends the acknowledgements that are due. Call it from every wait.
void service();

// Bytes the loader took off the line before it handed over: they are the
// host's first command. Before interrupts are enabled.
void inject(const uint8_t* bytes, uint8_t count);

}  // namespace serial
