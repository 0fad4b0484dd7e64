// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& readEeprom() {
    static const Subcommand command{
        .name = QStringLiteral("read-eeprom"),
        .arguments = 1,
        .options = {},
        .usage = QStringLiteral("read-eeprom FILE"),
        .summary = QStringLiteral("read EEPROM; .hex/.eep write Intel HEX"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 read-eeprom chip.eep"),
        .reach = Reach::Chip,
        .changesChip = false,
        .onGang = false,
        .invoke = [](CommandRun& run) { steps::readToFile(run, MemoryKind::Eeprom); },
    };
    return command;
}

}  // namespace kv::cli::commands
