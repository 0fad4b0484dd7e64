// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kv::sim {

// What a test can make the programmer do wrong. Counters behind the "after n"
// faults start at construction, reconnect() and setFaults(); the loader's also
// when the programmer restarts into it.
struct FaultPlan {
    bool silent = false;           // answers nothing at all (the loader neither)
    int extraReplyDelayMs = 0;     // every reply starts this much later
    bool lowerCaseHex = false;     // hex replies in lower case
    int dropPageAcksAfter = -1;    // FLASH: pages acknowledged before acks stop (-1: never)
    int dropWriteAcksAfter = -1;   // "WE"/"WW": "!" sent this many times, then never
    QByteArray garbage;            // appended to every reply (page acks included)
    qint64 hangUpAfterBytes = -1;  // the line dies after receiving this many bytes
    int readReplyLimitChars = -1;  // "RF"/"RE": stop sending after this many characters
    int readReplyGapMs = 0;        // "RF"/"RE": one character, then this long a pause
    char readReplyFill = 0;        // "RF"/"RE": every character replaced by this one
    int dropLoaderAcksAfter = -1;  // loader: "?" sent this many times, then never
    int stuckFlashByte = -1;       // this FLASH byte address never takes a write
    int stuckEepromByte = -1;      // this EEPROM byte address never takes a write
};

}  // namespace kv::sim
