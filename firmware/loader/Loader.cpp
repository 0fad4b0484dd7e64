// SPDX-License-Identifier: MIT
// The loader, in the ATmega2560's boot section (4096 words at 0x3E000, the
// stock fuse setting of the board: BOOTSZ 00, BOOTRST programmed). It lets the
// host replace the programmer's firmware over the same serial line:
//
//   loader -> host   "B"          greeting, right after every reset
//   host -> loader   "D" or "B"   plain image, or encrypted image
//   host -> loader   "0" "0"
//   loader -> host   "?"          ready for a page: at the start and after each
//                                 whole page (the host's page size, 32, 64 or
//                                 128 bytes, is learnt from the pause after
//                                 its first page)
//   host -> loader   ">" + hex    a page, two upper-case digits a byte
//   host -> loader   "!"          end of the image
//
// An open firmware has no encrypted form, so "B" is refused by never asking
// for a page: the host ends on the missing "?", nothing is erased, and the
// present firmware starts again once the line is quiet.
//
// Any other first byte is a host talking to the firmware: the loader reads on
// to the end of that command and hands the bytes over (common/Handover.h).
//
// The loader runs before the C runtime has set anything up and must survive
// the firmware being rewritten: it uses no initialised data, no library code
// living in the application section, and keeps its state on the stack.
#include <avr/boot.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>
#include <util/delay.h>

#include "../common/Handover.h"

// The first instructions of the boot section, where the reset vector points
// with BOOTRST programmed and where the firmware's first instruction jumps
// otherwise. The hardware has set SP to the top of RAM; the C runtime has not
// run, so the zero register and the status register are set here. The file
// is compiled with -fno-toplevel-reorder, which keeps this first.
asm(".section .boot,\"ax\",@progbits\n"
    ".global loaderEntry\n"
    "loaderEntry:\n"
    "\tclr r1\n"
    "\tout __SREG__, r1\n"
    "\tjmp loaderStart\n"
    ".previous\n");

#define BOOT __attribute__((section(".boot"), used))
#define BOOT_INLINE __attribute__((always_inline)) inline

namespace {

// Enumerators rather than constants, which -fno-toplevel-reorder would keep
// as data the C runtime copies.
enum : uint32_t { kBootStart = 0x3E000 };  // bytes
enum : uint16_t { kSpmPage = SPM_PAGESIZE, kRingSize = 512 };

// Waits of the dialogue, in steps of 10 us.
enum : uint32_t {
    kModeWait = 100000,   // 1 s for the mode after the greeting
    kQuietWait = 300000,  // 3 s of silence ends an update
    kPageGap = 2000,      // 20 ms without a byte: the host waits for "?"
};

struct Loader;

}  // namespace

namespace {

BOOT_INLINE void uartInit() {
    UCSR0A |= _BV(U2X0);  // never write UDRE0 low
    UBRR0 = 16;
    UCSR0C = _BV(UCSZ01) | _BV(UCSZ00);
    UCSR0B = _BV(RXEN0) | _BV(TXEN0);
}

BOOT_INLINE void send(uint8_t c) {
    while (!(UCSR0A & _BV(UDRE0))) {
    }
    UDR0 = c;
}

BOOT_INLINE bool received() {
    return UCSR0A & _BV(RXC0);
}

struct Loader {
    uint8_t ring[kRingSize];
    uint16_t head, tail;
    uint8_t page[kSpmPage];   // the SPM page being filled
    uint8_t first[kSpmPage];  // page 0, written last
    uint32_t address;         // next byte of the image
    bool firstPending;
    bool failed;

    // Takes every byte the UART holds into the ring; called from every wait,
    // also while the RWW section is being programmed.
    BOOT void poll() {
        while (received()) {
            const uint8_t status = UCSR0A;
            const uint8_t c = UDR0;
            if (status & (_BV(FE0) | _BV(DOR0)))
                failed = true;
            const uint16_t next = uint16_t((head + 1) & (kRingSize - 1));
            if (next == tail) {
                failed = true;
                continue;
            }
            ring[head] = c;
            head = next;
        }
    }

    // The next byte, or -1 after `wait` steps of 10 us without one.
    BOOT int16_t next(uint32_t wait) {
        for (uint32_t i = 0; head == tail; ++i) {
            poll();
            if (head != tail)
                break;
            if (i >= wait)
                return -1;
            _delay_us(10);
        }
        const uint8_t c = ring[tail];
        tail = uint16_t((tail + 1) & (kRingSize - 1));
        return c;
    }

    BOOT void spmWait() {
        while (boot_spm_busy())
            poll();
    }

    BOOT void program(uint32_t at, const uint8_t* data) {
        if (at >= kBootStart)
            return;  // the loader never rewrites itself
        boot_page_erase(at);
        spmWait();
        for (uint16_t i = 0; i < kSpmPage; i += 2) {
            const uint16_t word = uint16_t(data[i] | uint16_t(data[i + 1]) << 8);
            boot_page_fill(at + i, word);
        }
        boot_page_write(at);
        spmWait();
        boot_rww_enable();
    }

