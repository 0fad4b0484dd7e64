// SPDX-License-Identifier: MIT
#include "cli/CommandRun.h"
#include "cli/Subcommand.h"

namespace kv::cli::commands {

namespace {

void detect(CommandRun& run) {
    run.openPort();
    const ChipModel& model = run.identify();
    run.setHuman(run.chipSignature() + u' ' + model.name);
}

}  // namespace

const Subcommand& detect() {
    static const Subcommand command{
        .name = QStringLiteral("detect"),
        .usage = QStringLiteral("detect"),
        .summary = QStringLiteral("read the signature; print signature and model"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 detect"),
        .reach = Reach::Chip,
        .onGang = true,
        .invoke = detect,
    };
    return command;
}

}  // namespace kv::cli::commands
