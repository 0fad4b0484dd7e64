// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& writeFlash() {
    static const Subcommand command{
        .name = QStringLiteral("write-flash"),
        .arguments = 1,
        .options = {QStringLiteral("verify"), QStringLiteral("no-erase")},
        .usage = QStringLiteral("write-flash FILE [--verify] [--no-erase]"),
        .summary = QStringLiteral(
            "erase, then write FLASH from Intel HEX, raw binary (.bin) or ELF (.elf)"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 write-flash blink.hex --verify"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = [](CommandRun& run) { steps::writeFile(run, MemoryKind::Flash); },
    };
    return command;
}

}  // namespace kv::cli::commands