    BOOT void take(uint8_t byte) {
        if (address < kSpmPage) {
            first[address] = byte;
            firstPending = true;
        } else {
            page[address % kSpmPage] = byte;
        }
        ++address;
        if (address % kSpmPage == 0 && address > kSpmPage)
            program(address - kSpmPage, page);
    }

    // The bytes after the last full SPM page, padded with the erased value,
    // then page 0: until it is written the image has no reset vector, so an
    // update cut short leaves a board that stays in the loader.
    BOOT void finish() {
        const uint16_t rest = uint16_t(address % kSpmPage);
        if (address > kSpmPage && rest != 0) {
            for (uint16_t i = rest; i < kSpmPage; ++i)
                page[i] = 0xFF;
            program(address - rest, page);
        }
        if (firstPending) {
            for (uint16_t i = address < kSpmPage ? uint16_t(address) : kSpmPage; i < kSpmPage; ++i)
                first[i] = 0xFF;
            program(0, first);
        }
    }

    // "0" "0", then pages until "!". False when the update did not complete.
    BOOT bool update() {
        for (uint8_t i = 0; i < 2; ++i) {
            if (next(kQuietWait) < 0)
                return false;
        }
        // Page 0 goes first: from here on the old firmware cannot start.
        for (uint16_t i = 0; i < kSpmPage; ++i)
            first[i] = 0xFF;
        program(0, first);
        send('?');
        int8_t high = -1;
        uint16_t pageBytes = 0;  // the host's page size, once known
        uint16_t inPage = 0;     // bytes of the page being received
        for (;;) {
            int16_t c = next(kPageGap);
            if (c < 0) {
                // The host waits for "?" after a whole page. Its page size
                // (32, 64 or 128 bytes) shows as the pause after the first one.
                if (pageBytes == 0 && inPage != 0 && inPage % 32 == 0 && high < 0) {
                    pageBytes = inPage;
                    if (!failed)
                        send('?');
                }
                c = next(kQuietWait);
                if (c < 0)
                    return false;
            }
            if (c == '!') {
                if (high >= 0)
                    failed = true;
                finish();
                return !failed;
            }
            if (c == '>') {
                if (high >= 0 || inPage % 32 != 0)
                    failed = true;
                // A longer page than learnt: the pause that taught the size
                // was the host's own hiccup inside its first page.
                if (inPage > pageBytes)
                    pageBytes = inPage;
                inPage = 0;
                continue;
            }
            int8_t digit = -1;
            if (c >= '0' && c <= '9')
                digit = int8_t(c - '0');
            else if (c >= 'A' && c <= 'F')
                digit = int8_t(c - 'A' + 10);
            if (digit < 0 || address >= kBootStart) {
                failed = true;
                continue;
            }
            if (high < 0) {
                high = digit;
            } else {
                take(uint8_t(high << 4 | digit));
                high = -1;
                // A whole page in: the host may send the next.
                if (++inPage == pageBytes && !failed)
                    send('?');
            }
        }
    }

    // The encrypted mode: nothing is requested and nothing erased; the host's
    // bytes are read and dropped until the line has been quiet for a while.
    BOOT void refuse() {
        while (next(50000) >= 0) {
        }
    }
};

BOOT bool applicationPresent() {
    return pgm_read_word_far(0) != 0xFFFF;
}

BOOT [[noreturn]] void startApplication() {
    while (!(UCSR0A & _BV(UDRE0))) {
    }
    // No pause here: the host's next bytes are already on their way to a
    // firmware that is not listening yet. The UART stays enabled: the firmware sets it up again,
    // and switching the transmitter off in between loses UDRE0 in simavr for good.
    GPIOR0 |= 1;
    asm volatile("jmp 0");
    __builtin_unreachable();
}

}  // namespace

extern "C" BOOT __attribute__((noreturn)) void loaderStart() {
    uartInit();
    Loader loader;
    for (;;) {
        loader.head = loader.tail = 0;
        loader.address = 0;
        loader.firstPending = false;
        loader.failed = false;
        send('B');
        const int16_t mode = loader.next(kModeWait);
        if (mode == 'D') {
            if (loader.update())
                startApplication();
            continue;  // greet again: the firmware is not whole
        }
        if (mode == 'B')
            loader.refuse();
        else if (mode >= 0) {
            // The rest of the command follows without a pause; 20 ms allows
            // for a USB serial bridge splitting it.
            volatile uint8_t* bytes = handover::bytes();
            uint8_t count = 0;
            for (int16_t c = mode; c >= 0 && count < handover::kMax; c = loader.next(2000)) {
                bytes[count++] = uint8_t(c);
                if (c == '#')
                    break;
            }
            GPIOR1 = count;
            GPIOR2 = handover::kValid;
        }
        if (applicationPresent())
            startApplication();
    }
}
