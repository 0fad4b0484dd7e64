// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& verifyFlash() {
    static const Subcommand command{
        .name = QStringLiteral("verify-flash"),
        .arguments = 1,
        .options = {},
        .usage = QStringLiteral("verify-flash FILE"),
        .summary = QStringLiteral("compare FLASH with the file"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 verify-flash blink.hex"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = [](CommandRun& run) { steps::verifyFile(run, MemoryKind::Flash); },
    };
    return command;
}

}  // namespace kv::cli::commands
