// SPDX-License-Identifier: MIT
#include "app/Workbench.h"
#include "cli/CommandRun.h"
#include "cli/Subcommand.h"

namespace kv::cli::commands {

namespace {

void erase(CommandRun& run) {
    run.openPort();
    run.identify();
    Workbench& wb = run.workbench();
    bool answered = true;
    const CommandResult result = wb.runner().runRecorded(QStringLiteral("erase"), [&] {
        RecordKeeper::StepFinding finding;
        answered = !wb.session().fuseCommands().eraseChip().isEmpty();
        if (!answered)
            finding.fault = QStringLiteral("no answer");
        return finding;
    });
    run.check(result);
    if (!answered)
        throw noAnswer();
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
