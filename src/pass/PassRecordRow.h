// SPDX-License-Identifier: MIT
#pragma once

#include "pass/PassOutcome.h"
#include "pass/PassPlan.h"
#include "record/PassRecord.h"

namespace kv {

// Fills a pass's record row from what was asked and what happened, nothing
// else: its steps with their results and times, the signature read, the
// images by name and digest, the fuse and lock bytes written and read back,
// the calibration byte and the serial number. Every front end's row is built
// here, so the row, the exit code and the gang's tile say the same.
// The row's signature is kept when the pass read none (a front end may have
// read the chip just before).
void fillPassRecord(PassRecord& record, const PassPlan& plan, const PassOutcome& outcome);

}  // namespace kv
