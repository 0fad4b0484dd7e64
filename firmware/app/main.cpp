// SPDX-License-Identifier: MIT
// The open high-voltage programmer: reads short ASCII commands ending in "#"
// from the host, programs the part in the socket in parallel (high-voltage)
// mode, and answers with hex digits, "!" or a short GBK text.
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>

#include "../common/Handover.h"
#include "Commands.h"
#include "Hvpp.h"
#include "Serial.h"
#include "Shield.h"

// After a reset the loader runs first. Where the BOOTRST fuse sends the reset
// to address 0 instead (a board flashed with other fuses, a simulator), this
// sends it on to the loader; the loader marks GPIOR0 bit 0 when it hands over.
extern "C" void loaderEntry();
extern "C" __attribute__((naked, used, section(".init0"))) void bounceToLoader() {
    asm volatile(
        "sbis %[gpior], 0\n\t"
        "jmp loaderEntry\n\t"
        "cbi %[gpior], 0\n\t" ::[gpior] "I"(_SFR_IO_ADDR(GPIOR0)));
}

int main() {
    // The command the loader took off the line, before anything uses the stack
    // that far down.
    uint8_t taken[handover::kMax];
    uint8_t count = 0;
    if (GPIOR2 == handover::kValid) {
        const uint8_t waiting = GPIOR1;
        count = waiting < uint8_t(handover::kMax) ? waiting : uint8_t(handover::kMax);
        for (uint8_t i = 0; i < count; ++i)
            taken[i] = handover::bytes()[i];
        GPIOR2 = 0;
    }
    serial::init();
    serial::inject(taken, count);
    sei();
    shield::init();
    hvpp::init();
    commands::run();
}
