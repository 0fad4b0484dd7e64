// SPDX-License-Identifier: MIT
#include "Serial.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <util/atomic.h>

namespace serial {

namespace {

constexpr uint16_t kRingSize = 1024;  // a power of two
constexpr uint16_t kRingMask = kRingSize - 1;

// Not cleared by the C runtime: the firmware must be listening within a
// character time of the loader's hand-over, and clearing a kilobyte takes
// several.
uint8_t g_ring[kRingSize] __attribute__((section(".noinit")));
volatile uint16_t g_head;  // written by the interrupt
volatile uint16_t g_tail;
volatile uint16_t g_millis;

// Stream bookkeeping, shared with the receive interrupt.
volatile bool g_streaming;
volatile uint8_t g_headerBytes;
volatile uint8_t g_header[3];
volatile uint16_t g_blockBytes;  // a full page of the stream
volatile uint32_t g_streamLeft;  // data bytes still to come
volatile uint16_t g_blockFill;
volatile uint8_t g_acksDue;

uint16_t used() {
    uint16_t head;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        head = g_head;
    }
    return uint16_t(head - g_tail) & kRingMask;
}

}  // namespace

ISR(USART0_RX_vect) {
    // The status register first: it belongs to the byte in UDR0.
    const uint8_t status = UCSR0A;
    const uint8_t byte = UDR0;
    (void)status;
    const uint16_t next = uint16_t(g_head + 1) & kRingMask;
    if (next != g_tail) {
        g_ring[g_head] = byte;
        g_head = next;
    }
    if (!g_streaming)
        return;
    if (g_headerBytes < 3) {
        g_header[g_headerBytes++] = byte;
        if (g_headerBytes == 3) {
            g_blockBytes = uint16_t(2u * g_header[0]);
            g_streamLeft = 2ul * ((uint16_t(g_header[1]) << 8 | g_header[2]) + 1ul);
            g_blockFill = 0;
            if (g_blockBytes == 0)
                g_streaming = false;
        }
        return;
    }
    if (g_streamLeft == 0)
        return;
    --g_streamLeft;
    if (++g_blockFill == g_blockBytes) {
        g_blockFill = 0;
        ++g_acksDue;
    }
}

ISR(TIMER0_COMPA_vect) {
    g_millis = g_millis + 1;
}

void init() {
    // 115200 baud from 16 MHz: U2X with UBRR 16 (2.1 % fast, as every Arduino).
    // The loader leaves the UART set up the same way. Its registers are written
    // only where they differ: simavr drops a byte in flight when the baud rate
    // register is rewritten, and takes RXC0 and UDRE0 in a UCSR0A write
    // literally; that byte is the rest of the command the loader handed over.
    if (!(UCSR0A & _BV(U2X0)))
        UCSR0A = _BV(U2X0) | _BV(UDRE0);
    if (UBRR0 != 16)
        UBRR0 = 16;
    if (UCSR0C != (_BV(UCSZ01) | _BV(UCSZ00)))
        UCSR0C = _BV(UCSZ01) | _BV(UCSZ00);
    UCSR0B = _BV(RXEN0) | _BV(TXEN0) | _BV(RXCIE0);
    // 1 ms tick: 16 MHz / 64 / 250.
    TCCR0A = _BV(WGM01);
    TCCR0B = _BV(CS01) | _BV(CS00);
    OCR0A = 249;
    TIMSK0 = _BV(OCIE0A);
}

uint16_t millis() {
    uint16_t now;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        now = g_millis;
    }
    return now;
}

bool available() {
    return used() != 0;
}

int16_t read(uint16_t timeoutMs) {
    const uint16_t start = millis();
    while (!available()) {
        service();
        if (uint16_t(millis() - start) >= timeoutMs)
            return -1;
    }
    const uint8_t byte = g_ring[g_tail];
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        g_tail = uint16_t(g_tail + 1) & kRingMask;
    }
    return byte;
}

void inject(const uint8_t* bytes, uint8_t count) {
    for (uint8_t i = 0; i < count; ++i) {
        g_ring[g_head] = bytes[i];
        g_head = uint16_t(g_head + 1) & kRingMask;
    }
}

void write(uint8_t byte) {
    while (!(UCSR0A & _BV(UDRE0))) {
    }
    UDR0 = byte;
}

void print(const char* text) {
    while (*text)
        write(uint8_t(*text++));
}

void printP(const char* text) {
    for (uint8_t c; (c = pgm_read_byte(text)) != 0; ++text)
        write(c);
}

void printHex(uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    write(uint8_t(digits[value >> 4]));
    write(uint8_t(digits[value & 0x0F]));
}

void beginStream() {
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        g_headerBytes = 0;
        g_streamLeft = 0;
        g_blockFill = 0;
        g_acksDue = 0;
        g_streaming = true;
    }
}

void endStream() {
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        g_streaming = false;
    }
}

void service() {
    // One acknowledgement per page, but only while the ring can take another
    // whole page: the host sends the next page as soon as it sees one.
    while (g_acksDue != 0 && kRingSize - 1 - used() >= g_blockBytes) {
        ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
            g_acksDue = g_acksDue - 1;
        }
        write('!');
    }
}

}  // namespace serial
