// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <functional>

#include "pass/PassOutcome.h"
#include "pass/PassPlan.h"
#include "programmer/ProgrammerEvents.h"

namespace kv {

class Clock;
class Programmer;

// What a front end may do between the steps of a pass. All are optional.
struct PassHooks {
    // Just before the write of a memory (whether or not it is chosen): the
    // window reloads the image's file here and puts the new bytes into the
    // plan. False: the file is gone, the write is skipped.
    std::function<bool(MemoryKind memory, ImagePlan& image)> beforeWrite;
    // The calibration bytes as read; filled: every one was a byte.
    std::function<void(const QStringList& replies, bool filled)> calibrationRead;
    std::function<void(PassStep step)> stepStarted;
    std::function<void(const StepOutcome& outcome)> stepFinished;
};

// Runs a plan on a programmer, in the fixed order of the pass: signature
// check, erase, FLASH and EEPROM writes, their verifies, fuses, lock,
// calibration byte, serial number, and the record's read-back. A step's
// finding goes into its outcome and the pass goes on; a rejected signature
// ends it after its log lines; an OperationError ends it and is kept in the
// outcome (the step it ended carries its text). Log lines and progress go
// to the programmer's event sink, and so do the step ends.
class PassRunner {
public:
    PassRunner(Programmer& programmer, const Clock& clock);

    PassOutcome run(const PassPlan& plan, const PassHooks& hooks = {});

private:
    void runSteps(PassPlan& plan, const PassHooks& hooks, PassOutcome& pass);
    void runStep(PassOutcome& pass, PassStep step, const PassHooks& hooks,
                 const std::function<void(StepOutcome&)>& work);
    void checkSignature(const PassPlan& plan, StepOutcome& outcome);
    void writeCalibration(const PassPlan& plan, const PassHooks& hooks, StepOutcome& outcome);
    bool writeSerial(const SerialPlan& serial);
    void readBack(const PassPlan& plan, PassOutcome& pass);
    void note(const QString& text) const;

    Programmer& m_programmer;
    const Clock& m_clock;
};

}  // namespace kv
