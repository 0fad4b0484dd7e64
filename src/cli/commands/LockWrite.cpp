// SPDX-License-Identifier: MIT
#include <QCoreApplication>

#include "cli/Subcommand.h"
#include "cli/commands/ChipSteps.h"

namespace kv::cli::commands {

namespace {

void lockWrite(CommandRun& run) {
    run.openPort();
    const ChipModel& model = run.identify();
    // A bit the model lacks is refused once the chip is known, before the write.
    PassPlan plan = steps::planFor(model);
    plan.writeLock = true;
    plan.lock =
        steps::byteToSend(*run.request().lockByte, 3, steps::existingBits(run, model)[3], model);
    const PassOutcome pass = run.runPlan(plan);
    if (pass.fuseReadBack)
        steps::fuseFindings(run, *pass.fuseReadBack);
}

// The argument is the byte itself.
QString check(CliRequest& request) {
    request.lockByte = parseHexByte(request.file);
    if (!request.lockByte)
        return QCoreApplication::translate("CliRequest",
                                           "锁定位应为一个十六进制字节（如 FC），而不是“%1”")
            .arg(request.file);
    return {};
}

}  // namespace

const Subcommand& lockWrite() {
    static const Subcommand command{
        .name = QStringLiteral("lock write"),
        .arguments = 1,
        .usage = QStringLiteral("lock write XX"),
        .summary = QStringLiteral("write the lock byte, confirmed by read-back"),
        .example = QStringLiteral("kelvaro-cli -p /dev/ttyUSB0 lock write FC"),
        .reach = Reach::Chip,
        .changesChip = true,
        .onGang = true,
        .check = check,
        .invoke = lockWrite,
    };
    return command;
}

}  // namespace kv::cli::commands
