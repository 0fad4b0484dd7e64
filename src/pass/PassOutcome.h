// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "core/OperationError.h"
#include "programmer/ProgrammerOutcomes.h"

namespace kv {

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
    Serial,
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
    // Why the step sent nothing although it was chosen (cells not set); empty
    // when it sent what it had.
    QString refused;
    std::optional<bool> serialWritten;  // Serial: every byte confirmed
    // The error that ended the pass inside this step.
    std::optional<QString> error;
    // Set afterwards by the read-back the record asks for.
    std::optional<QString> readBackFault;
    qint64 durationMs = 0;

    // What the record calls a failed step, with its reason; nullopt: passed.
    // A step that sent nothing, or had nothing to send, never passes.
    std::optional<QString> fault() const;
};

// What a programming pass did, step by step, up to where it ended.
struct PassOutcome {
    bool ran = false;  // false: another pass was running
    std::optional<QString> signature;
    bool signatureRejected = false;
    QList<StepOutcome> steps;
    // What ended the pass early; the step it ended in carries its text too.
    std::optional<OperationError> error;
    // The record's read-back after the steps: the signature after an erase
    // that ended the pass, and the fuse and lock bytes after they were written.
    std::optional<QString> signatureAfterErase;
    std::optional<FuseReading> fuseReadBack;

    // A step the programmer did not answer: the cable, not the chip.
    bool silent() const {
        for (const StepOutcome& s : steps) {
            if (!s.answered)
                return true;
        }
        return false;
    }
    // Every step ran to its end and passed, the chip was not refused, and
    // nothing ended the pass.
    bool passed() const;
    // The first failed step's fault, or the error's text.
    std::optional<QString> failure() const;

    const StepOutcome* step(PassStep which) const {
        for (const StepOutcome& s : steps) {
            if (s.step == which)
                return &s;
        }
        return nullptr;
    }
};

}  // namespace kv
