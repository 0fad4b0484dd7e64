// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& verifyEeprom() {
    static const Subcommand command{
        .name = QStringLiteral("verify-eeprom"),
        .arguments = 1,
        .options = {QStringLiteral("raw")},
        .usage = QStringLiteral("verify-eeprom FILE [--raw]"),
        .summary = QStringLiteral("compare EEPROM with the file"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 verify-eeprom table.eep"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = [](CommandRun& run) { steps::verifyFile(run, MemoryKind::Eeprom); },
    };
    return command;
}

}  // namespace kv::cli::commands
