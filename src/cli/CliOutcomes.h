// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "core/OperationError.h"
#include "pass/PassOutcome.h"

namespace kv::cli {

// How a command ended, by kind. The exit code follows from the kind alone
// (exitCodeOf), and every outcome of the logic finds its kind here, so a
// failed step gives the same code, JSON "ok" and gang tile wherever it is met.
enum class Ending {
    Done,
    ChipDisagrees,  // verify mismatch, wrong signature, a write not confirmed by read-back
    Usage,          // a line or a value that does not fit the chip
    Programmer,     // cannot open the port, no answer, not acknowledged, line hung up
    File,           // missing, unreadable, malformed, larger than the chip
    Record,         // the production record cannot be kept; nothing was sent
    RecordPending,  // the chip is done; its record waits in the spool
    RecordLost,     // the chip is written; neither the record nor the spool took its row
    Stopped,        // a signal stopped it between exchanges
};

// The exit codes scripts rely on; --help and the README list them.
int exitCodeOf(Ending ending);

// A command that does not end well: thrown by a command's unit, caught once
// by the run, which reports it.
struct CommandEnd {
    Ending ending = Ending::Done;
    QString message;
};

// Outcomes of the logic and what they end a command with; nullopt where
// the outcome lets the command go on.
CommandEnd endOf(const OperationError& error);
std::optional<CommandEnd> endOf(const ReadOutcome& read);
std::optional<CommandEnd> endOf(const VerifyOutcome& verify);
std::optional<CommandEnd> endOf(const WriteOutcome& write);
// A step of a pass that did not pass: its ending.
std::optional<CommandEnd> endOf(const StepOutcome& step);

// The programmer said nothing at all.
CommandEnd noAnswer();
// A reply where a signature belongs that is not one.
CommandEnd garbledSignature(const QString& reading);

}  // namespace kv::cli
