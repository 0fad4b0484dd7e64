// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "operations/Outcomes.h"

namespace kv {

// The warning box the window shows for what an operation found; nullopt
// where the log says all there is to say.
std::optional<QString> boxFor(const WriteOutcome& outcome);
std::optional<QString> boxFor(const VerifyOutcome& outcome);
std::optional<QString> boxFor(const CalibrationWrite& outcome);
std::optional<QString> boxFor(const StepOutcome& outcome);

}  // namespace kv
