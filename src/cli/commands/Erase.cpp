// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

// The programmer does not acknowledge an erase: the record's read of the
// signature after it tells a silent one from a good erase.
void erase(CommandRun& run) {
    run.openPort();
    PassPlan plan = steps::planFor(run.identify());
    plan.erase = true;
    run.runPlan(plan);
}

}  // namespace

const Subcommand& erase() {
    static const Subcommand command{
        .name = QStringLiteral("erase"),
        .usage = QStringLiteral("erase"),
        .summary = QStringLiteral("erase the chip"),
        .example = QStringLiteral("kelvaro-cli -p COM3 erase"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = erase,
    };
    return command;
}

}  // namespace kv::cli::commands
