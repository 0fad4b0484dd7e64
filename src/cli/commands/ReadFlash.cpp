// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& readFlash() {
    static const Subcommand command{
        .name = QStringLiteral("read-flash"),
        .arguments = 1,
        .options = {},
        .usage = QStringLiteral("read-flash FILE"),
        .summary = QStringLiteral("read FLASH; .hex writes Intel HEX, else binary"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 read-flash chip.hex"),
        .reach = Reach::Chip,
        .changesChip = false,
        .onGang = false,
        .invoke = [](CommandRun& run) { steps::readToFile(run, MemoryKind::Flash); },
    };
    return command;
}

}  // namespace kv::cli::commands
