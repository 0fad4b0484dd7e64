// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& writeEeprom() {
    static const Subcommand command{
        .name = QStringLiteral("write-eeprom"),
        .arguments = 1,
        .options = {QStringLiteral("verify"), QStringLiteral("raw")},
        .usage = QStringLiteral("write-eeprom FILE [--verify] [--raw]"),
        .summary = QStringLiteral(
            "write EEPROM from .eep/.hex/.bin, or an ELF file's .eeprom section;\n"
            "      an .eep that is not Intel HEX goes in as raw bytes, --raw if they look like "
            "text"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 write-eeprom table.eep --verify"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = [](CommandRun& run) { steps::writeFile(run, MemoryKind::Eeprom); },
    };
    return command;
}

}  // namespace kv::cli::commands
