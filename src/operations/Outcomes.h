// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "images/ImageSlot.h"

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

// One step of the programming pass, in the order the pass runs them.
enum class PassStep {
    Signature,
    Erase,
    WriteFlash,
    WriteEeprom,
    VerifyFlash,
    VerifyEeprom,
    Fuses,
    Lock,
    Calibration,
};

// The step's name in the production record and the command line's events.
QString passStepName(PassStep step);

// What one step of the pass did; only the member of its kind is set.
struct StepOutcome {
    PassStep step = PassStep::Signature;
    std::optional<QString> signature;  // Signature: as read
    bool signatureMatches = true;
    std::optional<WriteOutcome> write;
    std::optional<VerifyOutcome> verify;
    std::optional<CalibrationWrite> calibration;
    bool answered = true;  // false: the programmer said nothing to this step
    bool garbled = false;  // it answered, but not in the shape the step asks for

    // What the record calls a failed step, with its reason; nullopt: passed.
    std::optional<QString> fault() const;
};

// What a programming pass did, step by step, up to where it ended.
struct PassOutcome {
    bool ran = false;  // false: another pass was running
    std::optional<QString> signature;
    bool signatureRejected = false;
    QList<StepOutcome> steps;

    // A step the programmer did not answer: the cable, not the chip.
    bool silent() const {
        for (const StepOutcome& s : steps) {
            if (!s.answered)
                return true;
        }
        return false;
    }

    const StepOutcome* step(PassStep which) const {
        for (const StepOutcome& s : steps) {
            if (s.step == which)
                return &s;
        }
        return nullptr;
    }
};

}  // namespace kv
