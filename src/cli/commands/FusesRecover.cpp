// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "app/Workbench.h"
#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

void fusesRecover(CommandRun& run) {
    run.openPort();
    run.identify();
    Session& s = run.workbench().session();
    FuseCommands::Recovery recovery;
    const CommandResult result =
        run.workbench().runner().runRecorded(QStringLiteral("recover fuses"), [&] {
            RecordKeeper::StepFinding finding;
            recovery = s.fuseCommands().recoverDefaultFuses(s.model().selectedModelName());
            finding.fuseReading = recovery.reading;
            if (!recovery.confirmed)
                finding.fault = QStringLiteral("read-back differs");
            return finding;
        });
    if (!recovery.reading.isEmpty())
        run.findAll(steps::fuseFindings(run, recovery.reading));
    run.check(result);
    if (recovery.confirmed)
        return;
    if (recovery.reading.isEmpty())
        throw noAnswer();
    CommandRun::end(
        Ending::ChipDisagrees,
        QCoreApplication::translate("CliFuseCommands", "恢复失败：读回的熔丝位不是出厂值。"));
}

}  // namespace

const Subcommand& fusesRecover() {
    static const Subcommand command{
        .name = QStringLiteral("fuses recover"),
        .usage = QStringLiteral("fuses recover"),
        .summary = QStringLiteral("the model's factory fuses, confirmed by read-back"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 -m ATMEGA8 fuses recover"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .invoke = fusesRecover,
    };
    return command;
}

}  // namespace kv::cli::commands
