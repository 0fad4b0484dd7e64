// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/MemoryKind.h"

namespace kv {

inline QString memoryName(MemoryKind memory) {
    return memory == MemoryKind::Flash ? QStringLiteral("FLASH") : QStringLiteral("EEPROM");
}

// What a read of a memory from the chip brought back.
struct ReadOutcome {
    enum class Stop {
        Complete,  // every expected byte arrived
        NoAnswer,  // nothing arrived at all
        Stopped,   // the programmer fell silent part-way
        TooSlow,   // it kept trickling past the reply's time limit
        Garbled,   // everything arrived, but not as hex digits
    };
    MemoryKind memory = MemoryKind::Flash;
    qint64 expected = 0;  // bytes asked for
    qint64 received = 0;  // whole bytes that arrived
    Stop stop = Stop::Complete;
    qint64 garbledAt = -1;  // first byte address that is not hex; -1 when none

    bool complete() const { return stop == Stop::Complete; }
    // The byte address where the data ends short of the memory.
    qint64 stoppedAt() const { return garbledAt >= 0 ? garbledAt : received; }
};

// A read with its data: the memory's bytes when complete, empty otherwise.
struct ReadResult {
    ReadOutcome outcome;
    QByteArray bytes;
};

// What a verify of an image against the chip found.
struct VerifyOutcome {
    enum class Result {
        NoImage,         // nothing to verify; nothing was sent
        Matched,         // every byte of the image is on the chip
        Differs,         // the chip holds another byte at firstDifference
        ReadIncomplete,  // the read-back ended early: the chip was not judged
    };
    MemoryKind memory = MemoryKind::Flash;
    Result result = Result::NoImage;
    qint64 firstDifference = -1;
    ReadOutcome read;

    bool ran() const { return result != Result::NoImage; }
    bool passed() const { return result == Result::Matched; }
};

// What a write of an image sent and what the programmer acknowledged.
struct WriteOutcome {
    MemoryKind memory = MemoryKind::Flash;
    bool sent = false;          // false: the image was empty, nothing went out
    qint64 bytesSent = 0;       // image bytes on the line
    qint64 acknowledged = 0;    // bytes the programmer confirmed (whole FLASH pages, EEPROM "!")
    qint64 unacknowledged = 0;  // EEPROM bytes left without "!"
    bool replied = true;        // FLASH: the programmer's closing text came
};

// The calibration byte a write put into the chip's own memory.
struct CalibrationWrite {
    bool acknowledged = false;
    bool toFlash = false;
    int address = 0;  // byte address in that memory
    QString value;    // two hex digits
};

// A command the programmer answers with free text.
struct Reply {
    QString text;  // as received; empty when it stayed silent
    bool answered() const { return !text.isEmpty(); }
};

// The three fuse bytes a write carries; a model without the extended byte
// sends none for it.
struct FuseBytes {
    quint8 low = 0xFF;
    quint8 high = 0xFF;
    std::optional<quint8> extended;
    bool operator==(const FuseBytes&) const = default;
    // Low, high and (when present) extended: the order the record keeps.
    QByteArray recorded() const;
};

// An "RS#"-style reading of lock and fuse bytes.
struct FuseReading {
    QString reply;   // as received (what a refusal shows); empty when silent
    QString digits;  // LK EE HH LL as eight upper-case hex digits; empty when invalid
    bool answered() const { return !reply.isEmpty(); }
    bool valid() const { return digits.size() == 8; }
    quint8 lock() const;
    // The fuse bytes, the extended one only when the model has it.
    FuseBytes fuses(bool extended) const;
};

}  // namespace kv
