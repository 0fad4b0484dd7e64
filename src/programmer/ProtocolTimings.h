// SPDX-License-Identifier: MIT
#pragma once

namespace kv {

// Every wait of the serial protocol, in milliseconds, in one table. The
// programmer tells nothing about when it is done except its acknowledgement
// characters, so these pace it; they are what the programmer's firmware was
// built for and are not tuned per machine.
struct ProtocolTimings {
    // "CC#": settle after discarding stale input, then the reply.
    int checkSettle = 10;
    int checkReply = 250;
    int firmwareReply = 100;   // "FM#"
    int infoByteReply = 100;   // "RI": signature and calibration bytes
    int signatureSettle = 5;   // after the discard, before an automatic selection's read
    int fuseReadReply = 100;   // "RS#"
    int fuseWriteReply = 200;  // "WS"
    int fuseResetReply = 800;  // "SS"
    int lockReply = 100;       // "WL"
    int eraseReply = 100;      // "EM#"
    // "WF#": before binary input, before the header, after the header, and
    // for the closing text after the last page.
    int flashStartSettle = 50;
    int flashHeaderSettle = 50;
    int flashPagesSettle = 50;
    int flashClosingReply = 200;
    int cellAck = 100;             // "WE"/"WW": the "!" of one byte or word
    int eepromWriteEnd = 1;        // after the last "WE", before the rest is dropped
    int calibrationEepromEnd = 1;  // after a calibration byte's "WE"
    int cellReadReply = 100;       // "RW"/"RB"
    // "RF"/"RE": the first wait and the steps of collecting the digits.
    int flashReadFirst = 200;
    int flashReadStep = 200;
    int eepromReadFirst = 100;
    int eepromReadStep = 100;
    int verifyFirst = 200;
    // A read whose programmer stays silent this long has ended; one that keeps
    // trickling ends after its first wait, this many times its own line time
    // and the quiet limit.
    int readQuietLimit = 2000;
    int readLineTimeFactor = 2;
    // What is left of a reply cut off (a stop, an error) is drained before
    // the next command: quiet for this long means the programmer is done.
    int drainQuiet = 30;
    int drainLimit = 8000;
};

}  // namespace kv
