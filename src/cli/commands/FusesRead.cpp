// SPDX-License-Identifier: MIT
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

const Subcommand& fusesRead() {
    static const Subcommand command{
        .name = QStringLiteral("fuses read"),
        .usage = QStringLiteral("fuses read"),
        .summary = QStringLiteral("read fuse and lock bytes"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 --json fuses read"),
        .reach = Reach::Chip,
        .invoke =
            [](CommandRun& run) {
                run.openPort();
                run.identify();
                steps::fuseFindings(run, steps::readFuses(run));
            },
    };
    return command;
}

}  // namespace kv::cli::commands
