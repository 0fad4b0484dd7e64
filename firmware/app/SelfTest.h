// SPDX-License-Identifier: MIT
#pragma once

#include <stdint.h>

// The bring-up check of the shield, with the socket empty: "ST#".
namespace selftest {

// The 12 V rail as read through its divider, in tenths of a volt.
uint16_t railTenths();

// Checks, in this order, and answers one line:
//   12V     the rail reads 11.0-13.0 V;
//   RESET   reads below 1 V with HV_EN off, follows the rail within 1 ms when
//           HV_EN is switched on, and falls below 1 V within 1 ms when it goes
//           off again (VCC stays off throughout);
//   DATA    each of the eight data lines, driven alone high and alone low,
//           reads back as driven (a line stuck at a rail or bridged to its
//           neighbour does not);
//   CTRL    the same walk over /OE, /WR, BS1, XA0, XA1, PAGEL, BS2;
//   RDY     RDY/BSY reads high with its pull-up (nothing holds it low).
// The line starts with "自检:通过" or "自检:失败", then each item with OK or
// what was read.
void run();

}  // namespace selftest
